#pragma once
// The stream readers' request record and the stream functions over files: format of a BMP or
// JPEG file, and its load, with the outcome left in the calling thread's error slot.

#include <cstdint>

#include "Bitra5Testing.h"
#include "ByteStream.h"

// Request and result of the BMP and JPEG stream readers. The reader clears every field but the
// flags before it starts.
struct KpxStreamImageRequest {
    std::uint32_t flags; // 1 report the format, 2 the size, 4 the frame count, 8 decode
    std::int32_t formatId;
    std::int32_t width;
    std::int32_t height;
    std::int32_t reserved[2];
    std::int32_t bitsPerPixel;
    std::int32_t frameCount;
    std::int16_t image; // the decoded image, 0 = none
    std::int16_t extra; // kKpxRequestDataIncomplete when the image was decoded only in part
};
static_assert(sizeof(KpxStreamImageRequest) == 36);

constexpr std::uint32_t kKpxRequestFormat = 1;
constexpr std::uint32_t kKpxRequestEverything = 0xFFFF;
// Bit 31: width and height on entry are a target size to decode down to (JPEG previews).
constexpr std::uint32_t kKpxRequestFitSize = 0x80000000u;
// In the request's last word after a decode: the data was cut short or damaged, and the reader
// filled in what it could not read.
constexpr std::int16_t kKpxRequestDataIncomplete = 1;
