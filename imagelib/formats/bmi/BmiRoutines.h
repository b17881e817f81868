#pragma once
// The BMI routines of the format table: info, load and save on files (a path and an offset) and
// on byte streams (the callback streams reach them through an adapter).

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "ByteStream.h"
#include "CodecContext.h"

// Info reads the header, the directory, the image the context's frame number names (its size,
// depth and palette), the rotate angle and, when a list is given, the transparency list; the
// frame count is the number of images.
KpxResult KpxBmiGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry* transparent, std::int32_t* count);
KpxResult KpxBmiLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry* transparent,
                     std::int32_t* count);
// A file is always written anew with one image.
KpxResult KpxBmiSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry* transparent, std::int32_t count);

// On a stream the data starts at its position. Info puts the stream back there; a load leaves
// it behind the BMI data; a failed save puts it back.
KpxResult KpxBmiGetInfoOleStream(KpxCodecContext* context, KpxByteStream* stream,
                                 KpxTransparentEntry* transparent, std::int32_t* count);
KpxResult KpxBmiLoadOleStream(KpxCodecContext* context, KpxByteStream* stream,
                              KpxProgressProc progress, KpxTransparentEntry* transparent,
                              std::int32_t* count);
// Frame number 0 writes a new BMI with one image and leaves in the context where a second image
// would go; a later frame number appends the image as the second one of that data.
KpxResult KpxBmiSaveOleStream(KpxCodecContext* context, KpxByteStream* stream,
                              KpxProgressProc progress, const KpxTransparentEntry* transparent,
                              std::int32_t count);
