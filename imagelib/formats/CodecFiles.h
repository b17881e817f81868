#pragma once
// What the entry points of the codecs over outside libraries (JPEG, PNG, TIFF, Photo CD) share:
// reading a file whole from an offset, writing the bytes an encoder made, the rows of a save
// fetched through the codec context, and the grey and colour forms of those rows.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "CodecContext.h"
#include "DecodeLimits.h"

namespace kpx {

// The bytes of the file from the offset on, and the length of the whole file. False when the
// file cannot be opened or read, or the offset lies outside it.
bool readFileFrom(const char* path, std::int32_t offset, std::vector<std::uint8_t>& bytes,
                  std::int64_t& fileSize);

// Writes the bytes as the whole file: kKpxCannotCreate, kKpxWriteError or kKpxOk.
KpxResult writeWholeFile(const char* path, std::span<const std::uint8_t> bytes);

// The file size a codec reports: the length from the offset on, at most INT32_MAX.
std::int32_t reportedFileSize(std::int64_t fileSize, std::int32_t offset);

// Whether a picture of this size and depth may be made from `reachBytes` of decoded data:
// within the library's sizes, and either small or not larger than the data could fill.
bool pictureFits(std::int64_t width, std::int64_t height, int bitsPerPixel,
                 std::uint64_t reachBytes, const DecodeLimits& limits = kDefaultDecodeLimits);

// Sets the context palette from red, green, blue triplets (the rest black).
void setContextPalette(KpxCodecContext& context, std::span<const std::uint8_t> rgbTriplets);
// A grey ramp of 2^depth entries over 0..255 in the context palette.
void setGreyRamp(KpxCodecContext& context, int depth);

// The resource text with this id (empty when missing).
std::string libraryText(unsigned id);

// The rows of a save, top row first, through the context's fetch-row callback, with the
// progress function called once per row. Rows are in the image's own layout (KpxGetRowLayout).
class SaveRows {
public:
    SaveRows(const KpxCodecContext& context, KpxProgressProc progress);

    int depth() const { return depth_; }
    int width() const { return width_; }
    // Row `row` as the image holds it; null when the callback asked to stop.
    const std::uint8_t* fetch(int row);

    // The row just fetched as blue, green, red (3 x width bytes), through the palette for
    // 1, 4 and 8 bits.
    void toBgr(const std::uint8_t* row, std::uint8_t* out) const;
    // The row as grey values (width bytes): (30 red + 59 green + 11 blue) / 100.
    void toGrey(const std::uint8_t* row, std::uint8_t* out) const;

private:
    const KpxCodecContext& context_;
    KpxProgressProc progress_;
    int depth_;
    int width_;
    std::vector<std::uint8_t> row_;
    std::uint8_t grey_[256] = {};
};

} // namespace kpx
