#pragma once
// Reading bitmaps: the info and load routines of the format table on files (a path and an
// offset) and on byte streams (the callback streams reach them through an adapter), and the
// stream reader that makes the image itself.

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "ByteStream.h"
#include "CodecContext.h"
#include "FormatDispatch.h"

KpxResult KpxBmpGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry* transparent, std::int32_t* count);
KpxResult KpxBmpLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry* transparent,
                     std::int32_t* count);
// On a byte stream from its position; info puts the stream back there, load leaves it after the
// pixel data.
KpxResult KpxBmpGetInfoOleStream(KpxCodecContext* context, KpxByteStream* stream,
                                 KpxTransparentEntry* transparent, std::int32_t* count);
KpxResult KpxBmpLoadOleStream(KpxCodecContext* context, KpxByteStream* stream,
                              KpxProgressProc progress, KpxTransparentEntry* transparent,
                              std::int32_t* count);

// Reads what the request's flags ask for (1 the format, 2 the size and depth, 4 the frame
// count, 8 the image, which it creates) from a callback stream. Returns 0 or a BitraError
// value, also left in the thread's error slot; without an image the stream goes back to where
// it was.
std::int32_t KpxBmpReadStream(KpxStreamCallbacks* stream, KpxStreamImageRequest* request,
                              KpxStreamProgress progress, void* user);
