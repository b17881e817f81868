#include "PaletteGridWnd.h"

#include "ColourTexts.h"
#include "ControlDrawing.h"
#include "Kfm5ResourceIds.h"
#include "PaletteDialogParts.h"
#include "ResourceAccess.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace kfm::dialogs {

using kfm::ui::Draw3dRect;
using kfm::ui::ToQColor;

namespace {

constexpr COLORREF kCrossGrey = RGB(0x84, 0x82, 0x84);
constexpr COLORREF kCrossWhite = RGB(0xFF, 0xFF, 0xFF);

QRect toQRect(const RECT& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

bool isCell(int index) {
    return 0 <= index && index < kGridCells;
}

int stepOfKey(int key) {
    switch (key) {
    case Qt::Key_Left:
        return kStepLeft;
    case Qt::Key_Right:
        return kStepRight;
    case Qt::Key_Up:
        return kStepUp;
    case Qt::Key_Down:
        return kStepDown;
    default:
        return 0;
    }
}

} // namespace

CPaletteGridWnd::CPaletteGridWnd(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(
        kfm::ui::ResourceCursor(kfm5res::kCursorSelect, QPoint(8, 8), Qt::PointingHandCursor));
}

QSize CPaletteGridWnd::sizeHint() const {
    return QSize(190, 190);
}

int CPaletteGridWnd::SetImage(KpxHandle image) {
    image_ = image;
    if (image_ != 0)
        layout_ = PaletteGridLayout::For(width(), height());
    usedCount_ = KPXNumColorUsed(image_, usage_.data());
    update();
    return usedCount_;
}

int CPaletteGridWnd::EntryCount() const {
    return ColourTableSize(image_);
}

void CPaletteGridWnd::SetSelection(int index) {
    const int chosen = isCell(index) ? index : -1;
    if (chosen == selected_)
        return;
    updateOutline(selected_);
    selected_ = chosen;
    updateOutline(selected_);
}

void CPaletteGridWnd::InvalidateSelection() {
    updateOutline(selected_);
}

void CPaletteGridWnd::updateOutline(int index) {
    if (isCell(index))
        update(toQRect(layout_.OutlineRect(index)));
}

void CPaletteGridWnd::SetEntryColor(int index, COLORREF colour) {
    if (!isCell(index) || index != selected_)
        return;
    KPXSetColorToPalette(image_, index, colour);
    updateOutline(index);
}

void CPaletteGridWnd::SetUsage(int index, int value) {
    if (!isCell(index) || index == selected_)
        return;
    usage_[static_cast<std::size_t>(index)] = value;
    updateOutline(index);
}

int CPaletteGridWnd::Usage(int index) const {
    return isCell(index) ? usage_[static_cast<std::size_t>(index)] : 0;
}

void CPaletteGridWnd::resizeEvent(QResizeEvent* event) {
    // Laid out in a dialog the grid gets its size after it got its image.
    if (image_ != 0)
        layout_ = PaletteGridLayout::For(width(), height());
    QWidget::resizeEvent(event);
}

void CPaletteGridWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& p = palette();
    if (image_ == 0) {
        painter.fillRect(rect(), p.color(QPalette::Base));
        return;
    }
    painter.fillRect(rect(), kfm::ui::FaceColour(p));
    const int span = layout_.grid.right - layout_.grid.left;
    Draw3dRect(painter, QRect(0, 0, span + 2 * layout_.xMargin, span + 2 * layout_.yMargin),
               kfm::ui::ShadowColour(p), kfm::ui::HighlightColour(p));
    const int count = EntryCount();
    for (int index = 0; index < count; ++index)
        drawCell(painter, index);
    if (isCell(selected_)) {
        painter.setPen(QColor(255, 0, 0));
        painter.setBrush(Qt::NoBrush);
        const RECT outline = layout_.OutlineRect(selected_);
        painter.drawRect(QRect(QPoint(outline.left, outline.top),
                               QPoint(outline.right - 2, outline.bottom - 2)));
    }
}

void CPaletteGridWnd::drawCell(QPainter& painter, int index) const {
    const QPalette& p = palette();
    const RECT box = layout_.CellRect(index);
    const QColor light = kfm::ui::HighlightColour(p);
    const QColor dark = kfm::ui::DarkShadowColour(p);
    if (index == selected_)
        Draw3dRect(painter, toQRect(box), light, dark);
    else
        Draw3dRect(painter, toQRect(box), dark, light);
    const COLORREF colour = KPXGetColorFromPalette(image_, index);
    painter.fillRect(
        QRect(QPoint(box.left + 1, box.top + 1), QPoint(box.right - 1, box.bottom - 1)),
        ToQColor(colour));
    if (usage_[static_cast<std::size_t>(index)] == 0)
        drawCross(painter, box, kCrossGrey, kCrossWhite);
}

void CPaletteGridWnd::drawCross(QPainter& painter, const RECT& b, COLORREF grey,
                                COLORREF white) const {
    painter.setPen(ToQColor(grey));
    painter.drawLine(b.left + 2, b.top + 2, b.right - 4, b.bottom - 2);
    painter.setPen(ToQColor(white));
    painter.drawLine(b.left + 3, b.top + 2, b.right - 3, b.bottom - 2);
    painter.setPen(ToQColor(grey));
    painter.drawLine(b.right - 4, b.top + 2, b.left + 2, b.bottom - 2);
    painter.setPen(ToQColor(white));
    painter.drawLine(b.right - 3, b.top + 2, b.left + 3, b.bottom - 2);
}

void CPaletteGridWnd::mousePressEvent(QMouseEvent* event) {
    if (image_ != 0 && event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        const QPoint at = event->position().toPoint();
        const int index = layout_.CellAt(at.x(), at.y(), EntryCount());
        if (index >= 0 && index != selected_) {
            SetSelection(index);
            emit selected(index);
        }
    }
    QWidget::mousePressEvent(event);
}

void CPaletteGridWnd::mouseMoveEvent(QMouseEvent* event) {
    if (image_ != 0) {
        const QPoint at = event->position().toPoint();
        const int index = layout_.CellAt(at.x(), at.y(), EntryCount());
        const COLORREF colour = index >= 0 ? KPXGetColorFromPalette(image_, index) : 0;
        showTip(at, index, colour);
        emit hovered(index, index >= 0, index >= 0 ? colour : 0);
    }
    QWidget::mouseMoveEvent(event);
}

void CPaletteGridWnd::showTip(const QPoint& local, int index, COLORREF colour) {
    if (index < 0) {
        QToolTip::hideText();
        return;
    }
    // Two entries may share a colour: the text follows the index as well.
    if (index != tipIndex_ || colour != tipColour_) {
        tipIndex_ = index;
        tipColour_ = colour;
        tipText_ = kfm::ui::FromCodePage1252(kfm::shell::PaletteColourText(
            kfm::ui::ResourceText(kfm5res::IDS_PALETTE_COLOUR_TIP), index, colour));
    }
    QToolTip::showText(mapToGlobal(local), tipText_, this, toQRect(layout_.CellRect(index)));
}

void CPaletteGridWnd::leaveEvent(QEvent* event) {
    if (image_ != 0) {
        QToolTip::hideText();
        emit hovered(-1, false, 0);
    }
    QWidget::leaveEvent(event);
}

void CPaletteGridWnd::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit activated();
    event->accept();
}

void CPaletteGridWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        emit activated();
        return;
    }
    const int step = stepOfKey(event->key());
    if (step == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int index = PaletteKeyStep(selected_, step);
    SetSelection(index);
    emit selected(index);
}

std::optional<COLORREF> ChangeEntryColour(const ColourChooser& chooser, CPaletteGridWnd& grid,
                                          int index, COLORREF start, QWidget* parent) {
    if (!IsTableEntry(grid.Image(), index))
        return std::nullopt;
    const std::optional<COLORREF> colour = chooser(start, parent);
    if (!colour)
        return std::nullopt;
    grid.SetEntryColor(index, *colour);
    KPXFillDIBColorTable(grid.Image());
    grid.InvalidateSelection();
    return colour;
}

} // namespace kfm::dialogs
