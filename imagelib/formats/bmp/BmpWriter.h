#pragma once
// Writing bitmaps: the save routine of the format table on a file and on a byte stream (the
// callback streams reach it through an adapter). 1-bit images are written with 1 bit, 2- to
// 4-bit images with 4, 5- to 8-bit images with 8, and all deeper images with 24 bits a pixel.

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "ByteStream.h"
#include "CodecContext.h"

// Creates the file anew; on any failure after that the file is removed. 5 when the file cannot
// be created, 6 when it cannot be written, 8 when the fetch-row callback stops.
KpxResult KpxBmpSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry* transparent, std::int32_t count);
// Writes at the stream's position; on failure the stream goes back there.
KpxResult KpxBmpSaveOleStream(KpxCodecContext* context, KpxByteStream* stream,
                              KpxProgressProc progress, const KpxTransparentEntry* transparent,
                              std::int32_t count);
