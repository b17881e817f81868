#pragma once
// The headers of Windows and OS/2 bitmaps: the file header, the OS/2 core header (12 bytes),
// the OS/2 2.x headers (16 to 64 bytes) and the Windows info headers (40, 52, 56, 108 and 124
// bytes), the bit-field masks and the colour table. Also the headers the library writes.

#include <cstdint>
#include <span>
#include <vector>

#include "CodecStatus.h"

namespace kpx::bmp {

enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kAlphaBitFields = 6,
};

// What one decoded row holds: one index a pixel, or blue-green-red(-alpha) bytes.
enum class PixelKind { Indices, Bgr, Bgra };

struct BitMasks {
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
    std::uint32_t alpha = 0;
};

struct BmpHeader {
    bool fileHeader = true;        // false: a packed bitmap that starts with its info header
    std::uint32_t pixelOffset = 0; // from the first byte of the data
    std::uint32_t headerSize = 0;
    bool coreHeader = false; // OS/2 1.x: 16-bit sizes, 3-byte colour table entries
    bool os2Header = false;  // OS/2 2.x: compression 3 and 4 mean other things than on Windows
    std::int32_t width = 0;
    std::int32_t height = 0; // always positive; see topDown
    bool topDown = false;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t imageSize = 0; // the stored size of the pixel data; only RLE uses it
    std::uint32_t colorsUsed = 0;
    int paletteEntries = 0;            // entries the file stores (and that were read)
    std::uint8_t palette[256][3] = {}; // red, green, blue
    BitMasks masks;
};

struct HeaderResult {
    CodecStatus status = CodecStatus::Ok;
    BmpHeader header;
};

enum class Start {
    FileHeader,       // the data must start with "BM"
    FileOrInfoHeader, // a packed bitmap without the file header is taken too
};

// Reads the headers, the masks and the colour table. Damaged for a wrong magic, a header size,
// size, plane count or depth that no bitmap has; Truncated when the data ends inside them.
// Compressions the decoder cannot read are not refused here (see isSupported).
HeaderResult readHeader(std::span<const std::uint8_t> data, Start start = Start::FileHeader);

// Whether decodePixels can read this depth and compression.
bool isSupported(const BmpHeader& header);
bool isRle(const BmpHeader& header);
PixelKind pixelKind(const BmpHeader& header);
// Bytes of one stored uncompressed row (padded to 4 bytes).
std::uint64_t storedRowBytes(const BmpHeader& header);
// The offset after the last byte of pixel data the header describes; for RLE without a stored
// size, SIZE_MAX (the data runs to the end).
std::uint64_t pixelDataEnd(const BmpHeader& header);

// The depth a bitmap file is written in for an image of this many bits per pixel: 1, 4, 8 or 24.
int fileDepth(int imageBits);

// Appends the 14-byte file header, the 40-byte info header and the colour table (2^depth
// entries for depths up to 8) of an uncompressed bottom-up bitmap of this size.
void writeHeader(std::vector<std::uint8_t>& out, int width, int height, int depth,
                 const std::uint8_t (*palette)[3]);

} // namespace kpx::bmp
