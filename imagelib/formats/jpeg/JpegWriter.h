#pragma once
// Writing JPEG files: the save routine of the format table. The second save option is the
// quality (2 to 100, baseline tables); a save option of 1 writes one grey component, else the
// picture is written in colour. Pictures of 1, 4 and 8 bits go through their palette.

#include <cstdint>

#include "Bitra5Testing.h"
#include "CodecContext.h"

KpxResult KpxJpegSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                      const KpxTransparentEntry* transparent, std::int32_t count);
