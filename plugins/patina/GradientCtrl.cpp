#include "GradientCtrl.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace kfm::patina {

namespace {

QColor toColour(std::uint32_t colour) {
    return QColor(static_cast<int>(colour & 255), static_cast<int>((colour >> 8) & 255),
                  static_cast<int>((colour >> 16) & 255));
}

std::uint32_t fromColour(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

} // namespace

CGradientCtrl::CGradientCtrl(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CGradientCtrl::SetGradient(std::uint32_t c1, std::uint32_t c2, std::uint32_t c3, float t) {
    ramp_.SetGradient(c1, c2, c3, t);
    update();
}

void CGradientCtrl::SetRamp(const GradientRamp& ramp) {
    ramp_ = ramp;
    update();
}

void CGradientCtrl::Serialize(LittleEndianWriter& out) const {
    ramp_.Store(out);
}

bool CGradientCtrl::Serialize(LittleEndianReader& in) {
    if (!ramp_.Load(in))
        return false;
    update();
    return true;
}

QSize CGradientCtrl::sizeHint() const {
    return {256, 24};
}

QSize CGradientCtrl::minimumSizeHint() const {
    return {64, 16};
}

int CGradientCtrl::MiddleLine() const {
    return (height() + 1) / 2;
}

QPoint CGradientCtrl::MarkerCentre(int position) const {
    return {width() * position / 255, MiddleLine()};
}

int CGradientCtrl::MarkerAt(QPoint point, bool innerOnly) const {
    const auto& markers = ramp_.Markers();
    const int count = static_cast<int>(markers.size());
    for (int i = innerOnly ? 1 : 0; i < (innerOnly ? count - 1 : count); ++i) {
        const QPoint centre = MarkerCentre(markers[static_cast<std::size_t>(i)].position);
        const QRect square(centre.x() - kMarkerSize / 2, centre.y() - kMarkerSize / 2, kMarkerSize,
                           kMarkerSize);
        if (square.contains(point))
            return i;
    }
    return -1;
}

int CGradientCtrl::positionAt(int x) const {
    return width() > 0 ? std::clamp(x * 255 / width(), 0, 255) : 0;
}

void CGradientCtrl::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect clip = event->rect();
    const auto& colours = ramp_.Ramp();
    for (int x = clip.left(); x <= clip.right(); ++x) {
        const int entry = std::min(x * 255 / std::max(width(), 1), 255);
        painter.setPen(toColour(colours[static_cast<std::size_t>(entry)]));
        painter.drawLine(x, clip.top(), x, clip.bottom());
    }
    const auto& markers = ramp_.Markers();
    painter.setPen(Qt::black);
    for (std::size_t i = 0; i + 1 < markers.size(); ++i)
        painter.drawLine(MarkerCentre(markers[i].position) + QPoint(0, kMarkerSize / 2),
                         MarkerCentre(markers[i + 1].position) + QPoint(0, kMarkerSize / 2));
    for (const GradientMarker& m : markers) {
        const QPoint centre = MarkerCentre(m.position);
        painter.fillRect(centre.x() - kMarkerSize / 2, centre.y() - kMarkerSize / 2, kMarkerSize,
                         kMarkerSize, QColor(255, 0, 0));
    }
}

void CGradientCtrl::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        dragged_ = MarkerAt(at, true);
        if (dragged_ >= 0)
            dragStart_ = ramp_.Markers()[static_cast<std::size_t>(dragged_)].position;
        update();
    } else if (event->button() == Qt::RightButton) {
        const int inner = MarkerAt(at, true);
        if (inner >= 0 && ramp_.DeleteMarker(inner)) {
            update();
            emit changed();
        }
    }
}

void CGradientCtrl::dragTo(int x) {
    const auto& markers = ramp_.Markers();
    const auto i = static_cast<std::size_t>(dragged_);
    // Between the right edge of the square before and the left edge of the one after.
    const int low = MarkerCentre(markers[i - 1].position).x() + kMarkerSize / 2;
    const int high = MarkerCentre(markers[i + 1].position).x() - kMarkerSize / 2;
    x = low <= high ? std::clamp(x, low, high) : MarkerCentre(markers[i].position).x();
    // Back at the pixel it started from, the marker keeps its position (pixels and positions
    // do not map one to one).
    ramp_.MoveMarker(dragged_, x == MarkerCentre(dragStart_).x() ? dragStart_ : positionAt(x));
    update();
}

void CGradientCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (dragged_ >= 0)
        dragTo(event->position().toPoint().x());
}

void CGradientCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (dragged_ < 0 || event->button() != Qt::LeftButton)
        return;
    dragTo(event->position().toPoint().x());
    const bool moved = ramp_.Markers()[static_cast<std::size_t>(dragged_)].position != dragStart_;
    dragged_ = -1;
    if (moved)
        emit changed();
}

bool CGradientCtrl::chooseColour(std::uint32_t initial, std::uint32_t& chosen) {
    for (int i = 0; i < static_cast<int>(kCustomColours.size()); ++i)
        QColorDialog::setCustomColor(i, toColour(kCustomColours[static_cast<std::size_t>(i)]));
    QColorDialog dialog(toColour(initial), this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    chosen = fromColour(dialog.currentColor());
    return true;
}

void CGradientCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const int marker = MarkerAt(at, false);
    std::uint32_t colour = 0;
    if (marker >= 0) {
        if (!chooseColour(ramp_.Markers()[static_cast<std::size_t>(marker)].colour, colour))
            return;
        ramp_.SetMarkerColour(marker, colour);
    } else {
        if (static_cast<int>(ramp_.Markers().size()) >= kMaxMarkers || !chooseColour(0, colour))
            return;
        ramp_.InsertMarker(positionAt(at.x()), colour);
    }
    update();
    emit changed();
}

} // namespace kfm::patina
