#pragma once
// Composing a library image onto a caller's 24-bit DIB through its transparency: stretched into
// a destination rectangle, clipped at the DIB's edges, pixels whose mask bit is 1 left alone,
// and optionally blended through an 8-bit transparency plane (0 opaque, 255 fully transparent).
// An image with a rotate angle is composed as its rotated copy, with its rotated masks.
//
// The kernel below composes pixels of locked records onto the DIB's rows; the exported
// KPXStretchBltTransparent gathers, stretches and crops the images it composes.

#include "Bitra5.h"
#include "ImageRecord.h"

#include <cstddef>
#include <cstdint>

namespace kpx {

// A 24-bit DIB's pixels: rows bottom-up, each stride bytes.
struct DibRows {
    std::uint8_t* bits = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::size_t stride = 0;
    // Start of picture row y (counted from the top).
    std::uint8_t* row(std::int32_t y) const {
        return bits + static_cast<std::size_t>(height - 1 - y) * stride;
    }
};

// Where and what the kernel composes: width x height pixels of the source (and of the mask and
// plane, which have the source's size) from (sourceX, sourceY) onto the DIB at (x, y). The
// caller keeps every part inside its picture.
struct BlitPlacement {
    std::int32_t x, y;
    std::int32_t sourceX, sourceY;
    std::int32_t width, height;
};

// One channel blended through a plane value a (0 opaque .. 255 transparent): 1-, 4- and 24-bit
// sources shift by 8 bits, 8-bit sources divide by 255 so that a = 0 gives the source exactly.
int blendChannel(int target, int source, int a, bool eightBitSource);

// Composes the pixels whose mask bit is 0; false for a source of another depth than 1, 4, 8
// or 24 bits.
bool composeThroughMask(const DibRows& target, const KpxImageRecord& source,
                        const KpxImageRecord& mask, const KpxImageRecord* plane,
                        const BlitPlacement& at);

} // namespace kpx
