#include "PcxFormat.h"

#include <algorithm>
#include <cstring>

#include "ByteReader.h"
#include "ByteWriter.h"
#include "PackedRows.h"

namespace kpx::pcx {

namespace {

constexpr std::uint8_t kRunFlag = 0xC0;
constexpr int kLongestRun = 63;

constexpr std::uint8_t kStandardPalette[16][3] = {
    {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},  {128, 0, 0}, {128, 0, 128},
    {128, 128, 0}, {128, 128, 128}, {192, 192, 192}, {0, 0, 255},    {0, 255, 0}, {0, 255, 255},
    {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};

// The depth of the picture by bits per plane and planes; 0 when no PCX has it.
int depthOf(std::uint8_t bits, std::uint8_t planes) {
    if (bits == 8)
        return planes == 3 ? 24 : planes == 1 ? 8 : 0;
    if (bits == 1)
        return planes >= 1 && planes <= 4 ? planes : 0;
    if ((bits == 2 || bits == 4) && planes == 1)
        return bits;
    return 0;
}

bool isPlanar(const PcxHeader& h) {
    return h.bitsPerPlane == 1 && h.planes > 1;
}

// Bytes one plane's line needs for the width.
std::size_t neededBytesPerLine(const PcxHeader& h) {
    const int bitsPerPixel = h.depth == 24 ? 8 : isPlanar(h) ? 1 : h.depth;
    return (static_cast<std::size_t>(h.width) * static_cast<std::size_t>(bitsPerPixel) + 7) / 8;
}

void planarToIndices(std::span<const std::uint8_t> line, const PcxHeader& h,
                     std::span<std::uint8_t> out) {
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    for (int plane = 0; plane < h.planes; ++plane) {
        const std::uint8_t* bits = line.data() + static_cast<std::size_t>(plane) * h.bytesPerLine;
        for (std::size_t x = 0; x < out.size(); ++x)
            if ((bits[x / 8] >> (7 - x % 8)) & 1)
                out[x] = static_cast<std::uint8_t>(out[x] | (1 << plane));
    }
}

void planesToBgr(std::span<const std::uint8_t> line, std::size_t bytesPerLine,
                 std::span<std::uint8_t> out) {
    const std::size_t width = out.size() / 3;
    const std::uint8_t* red = line.data();
    const std::uint8_t* green = red + bytesPerLine;
    const std::uint8_t* blue = green + bytesPerLine;
    for (std::size_t x = 0; x < width; ++x) {
        out[3 * x] = blue[x];
        out[3 * x + 1] = green[x];
        out[3 * x + 2] = red[x];
    }
}

void packedToIndices(std::span<const std::uint8_t> line, int bits, std::span<std::uint8_t> out) {
    const int perByte = 8 / bits;
    const auto mask = static_cast<std::uint8_t>((1 << bits) - 1);
    for (std::size_t x = 0; x < out.size(); ++x) {
        const int shift = 8 - bits * (static_cast<int>(x % perByte) + 1);
        out[x] = static_cast<std::uint8_t>((line[x / perByte] >> shift) & mask);
    }
}

void convertLine(std::span<const std::uint8_t> line, const PcxHeader& h,
                 std::span<std::uint8_t> out) {
    if (h.depth == 24)
        planesToBgr(line, h.bytesPerLine, out);
    else if (isPlanar(h))
        planarToIndices(line, h, out);
    else if (h.depth == 8)
        std::copy_n(line.begin(), out.size(), out.begin());
    else
        packedToIndices(line, h.depth, out);
}

// One run-length line of exactly line.size() bytes; the rest of a run that crosses the end is
// dropped.
bool decodeLine(ByteReader& in, std::span<std::uint8_t> line) {
    std::size_t at = 0;
    while (at < line.size()) {
        const std::uint8_t byte = in.u8();
        if (in.truncated())
            return false;
        if (byte < kRunFlag) {
            line[at++] = byte;
            continue;
        }
        const std::uint8_t value = in.u8();
        if (in.truncated())
            return false;
        const std::size_t count = std::min<std::size_t>(byte & 0x3F, line.size() - at);
        std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(at), count, value);
        at += count;
    }
    return true;
}

void writeHeader(ByteWriter& w, const Picture& p, int planes, int bitsPerPlane,
                 std::uint16_t bytesPerLine, bool trueColour) {
    w.u8(kManufacturer);
    w.u8(p.bits <= 4 ? 2 : 5);
    w.u8(1); // run-length encoding
    w.u8(static_cast<std::uint8_t>(bitsPerPlane));
    w.u16le(0);
    w.u16le(0);
    w.u16le(static_cast<std::uint16_t>(p.width - 1));
    w.u16le(static_cast<std::uint16_t>(p.height - 1));
    w.zeros(4); // resolutions
    for (int i = 0; i < 16; ++i) {
        if (trueColour || !p.palette || i >= (1 << std::min(p.bits, 8)))
            w.zeros(3);
        else
            w.bytes(p.palette[i]);
    }
    w.u8(0);
    w.u8(static_cast<std::uint8_t>(planes));
    w.u16le(bytesPerLine);
    w.u16le(1); // palette info
    w.zeros(kHeaderBytes - 70);
}

} // namespace

HeaderResult readHeader(std::span<const std::uint8_t> data) {
    HeaderResult result;
    PcxHeader& h = result.header;
    ByteReader in(data);
    const std::uint8_t manufacturer = in.u8();
    h.version = in.u8();
    in.skip(1); // encoding
    h.bitsPerPlane = in.u8();
    const std::uint16_t xmin = in.u16le();
    const std::uint16_t ymin = in.u16le();
    const std::uint16_t xmax = in.u16le();
    const std::uint16_t ymax = in.u16le();
    in.skip(4);
    const auto palette = in.bytes(48);
    in.skip(1);
    h.planes = in.u8();
    h.bytesPerLine = in.u16le();
    in.skip(kHeaderBytes - 68);
    if (in.truncated()) {
        result.status = manufacturer == kManufacturer || data.empty() ? CodecStatus::Truncated
                                                                      : CodecStatus::Damaged;
        return result;
    }
    std::memcpy(h.headerPalette, palette.data(), sizeof h.headerPalette);
    h.width = xmax - xmin + 1;
    h.height = ymax - ymin + 1;
    h.depth = depthOf(h.bitsPerPlane, h.planes);
    if (manufacturer != kManufacturer || h.width <= 0 || h.height <= 0 || h.depth == 0 ||
        h.bytesPerLine < neededBytesPerLine(h))
        result.status = CodecStatus::Damaged;
    return result;
}

void paletteOf(const PcxHeader& h, std::span<const std::uint8_t> tail,
               std::uint8_t (&palette)[256][3]) {
    std::memset(palette, 0, sizeof palette);
    if (h.depth == 1) {
        std::fill_n(&palette[1][0], 3, std::uint8_t{255});
        return;
    }
    if (h.depth == 8 && h.version >= 5 && tail.size() >= kTrailingPaletteBytes &&
        trailingPalette(tail.last(kTrailingPaletteBytes), palette))
        return;
    std::memcpy(palette, h.version == 3 ? kStandardPalette : h.headerPalette,
                sizeof kStandardPalette);
}

bool trailingPalette(std::span<const std::uint8_t> afterLines, std::uint8_t (&palette)[256][3]) {
    ByteReader in(afterLines);
    if (in.u8() != kPaletteMarker)
        return false;
    const auto colours = in.bytes(768);
    if (colours.empty())
        return false;
    std::memcpy(palette, colours.data(), 768);
    return true;
}

bool isTrueColour(const PcxHeader& h) {
    return h.depth == 24;
}

std::size_t lineBytes(const PcxHeader& h) {
    return static_cast<std::size_t>(h.planes) * h.bytesPerLine;
}

DecodeResult decodeLines(std::span<const std::uint8_t> data, const PcxHeader& h, RowSink& sink) {
    const std::size_t rowBytes = static_cast<std::size_t>(h.width) * (isTrueColour(h) ? 3 : 1);
    if (sink.rowBuffer().size() < rowBytes)
        return {CodecStatus::OutOfMemory, 0};
    std::vector<std::uint8_t> line(lineBytes(h));
    ByteReader in(data);
    for (int row = 0; row < h.height; ++row) {
        if (!decodeLine(in, line))
            return {CodecStatus::Truncated, in.position()};
        convertLine(line, h, sink.rowBuffer(row).first(rowBytes));
        if (!sink.rowDone(row))
            return {CodecStatus::Stopped, in.position()};
    }
    return {CodecStatus::Ok, in.position()};
}

std::uint64_t dataReach(std::uint64_t bytes, const PcxHeader& h) {
    const std::uint64_t line = lineBytes(h);
    if (line == 0)
        return 0;
    return bytes / 2 * kLongestRun / line * static_cast<std::uint64_t>(h.width);
}

void encodeLine(std::span<const std::uint8_t> line, std::vector<std::uint8_t>& out) {
    const std::size_t n = line.size();
    const auto same = [&](std::size_t a) { return a + 1 < n && line[a] == line[a + 1]; };
    std::size_t s = 0;
    while (s < n) {
        if (same(s)) {
            // The run's count stops where a byte differs from the one after it, so a run of
            // equal bytes is written one shorter and its last byte on its own.
            std::size_t k = 0;
            while (s + k < n && k < kLongestRun) {
                ++k;
                if (!same(s + k))
                    break;
            }
            out.push_back(static_cast<std::uint8_t>(kRunFlag | k));
            out.push_back(line[s]);
            s += k;
            continue;
        }
        if (line[s] >= kRunFlag)
            out.push_back(kRunFlag | 1);
        out.push_back(line[s]);
        ++s;
    }
}

CodecStatus encodePcx(const Picture& p, RowSource& rows, ByteSink& sink) {
    std::vector<std::uint8_t>& out = sink.bytes();
    if (p.width <= 0 || p.height <= 0 || p.width > 65535 || p.height > 65535)
        return CodecStatus::Unsupported;
    const bool trueColour = p.bits > 8;
    if (trueColour && p.rowDepth != 24 && p.rowDepth != 32)
        return CodecStatus::Unsupported;
    if (!trueColour && (p.rowDepth > 8 || !p.palette))
        return CodecStatus::Unsupported;
    const bool planar = p.bits >= 2 && p.bits <= 4;
    const int planes = trueColour ? 3 : planar ? p.bits : 1;
    const auto width = static_cast<std::size_t>(p.width);
    const std::size_t bytesPerLine = p.bits <= 4 ? (width + 7) / 8 : width;
    ByteWriter w(out);
    writeHeader(w, p, planes, p.bits <= 4 ? 1 : 8, static_cast<std::uint16_t>(bytesPerLine),
                trueColour);
    std::vector<std::uint8_t> indices(width);
    std::vector<std::uint8_t> line(bytesPerLine);
    for (int y = 0; y < p.height; ++y) {
        const std::span<const std::uint8_t> row = rows.row(y);
        if (row.size() < dibRowBytes(p.width, p.rowDepth))
            return CodecStatus::Stopped;
        if (trueColour) {
            const std::size_t step = p.rowDepth / 8;
            for (int channel = 2; channel >= 0; --channel) {
                for (std::size_t x = 0; x < width; ++x)
                    line[x] = row[x * step + static_cast<std::size_t>(channel)];
                encodeLine(line, out);
            }
        } else if (planar) {
            unpackRow(row.data(), p.rowDepth, indices);
            for (int plane = 0; plane < planes; ++plane) {
                std::fill(line.begin(), line.end(), std::uint8_t{0});
                for (std::size_t x = 0; x < width; ++x)
                    if ((indices[x] >> plane) & 1)
                        line[x / 8] = static_cast<std::uint8_t>(line[x / 8] | (0x80 >> (x % 8)));
                encodeLine(line, out);
            }
        } else {
            encodeLine(row.first(bytesPerLine), out);
        }
        if (!sink.flush())
            return CodecStatus::Stopped;
    }
    if (p.bits >= 5 && p.bits <= 8) {
        w.u8(kPaletteMarker);
        for (int i = 0; i < 256; ++i)
            w.bytes(p.palette[i]);
    }
    return CodecStatus::Ok;
}

} // namespace kpx::pcx
