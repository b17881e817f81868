#pragma once
// Reading JPEG files: the info and load routines of the format table (the file read whole from
// its offset, decoded with the fast integer DCT), and the stream reader over a caller's callback
// stream that the file and sniffing front ends use (floating-point DCT, previews decoded at a
// reduced scale). Library failures never leave these routines: the file routines give
// kKpxCannotOpen, the stream reader its BitraError value.

#include <cstdint>

#include "Bitra5Testing.h"
#include "CodecContext.h"
#include "FormatDispatch.h"
#include "StreamLoading.h"

KpxResult KpxJpegGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                         KpxTransparentEntry* transparent, std::int32_t* count);
KpxResult KpxJpegLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                      KpxProgressProc progress, KpxTransparentEntry* transparent,
                      std::int32_t* count);

// Reads a JPEG from the stream's position as the request asks (flags 1 format, 2 size, 4 frame
// count, 8 decode; with bit 31 the request's width and height on entry are the size a preview
// needs, and the picture is decoded at 1/2, 1/4 or 1/8 scale when it is much larger). Returns 0
// or the BitraError value, which also becomes the calling thread's error code. Whenever no
// image results the stream is put back where it was.
std::int32_t KpxLoadJpegStream(KpxStreamCallbacks* stream, KpxStreamImageRequest* request,
                               KpxStreamProgress progress, void* user);

// The scale denominator for a picture and the size a preview needs: 8, 4, 2 or 1 for the
// smaller of the two ratios being above 8, above 4, above 2, or not.
int KpxJpegPreviewScale(std::uint32_t width, std::uint32_t height, std::int32_t targetWidth,
                        std::int32_t targetHeight);
