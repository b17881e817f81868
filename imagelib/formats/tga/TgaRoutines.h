#pragma once
// The Targa routines of the format table, on files (a path and, for info and load, an offset).

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "CodecContext.h"

KpxResult KpxTgaGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry* transparent, std::int32_t* count);
// 3 when the data ends inside the picture.
KpxResult KpxTgaLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry* transparent,
                     std::int32_t* count);
KpxResult KpxTgaSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry* transparent, std::int32_t count);
