#pragma once
// The WordPerfect Graphics routines of the format table, on files (a path and, for info and
// load, an offset).

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "CodecContext.h"

KpxResult KpxWpgGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry* transparent, std::int32_t* count);
// 3 when the bitmap's rows run out.
KpxResult KpxWpgLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry* transparent,
                     std::int32_t* count);
// Images of 1, 2 to 4 and 5 to 8 bits; deeper ones are converted by the save front end.
KpxResult KpxWpgSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry* transparent, std::int32_t count);
