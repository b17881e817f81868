#include "BmpHeader.h"

#include <algorithm>

#include "ByteReader.h"
#include "ByteWriter.h"
#include "PackedRows.h"

namespace kpx::bmp {

namespace {

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kInfoHeaderBytes = 40;

bool isWindowsHeaderSize(std::uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// OS/2 2.x headers may stop after any whole field from the compression on.
bool isOs2HeaderSize(std::uint32_t size) {
    return size >= 16 && size <= 64 && size % 4 == 0 && !isWindowsHeaderSize(size);
}

bool isHeaderSize(std::uint32_t size) {
    return size == kCoreHeaderBytes || isWindowsHeaderSize(size) || isOs2HeaderSize(size);
}

bool isDepth(std::uint16_t bits) {
    switch (bits) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

// JPEG and PNG pictures stored whole as the pixel data; their depth field may be 0.
bool embedsPicture(const BmpHeader& h) {
    return !h.os2Header && (h.compression == 4 || h.compression == 5);
}

bool hasBitFields(const BmpHeader& h) {
    return !h.os2Header && (h.compression == kBitFields || h.compression == kAlphaBitFields);
}

// The fields of the core header: 16-bit sizes.
void readCoreFields(ByteReader& in, BmpHeader& h) {
    h.coreHeader = true;
    h.width = in.u16le();
    h.height = in.u16le();
    h.planes = in.u16le();
    h.bitCount = in.u16le();
}

// The fields of the Windows and OS/2 2.x headers, as far as the header holds them.
void readInfoFields(ByteReader in, BmpHeader& h) {
    h.os2Header = !isWindowsHeaderSize(h.headerSize);
    h.width = in.i32le();
    const std::int32_t height = in.i32le();
    h.planes = in.u16le();
    h.bitCount = in.u16le();
    const std::uint32_t fields = (h.headerSize - 16) / 4;
    h.compression = fields >= 1 ? in.u32le() : kRgb;
    h.imageSize = fields >= 2 ? in.u32le() : 0;
    in.skip(8); // resolutions
    h.colorsUsed = fields >= 5 ? in.u32le() : 0;
    h.topDown = height < 0;
    h.height = height == INT32_MIN ? 0 : (height < 0 ? -height : height);
}

void setDefaultMasks(BmpHeader& h) {
    if (h.bitCount == 16)
        h.masks = {0x7C00, 0x03E0, 0x001F, 0};
    else
        h.masks = {0xFF0000, 0x00FF00, 0x0000FF, 0};
}

// Masks stand right after the 40 bytes of an info header (inside the longer headers).
void readMasks(std::span<const std::uint8_t> data, std::uint32_t fileHeader, BmpHeader& h) {
    setDefaultMasks(h);
    if (!hasBitFields(h))
        return;
    ByteReader in(data);
    in.skip(fileHeader + kInfoHeaderBytes);
    h.masks.red = in.u32le();
    h.masks.green = in.u32le();
    h.masks.blue = in.u32le();
    if (h.compression == kAlphaBitFields || h.headerSize >= 56)
        h.masks.alpha = in.u32le();
}

std::uint32_t maskBytes(const BmpHeader& h) {
    if (!hasBitFields(h) || h.headerSize != kInfoHeaderBytes)
        return 0;
    return h.compression == kAlphaBitFields ? 16 : 12;
}

std::uint32_t tableEntrySize(const BmpHeader& h) {
    return h.coreHeader ? 3 : 4;
}

// Entries of the colour table: 2^bits, fewer when the header says fewer are used or when the
// pixel data starts before that many. Deeper bitmaps may carry a table of the colours used.
std::uint32_t tableEntries(const BmpHeader& h, std::uint32_t tableStart, bool offsetKnown) {
    const std::uint32_t colorsUsed = h.colorsUsed;
    if (h.bitCount > 8)
        return h.coreHeader ? 0 : colorsUsed;
    std::uint32_t count = 1u << h.bitCount;
    if (!h.coreHeader && colorsUsed > 0 && colorsUsed < count)
        count = colorsUsed;
    if (offsetKnown)
        count = std::min(count, (h.pixelOffset - tableStart) / tableEntrySize(h));
    return count;
}

// Reads the table's colours; 1-bit bitmaps start from black and white.
CodecStatus readPalette(std::span<const std::uint8_t> data, std::uint32_t tableStart,
                        std::uint32_t entries, BmpHeader& h) {
    if (h.bitCount == 1)
        std::fill_n(&h.palette[1][0], 3, std::uint8_t{255});
    if (h.bitCount > 8)
        return CodecStatus::Ok;
    ByteReader in(data);
    in.skip(tableStart);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const auto entry = in.bytes(tableEntrySize(h));
        if (entry.empty())
            return CodecStatus::Truncated;
        h.palette[i][0] = entry[2];
        h.palette[i][1] = entry[1];
        h.palette[i][2] = entry[0];
        h.paletteEntries = static_cast<int>(i + 1);
    }
    return CodecStatus::Ok;
}

} // namespace

HeaderResult readHeader(std::span<const std::uint8_t> data, Start start) {
    HeaderResult result;
    BmpHeader& h = result.header;
    ByteReader in(data);
    std::uint32_t fileHeader = kFileHeaderBytes;
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
        in.skip(10);
        h.pixelOffset = in.u32le();
    } else if (start == Start::FileOrInfoHeader && isHeaderSize(ByteReader(data).u32le())) {
        h.fileHeader = false;
        fileHeader = 0;
    } else {
        result.status = data.size() < 2 ? CodecStatus::Truncated : CodecStatus::Damaged;
        return result;
    }
    h.headerSize = in.u32le();
    if (in.truncated())
        return {CodecStatus::Truncated, h};
    if (!isHeaderSize(h.headerSize))
        return {CodecStatus::Damaged, h};
    ByteReader fields = in.subReader(h.headerSize - 4);
    if (h.headerSize == kCoreHeaderBytes)
        readCoreFields(fields, h);
    else
        readInfoFields(fields, h);
    if (in.truncated())
        return {CodecStatus::Truncated, h};
    if (h.width <= 0 || h.height <= 0 || h.planes != 1 ||
        (!isDepth(h.bitCount) && !embedsPicture(h)))
        return {CodecStatus::Damaged, h};
    // Top-down rows exist only uncompressed.
    if (h.topDown && isRle(h))
        return {CodecStatus::Damaged, h};
    readMasks(data, fileHeader, h);
    const std::uint32_t tableStart = fileHeader + h.headerSize + maskBytes(h);
    if (data.size() < tableStart)
        return {CodecStatus::Truncated, h};
    // Some writers leave the offset 0 or point it into the headers: the pixels then follow the
    // colour table, as in a packed bitmap.
    const bool offsetKnown = h.fileHeader && h.pixelOffset >= tableStart;
    const std::uint32_t entries = tableEntries(h, tableStart, offsetKnown);
    if (!offsetKnown)
        h.pixelOffset = tableStart + std::min(entries, 256u) * tableEntrySize(h);
    result.status = readPalette(data, tableStart, std::min(entries, 256u), h);
    return result;
}

bool isRle(const BmpHeader& h) {
    return h.compression == kRle8 || h.compression == kRle4;
}

bool isSupported(const BmpHeader& h) {
    switch (h.compression) {
    case kRgb:
        return true;
    case kRle8:
        return h.bitCount == 8;
    case kRle4:
        return h.bitCount == 4;
    case kBitFields:
    case kAlphaBitFields:
        return !h.os2Header && (h.bitCount == 16 || h.bitCount == 32);
    default:
        return false;
    }
}

PixelKind pixelKind(const BmpHeader& h) {
    if (h.bitCount <= 8)
        return PixelKind::Indices;
    return h.bitCount == 32 ? PixelKind::Bgra : PixelKind::Bgr;
}

std::uint64_t storedRowBytes(const BmpHeader& h) {
    return (static_cast<std::uint64_t>(h.width) * h.bitCount + 31) / 32 * 4;
}

std::uint64_t pixelDataEnd(const BmpHeader& h) {
    if (isRle(h))
        return h.imageSize != 0 ? std::uint64_t{h.pixelOffset} + h.imageSize : SIZE_MAX;
    return h.pixelOffset + storedRowBytes(h) * static_cast<std::uint64_t>(h.height);
}

int fileDepth(int imageBits) {
    if (imageBits <= 1)
        return 1;
    if (imageBits <= 4)
        return 4;
    if (imageBits <= 8)
        return 8;
    return 24;
}

void writeHeader(std::vector<std::uint8_t>& out, int width, int height, int depth,
                 const std::uint8_t (*palette)[3]) {
    const std::uint32_t entries = depth <= 8 ? 1u << depth : 0;
    const std::uint32_t offset = kFileHeaderBytes + kInfoHeaderBytes + entries * 4;
    const std::uint64_t rows =
        std::uint64_t{dibRowBytes(width, depth)} * static_cast<std::uint32_t>(height);
    ByteWriter w(out);
    w.text("BM");
    w.u32le(static_cast<std::uint32_t>(std::min<std::uint64_t>(offset + rows, UINT32_MAX)));
    w.u32le(0);
    w.u32le(offset);
    w.u32le(kInfoHeaderBytes);
    w.i32le(width);
    w.i32le(height);
    w.u16le(1);
    w.u16le(static_cast<std::uint16_t>(depth));
    w.u32le(kRgb);
    w.zeros(20); // image size, resolutions, colours used and important
    for (std::uint32_t i = 0; i < entries; ++i) {
        w.u8(palette[i][2]);
        w.u8(palette[i][1]);
        w.u8(palette[i][0]);
        w.u8(0);
    }
}

} // namespace kpx::bmp
