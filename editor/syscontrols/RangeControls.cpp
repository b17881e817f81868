#include "RangeControls.h"

#include "ClassicDrawing.h"
#include "ControlDrawing.h"
#include "gdi/SystemLook.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace kfm::syscontrols {

namespace {

constexpr int kTickLength = 3;
constexpr int kTickBand = kTickLength + 1;
constexpr int kChannelThickness = 6;
constexpr int kThumbHalf = kSliderThumbLength / 2;
// The point of a thumb beside ticks on one side only.
constexpr int kPointDepth = kThumbHalf;

// The thumb pointing down (towards increasing y) in along/across coordinates; pointUp mirrors.
void drawPointedThumb(QPainter& painter, int x, int top, int thickness, bool pointUp) {
    const int left = x - kThumbHalf;
    const int right = x + kThumbHalf;
    const int flat = std::max(2, thickness - kPointDepth);
    // Outline points from the left edge, clockwise, for a thumb pointing down.
    auto y = [&](int offset) { return pointUp ? top + thickness - 1 - offset : top + offset; };
    QPolygon shape;
    shape << QPoint(left, y(0)) << QPoint(right, y(0)) << QPoint(right, y(flat))
          << QPoint(x, y(flat + kPointDepth)) << QPoint(left, y(flat));
    painter.setPen(Qt::NoPen);
    painter.setBrush(SysColour(COLOR_3DFACE));
    painter.drawPolygon(shape);
    painter.setBrush(Qt::NoBrush);
    const QColor light = SysColour(COLOR_3DHILIGHT);
    const QColor dark = SysColour(COLOR_3DDKSHADOW);
    const QColor shadow = SysColour(COLOR_3DSHADOW);
    // The lit edges face up and left, the shaded ones down and right.
    painter.setPen(pointUp ? shadow : light);
    painter.drawLine(left, y(0), right - 1, y(0));
    painter.setPen(light);
    painter.drawLine(left, y(0), left, y(flat));
    painter.setPen(pointUp ? light : dark);
    painter.drawLine(left, y(flat), x, y(flat + kPointDepth));
    painter.setPen(dark);
    painter.drawLine(right, y(0), right, y(flat));
    painter.drawLine(right, y(flat), x, y(flat + kPointDepth));
    painter.setPen(shadow);
    painter.drawLine(right - 1, y(1), right - 1, y(flat));
}

void drawSquareThumb(QPainter& painter, int x, int top, int thickness) {
    const QRect thumb(x - kThumbHalf, top, kSliderThumbLength, thickness);
    painter.fillRect(thumb, SysColour(COLOR_3DFACE));
    kfm::ui::Draw3dRect(painter, thumb, SysColour(COLOR_3DHILIGHT), SysColour(COLOR_3DDKSHADOW));
    kfm::ui::Draw3dRect(painter, thumb.adjusted(1, 1, -1, -1), SysColour(COLOR_3DLIGHT),
                        SysColour(COLOR_3DSHADOW));
}

// A small triangle marking an end of the selection, pointing at the channel.
void drawSelectionMark(QPainter& painter, int x, int tipY, int direction) {
    painter.setPen(SysColour(COLOR_BTNTEXT));
    for (int row = 0; row < kTickLength; ++row)
        painter.drawLine(x - row, tipY - direction * row, x + row, tipY - direction * row);
}

} // namespace

CSysControlScrollBar::CSysControlScrollBar(const ControlLook& look, QWidget* parent)
    : QScrollBar(look.vertical ? Qt::Vertical : Qt::Horizontal, parent) {
    // The classic bar's range counts the page: the last position leaves a page visible.
    const int last = look.page > 0 ? std::max(0, look.maximum - look.page + 1) : look.maximum;
    setRange(look.minimum, last);
    setPageStep(look.page);
    setSingleStep(1);
    setValue(look.position);
    setAutoFillBackground(true);
}

CSysControlProgress::CSysControlProgress(const ControlLook& look, QWidget* parent)
    : QProgressBar(parent) {
    setRange(look.minimum, look.maximum);
    setValue(look.position);
    setTextVisible(false);
    setAutoFillBackground(true);
}

CSysControlSlider::CSysControlSlider(const ControlLook& look, QWidget* parent)
    : QSlider(look.vertical ? Qt::Vertical : Qt::Horizontal, parent), tickSide_(look.tickSide),
      ticks_(look.tickMarks), autoTicks_(look.autoTicks), frequency_(look.tickFrequency),
      selection_(look.selectionRange), selectionStart_(look.selectionStart),
      selectionEnd_(look.selectionEnd), focus_(look.focus) {
    setRange(look.minimum, look.maximum);
    setValue(look.position);
    setPageStep(std::max(1, look.tickFrequency));
    setTickInterval(look.tickFrequency);
    setAutoFillBackground(true);
}

int CSysControlSlider::along(int value, int start, int length) const {
    if (maximum() <= minimum())
        return start;
    const long long offset = static_cast<long long>(value - minimum()) * (length - 1) /
                             (static_cast<long long>(maximum()) - minimum());
    return start + static_cast<int>(offset);
}

void CSysControlSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor face = SysColour(COLOR_3DFACE);
    painter.fillRect(rect(), face);
    // Everything is drawn for a horizontal slider; a vertical one swaps the axes.
    const bool vertical = orientation() == Qt::Vertical;
    const int length = vertical ? height() : width();
    const int thickness = vertical ? width() : height();
    if (vertical)
        painter.setTransform(QTransform(0, 1, 1, 0, 0, 0));

    const bool ticksBefore = ticks_ && (tickSide_ == 0 || tickSide_ == 1);
    const bool ticksAfter = ticks_ && (tickSide_ == 0 || tickSide_ == 2);
    const int before = ticksBefore ? kTickBand : 0;
    const int after = ticksAfter ? kTickBand : 0;
    const int thumbTop = before + 1;
    const int thumbThickness = std::max(6, thickness - before - after - 2);
    const int start = kThumbHalf + 2;
    const int channelLength = std::max(1, length - 2 * start);
    const int middle = thumbTop + thumbThickness / 2;

    const QRect channel(start - 2, middle - kChannelThickness / 2, channelLength + 4,
                        kChannelThickness);
    DrawSunkenEdge(painter, channel);
    const QRect inside = channel.adjusted(2, 2, -2, -2);
    painter.fillRect(inside, SysColour(COLOR_WINDOW));
    if (selection_) {
        const int from = std::clamp(selectionStart_, minimum(), maximum());
        const int to = std::clamp(selectionEnd_, minimum(), maximum());
        if (to > from) {
            const int x0 = along(from, start, channelLength);
            const int x1 = along(to, start, channelLength);
            painter.fillRect(QRect(QPoint(x0, inside.top()), QPoint(x1, inside.bottom())),
                             SysColour(isEnabled() ? COLOR_HIGHLIGHT : COLOR_3DSHADOW));
        }
    }

    if (ticks_) {
        painter.setPen(SysColour(isEnabled() ? COLOR_BTNTEXT : COLOR_3DSHADOW));
        auto tickAt = [&](int value) {
            const int x = along(value, start, channelLength);
            if (ticksBefore)
                painter.drawLine(x, 0, x, kTickLength - 1);
            if (ticksAfter)
                painter.drawLine(x, thickness - kTickLength, x, thickness - 1);
        };
        // The first and last positions always carry a tick; the others with automatic ticks.
        tickAt(minimum());
        tickAt(maximum());
        if (autoTicks_ && frequency_ > 0)
            for (long long v = minimum() + frequency_; v < maximum(); v += frequency_)
                tickAt(static_cast<int>(v));
        if (selection_) {
            for (const int value : {selectionStart_, selectionEnd_}) {
                const int x = along(std::clamp(value, minimum(), maximum()), start, channelLength);
                if (ticksBefore)
                    drawSelectionMark(painter, x, kTickLength - 1, 1);
                if (ticksAfter)
                    drawSelectionMark(painter, x, thickness - kTickLength, -1);
            }
        }
    }

    const int x = along(value(), start, channelLength);
    // Ticks on both sides give a square thumb, ticks on one side a thumb pointing at them.
    if (tickSide_ == 0)
        drawSquareThumb(painter, x, thumbTop, thumbThickness);
    else
        drawPointedThumb(painter, x, thumbTop, thumbThickness, tickSide_ == 1);

    if (focus_) {
        painter.resetTransform();
        DrawFocusMark(painter, rect(), face);
    }
}

} // namespace kfm::syscontrols
