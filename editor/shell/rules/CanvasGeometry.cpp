#include "CanvasGeometry.h"

#include <algorithm>

namespace kfm::shell {

float ZoomAfter(float zoom, int mode) {
    switch (mode) {
    case kZoomOut:
        return zoom * 0.5f;
    case kZoomIn:
        return zoom * 2.0f;
    default:
        return 1.0f;
    }
}

POINT ScrollAfterZoom(POINT scroll, float zoom, int mode) {
    POINT result = scroll;
    switch (mode) {
    case kZoomOut:
        result = POINT{scroll.x / 2, scroll.y / 2};
        break;
    case kZoomIn:
        result = POINT{scroll.x * 2, scroll.y * 2};
        break;
    default:
        if (zoom > 0.0f)
            result = POINT{static_cast<LONG>(scroll.x / zoom), static_cast<LONG>(scroll.y / zoom)};
        break;
    }
    return POINT{std::max<LONG>(result.x, 0), std::max<LONG>(result.y, 0)};
}

bool ZoomModeAllowed(float zoom, int mode) {
    switch (mode) {
    case kZoomOut:
        return zoom > kZoomMinimum;
    case kZoomIn:
        return zoom < kZoomMaximum;
    default:
        return zoom != 1.0f;
    }
}

SIZE ZoomedSize(int width, int height, float zoom) {
    return SIZE{static_cast<LONG>(width * zoom), static_cast<LONG>(height * zoom)};
}

int CheckerCellAtZoom(int cell, float zoom) {
    if (zoom <= 0.0f)
        return std::max(cell, 1);
    return std::max(static_cast<int>(cell / zoom), 1);
}

POINT CanvasAreaOrigin(SIZE client, SIZE zoomed, POINT scroll) {
    const LONG areaWidth = zoomed.cx + 2;
    const LONG areaHeight = zoomed.cy + 2;
    const LONG x = client.cx > areaWidth ? (client.cx - areaWidth) / 2 : 0;
    const LONG y = client.cy > areaHeight ? (client.cy - areaHeight) / 2 : 0;
    return POINT{x - scroll.x, y - scroll.y};
}

RECT ScaleSelection(const RECT& s, float zoom) {
    const auto left = static_cast<LONG>(s.left * zoom);
    const auto top = static_cast<LONG>(s.top * zoom);
    return RECT{left, top, left + static_cast<LONG>((s.right - s.left) * zoom),
                top + static_cast<LONG>((s.bottom - s.top) * zoom)};
}

POINT PositionFromMouse(POINT mouse, POINT grab, POINT areaOrigin, float zoom) {
    if (zoom <= 0.0f)
        zoom = 1.0f;
    // The area's border pixel lies before the picture.
    const float x = static_cast<float>(mouse.x - grab.x - areaOrigin.x - 1) / zoom;
    const float y = static_cast<float>(mouse.y - grab.y - areaOrigin.y - 1) / zoom;
    return POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
}

int KeyMoveStep(bool shift) {
    return shift ? 10 : 1;
}

MoveLimits ComputeMoveLimits(const RECT& sel, POINT position, const kfm::model::EdgeLockState& s,
                             int realFrames) {
    MoveLimits limits;
    if (realFrames < 1)
        return limits;
    const LONG x = position.x;
    const LONG y = position.y;
    const LONG w = sel.right - sel.left;
    const LONG h = sel.bottom - sel.top;
    limits.minX = static_cast<int>(x - sel.right + 1);
    limits.maxX = static_cast<int>(s.width - sel.left + x - 1);
    limits.minY = static_cast<int>(y - sel.bottom + 1);
    limits.maxY = static_cast<int>(s.height - sel.top + y - 1);
    if (s.elasticSize) {
        limits.minX = std::max(limits.minX, 0);
        limits.minY = std::max(limits.minY, 0);
        return limits;
    }
    if (s.lockLeft)
        limits.minX = std::max(limits.minX, 0);
    if (s.lockTop)
        limits.minY = std::max(limits.minY, 0);
    if (s.lockRight && limits.maxX + w > s.width)
        limits.maxX = static_cast<int>(s.width - w);
    if (s.lockBottom && limits.maxY + h > s.height)
        limits.maxY = static_cast<int>(s.height - h);
    return limits;
}

POINT ClampToLimits(POINT wanted, const MoveLimits& limits) {
    // A selection larger than a locked screen has an upper limit below its lower one: the
    // lower limit (the locked left or top edge) wins.
    const LONG x = std::max<LONG>(std::min<LONG>(wanted.x, limits.maxX), limits.minX);
    const LONG y = std::max<LONG>(std::min<LONG>(wanted.y, limits.maxY), limits.minY);
    return POINT{x, y};
}

} // namespace kfm::shell
