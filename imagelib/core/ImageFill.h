#pragma once
// Plain fills of images: a palette index, a colour, a rectangle, a chequer board, and clearing
// by an alpha plane. Colours are COLORREF values (red in the low byte).

#include "Bitra5.h"
#include "ImageRecord.h"

namespace kpx {
struct FillRect {
    std::int32_t left, top, right, bottom; // edges included, rows from the top
};
// Writes a palette index (8 bits) or blue, green, red (24 bits) into the clipped rectangle of a
// locked record; false for other depths.
bool fillRecordRect(KpxImageRecord& record, const FillRect& rect, int index, COLORREF colour);
} // namespace kpx
