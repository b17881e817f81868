#pragma once
// Plain fills of images: a palette index, a colour, a rectangle, a chequer board, and clearing
// by an alpha plane. Colours are COLORREF values (red in the low byte).

#include "ImageRecord.h"

// Fills an image of 1, 4 or 8 bits with a palette index.
BITRA5_API int KPXFillImageByIndexColor(KpxHandle image, int index);
// Fills a 24-bit image with a colour (a chequer board whose two colours are equal).
BITRA5_API int KPXFillImageByRGBColor(KpxHandle image, COLORREF colour);
// Fills the rectangle left..right x top..bottom (edges included, rows from the top, clipped to
// the image) of a 24-bit image with a colour.
BITRA5_API int KPXFillImageByRGBColor2(KpxHandle image, COLORREF colour, int left, int top,
                                       int right, int bottom);
// Fills a 24-bit image with a chequer pattern: pixel (x, y) from the top-left gets colour1 when
// (x + offsetX) / cellWidth + (y + offsetY) / cellHeight is even, else colour2. Cell width 0
// fills with colour2, cell height 0 with colour1.
BITRA5_API int KPXFillImageByChessBoard(KpxHandle image, int cellWidth, int cellHeight, int offsetX,
                                        int offsetY, COLORREF colour1, COLORREF colour2);
// Sets the pixels of an 8- or 24-bit image to colour (8 bits: its low byte as index) wherever
// the 8-bit alpha image placed at (x, y) is 255, and everywhere outside that placed image.
BITRA5_API int KPXImageClearByAlpha(KpxHandle image, KpxHandle alpha, int x, int y,
                                    COLORREF colour);

namespace kpx {
struct FillRect {
    std::int32_t left, top, right, bottom; // edges included, rows from the top
};
// Writes a palette index (8 bits) or blue, green, red (24 bits) into the clipped rectangle of a
// locked record; false for other depths.
bool fillRecordRect(KpxImageRecord& record, const FillRect& rect, int index, COLORREF colour);
} // namespace kpx
