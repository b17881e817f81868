#pragma once
// The row layout shared by the row callbacks, the two callbacks that move pixel rows between a
// codec and a library image, the keep-loading flag with its break lock, and the row arithmetic
// the codecs use.

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "CodecContext.h"

// Where the rows of the current load or save live. One set per thread, so loads and saves on
// different threads never share it. Row sizes are held in 32 bits, so wide images do not wrap.
struct KpxRowLayout {
    std::int32_t depth = 0;     // 1, 4, 8, 24 or 32
    std::uint32_t rowBytes = 0; // padded to a multiple of 4
    std::int32_t rows = 0;
    std::uint8_t* bits = nullptr; // first byte of the target image's pixel rows (bottom-up)
};
