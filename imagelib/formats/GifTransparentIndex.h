#pragma once
// Giving a one-image GIF file a new transparent index, taken from a point of its picture.

#include "Bitra5Api.h"

// Rewrites the GIF at path with the palette index at (x, y) as its transparent colour, or with no
// transparent colour when clear is non-zero (or the point has no index). The file must hold one
// image and the point must lie inside it; the file is replaced only by a complete save.
// Returns 1, or 0 with the file unchanged.
BITRA5_API int KPXSetImageTransparentOrig(const char* path, int x, int y, int clear);
