#pragma once
// Frame difference and optimal rectangle: the two steps with which the animation optimiser makes
// frames smaller. Pixels that repeat what the previous frames already show become one palette
// index the frame does not otherwise use, and frames are cropped to the pixels that remain.

#include "Bitra5Api.h"

// Marks every pixel of the 8-bit frame that shows the same colour as the 24- or 8-bit previous
// picture beneath it (the frame's top-left corner lying at (x, y)) with one index the frame does
// not otherwise use. Returns that index, or -1 when nothing was done (invalid images, depths,
// or a frame that does not lie wholly inside previous).
BITRA5_API int KPXCompareImagesAndFillByUniqueColor(KpxHandle frame, KpxHandle previous, int x,
                                                    int y);

// Writes the smallest rectangle (left, top, right, bottom, all inclusive, rows from the top)
// holding every pixel whose index differs from index. Returns 0 when such pixels exist (24-bit
// images: always, with the whole image) and 1 when the whole image is index.
BITRA5_API int KPXGetOptimalRect(RECT* rect, KpxHandle image, int index);
