#pragma once
// MacPaint pictures: 576 x 720 pixels of 1 bit (1 is black), after a 512-byte header and, in
// files from a Macintosh, a 128-byte MacBinary header whose file type is "PNTG"; every line of
// 72 bytes packed on its own (a header byte h below 0x80 gives h + 1 bytes as they are, from
// 0x81 the next byte 257 - h times). The library's 1-bit pictures have index 0 black, so every
// byte is inverted on the way in and out.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "CodecStatus.h"
#include "RowSink.h"

namespace kpx::macpaint {

constexpr int kWidth = 576;
constexpr int kHeight = 720;
constexpr std::size_t kLineBytes = 72;
constexpr std::size_t kMacBinaryBytes = 128;
constexpr std::size_t kHeaderBytes = 512;

// Whether the data starts with a MacBinary header of a MacPaint file ("PNTG" at offset 65).
bool hasMacBinaryHeader(std::span<const std::uint8_t> data);

// Where the lines start: after both headers, after the MacPaint header when the first byte is 0,
// else at the first byte.
std::size_t linesStart(std::span<const std::uint8_t> data);

// Decodes the 720 lines into packed 1-bit rows of 72 bytes (0 black), top row first. Truncated
// when the data ends first.
CodecStatus decodeLines(std::span<const std::uint8_t> lines, RowSink& sink);

// Packs one line of 72 bytes, inverting them.
void encodeLine(std::span<const std::uint8_t> line, std::vector<std::uint8_t>& out);

struct Picture {
    int width = 0;
    int height = 0;
    int rowDepth = 0; // of the rows the source gives; only 1 is taken
    std::string name; // the file's name for the MacBinary header
    std::int64_t unixTime = 0;
};

// Appends the MacBinary header, the MacPaint header and 720 lines: the picture's rows cut to
// 576 x 720, the rest white. Unsupported for pictures of more than 1 bit.
CodecStatus encodeMacPaint(const Picture& picture, RowSource& rows, std::vector<std::uint8_t>& out);

} // namespace kpx::macpaint
