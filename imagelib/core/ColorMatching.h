#pragma once
// Colour matching and palette reduction: the low-bit elimination search, colours looked up in
// colour tables, images moved onto new palettes, palette reduction, the exact
// 24-to-8-bit conversion of pictures with few colours, one palette for a frame chain, and
// palette-index histograms.

#include "Bitra5Api.h"

#include <cstdint>

// One entry of KPXGenerateHistogramIndexImage: a pixel count, then the entry's colour.
struct KpxIndexHistogramEntry {
    std::uint32_t count;
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t zero;
};
static_assert(sizeof(KpxIndexHistogramEntry) == 8);

// Index of the colour-table entry that matches colour (a COLORREF) first under the low-bit
// elimination search; 0 for images without a colour table.
BITRA5_API int KPXGetNearestColorIndex(KpxHandle image, COLORREF colour);
// Fills table[256] with the destination index matching each source entry; 0 when either block
// has no colour table.
BITRA5_API int KPXConvertPaletteTable(const BITMAPINFO* destination, const BITMAPINFO* source,
                                      int* table);
// Moves an 8-bit image onto palette (256 entries red, green, blue, x), keeping entry index free
// for its transparent colour.
BITRA5_API int KPXConvertImageOnNewPalette(KpxHandle image, const PALETTEENTRY* palette, int index);
BITRA5_API int KPXSetNewColorPaletteFrom(KpxHandle image, KpxHandle source);
// Cuts palette (256 entries) to fewer than n distinct colours, packed at the front.
BITRA5_API int KPXReducePalette256(PALETTEENTRY* palette, int n);
// Exact 8-bit copy of a 24-bit picture at 6 bits per channel; count receives the number of
// distinct colours (above 253: too many for this conversion).
BITRA5_API KpxHandle KPXColorConvert24to8(KpxHandle image, COLORREF colour1, COLORREF colour2,
                                          COLORREF colour3, int* count);
// One palette for every frame of a chain; returns the entry kept free for transparency (0) or
// -1 on failure.
BITRA5_API int KPXCalculateOptimPalette256(KpxHandle chain, PALETTEENTRY* palette);
// Pixel counts per palette index; returns the number of table entries, 0 for other depths.
BITRA5_API short KPXGenerateHistogramIndexImage(KpxHandle image, KpxIndexHistogramEntry* histogram,
                                                int* useTransparency);

namespace kpx {

constexpr std::int32_t colourValue(int red, int green, int blue) {
    return red << 16 | green << 8 | blue;
}
// The low-bit elimination runs at most this many rounds: then every value is 0.
constexpr int kEliminationRounds = 24;
// The bits of a colour value left after `round` elimination rounds: the rounds clear one more
// low bit of red, green, blue, red, ... in turn.
std::int32_t eliminationMask(int round);
// The candidate that matches value first: exact values first, then after ever more rounds, the
// lowest index winning. Candidates of -1 take no part; -1 when none does.
int eliminationMatch(const std::int32_t* candidates, int count, std::int32_t value);

} // namespace kpx
