#include "HyperLink.h"

#include "Kfm5ResourceIds.h"
#include "ShellServices.h"
#include "shell/Desktop.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace kfm::ui {

namespace {

QColor qColourOf(COLORREF colour) {
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// True when a layout of the parent places the widget (then the layout applies the size).
bool placedByLayout(const QWidget& widget) {
    const QWidget* parent = widget.parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(&widget) >= 0;
}

} // namespace

CHyperLink::CHyperLink(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    // A static text starts at its top left corner.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    QFont linkFont = font();
    linkFont.setUnderline((style_ & StyleUnderline) != 0);
    setFont(linkFont);
    applyCursor();
    setToolTip(GetUrl());
}

QString CHyperLink::GetUrl() const {
    return url_.isEmpty() ? text() : url_;
}

void CHyperLink::SetUrl(const QString& url) {
    url_ = url;
    if (text().isEmpty())
        setText(url_);
    sizeToText();
    setToolTip(GetUrl());
}

int CHyperLink::SetLinkStyle(DWORD remove, DWORD add, bool redraw) {
    if (remove & add)
        return 0;
    style_ = (style_ & ~remove) | add;
    applyCursor();
    if (redraw) {
        if ((remove | add) & StyleUnderline) {
            QFont linkFont = font();
            linkFont.setUnderline((style_ & StyleUnderline) != 0);
            SetLinkFont(linkFont);
        }
        if (add & StyleSizeToText)
            sizeToText();
        if (remove & StyleHoverColour)
            update();
    }
    return 1;
}

void CHyperLink::SetLinkFont(const QFont& linkFont) {
    setFont(linkFont);
    sizeToText();
    update();
}

void CHyperLink::OpenLink(bool redraw) {
    if (!kfm::shell::openUrl(GetUrl().toStdString())) {
        MessageBeep(MB_ICONEXCLAMATION);
        ShellMessageBox(kfm5res::IDS_LINK_OPEN_FAILED, MB_ICONEXCLAMATION_);
        return;
    }
    visited_ = true;
    if (redraw)
        update();
}

COLORREF CHyperLink::ColourFor(DWORD style, bool hot, bool armed, bool visited) {
    if (hot && (style & StyleHoverColour))
        return HoverColour;
    if (armed && !(style & StyleNoArmedColour))
        return ArmedColour;
    return visited ? VisitedColour : NormalColour;
}

COLORREF CHyperLink::CurrentColour() const {
    return ColourFor(style_, hot_, armed_, visited_);
}

QRect CHyperLink::RectForText(const QRect& window, const QSize& client, const QSize& text,
                              Qt::Alignment alignment) {
    const QSize border = window.size() - client;
    int left = window.left();
    int top = window.top();
    int right = left + client.width();
    int bottom = top + client.height();
    if (alignment & Qt::AlignVCenter) {
        const int spare = (bottom - top - text.height()) / 2;
        top += spare;
        bottom -= spare;
    } else {
        bottom = top + text.height();
    }
    if (alignment & Qt::AlignHCenter) {
        const int spare = (right - left - text.width()) / 2;
        left += spare;
        right -= spare;
    } else if (alignment & Qt::AlignRight) {
        left = right - text.width();
    } else {
        right = left + text.width();
    }
    return QRect(left, top, right - left + border.width(), bottom - top + border.height());
}

const QCursor& CHyperLink::HandCursor() {
    static const QCursor hand(Qt::PointingHandCursor);
    return hand;
}

QSize CHyperLink::textExtent() const {
    return QFontMetrics(font()).size(Qt::TextSingleLine, text());
}

QSize CHyperLink::sizeHint() const {
    if (!(style_ & StyleSizeToText))
        return QLabel::sizeHint();
    return textExtent() + (size() - contentsRect().size());
}

void CHyperLink::sizeToText() {
    if (!(style_ & StyleSizeToText))
        return;
    updateGeometry();
    if (!placedByLayout(*this))
        setGeometry(RectForText(geometry(), contentsRect().size(), textExtent(), alignment()));
}

void CHyperLink::applyCursor() {
    if (style_ & StyleNoHandCursor)
        unsetCursor();
    else
        setCursor(HandCursor());
}

void CHyperLink::setHot(bool hot) {
    if (hot_ == hot)
        return;
    hot_ = hot;
    // While hot the link holds the mouse, so it learns when the pointer leaves it.
    if (hot_ && isVisible())
        grabMouse();
    else if (!hot_ && QWidget::mouseGrabber() == this)
        releaseMouse();
    update();
}

void CHyperLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    painter.setPen(qColourOf(CurrentColour()));
    painter.setFont(font());
    painter.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine, text());
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event) {
    if (!hot_)
        setHot(true);
    else if (!rect().contains(event->position().toPoint()))
        setHot(false);
    QLabel::mouseMoveEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event) {
    setHot(false);
    QLabel::leaveEvent(event);
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (style_ & StyleFocusOnClick)
        setFocus(Qt::MouseFocusReason);
    if (style_ & StyleOpenOnPress)
        OpenLink(true);
    armed_ = true;
    update();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && armed_ && !(style_ & StyleOpenOnPress) &&
        rect().contains(event->position().toPoint())) {
        OpenLink(true);
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CHyperLink::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        OpenLink(true);
        return;
    }
    QLabel::keyPressEvent(event);
}

void CHyperLink::focusInEvent(QFocusEvent* event) {
    armed_ = true;
    update();
    QLabel::focusInEvent(event);
}

void CHyperLink::focusOutEvent(QFocusEvent* event) {
    armed_ = false;
    setHot(false);
    update();
    QLabel::focusOutEvent(event);
}

void CHyperLink::hideEvent(QHideEvent* event) {
    setHot(false);
    QLabel::hideEvent(event);
}

} // namespace kfm::ui
