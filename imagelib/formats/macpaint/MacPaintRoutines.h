#pragma once
// The MacPaint routines of the format table, on files (a path and, for info and load, an
// offset), with or without a MacBinary header.

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "CodecContext.h"

// Always 576 x 720 at 1 bit, black and white; 3 when 128 bytes cannot be read.
KpxResult KpxMacPaintGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                             KpxTransparentEntry* transparent, std::int32_t* count);
// 3 when the lines run out.
KpxResult KpxMacPaintLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                          KpxProgressProc progress, KpxTransparentEntry* transparent,
                          std::int32_t* count);
// Writes a MacBinary header (named after the file, dated now), the MacPaint header and the
// picture cut or padded with white to 576 x 720. 1-bit images only (else 4).
KpxResult KpxMacPaintSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                          const KpxTransparentEntry* transparent, std::int32_t count);
