#pragma once
// Writing one frame of a GIF file: the save routine of the format table. Frame 0 starts the file
// (header, global colour table, looping block); every frame appends its comment, own object
// blocks, graphic control, image descriptor with local table and LZW data; the last frame adds
// the animation comment, the title and the trailer.

#include <cstdint>

#include "CodecContext.h"
#include "ImageRecord.h"

// Appends the frame the context describes to the file at path. Returns 0, 4 for an unsupported
// depth or an index the code size cannot carry, 5 when the file cannot be opened, 6 when a
// block cannot be made or written, 8 when the fetch-row callback stops. The file is never
// deleted here: the save front ends write into a temporary file and keep the old one on failure.
BITRA5_API KpxResult KpxGifSave(KpxCodecContext* context, const char* path,
                                KpxProgressProc progress, const KpxTransparentEntry* transparent,
                                std::int32_t count);

namespace kpx::gif {
// Table bits for a palette of 2^bits entries whose trailing entries equal to entry 0 are dropped;
// the table always keeps the first `usedEntries` entries (the pixels' highest index + 1).
int colorTableBits(const std::uint8_t (&palette)[256][3], int bits, int usedEntries);
} // namespace kpx::gif
