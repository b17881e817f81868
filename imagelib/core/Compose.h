#pragma once
// Frame composition on locked records: the masked pixel compositor, the placement of a frame on
// the canvas, and the copying of canvas areas that the disposal methods restore.

#include "ImageRecord.h"

#include <array>
#include <cstdint>

namespace kpx {

// Palette index translation from a source's colour table to an 8-bit canvas's table.
using IndexTranslation = std::array<std::uint8_t, 256>;

// Draws source onto canvas with its top-left corner at (x, y), through an optional 1-bit mask of
// the source's size (bit 1 leaves the canvas pixel alone). The canvas has 8 or 24 bits; palette
// sources on an 8-bit canvas go through translation, which must then be given. Parts of the
// source outside the canvas are clipped. False when nothing can be drawn (depths, mask size).
bool composeImage(KpxImageRecord& canvas, const KpxImageRecord& source, const KpxImageRecord* mask,
                  std::int32_t x, std::int32_t y, const IndexTranslation* translation);

// A rectangle with exclusive right and bottom edges, x from the left and y from the top.
struct Area {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
};

// The area cut to 0..width x 0..height.
Area clipArea(const Area& area, std::int32_t width, std::int32_t height);

// Where a frame lands on the canvas when the logical screen is mapped to the canvas rectangle
// (left, top, right, bottom): a scaled position and extent (the frame itself is not scaled);
// with a screen size of 0 the frame is placed unscaled at the rectangle's corner.
Area placeFrame(const Area& canvasRect, std::int32_t screenWidth, std::int32_t screenHeight,
                std::int32_t frameLeft, std::int32_t frameTop, std::int32_t frameWidth,
                std::int32_t frameHeight);

// Copies an area of the same size between two records of the same depth (colour tables are
// left alone). Both areas lie inside their records.
void copyArea(const KpxImageRecord& from, std::int32_t fromX, std::int32_t fromY,
              KpxImageRecord& to, std::int32_t toX, std::int32_t toY, std::int32_t width,
              std::int32_t height);

} // namespace kpx
