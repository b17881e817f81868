#pragma once
// The library's fixed palettes (entries red, green, blue, 0) and the library HPALETTE.

#include "Bitra5.h"

namespace kpx {
// The 64-colour cube: entry 16r + 4g + b = (85r, 85g, 85b, 0).
const PALETTEENTRY* colorCube64();
// Writes the default colour table of a cleared image of the given depth (2, 16 or 256 entries).
void writeDefaultColorTable(RGBQUAD* table, int bitsPerPixel);
} // namespace kpx
