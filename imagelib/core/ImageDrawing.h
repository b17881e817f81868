#pragma once
// Drawing images into device contexts: whole or in tiles, through DrawDib when it is usable and
// through GDI otherwise, with a hatched placeholder where no picture should be drawn, and the
// library palette for palette devices.
//
// Rectangles are left, top, right, bottom. Modes: 0 placeholder, 1 or 3 tiled, 2 whole. rop is
// a raster operation. Drawing holds the image's permission word in draw mode while it draws.

#include "Bitra5.h"

namespace kpx {
// Draws the image's pixels stretched into the rectangle, which is also the clip rectangle, as
// KPXStretchBlt does; an image with a rotate angle is drawn unrotated instead of as the
// placeholder (resizing works on the pixels themselves).
short stretchImagePixels(HDC dc, int left, int top, int right, int bottom, KpxHandle image,
                         int mode, DWORD rop);
} // namespace kpx
