#pragma once
// PNG over libpng on byte sources and sinks (memory or an open file): the header, the decoder
// and the encoder.
//
// The decoder gives rows of 8-bit indices (palette pictures of 1, 4 and 8 bits, grey pictures)
// or 24-bit blue-green-red rows (colour pictures, 2-bit palette pictures), top row first, and
// 16-bit samples keep their high byte. Transparency (an alpha channel, or the tRNS chunk's alpha
// of palette entries or its transparent colour) comes as one transparent palette index when the
// picture has exactly that, else as a plane of graded transparency beside the rows. libpng's
// errors and warnings both end the work (a warning is taken as damage); they come back as
// CodecStatus::Damaged, never as a jump or an exception out of here.

#include <array>
#include <cstdint>
#include <optional>
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
    // tRNS: the alpha of the first palette entries (the others are opaque), or the one
    // transparent sample value of a grey picture, or that a colour picture has a transparent
    // colour.
    std::vector<std::uint8_t> paletteAlpha;
    std::optional<std::uint16_t> transparentGrey;
    bool transparentColour = false;
};

// How a picture's transparency is delivered: not at all (the picture is opaque), as one palette
// index that is wholly transparent while every other colour is opaque, or as a plane of graded
// transparency (0 opaque .. 255 transparent, a byte a pixel).
enum class PngTransparency { None, Index, Plane };

// What the decoder delivers for a header: index rows for a picture of `depth` bits (1, 4 or 8)
// whose colours are `colours`, or blue-green-red rows (depth 24), and its transparency.
struct PngPicture {
    int depth = 0;
    bool bgr = false;
    std::vector<Colour> colours;
    PngTransparency transparency = PngTransparency::None;
    int transparentIndex = -1; // with PngTransparency::Index
};

// Reads the chunks up to the image data.
CodecStatus readHeader(ByteInput& source, PngHeader& header);
CodecStatus readHeader(std::span<const std::uint8_t> bytes, PngHeader& header);
PngPicture pictureOf(const PngHeader& header);

// Hands the sink rows of width bytes of indices, or 3 x width bytes, top row first. A picture
// whose transparency comes as a plane fills `plane` (when given) with width x height bytes, top
// row first; it is left empty otherwise.
CodecStatus decode(ByteInput& source, RowSink& sink, std::vector<std::uint8_t>* plane = nullptr);
CodecStatus decode(std::span<const std::uint8_t> bytes, RowSink& sink,
                   std::vector<std::uint8_t>* plane = nullptr);

struct PngEncodeOptions {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int depth = 24;              // 1, 4 or 8 with a palette, 24, or 32 with an alpha channel
    std::vector<Colour> palette; // 2, 16 or 256 entries for 1, 4 and 8 bits
    // The alpha of the first palette entries (a tRNS chunk); the others are opaque.
    std::vector<std::uint8_t> paletteAlpha;
    bool interlaced = false; // Adam7
};

// Takes the rows from the source, top row first: packed indices (most significant bits first),
// blue-green-red, or blue-green-red-alpha.
CodecStatus encode(const PngEncodeOptions& options, RowSource& source, ByteSink& out);

} // namespace kpx::png
