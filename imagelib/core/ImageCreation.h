#pragma once
// Creating images in every depth, copies and references, accessors, comparison and deletion.

#include "Bitra5.h"
#include "Bitra5Testing.h"

// The special depth that asks for a 16-bit 5-6-5 image with bit-field masks.
constexpr int kKpxDepth565 = 16000;
