#pragma once
// Reading TIFF files: the info and load routines of the format table. The file is opened
// read-only and handed to libtiff as an open descriptor; the first directory is read strip by
// strip (TiffCodec.h). Layouts the decoder cannot read fail the info request with kKpxBadData;
// a load that cannot finish (a read error, a mask, or a stop asked by the row callback) fails
// with kKpxReadError and leaves a line in the debug sink.

#include <cstdint>

#include "Bitra5Testing.h"
#include "CodecContext.h"

KpxResult KpxTiffGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                         KpxTransparentEntry* transparent, std::int32_t* count);
KpxResult KpxTiffLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                      KpxProgressProc progress, KpxTransparentEntry* transparent,
                      std::int32_t* count);
