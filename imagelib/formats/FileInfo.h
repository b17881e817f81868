#pragma once
// File information for callers: size, depth, frames and description of a file's image.

#include <cstdint>

#include "ByteStream.h"
#include "CodecContext.h"

// Fill the record and return 1; 0 when the format is unknown, the codec fails or reports an
// empty size.
BITRA5_API int KPXGetInfoFile(const char* path, KpxFileInfo* info);
// As KPXGetInfoFile, but an image with an alpha channel reports 32 bits per pixel.
BITRA5_API int KPXGetInfoFileEx(const char* path, KpxFileInfo* info);
BITRA5_API int KPXGetInfoFileOffset(const char* path, std::int32_t offset, KpxFileInfo* info);
BITRA5_API int KpxGetInfoFileCore(const char* path, std::int32_t offset, KpxFileInfo* info,
                                  int alphaAs32, int photoCdResolution);
// The same over a caller's callback stream (BMP and BMI); 1 whenever the codec succeeds.
BITRA5_API int KPXGetInfoFileStreamCB(KpxStreamCallbacks* stream, KpxFileInfo* info);

// Fits a picture proportionally into the box (enlarging small pictures to touch it) and
// stores the size in the box values. Returns 1, or 0 for a null pointer or an empty size.
BITRA5_API int KPXNewSizeCalculateProp(int width, int height, int* boxWidth, int* boxHeight);

namespace kpx {
// The context of an info request: frame count 1, delay 100, no loop, no transparent colour.
void prepareInfoContext(KpxCodecContext& context);
} // namespace kpx
