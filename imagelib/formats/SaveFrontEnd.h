#pragma once
// Saving images to files, byte streams and caller callback streams.
//
// A file save never costs the file that was there: the codec writes into a temporary file in
// the same folder, which replaces the target only when the whole write succeeded.

#include <cstdint>

#include "ByteStream.h"
#include "CodecContext.h"

// Returns 1 on success, 0 on failure. option goes into the context's save option, option2 into
// its second save option.
BITRA5_API int KPXSaveImage(KpxHandle image, const char* path, std::int32_t formatId,
                            std::int32_t option, std::int32_t option2, KpxProgressProc progress);
// Converts a copy to the depth the format needs, then saves it; the image stays as it was.
BITRA5_API int KPXSaveImageEx(KpxHandle image, const char* path, std::int32_t formatId,
                              std::int32_t option, std::int32_t option2, KpxProgressProc progress);
// BMP (40) or BMI (110) into a stream, with the image's explicit transparency image as a second
// image; 1 when the first image was saved.
BITRA5_API int KPXSaveImageOleStream(KpxHandle image, KpxByteStream* stream, std::int32_t formatId);
BITRA5_API int KPXSaveImageStreamCB(KpxHandle image, KpxStreamCallbacks* stream,
                                    std::int32_t formatId);

// The depth a format needs for an image of `bits` bits (option: the TIFF save option); the
// image's own depth when nothing is to be converted.
BITRA5_API int KpxSaveDepthForFormat(std::int32_t formatId, std::int32_t option, int bits);
