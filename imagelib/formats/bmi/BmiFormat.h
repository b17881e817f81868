#pragma once
// The library's own container "KeldoBMIa": a 21-byte header, a palette, a directory of typed
// blocks (image, text, transparency list, rotate angle, end) and image blocks whose rows, top
// row first and each as long as the image's 4-byte aligned row, are stored in zlib-compressed
// chunks. A second image block holds the first image's transparency image.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "Bitra5.h"
#include "CodecStatus.h"
#include "RowSink.h"

namespace kpx::bmi {

constexpr std::int16_t kImageBlock = 1;
constexpr std::int16_t kTextBlock = 3;
constexpr std::int16_t kTransparencyBlock = 5;
constexpr std::int16_t kRotateBlock = 7;
constexpr std::int16_t kEndOfData = 255;

constexpr std::size_t kHeaderBytes = 21;
constexpr std::size_t kEntryBytes = 6;
constexpr std::size_t kImageHeaderBytes = 16;
constexpr std::int32_t kMaxTransparentEntries = 10;

struct DirectoryEntry {
    std::int16_t type = 0;
    std::int32_t offset = 0; // from the first byte of the BMI data
};

// The header, the palette and the directory.
struct BmiIndex {
    CodecStatus status = CodecStatus::Ok;
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::int16_t bits = 0;
    bool hasPalette = false;
    std::uint8_t palette[256][3] = {}; // red, green, blue
    std::vector<DirectoryEntry> entries;
    std::size_t directoryStart = 0;
};

struct ImageBlock {
    CodecStatus status = CodecStatus::Ok;
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::int16_t bits = 0;
    bool hasPalette = false;
    bool compressed = false;
    std::int32_t dataSize = 0;
    std::uint16_t chunkSize = 0;
    std::uint8_t palette[256][3] = {};
    std::size_t chunksStart = 0; // offset of the first chunk in the data
};

// Whether the data starts like a BMI file (the first eight bytes of the magic).
bool hasMagic(std::span<const std::uint8_t> data);

// Reads the header, palette and directory. Damaged for a wrong magic or version 0, Truncated
// when the data ends inside them.
BmiIndex readIndex(std::span<const std::uint8_t> data);

// The image block at offset: its header and palette. Damaged when its stored data size is not
// what its width, height and depth make, or its depth is none the library has.
ImageBlock readImageBlock(std::span<const std::uint8_t> data, std::size_t offset);

// The transparency list at offset; Damaged for a count outside 0..10, Truncated when the
// entries are cut off.
struct TransparencyList {
    CodecStatus status = CodecStatus::Ok;
    std::vector<KpxTransparentEntry> entries;
};
TransparencyList readTransparency(std::span<const std::uint8_t> data, std::size_t offset);

// The rotate angle at offset; nothing when it is cut off.
std::optional<std::int32_t> readRotateAngle(std::span<const std::uint8_t> data, std::size_t offset);

// The rows of an image block, top row first, as stored (the image's own packed rows) handed to
// the sink. Truncated when a chunk is cut off, Damaged when a chunk does not inflate.
CodecStatus decodeImageRows(std::span<const std::uint8_t> data, const ImageBlock& block,
                            RowSink& sink);

// The most rows of the block the rest of the data could hold.
std::uint64_t reachableRows(std::span<const std::uint8_t> data, const ImageBlock& block);

// Bytes of one stored row.
std::uint32_t rowBytes(int width, int bits);
// The chunk size for rows of s bytes: 4000 below 200 bytes, 20 rows up to 1600, else 32000.
std::uint16_t chunkSizeFor(std::uint32_t rowBytes);

// What the writer needs of an image.
struct Picture {
    int width = 0;
    int height = 0;
    int bits = 0; // 1, 4, 8, 24 or 32: the depth of the rows the source gives
    const std::uint8_t (*palette)[3] = nullptr;
};

// Appends an image block: its header, its palette and its rows in chunks. Unsupported when a
// row is longer than a chunk can hold; Stopped when the source stops.
CodecStatus writeImageBlock(const Picture& picture, RowSource& rows,
                            std::vector<std::uint8_t>& out);

struct WrittenFile {
    CodecStatus status = CodecStatus::Ok;
    std::vector<std::uint8_t> bytes;
    std::int32_t spareSlot = 0; // where a second image's directory entry goes
};

// A whole BMI with one image: header, palette, directory, text, transparency list, rotate angle
// and the image block.
WrittenFile writeFile(const Picture& picture, RowSource& rows,
                      std::span<const KpxTransparentEntry> transparent, std::int32_t rotateAngle);

void putEntry(std::vector<std::uint8_t>& out, std::int16_t type, std::int32_t offset);

} // namespace kpx::bmi
