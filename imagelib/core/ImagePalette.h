#pragma once
// The colour table of one image: reading and writing entries, finding colours, counting the
// palette indices in use, and swapping colours or indices.
//
// None of these takes the image's permission word: they work on the record's BITMAPINFO block
// directly, and callers serialise them with other work on the same image. Every change of a
// colour table drops the image's cached checksum.

#include "Bitra5Api.h"

// Writes min(n, table size) entries given as red, green, blue, x into the table and pushes the
// table into the DIB section. 0 for images without a table.
BITRA5_API int KPXSetNewPalette(KpxHandle image, const PALETTEENTRY* entries, int n);
// Sets one entry from a COLORREF; 0 when the index is outside the table. The DIB section's
// table is left to the caller (KPXFillDIBColorTable).
BITRA5_API int KPXSetColorToPalette(KpxHandle image, int index, COLORREF colour);
// The entry as a COLORREF; -1 when the index is outside the table or there is none.
BITRA5_API COLORREF KPXGetColorFromPalette(KpxHandle image, int index);
// The first entry exactly equal to the colour; -1 when none.
BITRA5_API short KPXGetColorIndexFromPalette(KpxHandle image, COLORREF colour);
// Zeroes 256 counters (when counts is given), counts the pixels of each palette index of an
// image of 1, 4 or 8 bits and returns how many indices occur. Deeper images count nothing.
BITRA5_API int KPXNumColorUsed(KpxHandle image, std::int32_t* counts);
// Every pixel of colour from (exact) gets colour to; for a palette image to must be an entry of
// the table (otherwise index 0 is used).
BITRA5_API int KPXChangeColorToColor(KpxHandle image, COLORREF from, COLORREF to);
// The pixels of image at the places where reference (of the same size) has colour from get
// colour to.
BITRA5_API int KPXChangeColorToColorRef(KpxHandle image, KpxHandle reference, COLORREF from,
                                        COLORREF to);
// The pixels of image at the places where reference has palette index from get index to.
BITRA5_API int KPXChangeIndexToIndexRef(KpxHandle image, KpxHandle reference, int from, int to);
