#pragma once
// WordPerfect Graphics (version 1) bitmaps: the 16-byte header, the records (a type byte and a
// length of one byte, or 0xFF and 16 bits, or 0xFF and 31 bits in two words), the colour-map and
// bitmap records, the run-length rows and the writer. The rows are one stream of packets, as
// ImageMagick and libwpg read them: c = 0x80 + n (n > 0) repeats the next byte n times, 0x80 m
// gives m bytes 0xFF, c = n below 0x80 gives n literal bytes, and 00 n between rows hands on the
// row before n more times. A packet that runs past a row's end goes on in the next row.

#include <cstdint>
#include <span>
#include <vector>

#include "CodecStatus.h"
#include "RowSink.h"

namespace kpx::wpg {

constexpr std::size_t kHeaderBytes = 16;

// What the record scan found: the last bitmap record's size, depth and rows, and the colours of
// every colour-map record met.
struct WpgScan {
    CodecStatus status = CodecStatus::Ok;
    int width = 0;
    int height = 0;
    int depth = 0;
    std::size_t rowsStart = 0; // offsets in the data
    std::size_t rowsEnd = 0;
    std::uint8_t palette[256][3] = {}; // red, green, blue
};

// Scans the records up to the end record. Damaged for a wrong magic, a version-2 file, a bitmap
// of a depth the reader does not take, no bitmap, or data that ends before the end record.
WpgScan scanRecords(std::span<const std::uint8_t> data);

// Bytes of one packed row of the bitmap.
std::size_t rowBytes(int width, int depth);

// Decodes the bitmap's rows, top row first, into index rows. Truncated when the record's data
// ends before the last row, Damaged for a repeat inside a row.
CodecStatus decodeRows(std::span<const std::uint8_t> data, const WpgScan& scan, RowSink& sink);

// Encodes one packed row: runs of two to 126 equal bytes as 0x80 + count and the byte, other
// bytes as literal groups of at most 125 behind their count.
void encodeRow(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out);

struct Picture {
    int width = 0;
    int height = 0;
    int bits = 0;     // the image's depth: 1, 2 to 4 or 5 to 8
    int rowDepth = 0; // of the rows the source gives: 1, 4 or 8
    const std::uint8_t (*palette)[3] = nullptr;
};

// Appends the whole file: header, start record, colour map (16 entries up to 4 bits, else 256),
// the bitmap record at 75 x 75 dots per inch and the end record.
CodecStatus encodeWpg(const Picture& picture, RowSource& rows, std::vector<std::uint8_t>& out);

} // namespace kpx::wpg
