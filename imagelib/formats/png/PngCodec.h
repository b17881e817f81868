#pragma once
// PNG over libpng on byte sources and sinks (memory or an open file): the header, the decoder
// and the encoder.
//
// The decoder gives rows of 8-bit indices (palette pictures of 1, 4 and 8 bits, grey pictures)
// or 24-bit blue-green-red rows (colour pictures, 2-bit palette pictures), top row first; alpha
// channels are dropped and 16-bit samples keep their high byte. libpng's errors and warnings
// both end the work (a warning is taken as damage); they come back as CodecStatus::Damaged,
// never as a jump or an exception out of here.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "ByteInput.h"
#include "CodecStatus.h"
#include "RowSink.h"

namespace kpx::png {

using Colour = std::array<std::uint8_t, 3>; // red, green, blue

struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitDepth = 0;
    int colorType = 0; // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    int channels = 0;
    bool interlaced = false;
    std::vector<Colour> palette; // the PLTE entries of a palette picture
};

// What the decoder delivers for a header: index rows for a picture of `depth` bits (1, 4 or 8)
// whose colours are `colours`, or blue-green-red rows (depth 24).
struct PngPicture {
    int depth = 0;
    bool bgr = false;
    std::vector<Colour> colours;
};

// Reads the chunks up to the image data.
CodecStatus readHeader(ByteInput& source, PngHeader& header);
CodecStatus readHeader(std::span<const std::uint8_t> bytes, PngHeader& header);
PngPicture pictureOf(const PngHeader& header);

// Hands the sink rows of width bytes of indices, or 3 x width bytes, top row first.
CodecStatus decode(ByteInput& source, RowSink& sink);
CodecStatus decode(std::span<const std::uint8_t> bytes, RowSink& sink);

struct PngEncodeOptions {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int depth = 24;              // 1, 4 or 8 with a palette, or 24
    std::vector<Colour> palette; // 2, 16 or 256 entries for 1, 4 and 8 bits
    bool interlaced = false;     // Adam7
};

// Takes the rows from the source, top row first: packed indices (most significant bits first)
// or blue-green-red.
CodecStatus encode(const PngEncodeOptions& options, RowSource& source, ByteSink& out);

} // namespace kpx::png
