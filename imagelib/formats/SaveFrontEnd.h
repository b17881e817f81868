#pragma once
// Saving images to files, byte streams and caller callback streams.
//
// A file save never costs the file that was there: the codec writes into a temporary file in
// the same folder, which replaces the target only when the whole write succeeded.

#include <cstdint>

#include "Bitra5.h"
#include "ByteStream.h"
#include "CodecContext.h"

// The depth a format needs for an image of `bits` bits (option: the TIFF save option); the
// image's own depth when nothing is to be converted.
BITRA5_API int KpxSaveDepthForFormat(std::int32_t formatId, std::int32_t option, int bits);
