#pragma once
// What the entry points of the codecs over outside libraries (JPEG, PNG, TIFF, Photo CD) share
// besides their input and output (CodecIo.h): the check that a picture may be made, the context
// palettes they set, the file size they report and the library's texts.

#include <cstdint>
#include <span>
#include <string>

#include "CodecContext.h"
#include "DecodeLimits.h"

namespace kpx {

// Whether a picture of this size and depth may be made from `reachBytes` of decoded data:
// within the library's sizes, and either small or not larger than the data could fill.
bool pictureFits(std::int64_t width, std::int64_t height, int bitsPerPixel,
                 std::uint64_t reachBytes, const DecodeLimits& limits = kDefaultDecodeLimits);

// Sets the context palette from red, green, blue triplets (the rest black).
void setContextPalette(KpxCodecContext& context, std::span<const std::uint8_t> rgbTriplets);
// A grey ramp of 2^depth entries over 0..255 in the context palette.
void setGreyRamp(KpxCodecContext& context, int depth);

// The file size a codec reports: the length from the offset on, at most INT32_MAX.
std::int32_t reportedFileSize(std::int64_t fileSize, std::int32_t offset);

// The resource text with this id (empty when missing).
std::string libraryText(unsigned id);

} // namespace kpx
