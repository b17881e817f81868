#pragma once
// Quantisation of images to an 8-bit palette, the palette swatch image and the grey conversion
// of 24-bit images.

#include "Bitra5Api.h"

// Progress of the quantiser: (step, total), total being 20.
using KpxQuantiseProgress = void (*)(int step, int total);

// Quantises a 24- or 8-bit source into an 8-bit destination of the same size with a palette of
// `colours` entries (at least 2) computed from the source's colours.
//   mask: 0 or a 1-bit image of the same size; only pixels whose bit is 1 are counted and
//         mapped, the others get the transparent index (ignored for 8-bit sources, whose
//         transparent index is left out instead);
//   mode: 0 nearest colour, 1 ordered dither, 2 Floyd-Steinberg, 3 Burkes;
//   fixed: leading destination entries kept as they are (cut to 0..colours);
//   flags: bit 0 computes and stores the palette only, leaving the pixels alone.
// The destination's first transparency entry (as a palette index) names the entry kept for
// transparency. Returns 1, or 0 for invalid handles, depths or sizes, or a picture without
// counted pixels. The destination's DIB colour table is refreshed in every case.
BITRA5_API int KPXFineColorConvert(KpxHandle destination, KpxHandle source, KpxHandle mask,
                                   int colours, int mode, int fixed, KpxQuantiseProgress progress,
                                   int flags);

// A 768 x 48 24-bit image showing the 256 entries of a palette (red, green, blue, x) as vertical
// stripes 3 pixels wide, entry 0 on the left. 0 for a null palette.
BITRA5_API KpxHandle KPXGetPaletteAsImage(const PALETTEENTRY* palette);

// Writes the grey value ceil(0.222 red + 0.707 green + 0.071 blue) of every source pixel into all
// three channels of the destination. Both 24 bits and of the same size, else 0.
BITRA5_API int KPXRGB2GrayScaleRGB(KpxHandle destination, KpxHandle source);
