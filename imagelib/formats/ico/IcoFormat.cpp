#include "IcoFormat.h"

#include <algorithm>

#include "BmpDecoder.h"
#include "BmpEncoder.h"
#include "ByteReader.h"
#include "ByteWriter.h"
#include "PackedRows.h"

namespace kpx::ico {

namespace {

constexpr int kLargestSide = 256;

int comparedColours(std::uint8_t count) {
    return count == 0 ? 255 : count;
}

std::uint64_t maskRowBytes(int width) {
    return (static_cast<std::uint64_t>(width) + 31) / 32 * 4;
}

// Sets the masked pixels of one decoded row.
class MaskingSink final : public RowSink {
public:
    MaskingSink(RowSink& target, std::span<const std::uint8_t> mask, const bmp::BmpHeader& h,
                std::uint8_t maskIndex)
        : target_(target), mask_(mask), width_(h.width), height_(h.height),
          kind_(bmp::pixelKind(h)), maskIndex_(maskIndex) {}

    std::span<std::uint8_t> rowBuffer() override { return target_.rowBuffer(); }

    bool rowDone(int row) override {
        const std::size_t rowBytes = maskRowBytes(width_);
        const auto bits =
            mask_.subspan(static_cast<std::size_t>(height_ - 1 - row) * rowBytes, rowBytes);
        const std::span<std::uint8_t> pixels = target_.rowBuffer();
        for (int x = 0; x < width_; ++x) {
            if (((bits[static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1) == 0)
                continue;
            const auto at = static_cast<std::size_t>(x);
            switch (kind_) {
            case bmp::PixelKind::Indices:
                pixels[at] = maskIndex_;
                break;
            case bmp::PixelKind::Bgr:
                std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(3 * at), 3,
                            std::uint8_t{255});
                break;
            case bmp::PixelKind::Bgra:
                std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(4 * at), 3,
                            std::uint8_t{255});
                break;
            }
        }
        return target_.rowDone(row);
    }

private:
    RowSink& target_;
    std::span<const std::uint8_t> mask_;
    int width_;
    int height_;
    bmp::PixelKind kind_;
    std::uint8_t maskIndex_;
};

} // namespace

Directory readDirectory(std::span<const std::uint8_t> data) {
    Directory directory;
    ByteReader in(data);
    const std::uint16_t reserved = in.u16le();
    const std::uint16_t type = in.u16le();
    const std::uint16_t count = in.u16le();
    if (in.truncated()) {
        directory.status = CodecStatus::Truncated;
        return directory;
    }
    if (reserved != 0 || type != 1 || count == 0) {
        directory.status = CodecStatus::Damaged;
        return directory;
    }
    for (std::uint16_t i = 0; i < count; ++i) {
        IconEntry e;
        e.width = in.u8();
        e.height = in.u8();
        e.colourCount = in.u8();
        in.skip(1);
        e.planes = in.u16le();
        e.bits = in.u16le();
        e.size = in.u32le();
        e.offset = in.u32le();
        if (in.truncated()) {
            directory.status = CodecStatus::Truncated;
            return directory;
        }
        directory.entries.push_back(e);
    }
    return directory;
}

std::size_t chooseEntry(const Directory& directory) {
    std::size_t best = 0;
    int colours = 2;
    int width = 0;
    int height = 0;
    for (std::size_t i = 0; i < directory.entries.size(); ++i) {
        const IconEntry& e = directory.entries[i];
        const int c = comparedColours(e.colourCount);
        if (c > colours || (c == colours && e.width > width && e.height > height)) {
            best = i;
            colours = c;
            width = e.width;
            height = e.height;
        }
    }
    return best;
}

IconImage readImage(std::span<const std::uint8_t> data, const IconEntry& entry) {
    IconImage image;
    ByteReader in(data);
    in.skip(entry.offset);
    const std::span<const std::uint8_t> dib = in.rest();
    const std::uint8_t headerSize = dib.empty() ? 0 : dib[0];
    if (in.truncated() || dib.size() < 4) {
        image.status = CodecStatus::Truncated;
        return image;
    }
    const bmp::HeaderResult header = bmp::readHeader(dib, bmp::Start::FileOrInfoHeader);
    image.bitmap = header.header;
    bmp::BmpHeader& h = image.bitmap;
    if (header.status != CodecStatus::Ok) {
        image.status = header.status;
        return image;
    }
    // The height covers the colour rows and the mask rows.
    h.height /= 2;
    if ((headerSize != 12 && headerSize != 40) || h.compression != bmp::kRgb || h.bitCount == 2 ||
        h.bitCount == 16 || h.height <= 0) {
        image.status = CodecStatus::Damaged;
        return image;
    }
    h.pixelOffset += entry.offset;
    const std::uint64_t colourBytes = bmp::storedRowBytes(h) * static_cast<std::uint64_t>(h.height);
    const std::uint64_t maskBytes = maskRowBytes(h.width) * static_cast<std::uint64_t>(h.height);
    image.maskStart =
        static_cast<std::size_t>(std::min<std::uint64_t>(h.pixelOffset + colourBytes, SIZE_MAX));
    if (h.pixelOffset + colourBytes + maskBytes > data.size())
        image.status = CodecStatus::Truncated;
    return image;
}

CodecStatus decodeImage(std::span<const std::uint8_t> data, const IconImage& image,
                        std::uint8_t maskIndex, RowSink& sink) {
    MaskingSink masked(sink, data.subspan(image.maskStart), image.bitmap, maskIndex);
    return bmp::decodePixels(data, image.bitmap, masked).status;
}

namespace {

constexpr std::uint8_t kMaskedFrom = 128;

bool masked(const Picture& p, int x, int y) {
    return !p.transparency.empty() &&
           p.transparency[static_cast<std::size_t>(y) * p.width + x] >= kMaskedFrom;
}

// The palette entry that is black, or -1.
int blackEntry(const Picture& p) {
    if (!p.palette || p.rowDepth > 8)
        return -1;
    for (int i = 0; i < (1 << p.rowDepth); ++i)
        if (p.palette[i][0] == 0 && p.palette[i][1] == 0 && p.palette[i][2] == 0)
            return i;
    return -1;
}

// The picture's rows with its masked pixels black, where it can show black.
class BlackBehindMask final : public RowSource {
public:
    BlackBehindMask(const Picture& p, RowSource& rows)
        : p_(p), rows_(rows), black_(blackEntry(p)) {}

    std::span<const std::uint8_t> row(int index) override {
        const std::span<const std::uint8_t> in = rows_.row(index);
        if (in.empty() || p_.transparency.empty() || (p_.rowDepth <= 8 && black_ < 0))
            return in;
        row_.assign(in.begin(), in.end());
        const std::size_t step = p_.rowDepth == 32 ? 4 : 3;
        for (int x = 0; x < p_.width; ++x) {
            if (!masked(p_, x, index))
                continue;
            if (p_.rowDepth <= 8)
                setIndexAt(row_.data(), x, p_.rowDepth, black_);
            else
                std::fill_n(row_.begin() + static_cast<std::ptrdiff_t>(step * x), 3,
                            std::uint8_t{0});
        }
        return row_;
    }

private:
    const Picture& p_;
    RowSource& rows_;
    int black_;
    std::vector<std::uint8_t> row_;
};

// The mask rows bottom-up, a set bit for each masked pixel.
void writeMask(const Picture& p, ByteWriter& w) {
    const auto rowBytes = static_cast<std::size_t>(maskRowBytes(p.width));
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = p.height - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), std::uint8_t{0});
        for (int x = 0; x < p.width; ++x)
            if (masked(p, x, y))
                row[static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        w.bytes(row);
    }
}

} // namespace

CodecStatus encodeIco(const Picture& p, RowSource& rows, std::vector<std::uint8_t>& out) {
    if (p.width <= 0 || p.height <= 0 || p.width > kLargestSide || p.height > kLargestSide)
        return CodecStatus::Unsupported;
    if (!p.transparency.empty() &&
        p.transparency.size() != static_cast<std::size_t>(p.width) * p.height)
        return CodecStatus::Unsupported;
    // The colour rows as a bitmap without its file header, then the mask.
    ByteSink encodedBitmap;
    BlackBehindMask colours(p, rows);
    const CodecStatus encoded =
        bmp::encodeBmp({p.width, p.height, p.rowDepth, p.palette}, colours, encodedBitmap);
    const std::vector<std::uint8_t>& bitmap = encodedBitmap.bytes();
    if (encoded != CodecStatus::Ok)
        return encoded;
    const int depth = bmp::fileDepth(p.rowDepth);
    const std::uint64_t maskBytes = maskRowBytes(p.width) * static_cast<std::uint64_t>(p.height);
    const std::size_t dibBytes = bitmap.size() - 14 + static_cast<std::size_t>(maskBytes);
    ByteWriter w(out);
    w.u16le(0);
    w.u16le(1);
    w.u16le(1);
    w.u8(static_cast<std::uint8_t>(p.width % kLargestSide));
    w.u8(static_cast<std::uint8_t>(p.height % kLargestSide));
    w.u8(static_cast<std::uint8_t>(depth < 8 ? 1 << depth : 0));
    w.u8(0);
    w.u16le(1);
    w.u16le(static_cast<std::uint16_t>(depth));
    w.u32le(static_cast<std::uint32_t>(dibBytes));
    w.u32le(static_cast<std::uint32_t>(kHeaderBytes + kEntryBytes));
    const std::size_t dibStart = out.size();
    w.bytes(std::span(bitmap).subspan(14));
    // The info header's height counts the mask rows too, and its image size both parts.
    const auto height = static_cast<std::uint32_t>(2 * p.height);
    for (int i = 0; i < 4; ++i) {
        out[dibStart + 8 + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(height >> (8 * i));
        out[dibStart + 20 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(
            (dibBytes - 40 - (depth <= 8 ? (4u << depth) : 0)) >> (8 * i));
    }
    writeMask(p, w);
    return CodecStatus::Ok;
}

} // namespace kpx::ico
