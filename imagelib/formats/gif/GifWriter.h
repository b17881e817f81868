#pragma once
// Writing one frame of a GIF file: the save routine of the format table. Frame 0 starts the file
// (header, global colour table, looping block); every frame appends its comment, own object
// blocks, graphic control, image descriptor with local table and LZW data; the last frame adds
// the animation comment, the title and the trailer.

#include <cstdint>

#include "Bitra5Testing.h"
#include "CodecContext.h"
#include "ImageRecord.h"

namespace kpx::gif {
// Table bits for a palette of 2^bits entries whose trailing entries equal to entry 0 are dropped;
// the table always keeps the first `usedEntries` entries (the pixels' highest index + 1).
int colorTableBits(const std::uint8_t (&palette)[256][3], int bits, int usedEntries);
} // namespace kpx::gif
