#pragma once
// Creating images in every depth, copies and references, accessors, comparison and deletion.

#include "Bitra5.h"

// The special depth that asks for a 16-bit 5-6-5 image with bit-field masks.
constexpr int kKpxDepth565 = 16000;

// Depth normalisation: below 2 -> 1, 2..4 -> 4, 5..8 -> 8, 9..24 -> 24, above 24 -> 32.
BITRA5_API int KpxNormalizeDepth(int depth);
