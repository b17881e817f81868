#pragma once
// Flood fill into a mask: the 4-connected region around a seed whose colour lies within a
// per-channel tolerance of a given colour.

#include "ImageRecord.h"

// A new 1-bit mask of the image's size with bit 1 on the region around (entry->seedX,
// entry->seedY) of pixels within entry->tolerance of entry->red, green and blue. The image has
// 1, 4, 8 or 24 bits. 0 for a null entry, an unreadable image, a seed outside the image or a
// seed whose own colour is outside the tolerance. The caller deletes the mask.
BITRA5_API KpxHandle KPXFloodFillMask(KpxHandle image, const KpxTransparentEntry* entry);
