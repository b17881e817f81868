#include "EffectPreviews.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace kpx::dialogs {

namespace {

constexpr int kRampBars = 128;

QColor qColorOf(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

void makeSunken(QFrame* frame) {
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(1);
}

} // namespace

COLORREF rampBar(COLORREF colour, int i) {
    const int r = GetRValue(colour);
    const int g = GetGValue(colour);
    const int b = GetBValue(colour);
    const int n = std::min({r, g, b});
    const auto channel = [&](int v) { return static_cast<BYTE>(std::min(255, v - n + 2 * i)); };
    return RGB(channel(r), channel(g), channel(b));
}

KpxPreview::KpxPreview(const QString& text, QWidget* parent) : QFrame(parent), text_(text) {
    makeSunken(this);
    setCursor(Qt::CrossCursor);
    setProperty("windowClass", QString::fromLatin1(kClassName));
    setAccessibleName(text);
}

void KpxPreview::setPictures(const QImage& source, const QImage& processed) {
    source_ = source;
    processed_ = processed;
    update();
}

QSize KpxPreview::pictureSize() const {
    return contentsRect().size();
}

void KpxPreview::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect inside = contentsRect();
    const QImage& picture = shownPicture();
    if (picture.isNull()) {
        painter.fillRect(inside, palette().button());
        return;
    }
    painter.fillRect(inside, Qt::white);
    const QPoint origin(inside.left() + (inside.width() - picture.width()) / 2,
                        inside.top() + (inside.height() - picture.height()) / 2);
    painter.setClipRect(inside);
    painter.drawImage(origin, picture);
}

void KpxPreview::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

KpxColorPreview::KpxColorPreview(const QString& text, QWidget* parent)
    : QFrame(parent), text_(text) {
    makeSunken(this);
    setCursor(Qt::ArrowCursor);
    setProperty("windowClass", QString::fromLatin1(kClassName));
    setAccessibleName(text);
}

void KpxColorPreview::setColors(COLORREF first, COLORREF second) {
    first_ = first;
    second_ = second;
    update();
}

COLORREF KpxColorPreview::colorAt(int x) const {
    if (text_ == QLatin1String("Fill"))
        return first_;
    if (text_ == QLatin1String("2"))
        return second_;
    const int width = std::max(1, contentsRect().width());
    return rampBar(first_, std::clamp(x * kRampBars / width, 0, kRampBars - 1));
}

void KpxColorPreview::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect inside = contentsRect();
    if (text_ == QLatin1String("Fill") || text_ == QLatin1String("2")) {
        painter.fillRect(inside, qColorOf(colorAt(0)));
        return;
    }
    for (int i = 0; i < kRampBars; ++i) {
        const int left = inside.left() + i * inside.width() / kRampBars;
        const int right = inside.left() + (i + 1) * inside.width() / kRampBars;
        painter.fillRect(QRect(left, inside.top(), std::max(1, right - left), inside.height()),
                         qColorOf(rampBar(first_, i)));
    }
}

} // namespace kpx::dialogs
