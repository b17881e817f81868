#pragma once
// The description of an image that the IPL stand-in works on: channels, depth, size and the
// caller's own pixel rows with their stride. A description never owns pixels. Coordinates that
// the functions take (regions of interest, anchors, centres, quadrangles) count x from the left
// and y from the top of the picture, whatever the order of the stored rows.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kfm::ipl {

enum class Status {
    Ok,
    BadArgument, // a description, size, anchor or region that cannot be used
    Unsupported, // a channel layout or depth the function does not handle
    OutOfMemory,
    Failed, // the image processing library refused the call
};

// Interpolation codes (the low bits choose the method; the smooth-edge flag may be added).
enum Interpolation : int {
    kNearest = 0,
    kLinear = 1,
    kCubic = 2,
    kSuper = 3, // area averaging when shrinking
    kSmoothEdge = 16,
};

// A rectangle of pixels, x from the left and y from the top of the picture.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Image {
    int channels = 0;       // 1, or 3 stored blue, green, red
    int bitsPerChannel = 0; // 8, or 1 for a one-channel image of packed bits (leftmost in bit 7)
    int width = 0;
    int height = 0;
    std::size_t rowBytes = 0;     // distance between stored rows
    std::uint8_t* data = nullptr; // first stored row
    bool bottomUp = true;         // the first stored row is the bottom row of the picture
    std::optional<Rect> roi;      // the part the functions work on; the whole image when empty
};

// Largest width or height a description may have; keeps every size computation inside int.
constexpr int kMaxSide = 1 << 20;

// True when the description can be worked on: a supported layout, a size of at least one pixel
// and at most kMaxSide, rows long enough for the width, pixels given, and a region of interest
// (when set) that is not empty and lies inside the image.
bool isUsable(const Image& image);

// The region the functions work on: the region of interest or the whole image.
Rect workArea(const Image& image);

// True when both describe the same channels and depth.
bool sameLayout(const Image& a, const Image& b);

} // namespace kfm::ipl
