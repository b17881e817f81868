#pragma once
// Reading PNG files: the info and load routines of the format table. The file is read whole
// from its offset and decoded by the span-level codec (PngCodec.h); any error or warning of
// libpng fails the request with kKpxBadData, and no row reaches the image after it. A picture
// with one transparent palette index gives it as the context's transparent colour; graded
// transparency goes into the context's transparency plane.

#include <cstdint>

#include "Bitra5Testing.h"
#include "CodecContext.h"

KpxResult KpxPngGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry* transparent, std::int32_t* count);
KpxResult KpxPngLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry* transparent,
                     std::int32_t* count);
