#pragma once
// ZSoft PCX pictures: the 128-byte header, the run-length lines (a byte of 0xC0 or more repeats
// the next byte by its low six bits), the planes and depths (1 to 4 planes of 1 bit, packed 2-
// and 4-bit pixels, 8 bits with a palette at the end of the file, and 24 bits as three planes of
// 8 bits), and the writer.

#include <cstdint>
#include <span>
#include <vector>

#include "CodecStatus.h"
#include "RowSink.h"

namespace kpx::pcx {

constexpr std::size_t kHeaderBytes = 128;
constexpr std::uint8_t kManufacturer = 10;
constexpr std::uint8_t kPaletteMarker = 12;
constexpr std::size_t kTrailingPaletteBytes = 1 + 768;

struct PcxHeader {
    std::uint8_t version = 0;
    std::uint8_t bitsPerPlane = 0;
    std::uint8_t planes = 0;
    std::uint16_t bytesPerLine = 0;
    int width = 0;
    int height = 0;
    int depth = 0; // 1 to 4, 8 or 24
    std::uint8_t headerPalette[16][3] = {};
};

struct HeaderResult {
    CodecStatus status = CodecStatus::Ok;
    PcxHeader header;
};

// Damaged for a wrong manufacturer byte, an empty size, a depth and plane count no PCX has, or
// lines too short for the width; Truncated when fewer than 128 bytes are given.
HeaderResult readHeader(std::span<const std::uint8_t> data);

// The palette of the picture (red, green, blue): black and white for 1 bit; for 8 bits of
// version 5 or later the 768 bytes after the marker 12 that stands 769 bytes before the end of
// the file (tail holds the file's last bytes); the standard 16 colours for version 3; else the
// header's 16 colours.
void paletteOf(const PcxHeader& header, std::span<const std::uint8_t> tail,
               std::uint8_t (&palette)[256][3]);

// The palette that follows the last line (after the marker 12), when there is one.
bool trailingPalette(std::span<const std::uint8_t> afterLines, std::uint8_t (&palette)[256][3]);

// Whether the decoded rows are indices or blue-green-red.
bool isTrueColour(const PcxHeader& header);

// Bytes of one decoded line, all planes together.
std::size_t lineBytes(const PcxHeader& header);

struct DecodeResult {
    CodecStatus status = CodecStatus::Ok; // Truncated when the data ends inside a line
    std::size_t consumed = 0;             // bytes of line data read
};

// Decodes height lines from data (which starts with the first line) into rows of indices or
// blue-green-red bytes, top row first.
DecodeResult decodeLines(std::span<const std::uint8_t> data, const PcxHeader& header,
                         RowSink& sink);

// The most pixels run-length lines of this many bytes can give.
std::uint64_t dataReach(std::uint64_t bytes, const PcxHeader& header);

// Encodes one line: runs of equal bytes (at most 63) as 0xC0 + count and the byte, other bytes
// as they are, preceded by 0xC1 when they are 0xC0 or more.
void encodeLine(std::span<const std::uint8_t> line, std::vector<std::uint8_t>& out);

struct Picture {
    int width = 0;
    int height = 0;
    int bits = 0;     // the image's depth: 1, 2 to 4, 5 to 8, 24 or 32
    int rowDepth = 0; // the depth of the rows the source gives (1, 4, 8, 24 or 32)
    const std::uint8_t (*palette)[3] = nullptr;
};

// Appends the whole file. Unsupported for depths the writer does not take; Stopped when the
// source stops.
CodecStatus encodePcx(const Picture& picture, RowSource& rows, ByteSink& out);

} // namespace kpx::pcx
