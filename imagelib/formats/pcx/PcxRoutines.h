#pragma once
// The PCX routines of the format table, on files (a path and, for info and load, an offset).

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "CodecContext.h"

KpxResult KpxPcxGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry* transparent, std::int32_t* count);
// 3 when the data ends inside a line; an 8-bit file's palette after the last line replaces the
// one the info found (flag word 128).
KpxResult KpxPcxLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry* transparent,
                     std::int32_t* count);
// 1 bit as one plane, 2 to 4 bits as bit planes, 5 to 8 bits with the palette after the lines,
// deeper images as three planes of red, green and blue.
KpxResult KpxPcxSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry* transparent, std::int32_t count);
