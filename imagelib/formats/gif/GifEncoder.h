#pragma once
// Writing one frame of a GIF file: the save routine of the format table, called once per frame
// by the multi-frame save and once by a single-image save.

#include <string_view>

#include "CodecContext.h"
#include "GifOwnBlocks.h"
#include "ImageRecord.h"

namespace kpx::gif {

// Entries of a colour table for a palette of 2^bits colours: trailing entries equal to entry 0
// are dropped, and the table is the smallest power of two from 2 up that holds the rest.
int tableBitsFor(const std::uint8_t (&palette)[256][3], int bits);

void appendHeader(Bytes& out, const KpxCodecContext& context, std::string_view signature);
void appendImageDescriptor(Bytes& out, const KpxCodecContext& context);
void appendGraphicControl(Bytes& out, std::uint32_t transparent, int delay, int disposal);

// The whole of one frame as the save writes it: blocks, image data and, when no frame follows,
// the trailer. Returns a result code (0, 4 unsupported depth, 6 an object that cannot be
// written, 8 stopped by the fetch-row callback).
KpxResult encodeFrame(const KpxCodecContext& context, KpxProgressProc progress, Bytes& out);

} // namespace kpx::gif

// The GIF save routine: appends one frame to the file at path (a new file for frame number 0).
KpxResult KpxGifSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry* transparent, std::int32_t count);
