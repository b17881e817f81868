#include "ImageEditGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

namespace kfm::shell::imageedit {

namespace {

constexpr int kMargin = 2;
constexpr int kHandleReach = 5;
constexpr int kMinimumObject = 2;

// The offset that centres size in room, or 0 when it does not fit.
int centred(int size, int room) {
    return size < room ? (room - size) / 2 : 0;
}

bool near(int a, int b) {
    return std::abs(a - b) <= kHandleReach;
}

bool within(int value, int low, int high) {
    return value >= low - kHandleReach && value <= high + kHandleReach;
}

RECT normalised(const RECT& r) {
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

RECT intersection(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

bool isEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// The clamps of a moved object, which keeps its size.
RECT clampMoved(RECT r, std::uint32_t flags, int width, int height) {
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    int left = r.left;
    int top = r.top;
    if (flags & kObjectUnclamped) {
        left = std::max(left, 0);
        top = std::max(top, 0);
    } else {
        if (flags & kObjectKeepRight)
            left = std::min(left, width - w);
        if (flags & kObjectKeepBottom)
            top = std::min(top, height - h);
        if (flags & kObjectKeepLeft)
            left = std::max(left, 0);
        if (flags & kObjectKeepTop)
            top = std::max(top, 0);
        left = std::clamp(left, -w + 1, std::max(width - 1, -w + 1));
        top = std::clamp(top, -h + 1, std::max(height - 1, -h + 1));
    }
    return RECT{left, top, left + w, top + h};
}

RECT clampResized(RECT r, std::uint32_t flags, int width, int height) {
    if (flags & kObjectUnclamped) {
        r.left = std::max<LONG>(r.left, 0);
        r.top = std::max<LONG>(r.top, 0);
        return r;
    }
    if (flags & kObjectKeepRight)
        r.right = std::min<LONG>(r.right, width);
    if (flags & kObjectKeepBottom)
        r.bottom = std::min<LONG>(r.bottom, height);
    if (flags & kObjectKeepLeft)
        r.left = std::max<LONG>(r.left, 0);
    if (flags & kObjectKeepTop)
        r.top = std::max<LONG>(r.top, 0);
    r.left = std::min<LONG>(r.left, width - 1);
    r.top = std::min<LONG>(r.top, height - 1);
    r.right = std::max<LONG>(r.right, 1);
    r.bottom = std::max<LONG>(r.bottom, 1);
    return r;
}

} // namespace

int ZoomStep(int percent) {
    if (percent <= 44)
        return 25;
    if (percent <= 88)
        return 50;
    if (percent <= 175)
        return 100;
    if (percent <= 350)
        return 200;
    if (percent <= 700)
        return 400;
    if (percent <= 1400)
        return 800;
    return 1600;
}

RECT LayoutImage(int width, int height, int zoom, int clientWidth, int clientHeight) {
    if (width <= 0 || height <= 0)
        return RECT{0, 0, 0, 0};
    int w, h;
    if (zoom == 0) {
        const int areaWidth = std::max(clientWidth - 2 * kMargin, 1);
        const int areaHeight = std::max(clientHeight - 2 * kMargin, 1);
        w = width;
        h = height;
        if (width > areaWidth || height > areaHeight) {
            const double ratio = std::max(static_cast<double>(width) / areaWidth,
                                          static_cast<double>(height) / areaHeight);
            w = std::max(1, static_cast<int>(std::lround(width / ratio)));
            h = std::max(1, static_cast<int>(std::lround(height / ratio)));
        }
    } else {
        w = static_cast<int>(static_cast<std::int64_t>(width) * zoom / 100);
        h = static_cast<int>(static_cast<std::int64_t>(height) * zoom / 100);
    }
    const int left = centred(w, clientWidth);
    const int top = centred(h, clientHeight);
    return RECT{left, top, left + w, top + h};
}

int ShownZoom(int zoom, const RECT& layout, int imageWidth) {
    if (zoom != 0 || imageWidth <= 0)
        return zoom;
    return std::max(1, static_cast<int>((layout.right - layout.left) * 100 / imageWidth));
}

int ScrollLimit(int extent, int page) {
    return std::max(extent - page, 0);
}

POINT WindowToImage(POINT client, POINT scroll, const RECT& layout, int imageWidth,
                    int imageHeight) {
    const int laidWidth = layout.right - layout.left;
    const int laidHeight = layout.bottom - layout.top;
    if (laidWidth <= 0 || laidHeight <= 0 || imageWidth <= 0 || imageHeight <= 0)
        return POINT{0, 0};
    const double x =
        (client.x + scroll.x - layout.left) / (static_cast<double>(laidWidth) / imageWidth);
    const double y =
        (client.y + scroll.y - layout.top) / (static_cast<double>(laidHeight) / imageHeight);
    return POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
}

POINT ImageToWindow(POINT image, POINT scroll, const RECT& layout, int imageWidth,
                    int imageHeight) {
    if (imageWidth <= 0 || imageHeight <= 0)
        return POINT{0, 0};
    const double kx = static_cast<double>(layout.right - layout.left) / imageWidth;
    const double ky = static_cast<double>(layout.bottom - layout.top) / imageHeight;
    return POINT{static_cast<LONG>(std::lround(image.x * kx)) + layout.left - scroll.x,
                 static_cast<LONG>(std::lround(image.y * ky)) + layout.top - scroll.y};
}

int HitTestObject(const RECT& o, POINT p, bool resizable) {
    if (resizable) {
        const struct {
            int flag;
            LONG x, y;
        } corners[] = {{kHitTopLeft, o.left, o.top},
                       {kHitBottomRight, o.right, o.bottom},
                       {kHitTopRight, o.right, o.top},
                       {kHitBottomLeft, o.left, o.bottom}};
        for (const auto& c : corners)
            if (near(p.x, c.x) && near(p.y, c.y))
                return c.flag;
        if (near(p.y, o.top) && within(p.x, o.left, o.right))
            return kHitTop;
        if (near(p.y, o.bottom) && within(p.x, o.left, o.right))
            return kHitBottom;
        if (near(p.x, o.left) && within(p.y, o.top, o.bottom))
            return kHitLeft;
        if (near(p.x, o.right) && within(p.y, o.top, o.bottom))
            return kHitRight;
    }
    if (p.x >= o.left && p.x < o.right && p.y >= o.top && p.y < o.bottom)
        return kHitMove;
    return kHitNone;
}

RECT DragObject(const RECT& object, POINT p, int hit, const RECT& grab, std::uint32_t flags,
                int imageWidth, int imageHeight, bool keyboard) {
    if (hit & kHitMove) {
        const LONG left = keyboard ? p.x : p.x - grab.left;
        const LONG top = keyboard ? p.y : p.y - grab.top;
        const RECT moved{left, top, left + (object.right - object.left),
                         top + (object.bottom - object.top)};
        return clampMoved(moved, flags, imageWidth, imageHeight);
    }
    if (!(flags & kObjectResizable) || hit == kHitNone)
        return object;
    const bool left = hit & (kHitLeft | kHitTopLeft | kHitBottomLeft);
    const bool right = hit & (kHitRight | kHitTopRight | kHitBottomRight);
    const bool top = hit & (kHitTop | kHitTopLeft | kHitTopRight);
    const bool bottom = hit & (kHitBottom | kHitBottomLeft | kHitBottomRight);
    RECT r = object;
    if (left)
        r.left = std::min<LONG>(p.x - grab.left, r.right - kMinimumObject);
    if (top)
        r.top = std::min<LONG>(p.y - grab.top, r.bottom - kMinimumObject);
    if (right)
        r.right = std::max<LONG>(p.x + grab.right, r.left + kMinimumObject);
    if (bottom)
        r.bottom = std::max<LONG>(p.y + grab.bottom, r.top + kMinimumObject);
    return clampResized(r, flags, imageWidth, imageHeight);
}

int ZoomForDrag(const RECT& drag, const RECT& imageInClient, int zoom, int clientWidth,
                int clientHeight) {
    const RECT d = normalised(drag);
    const RECT hit = intersection(d, imageInClient);
    if (isEmpty(hit))
        return zoom * 2;
    const int width = hit.right - hit.left;
    const int height = hit.bottom - hit.top;
    if (height > width)
        return static_cast<int>(static_cast<std::int64_t>(zoom) * clientHeight / height);
    return static_cast<int>(static_cast<std::int64_t>(zoom) * clientWidth / width);
}

ZoomMenuState ZoomMenu(int zoom) {
    return ZoomMenuState{zoom != 100, zoom >= 26, zoom < 1600};
}

bool FreehandPoints::Append(POINT point) {
    if (points_.size() >= limit_)
        return false;
    try {
        if (points_.size() == points_.capacity())
            points_.reserve(std::min(std::max(points_.capacity() * 2, kGrowth), limit_));
        points_.push_back(point);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

} // namespace kfm::shell::imageedit
