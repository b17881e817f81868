#pragma once
// Writing TIFF files: the save routine of the format table. The save option's low six bits
// choose the compression (1 none, 2 PackBits, 4 LZW, 8 CCITT group 4 for 1-bit pictures, 16
// JPEG for 24-bit pictures, anything else LZW); bit 0x40 writes 24-bit pictures as CMYK. The
// second save option is the JPEG quality. Pictures of up to 8 bits are written with their
// palette.

#include <cstdint>

#include "Bitra5Testing.h"
#include "CodecContext.h"

KpxResult KpxTiffSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                      const KpxTransparentEntry* transparent, std::int32_t count);
