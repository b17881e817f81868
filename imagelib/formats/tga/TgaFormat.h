#pragma once
// Truevision Targa pictures: the 18-byte header, the id field, the colour map (its entries
// counted from the first index, 15 to 32 bits each), colour-mapped, true-colour and grey pixels,
// raw or in run-length packets (a header byte whose top bit repeats one pixel, else gives that
// many pixels as they are; (byte AND 0x7F) + 1 pixels either way, running on across rows), and
// the writer.

#include <cstdint>
#include <span>
#include <vector>

#include "CodecStatus.h"
#include "RowSink.h"

namespace kpx::tga {

constexpr std::size_t kHeaderBytes = 18;

struct TgaHeader {
    std::uint8_t idLength = 0;
    std::uint8_t mapType = 0;
    std::uint8_t imageType = 0;
    std::uint16_t mapFirst = 0;
    std::uint16_t mapLength = 0;
    std::uint8_t mapEntryBits = 0;
    int width = 0;
    int height = 0;
    std::uint8_t pixelBits = 0;
    std::uint8_t descriptor = 0;
    int depth = 0;                     // of the picture: 1, 8 or 24
    std::size_t pixelStart = 0;        // after the id field and the colour map
    std::uint8_t palette[256][3] = {}; // red, green, blue
};

struct HeaderResult {
    CodecStatus status = CodecStatus::Ok;
    TgaHeader header;
};

// Reads the header, skips the id field and reads the colour map. Damaged for an image type,
// pixel depth or colour-map entry size the reader does not take, or an empty size; Truncated
// when the data ends inside them.
HeaderResult readHeader(std::span<const std::uint8_t> data);

bool isRunLength(const TgaHeader& header);
bool topRowFirst(const TgaHeader& header);
bool rightToLeft(const TgaHeader& header);
// Whether the decoded rows are blue-green-red (else indices).
bool isTrueColour(const TgaHeader& header);

// Decodes the pixels into rows of indices or blue-green-red bytes, handed to the sink with their
// number from the top. Truncated when the data ends inside the picture.
CodecStatus decodePixels(std::span<const std::uint8_t> data, const TgaHeader& header,
                         RowSink& sink);

// The most pixels a file of `size` bytes can give.
std::uint64_t dataReach(std::uint64_t size, const TgaHeader& header);

// The most bytes the header, id field and colour map take.
constexpr std::size_t kLongestHeader = kHeaderBytes + 255 + 65535 * 4;

struct Picture {
    int width = 0;
    int height = 0;
    int bits = 0;     // the image's depth
    int rowDepth = 0; // of the rows the source gives: 1, 4, 8, 24 or 32
    const std::uint8_t (*palette)[3] = nullptr;
};

// Appends an uncompressed file, top row first: 1 bit as grey, 2 to 8 bits colour-mapped with a
// 256-entry map of 24-bit entries, deeper images as 24-bit true colour.
CodecStatus encodeTga(const Picture& picture, RowSource& rows, ByteSink& out);

} // namespace kpx::tga
