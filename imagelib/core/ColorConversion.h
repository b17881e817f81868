#pragma once
// Conversion of images between pixel depths, the two fixed-purpose converters (24 to 8 bits on
// a popularity-plus-cube palette, 24 to 16 bits 5-6-5), the blank test and the fill through a
// 1-bit mask.

#include "Bitra5Api.h"
#include "PixelConversion.h"

// dither of KPXColorConvert.
enum : short {
    kKpxDitherNone = 0,
    kKpxDitherOrdered = 1,
    kKpxDitherFloydSteinberg = 2,
    kKpxDitherBurkes = 3,
};
// paletteMode of KPXColorConvert; the flag keeps the last palette entry free.
enum : short {
    kKpxPaletteFixed = 0,
    kKpxPalettePopularity = 1,
    kKpxPaletteReserveLast = 0x80,
};

// A new image of the requested depth (normalised; 8 for grey) with the source's pixels mapped
// onto the caller's palette, the target depth's default palette or a popularity palette,
// with or without dithering. 32-bit sources always give 24 bits. 16-bit sources (5-6-5 with
// bit fields, or 5-5-5) are read through their masks. Returns 0 for a missing image, a target
// depth of 32 bits from a shallower source, an unknown dither or palette mode, or a failed
// creation. progress (may be null) is called once per image row.
BITRA5_API KpxHandle KPXColorConvert(KpxHandle image, short depth, short dither, short paletteMode,
                                     int grey, const PALETTEENTRY* palette,
                                     KpxRowCallback progress);
BITRA5_API KpxHandle KPXCreateImage8from24(KpxHandle image);
BITRA5_API KpxHandle KPXCreateImage16from24(KpxHandle image);
BITRA5_API int KPXIsImageBlank(KpxHandle image, int fill);
BITRA5_API int KPXIsPrintedColorWhite(HDC dc);
// Sets the pixels of image selected by a 1-bit mask of the same size to colour (a COLORREF
// for 24-bit images, an index in the low byte for palette images). 1 done, 0 refused.
BITRA5_API int KPXImageFillByColor(KpxHandle image, KpxHandle mask, COLORREF colour);
