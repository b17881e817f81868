#include "TgaFormat.h"

#include <algorithm>

#include "ByteReader.h"
#include "ByteWriter.h"
#include "PackedRows.h"

namespace kpx::tga {

namespace {

constexpr std::uint8_t kTopRowFirst = 0x20;
constexpr std::uint8_t kRightToLeft = 0x10;
constexpr int kLongestPacket = 128;

enum ImageType : std::uint8_t {
    kMapped = 1,
    kTrueColour = 2,
    kGrey = 3,
    kMappedRle = 9,
    kTrueColourRle = 10,
    kGreyRle = 11,
};

int baseType(std::uint8_t type) {
    return type >= 9 ? type - 8 : type;
}

bool isImageType(std::uint8_t type) {
    return (type >= 1 && type <= 3) || (type >= 9 && type <= 11);
}

// The picture's depth by type and pixel depth; 0 for combinations the reader does not take.
// Grey pixels of 16 bits carry an alpha byte after the grey one.
int depthOf(std::uint8_t type, std::uint8_t bits) {
    switch (baseType(type)) {
    case kMapped:
        return bits == 8 || bits == 1 ? bits : 0;
    case kTrueColour:
        return bits == 15 || bits == 16 || bits == 24 || bits == 32 ? 24 : 0;
    case kGrey:
        return bits == 1 ? 1 : bits == 8 || bits == 16 ? 8 : 0;
    default:
        return 0;
    }
}

bool isMapEntrySize(std::uint8_t bits) {
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

// Bytes of one stored pixel (a 1-bit row is stored as bytes, eight pixels to one).
std::size_t pixelBytes(const TgaHeader& h) {
    return h.pixelBits == 1 ? 1 : (h.pixelBits + 7u) / 8;
}

std::size_t storedRowBytes(const TgaHeader& h) {
    const auto width = static_cast<std::size_t>(h.width);
    return h.pixelBits == 1 ? (width + 7) / 8 : width * pixelBytes(h);
}

void fromFiveBits(std::uint16_t e, std::uint8_t* bgr) {
    bgr[0] = static_cast<std::uint8_t>((e & 31) << 3);
    bgr[1] = static_cast<std::uint8_t>(((e >> 5) & 31) << 3);
    bgr[2] = static_cast<std::uint8_t>(((e >> 10) & 31) << 3);
}

// Reads the colour map's entries into the palette, from the first index on; entries past 256
// are skipped.
void readMap(ByteReader& in, TgaHeader& h) {
    const std::size_t entryBytes = (h.mapEntryBits + 7u) / 8;
    for (std::size_t i = 0; i < h.mapLength; ++i) {
        const auto entry = in.bytes(entryBytes);
        const std::size_t index = h.mapFirst + i;
        if (entry.empty() || index >= 256)
            continue;
        std::uint8_t bgr[3];
        if (entryBytes == 2)
            fromFiveBits(static_cast<std::uint16_t>(entry[0] | (entry[1] << 8)), bgr);
        else
            std::copy_n(entry.begin(), 3, bgr);
        h.palette[index][0] = bgr[2];
        h.palette[index][1] = bgr[1];
        h.palette[index][2] = bgr[0];
    }
}

void setStartPalette(TgaHeader& h) {
    if (h.depth == 8 && baseType(h.imageType) == kGrey)
        for (int i = 0; i < 256; ++i)
            std::fill_n(h.palette[i], 3, static_cast<std::uint8_t>(i));
    if (h.depth == 1) {
        std::fill_n(&h.palette[0][0], 3, std::uint8_t{0});
        std::fill_n(&h.palette[1][0], 3, std::uint8_t{255});
    }
}

// Converts one stored row into the decoded row.
void convertRow(std::span<const std::uint8_t> stored, const TgaHeader& h,
                std::span<std::uint8_t> out) {
    const auto width = static_cast<std::size_t>(h.width);
    if (h.pixelBits == 1) {
        for (std::size_t x = 0; x < width; ++x)
            out[x] = static_cast<std::uint8_t>((stored[x / 8] >> (7 - x % 8)) & 1);
    } else if (h.depth == 8) {
        const std::size_t step = pixelBytes(h); // grey with alpha: the grey byte
        for (std::size_t x = 0; x < width; ++x)
            out[x] = stored[x * step];
    } else if (h.pixelBits <= 16) {
        for (std::size_t x = 0; x < width; ++x)
            fromFiveBits(static_cast<std::uint16_t>(stored[2 * x] | (stored[2 * x + 1] << 8)),
                         &out[3 * x]);
    } else {
        const std::size_t step = pixelBytes(h);
        for (std::size_t x = 0; x < width; ++x)
            std::copy_n(stored.begin() + static_cast<std::ptrdiff_t>(x * step), 3,
                        out.begin() + static_cast<std::ptrdiff_t>(3 * x));
    }
}

void mirrorRow(std::span<std::uint8_t> row, std::size_t pixelSize) {
    const std::size_t width = row.size() / pixelSize;
    for (std::size_t a = 0, b = width - 1; a < b; ++a, --b)
        std::swap_ranges(row.begin() + static_cast<std::ptrdiff_t>(a * pixelSize),
                         row.begin() + static_cast<std::ptrdiff_t>((a + 1) * pixelSize),
                         row.begin() + static_cast<std::ptrdiff_t>(b * pixelSize));
}

// Run-length packets that run on from row to row: fills one stored row at a time.
class PacketReader {
public:
    PacketReader(ByteReader& in, std::size_t unit) : in_(in), unit_(unit), repeated_(unit) {}

    bool fill(std::span<std::uint8_t> row) {
        for (std::size_t at = 0; at < row.size(); at += unit_) {
            if (left_ == 0 && !startPacket())
                return false;
            --left_;
            const auto target = row.begin() + static_cast<std::ptrdiff_t>(at);
            if (repeat_) {
                std::copy(repeated_.begin(), repeated_.end(), target);
            } else {
                const auto unit = in_.bytes(unit_);
                if (unit.empty())
                    return false;
                std::copy(unit.begin(), unit.end(), target);
            }
        }
        return true;
    }

private:
    bool startPacket() {
        const std::uint8_t header = in_.u8();
        if (in_.truncated())
            return false;
        left_ = (header & 0x7Fu) + 1;
        repeat_ = (header & 0x80) != 0;
        if (repeat_) {
            const auto unit = in_.bytes(unit_);
            if (unit.empty())
                return false;
            std::copy(unit.begin(), unit.end(), repeated_.begin());
        }
        return true;
    }

    ByteReader& in_;
    std::size_t unit_;
    std::vector<std::uint8_t> repeated_;
    std::size_t left_ = 0;
    bool repeat_ = false;
};

void writeMapped(ByteWriter& w, const Picture& p) {
    for (int i = 0; i < 256; ++i) {
        w.u8(p.palette[i][2]);
        w.u8(p.palette[i][1]);
        w.u8(p.palette[i][0]);
    }
}

} // namespace

HeaderResult readHeader(std::span<const std::uint8_t> data) {
    HeaderResult result;
    TgaHeader& h = result.header;
    ByteReader in(data);
    h.idLength = in.u8();
    h.mapType = in.u8();
    h.imageType = in.u8();
    h.mapFirst = in.u16le();
    h.mapLength = in.u16le();
    h.mapEntryBits = in.u8();
    in.skip(4); // origin
    h.width = in.u16le();
    h.height = in.u16le();
    h.pixelBits = in.u8();
    h.descriptor = in.u8();
    if (in.truncated()) {
        result.status = CodecStatus::Truncated;
        return result;
    }
    h.depth = isImageType(h.imageType) ? depthOf(h.imageType, h.pixelBits) : 0;
    const bool mapped = baseType(h.imageType) == kMapped;
    const bool hasMap = h.mapType == 1 && h.mapLength > 0;
    // A colour map with entries of a size the reader does not know cannot give the colours of a
    // colour-mapped picture; another picture just steps over it.
    if (h.depth == 0 || h.width == 0 || h.height == 0 || h.mapType > 1 || (mapped && !hasMap) ||
        (hasMap && mapped && !isMapEntrySize(h.mapEntryBits))) {
        result.status = CodecStatus::Damaged;
        return result;
    }
    in.skip(h.idLength);
    h.palette[1][0] = h.palette[1][1] = h.palette[1][2] = 255;
    if (hasMap) {
        if (mapped)
            readMap(in, h);
        else
            in.skip(std::size_t{h.mapLength} * ((h.mapEntryBits + 7u) / 8));
    }
    setStartPalette(h);
    if (in.truncated()) {
        result.status = CodecStatus::Truncated;
        return result;
    }
    h.pixelStart = in.position();
    return result;
}

bool isRunLength(const TgaHeader& h) {
    return h.imageType >= 9;
}

bool topRowFirst(const TgaHeader& h) {
    return (h.descriptor & kTopRowFirst) != 0;
}

bool rightToLeft(const TgaHeader& h) {
    return (h.descriptor & kRightToLeft) != 0;
}

bool isTrueColour(const TgaHeader& h) {
    return h.depth == 24;
}

CodecStatus decodePixels(std::span<const std::uint8_t> data, const TgaHeader& h, RowSink& sink) {
    const std::size_t outPixel = isTrueColour(h) ? 3 : 1;
    const std::size_t outBytes = static_cast<std::size_t>(h.width) * outPixel;
    if (sink.rowBuffer().size() < outBytes)
        return CodecStatus::OutOfMemory;
    ByteReader in(data);
    in.skip(h.pixelStart);
    // A 1-bit picture's packets repeat whole bytes of eight pixels.
    PacketReader packets(in, pixelBytes(h));
    // 24-bit pixels are stored as they are decoded: they go straight into the decoded row.
    const bool asDecoded = h.pixelBits == 24;
    std::vector<std::uint8_t> storedRow(asDecoded ? 0 : storedRowBytes(h));
    for (int i = 0; i < h.height; ++i) {
        const int row = topRowFirst(h) ? i : h.height - 1 - i;
        const std::span<std::uint8_t> out = sink.rowBuffer(row).first(outBytes);
        const std::span<std::uint8_t> stored = asDecoded ? out : std::span(storedRow);
        if (isRunLength(h)) {
            if (!packets.fill(stored))
                return CodecStatus::Truncated;
        } else {
            const auto bytes = in.bytes(stored.size());
            if (bytes.empty())
                return CodecStatus::Truncated;
            std::copy(bytes.begin(), bytes.end(), stored.begin());
        }
        if (!asDecoded)
            convertRow(stored, h, out);
        if (rightToLeft(h))
            mirrorRow(out, outPixel);
        if (!sink.rowDone(row))
            return CodecStatus::Stopped;
    }
    return CodecStatus::Ok;
}

std::uint64_t dataReach(std::uint64_t size, const TgaHeader& h) {
    const std::uint64_t bytes = size > h.pixelStart ? size - h.pixelStart : 0;
    const std::uint64_t unit = pixelBytes(h);
    const std::uint64_t perUnit = h.pixelBits == 1 ? 8 : 1;
    if (isRunLength(h))
        return bytes / (1 + unit) * kLongestPacket * perUnit;
    return bytes / unit * perUnit;
}

CodecStatus encodeTga(const Picture& p, RowSource& rows, ByteSink& sink) {
    std::vector<std::uint8_t>& out = sink.bytes();
    if (p.width <= 0 || p.height <= 0 || p.width > 65535 || p.height > 65535)
        return CodecStatus::Unsupported;
    const bool bitonal = p.bits <= 1;
    const bool mapped = !bitonal && p.bits <= 8;
    if ((bitonal || mapped) && (p.rowDepth > 8 || !p.palette))
        return CodecStatus::Unsupported;
    if (!bitonal && !mapped && p.rowDepth != 24 && p.rowDepth != 32)
        return CodecStatus::Unsupported;
    ByteWriter w(out);
    w.u8(0);              // id length
    w.u8(mapped ? 1 : 0); // colour-map type
    w.u8(bitonal ? kGrey : mapped ? kMapped : kTrueColour);
    w.u16le(0); // first entry
    w.u16le(mapped ? 256 : 0);
    w.u8(mapped ? 24 : 0);
    w.u16le(0);
    w.u16le(0);
    w.u16le(static_cast<std::uint16_t>(p.width));
    w.u16le(static_cast<std::uint16_t>(p.height));
    w.u8(bitonal ? 1 : mapped ? 8 : 24);
    w.u8(kTopRowFirst);
    if (mapped)
        writeMapped(w, p);
    const auto width = static_cast<std::size_t>(p.width);
    std::vector<std::uint8_t> indices(width);
    for (int y = 0; y < p.height; ++y) {
        const std::span<const std::uint8_t> row = rows.row(y);
        if (row.size() < dibRowBytes(p.width, p.rowDepth))
            return CodecStatus::Stopped;
        if (bitonal) {
            w.bytes(row.first((width + 7) / 8));
        } else if (mapped) {
            unpackRow(row.data(), p.rowDepth, indices);
            w.bytes(indices);
        } else if (p.rowDepth == 24) {
            w.bytes(row.first(3 * width));
        } else {
            for (std::size_t x = 0; x < width; ++x)
                w.bytes(row.subspan(4 * x, 3));
        }
        if (!sink.flush())
            return CodecStatus::Stopped;
    }
    return CodecStatus::Ok;
}

} // namespace kpx::tga
