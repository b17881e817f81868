#include "Splitters.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSplitterHandle>
#include <QStyle>

#include <algorithm>

namespace kfm::ui {

namespace {

// The outer bar: a button-face bar with a shadow and a highlight line, which cannot be dragged.
class FlatHandle : public QSplitterHandle {
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect r = rect();
        painter.fillRect(r, palette().button());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(r.topLeft() + QPoint(1, 0), r.bottomLeft() + QPoint(1, 0));
    }
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseMoveEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
};

} // namespace

// The toggle bar's bar: double click flips the layout; a drag side by side snaps to the left
// edge near it and reports its end.
class ToggleHandle : public QSplitterHandle {
public:
    ToggleHandle(Qt::Orientation orientation, CToggleSplitterWnd* parent)
        : QSplitterHandle(orientation, parent), owner_(parent) {}

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        owner_->ToggleOrientation();
        event->accept();
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            owner_->beginStripResize();
        QSplitterHandle::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        const int x = mapToParent(event->position().toPoint()).x();
        if (owner_->StripResizing() && !owner_->IsStacked() && x < owner_->stripSnapLimit()) {
            owner_->SetFirstPaneSize(0);
            event->accept();
            return;
        }
        QSplitterHandle::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QSplitterHandle::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton)
            owner_->endStripResize(mapToParent(event->position().toPoint()).x());
    }

private:
    CToggleSplitterWnd* owner_;
};

PaneMetrics CurrentPaneMetrics(const QWidget* widget) {
    PaneMetrics metrics;
    if (const QStyle* style = widget ? widget->style() : nullptr) {
        metrics.arrowWidth = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget);
        metrics.frameWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget);
    }
    return metrics;
}

CFlatSplitterWnd::CFlatSplitterWnd(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("ID_59648"));
    setChildrenCollapsible(false);
}

QSplitterHandle* CFlatSplitterWnd::createHandle() {
    return new FlatHandle(orientation(), this);
}

CToggleSplitterWnd::CToggleSplitterWnd(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("ToggleBar"));
    setChildrenCollapsible(true);
    setOpaqueResize(true);
}

QSplitterHandle* CToggleSplitterWnd::createHandle() {
    return new ToggleHandle(orientation(), this);
}

void CToggleSplitterWnd::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    SetPaneSizes(width(), height());
}

void CToggleSplitterWnd::SetStacked(bool stacked) {
    setOrientation(stacked ? Qt::Vertical : Qt::Horizontal);
}

int CToggleSplitterWnd::FirstPaneSize() const {
    const QList<int> panes = sizes();
    return panes.isEmpty() ? 0 : panes.front();
}

void CToggleSplitterWnd::SetFirstPaneSize(int size) {
    const int whole = (IsStacked() ? height() : width()) - handleWidth();
    const int first = std::clamp(size, 0, std::max(whole, 0));
    setSizes({first, std::max(whole - first, 0)});
}

void CToggleSplitterWnd::saveCurrentSplit() {
    const QList<int> panes = sizes();
    if (panes.size() < 2 || panes[0] <= 0 || panes[1] <= 0)
        return;
    if (IsStacked())
        savedStacked_ = SIZE{width(), panes[0]};
    else
        savedSideBySide_ = SIZE{panes[0], height()};
}

kfm::shell::PaneSizes CToggleSplitterWnd::CalcPaneSizes(bool stacked) const {
    return kfm::shell::CalcPaneSizes(total_, stacked ? savedStacked_ : savedSideBySide_);
}

void CToggleSplitterWnd::ToggleOrientation() {
    saveCurrentSplit();
    const bool stacked = !IsStacked();
    SetStacked(stacked);
    const kfm::shell::PaneSizes panes = CalcPaneSizes(stacked);
    if (stacked)
        setSizes({static_cast<int>(panes.first.cy), static_cast<int>(panes.second.cy)});
    else
        setSizes({static_cast<int>(panes.first.cx), static_cast<int>(panes.second.cx)});
}

int CToggleSplitterWnd::GetStripPaneSize() const {
    if (IsStacked())
        return FirstPaneSize();
    return static_cast<int>(CalcPaneSizes(true).first.cy);
}

int CToggleSplitterWnd::stripSnapLimit() const {
    return CurrentPaneMetrics(this).arrowWidth + handleWidth() + 14;
}

void CToggleSplitterWnd::beginStripResize() {
    QWidget* strip = count() > 0 ? widget(0) : nullptr;
    stripResize_ = strip && strip->isEnabled();
}

void CToggleSplitterWnd::endStripResize(int releaseX) {
    const bool wasResizing = stripResize_;
    stripResize_ = false;
    if (wasResizing && !IsStacked() && stripBarReleased)
        stripBarReleased(releaseX);
}

} // namespace kfm::ui
