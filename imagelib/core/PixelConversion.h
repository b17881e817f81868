#pragma once
// The pixel work behind the colour conversion between depths: the popularity palettes, the
// undithered row mapping and the hand-over to the dithers, over the views of PixelSurface.h.
// Nothing here locks or creates images; the exported functions hand in views of locked records.

#include "Bitra5.h"
#include "NearestColor.h"
#include "PackedRows.h"
#include "PixelSurface.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kpx {
// The fixed palette of a target depth (2, 16 or 256 entries) for conversions without one.
Palette defaultPalette(int depth);

// The popularity palette of `count` entries for a target of `depth` bits, built from one
// counting pass over the source's rows (which steps the progress counter once per row).
Palette popularityPalette(const PixelSurface& source, int depth, int count, bool dithered,
                          bool reserved, KpxRowProgress& progress);

// How the rows of a conversion are mapped.
struct ConversionPlan {
    int targetDepth = 24; // 1, 4, 8 or 24
    int dither = 0;       // 0 none, 1 ordered, 2 Floyd-Steinberg, 3 Burkes
    bool grey = false;
    bool reserved = false; // the last palette entry is kept free
    Palette palette;       // the working palette (empty for 24-bit targets)
};

// Converts every row of source into target (same size), first stored row first, stepping
// the progress counter after each row.
void convertPixels(const PixelSurface& source, const PixelSurface& target,
                   const ConversionPlan& plan, KpxRowProgress& progress);

// 8-bit picture of a 24-bit one on a palette of the 192 most frequent colours at 4 bits per
// channel and the 64-colour cube; writes the 256 colours to table.
void convert24to8Popular(const PixelSurface& source, const PixelSurface& target, RGBQUAD* table);
// 16-bit 5-6-5 picture of a 24-bit one.
void convert24to565(const PixelSurface& source, const PixelSurface& target);
// Whether every byte of each row's pixel part of a 24-bit picture equals value.
bool isFilledWith(const PixelSurface& surface, std::uint8_t value);
// Sets the pixels selected by the 1-bit mask (same size) to colour (0x00BBGGRR for 24-bit
// pictures, the low byte as an index for palette pictures). False for other depths.
bool fillThroughMask(const PixelSurface& surface, const PixelSurface& mask, std::uint32_t colour);

} // namespace kpx
