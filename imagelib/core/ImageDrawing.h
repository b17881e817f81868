#pragma once
// Drawing images into device contexts: whole or in tiles, through DrawDib when it is usable and
// through GDI otherwise, with a hatched placeholder where no picture should be drawn, and the
// library palette for palette devices.
//
// Rectangles are left, top, right, bottom. Modes: 0 placeholder, 1 or 3 tiled, 2 whole. rop is
// a raster operation. Drawing holds the image's permission word in draw mode while it draws.

#include "Bitra5.h"
