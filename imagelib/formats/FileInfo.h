#pragma once
// File information for callers: size, depth, frames and description of a file's image.

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "ByteStream.h"
#include "CodecContext.h"

namespace kpx {
// The context of an info request: frame count 1, delay 100, no loop, no transparent colour.
void prepareInfoContext(KpxCodecContext& context);
} // namespace kpx
