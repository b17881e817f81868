#pragma once
// The icon routines of the format table, on files (a path and, for info and load, an offset).

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "CodecContext.h"

// Info and load take the entry with the most colours (and of those the largest); the pixels its
// mask marks take the palette index nearest to white (white in deeper pictures). 3 when the
// entry's bitmap is not one the reader takes or its rows are cut off.
KpxResult KpxIcoGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry* transparent, std::int32_t* count);
KpxResult KpxIcoLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry* transparent,
                     std::int32_t* count);
// Writes an icon of one entry (1, 4, 8 or 24 bits, at most 256 x 256) with an opaque mask.
KpxResult KpxIcoSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry* transparent, std::int32_t count);
