#pragma once
// The geometry of the image edit window as plain functions, free of widgets: zoom steps, the
// laid-out image rectangle, scroll limits, client-to-image mapping, the object rectangle's
// handles, moves and resizes with their clamps, the zoom tool's rectangle and the context menu's
// enable rules. Rectangles have exclusive right and bottom edges unless a line says otherwise.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "types/Win32Types.h"

namespace kfm::shell::imageedit {

// Object flags of the edit window.
enum ObjectFlag : std::uint32_t {
    kObjectMovable = 1,
    kObjectUnclamped = 2, // only left and top stay at 0 or more
    kObjectKeepLeft = 4,
    kObjectKeepTop = 8,
    kObjectKeepRight = 16,
    kObjectKeepBottom = 32,
    kObjectResizable = 128,
    kOverlayCentre = 256,
    kOverlayLeft = 512,
    kOverlayRight = 1024,
    kOverlayTransparent = 2048,
    kOverlayAlpha = 4096,
};

// Which part of the object the pointer holds.
enum HitFlag : int {
    kHitNone = 0,
    kHitMove = 1,
    kHitTop = 2,
    kHitBottom = 4,
    kHitLeft = 8,
    kHitRight = 16,
    kHitTopLeft = 32,
    kHitTopRight = 64,
    kHitBottomRight = 128,
    kHitBottomLeft = 256,
};

// The zoom step a requested percentage snaps to: 25, 50, 100, 200, 400, 800 or 1600.
int ZoomStep(int percent);

// The image rectangle in client coordinates (before scrolling) for an image of width x height
// at zoom percent in a client of clientWidth x clientHeight; zoom 0 fits the image into the
// client less 2 pixels each side, never enlarging it.
RECT LayoutImage(int width, int height, int zoom, int clientWidth, int clientHeight);

// The zoom the layout shows: the given zoom, or the fitted percentage at zoom 0.
int ShownZoom(int zoom, const RECT& layout, int imageWidth);

// Largest scroll position of an extent in a client of page pixels (0 when it fits).
int ScrollLimit(int extent, int page);

// Client point to image point: (client + scroll - layout origin) / (laid-out size / image size),
// truncated.
POINT WindowToImage(POINT client, POINT scroll, const RECT& layout, int imageWidth,
                    int imageHeight);
// Image point to client point (the upper left corner of the image pixel).
POINT ImageToWindow(POINT image, POINT scroll, const RECT& layout, int imageWidth, int imageHeight);

// The handle or body of the object (window coordinates) under the pointer: corners, then edges,
// within 5 pixels, only when resizable; else kHitMove inside the object; else kHitNone.
int HitTestObject(const RECT& objectInWindow, POINT pointer, bool resizable);

// Where the object goes when the pointer (image coordinates) drags what hit holds. grab is
// pointer - left, pointer - top, right - pointer, bottom - pointer at the start of the drag.
// With keyboard the pointer is the new upper left corner. flags are the object flags.
RECT DragObject(const RECT& object, POINT pointer, int hit, const RECT& grab, std::uint32_t flags,
                int imageWidth, int imageHeight, bool keyboard);

// The zoom tool's request at the end of a drag (client rectangle in either direction): the zoom
// to ask for, keeping the drag's centre in place. A drag that misses the image doubles the zoom.
int ZoomForDrag(const RECT& drag, const RECT& imageInClient, int zoom, int clientWidth,
                int clientHeight);

// The context menu's commands at a zoom.
struct ZoomMenuState {
    bool actualSize = false; // 100 %
    bool zoomOut = false;
    bool zoomIn = false;
};
ZoomMenuState ZoomMenu(int zoom);

// The points of a freehand stroke. When the buffer cannot grow (no memory, or its limit) the
// point is refused and the stroke should end; what was collected stays.
class FreehandPoints {
public:
    static constexpr std::size_t kDefaultLimit = 1u << 22;
    explicit FreehandPoints(std::size_t limit = kDefaultLimit) : limit_(limit) {}
    // False when the point could not be kept.
    bool Append(POINT point);
    void Clear() { points_.clear(); }
    void SetLimit(std::size_t limit) { limit_ = limit; }
    const std::vector<POINT>& Points() const { return points_; }

private:
    static constexpr std::size_t kGrowth = 50;
    std::vector<POINT> points_;
    std::size_t limit_;
};

} // namespace kfm::shell::imageedit
