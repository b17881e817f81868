#pragma once
// Writing PNG files: the save routine of the format table. Pictures of up to 8 bits are written
// with their palette at 1, 4 or 8 bits, deeper ones as 8-bit RGB; bit 7 of the save option's
// low byte asks for Adam7 interlacing. The context's transparency plane is written as a tRNS
// chunk of palette alphas where every pixel of each entry is equally transparent, otherwise as an
// alpha channel (8-bit RGBA, whatever the picture's depth).

#include <cstdint>

#include "Bitra5Testing.h"
#include "CodecContext.h"

KpxResult KpxPngSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry* transparent, std::int32_t count);
