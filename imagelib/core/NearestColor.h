#pragma once
// The library's one nearest-colour rule: least squared RGB distance, lowest index on ties.
// Every search for "the palette entry nearest to this colour" that is not the low-bit
// elimination search of the colour-matching functions goes through here.

#include "Bitra5Api.h"

namespace kpx {

// One colour of a working palette.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Index of the entry nearest to (red, green, blue) among count entries; 0 when count <= 0.
int nearestPaletteIndex(const Rgb* palette, int count, int red, int green, int blue);
int nearestPaletteIndex(const PALETTEENTRY* palette, int count, int red, int green, int blue);
int nearestPaletteIndex(const RGBQUAD* table, int count, int red, int green, int blue);

} // namespace kpx
