#include "BmpDecoder.h"

#include <algorithm>
#include <bit>

#include "BmpRle.h"
#include "ByteReader.h"

namespace kpx::bmp {

namespace {

// One channel of a bit-field pixel: the masked bits shifted down, then moved so that the
// channel's top bit becomes bit 7 (channels of more than 8 bits lose their low bits).
class Channel {
public:
    explicit Channel(std::uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0),
          scale_(8 - (mask ? std::countr_one(mask >> shift_) : 8)) {}

    std::uint8_t operator()(std::uint32_t pixel) const {
        const std::uint32_t v = (pixel & mask_) >> shift_;
        return static_cast<std::uint8_t>(scale_ >= 0 ? v << scale_ : v >> -scale_);
    }

private:
    std::uint32_t mask_;
    int shift_;
    int scale_;
};

struct Channels {
    explicit Channels(const BitMasks& m)
        : red(m.red), green(m.green), blue(m.blue), alpha(m.alpha) {}
    Channel red, green, blue, alpha;
};

bool isPlainBgrx(const BitMasks& m) {
    return m.red == 0xFF0000 && m.green == 0x00FF00 && m.blue == 0x0000FF &&
           (m.alpha == 0 || m.alpha == 0xFF000000);
}

void unpackIndices(std::span<const std::uint8_t> row, int bits, std::span<std::uint8_t> out) {
    const int perByte = 8 / bits;
    const auto mask = static_cast<std::uint8_t>((1 << bits) - 1);
    for (std::size_t x = 0; x < out.size(); ++x) {
        const int shift = 8 - bits * (static_cast<int>(x % perByte) + 1);
        out[x] = static_cast<std::uint8_t>((row[x / perByte] >> shift) & mask);
    }
}

void convertBitFields16(std::span<const std::uint8_t> row, const Channels& c,
                        std::span<std::uint8_t> out) {
    const std::size_t width = out.size() / 3;
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t p = row[2 * x] | (row[2 * x + 1] << 8);
        out[3 * x] = c.blue(p);
        out[3 * x + 1] = c.green(p);
        out[3 * x + 2] = c.red(p);
    }
}

void convertBitFields32(std::span<const std::uint8_t> row, const Channels& c,
                        std::span<std::uint8_t> out) {
    const std::size_t width = out.size() / 4;
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t p = row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16) |
                                (std::uint32_t{row[4 * x + 3]} << 24);
        out[4 * x] = c.blue(p);
        out[4 * x + 1] = c.green(p);
        out[4 * x + 2] = c.red(p);
        out[4 * x + 3] = c.alpha(p);
    }
}

// Turns one stored row into the decoded row.
void convertRow(std::span<const std::uint8_t> stored, const BmpHeader& h, const Channels& channels,
                std::span<std::uint8_t> out) {
    switch (h.bitCount) {
    case 1:
    case 2:
    case 4:
        unpackIndices(stored, h.bitCount, out);
        break;
    case 16:
        convertBitFields16(stored, channels, out);
        break;
    case 32:
        if (h.compression == kRgb || isPlainBgrx(h.masks))
            std::copy_n(stored.begin(), out.size(), out.begin());
        else
            convertBitFields32(stored, channels, out);
        break;
    default: // 8 and 24 bits are stored as they are decoded
        std::copy_n(stored.begin(), out.size(), out.begin());
    }
}

ByteReader pixelReader(std::span<const std::uint8_t> data, const BmpHeader& h) {
    ByteReader in(data);
    in.skip(h.pixelOffset);
    return in;
}

DecodeResult decodeStored(std::span<const std::uint8_t> data, const BmpHeader& h, RowSink& sink) {
    const std::size_t rowBytes = storedRowBytes(h);
    const Channels channels(h.masks);
    ByteReader in = pixelReader(data, h);
    for (int i = 0; i < h.height; ++i) {
        const auto stored = in.bytes(rowBytes);
        if (stored.empty())
            return {CodecStatus::Truncated, i};
        const int row = h.topDown ? i : h.height - 1 - i;
        const std::span<std::uint8_t> out = sink.rowBuffer(row).first(decodedRowBytes(h));
        convertRow(stored, h, channels, out);
        if (!sink.rowDone(row))
            return {CodecStatus::Stopped, i};
    }
    return {CodecStatus::Ok, h.height};
}

std::span<const std::uint8_t> compressedBlock(std::span<const std::uint8_t> data,
                                              const BmpHeader& h) {
    const std::span<const std::uint8_t> rest = pixelReader(data, h).rest();
    return h.imageSize != 0 ? rest.first(std::min<std::size_t>(h.imageSize, rest.size())) : rest;
}

} // namespace

std::size_t decodedRowBytes(const BmpHeader& h) {
    const auto width = static_cast<std::size_t>(h.width);
    switch (pixelKind(h)) {
    case PixelKind::Indices:
        return width;
    case PixelKind::Bgr:
        return 3 * width;
    case PixelKind::Bgra:
        return 4 * width;
    }
    return width;
}

DecodeResult decodePixels(std::span<const std::uint8_t> data, const BmpHeader& h, RowSink& sink) {
    if (!isSupported(h))
        return {CodecStatus::Unsupported, 0};
    if (sink.rowBuffer().size() < decodedRowBytes(h))
        return {CodecStatus::OutOfMemory, 0};
    if (!isRle(h))
        return decodeStored(data, h, sink);
    const RleResult rle = decodeRle(compressedBlock(data, h), h.width, h.height, h.bitCount, sink);
    return {rle.status, rle.rowsDone};
}

bool storedAsImageRows(const BmpHeader& h) {
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        return h.compression == kRgb;
    case 32:
        return h.compression == kRgb || (h.compression == kBitFields && isPlainBgrx(h.masks));
    default:
        return false;
    }
}

std::uint64_t dataReach(std::span<const std::uint8_t> data, const BmpHeader& h) {
    if (isRle(h))
        return measureRle(compressedBlock(data, h), h.width, h.height, h.bitCount).reached;
    return storedReach(data.size(), h);
}

std::uint64_t storedReach(std::uint64_t bytes, const BmpHeader& h) {
    const std::uint64_t rowBytes = storedRowBytes(h);
    if (rowBytes == 0 || bytes <= h.pixelOffset)
        return 0;
    return (bytes - h.pixelOffset) / rowBytes * static_cast<std::uint64_t>(h.width);
}

} // namespace kpx::bmp
