#pragma once
// What the entry points of the codecs over outside libraries (JPEG, PNG, TIFF, Photo CD) share
// besides the input and output of CodecIo.h: files opened for the libraries to read and write as
// they go, the check that a picture may be made, the context palettes they set, the file size
// they report and the library's texts.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "CodecContext.h"
#include "DecodeLimits.h"

namespace kpx {

// A file opened for reading at an offset, with the length of the whole file; closed with the
// object. Not valid when the file cannot be opened or the offset lies outside it.
class InputFile {
public:
    InputFile(const char* path, std::int32_t offset);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    bool valid() const { return file_ != nullptr; }
    std::FILE* get() const { return file_; }
    std::int64_t length() const { return length_; }

private:
    std::FILE* file_ = nullptr;
    std::int64_t length_ = 0;
};

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
