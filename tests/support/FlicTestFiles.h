#pragma once
// FLIC files built in memory for the tests and the benchmark: headers, frame and sub-chunks, and
// small encoders of whole pictures (byte runs, both delta kinds, colours) so that any picture
// sequence can be written as a FLI or FLC file.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace flic_test {

using Bytes = std::vector<std::uint8_t>;
using Palette = std::array<std::uint8_t, 768>;

inline void put16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void put32(Bytes& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

inline void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

struct Header {
    std::uint16_t magic = 0xAF12;
    std::uint16_t frames = 1;
    std::uint16_t width = 8;
    std::uint16_t height = 4;
    std::uint16_t depth = 8;
    std::uint32_t speed = 50;
    std::uint32_t firstFrame = 128; // written for FLC only
};

// The 128-byte file header; the size field is patched by file().
inline Bytes header(const Header& h) {
    Bytes out;
    put32(out, 0);
    put16(out, h.magic);
    put16(out, h.frames);
    put16(out, h.width);
    put16(out, h.height);
    put16(out, h.depth);
    put16(out, 0);
    put32(out, h.speed);
    out.resize(80, 0);
    put32(out, h.magic == 0xAF12 ? h.firstFrame : 0);
    out.resize(128, 0);
    return out;
}

// A sub-chunk: its 6-byte header (size given or computed) and data.
inline Bytes subChunk(std::uint16_t type, const Bytes& data,
                      std::optional<std::uint32_t> size = std::nullopt) {
    Bytes out;
    put32(out, size.value_or(static_cast<std::uint32_t>(6 + data.size())));
    put16(out, type);
    append(out, data);
    return out;
}

// A frame (or, with another type, prefix) chunk holding the sub-chunks.
inline Bytes frameChunk(const std::vector<Bytes>& subChunks, std::uint16_t type = 0xF1FA,
                        std::optional<std::uint32_t> size = std::nullopt) {
    Bytes body;
    for (const Bytes& s : subChunks)
        append(body, s);
    Bytes out;
    put32(out, size.value_or(static_cast<std::uint32_t>(16 + body.size())));
    put16(out, type);
    put16(out, static_cast<std::uint16_t>(subChunks.size()));
    out.resize(16, 0);
    append(out, body);
    return out;
}

inline Bytes file(const Header& h, const std::vector<Bytes>& chunks) {
    Bytes out = header(h);
    for (const Bytes& c : chunks)
        append(out, c);
    const auto size = static_cast<std::uint32_t>(out.size());
    std::memcpy(out.data(), &size, 4);
    return out;
}

// One colour packet of all 256 entries (type 4), or of 6-bit values (type 11).
inline Bytes colors(const Palette& palette, bool sixBit = false) {
    Bytes data;
    put16(data, 1);
    data.push_back(0);
    data.push_back(0); // 256 entries
    for (const std::uint8_t v : palette)
        data.push_back(sixBit ? static_cast<std::uint8_t>(v >> 2) : v);
    return subChunk(sixBit ? 11 : 4, data);
}

// Byte runs of every line (type 15): runs of 3 or more equal bytes repeat, the rest is literal.
inline Bytes byteRun(const Bytes& pixels, int width, int height) {
    Bytes data;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels.data() + static_cast<std::size_t>(y) * width;
        Bytes line;
        int packets = 0;
        for (int x = 0; x < width;) {
            int run = 1;
            while (x + run < width && run < 127 && row[x + run] == row[x])
                ++run;
            if (run >= 3) {
                line.push_back(static_cast<std::uint8_t>(run));
                line.push_back(row[x]);
                x += run;
            } else {
                int literal = 0;
                while (x + literal < width && literal < 127) {
                    const int at = x + literal;
                    if (at + 2 < width && row[at] == row[at + 1] && row[at] == row[at + 2])
                        break;
                    ++literal;
                }
                line.push_back(static_cast<std::uint8_t>(-literal));
                line.insert(line.end(), row + x, row + x + literal);
                x += literal;
            }
            ++packets;
        }
        if (packets > 255) { // the count is one byte: literal packets only
            line.clear();
            packets = 0;
            for (int x = 0; x < width; x += 127, ++packets) {
                const int n = std::min(127, width - x);
                line.push_back(static_cast<std::uint8_t>(-n));
                line.insert(line.end(), row + x, row + x + n);
            }
        }
        data.push_back(static_cast<std::uint8_t>(packets));
        append(data, line);
    }
    return subChunk(15, data);
}

// Byte-oriented delta (type 12) from previous to current: the changed lines between the first
// and the last, each as skips and literal runs.
inline Bytes deltaFli(const Bytes& previous, const Bytes& current, int width, int height) {
    auto changed = [&](int y) {
        return std::memcmp(previous.data() + static_cast<std::size_t>(y) * width,
                           current.data() + static_cast<std::size_t>(y) * width, width) != 0;
    };
    int first = 0;
    while (first < height && !changed(first))
        ++first;
    int last = height - 1;
    while (last >= first && !changed(last))
        --last;
    Bytes data;
    put16(data, static_cast<std::uint16_t>(first < height ? first : 0));
    put16(data, static_cast<std::uint16_t>(first < height ? last - first + 1 : 0));
    for (int y = first; y <= last; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * width;
        Bytes line;
        int packets = 0;
        int x = 0;
        while (x < width) {
            int skip = 0;
            while (x + skip < width && previous[at + x + skip] == current[at + x + skip])
                ++skip;
            if (x + skip == width)
                break;
            while (skip > 255) { // an empty literal carries a long skip
                line.push_back(255);
                line.push_back(0);
                skip -= 255;
                x += 255;
                ++packets;
            }
            x += skip;
            int literal = 0;
            while (x + literal < width && literal < 127 &&
                   previous[at + x + literal] != current[at + x + literal])
                ++literal;
            line.push_back(static_cast<std::uint8_t>(skip));
            line.push_back(static_cast<std::uint8_t>(literal));
            line.insert(line.end(), current.begin() + at + x, current.begin() + at + x + literal);
            x += literal;
            ++packets;
        }
        data.push_back(static_cast<std::uint8_t>(packets));
        append(data, line);
    }
    return subChunk(12, data);
}

// Word-oriented delta (type 7) from previous to current: unchanged lines become skip words, an
// odd width's last pixel a last-pixel word, the rest skips and literal pixel pairs.
inline Bytes deltaFlc(const Bytes& previous, const Bytes& current, int width, int height) {
    Bytes lines;
    int lineCount = 0;
    int skipLines = 0;
    const int pairs = width / 2;
    for (int y = 0; y < height; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * width;
        if (std::memcmp(previous.data() + at, current.data() + at, width) == 0) {
            ++skipLines;
            continue;
        }
        if (skipLines > 0)
            put16(lines, static_cast<std::uint16_t>(0x10000 - skipLines));
        skipLines = 0;
        if (width % 2 == 1)
            put16(lines, static_cast<std::uint16_t>(0x8000 | current[at + width - 1]));
        auto samePair = [&](int p) {
            return previous[at + 2 * p] == current[at + 2 * p] &&
                   previous[at + 2 * p + 1] == current[at + 2 * p + 1];
        };
        Bytes packets;
        int packetCount = 0;
        int p = 0;
        while (p < pairs) {
            int skip = 0;
            while (p + skip < pairs && samePair(p + skip))
                ++skip;
            if (p + skip == pairs)
                break;
            while (skip > 127) { // a skip byte counts pixels: at most 127 pairs at a time
                packets.push_back(254);
                packets.push_back(0);
                skip -= 127;
                p += 127;
                ++packetCount;
            }
            p += skip;
            int literal = 0;
            while (p + literal < pairs && literal < 127 && !samePair(p + literal))
                ++literal;
            packets.push_back(static_cast<std::uint8_t>(2 * skip));
            packets.push_back(static_cast<std::uint8_t>(literal));
            packets.insert(packets.end(), current.begin() + at + 2 * p,
                           current.begin() + at + 2 * (p + literal));
            p += literal;
            ++packetCount;
        }
        put16(lines, static_cast<std::uint16_t>(packetCount));
        append(lines, packets);
        ++lineCount;
    }
    Bytes data;
    put16(data, static_cast<std::uint16_t>(lineCount));
    append(data, lines);
    return subChunk(7, data);
}

// A whole animation: the first frame as colours and byte runs, each later frame as a delta
// (with colours when its palette differs), then the ring frame back to the first. FLC files use
// word deltas and 8-bit colours, FLI files byte deltas and 6-bit colours.
struct Picture {
    Bytes pixels;
    Palette palette;
};

inline Bytes animation(Header h, const std::vector<Picture>& pictures) {
    const bool flc = h.magic == 0xAF12;
    const int w = h.width;
    const int hgt = h.height;
    h.frames = static_cast<std::uint16_t>(pictures.size());
    auto delta = [&](const Bytes& from, const Bytes& to) {
        return flc ? deltaFlc(from, to, w, hgt) : deltaFli(from, to, w, hgt);
    };
    std::vector<Bytes> chunks;
    chunks.push_back(
        frameChunk({colors(pictures[0].palette, !flc), byteRun(pictures[0].pixels, w, hgt)}));
    for (std::size_t i = 1; i <= pictures.size(); ++i) {
        const Picture& from = pictures[i - 1];
        const Picture& to = pictures[i % pictures.size()];
        std::vector<Bytes> subChunks;
        if (to.palette != from.palette)
            subChunks.push_back(colors(to.palette, !flc));
        subChunks.push_back(delta(from.pixels, to.pixels));
        chunks.push_back(frameChunk(subChunks));
    }
    return file(h, chunks);
}

} // namespace flic_test
