#include "MacPaintFormat.h"

#include <algorithm>
#include <cctype>

#include "ByteReader.h"
#include "ByteWriter.h"

namespace kpx::macpaint {

namespace {

constexpr std::size_t kTypeAt = 65;
constexpr std::size_t kNameLimit = 63;
constexpr std::size_t kLongestLiteral = 128;
// Seconds from 1904 (the Macintosh's epoch) to 1970.
constexpr std::int64_t kMacEpochOffset = 2082830400;

void putBigEndian(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// The name in the MacBinary header: lower case with a capital first letter, then "-KELDO".
std::string macName(const std::string& fileName) {
    std::string name = fileName;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (!name.empty())
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    name += "-KELDO";
    return name.substr(0, kNameLimit);
}

std::vector<std::uint8_t> macBinaryHeader(const Picture& p) {
    std::vector<std::uint8_t> header(kMacBinaryBytes, 0);
    const std::string name = macName(p.name);
    header[1] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), header.begin() + 2);
    std::copy_n("PNTGMPNT", 8, header.begin() + kTypeAt);
    const auto time = static_cast<std::uint32_t>(p.unixTime + kMacEpochOffset);
    putBigEndian(header, 91, time);
    putBigEndian(header, 95, time);
    return header;
}

void flushLiterals(std::vector<std::uint8_t>& out, std::vector<std::uint8_t>& pending) {
    if (pending.empty())
        return;
    out.push_back(static_cast<std::uint8_t>(pending.size() - 1));
    out.insert(out.end(), pending.begin(), pending.end());
    pending.clear();
}

// The white a line starts as: index 1 in every pixel.
void whiteLine(std::span<std::uint8_t> line) {
    std::fill(line.begin(), line.end(), std::uint8_t{0xFF});
}

// Copies the first `width` pixels of a packed 1-bit row over the line; the pixels after them
// stay white.
void overlayRow(std::span<const std::uint8_t> row, int width, std::span<std::uint8_t> line) {
    const auto pixels = static_cast<std::size_t>(std::min(width, kWidth));
    std::copy_n(row.begin(), pixels / 8, line.begin());
    if (const std::size_t rest = pixels % 8) {
        const auto keep = static_cast<std::uint8_t>(0xFF00u >> rest);
        line[pixels / 8] = static_cast<std::uint8_t>((row[pixels / 8] & keep) | (~keep & 0xFF));
    }
}

} // namespace

bool hasMacBinaryHeader(std::span<const std::uint8_t> data) {
    return data.size() >= kTypeAt + 4 &&
           std::equal(data.begin() + kTypeAt, data.begin() + kTypeAt + 4, "PNTG");
}

std::size_t linesStart(std::span<const std::uint8_t> data) {
    if (hasMacBinaryHeader(data))
        return kMacBinaryBytes + kHeaderBytes;
    return !data.empty() && data[0] == 0 ? kHeaderBytes : 0;
}

CodecStatus decodeLines(std::span<const std::uint8_t> lines, RowSink& sink) {
    if (sink.rowBuffer().size() < kLineBytes)
        return CodecStatus::OutOfMemory;
    ByteReader in(lines);
    for (int y = 0; y < kHeight; ++y) {
        const std::span<std::uint8_t> line = sink.rowBuffer().first(kLineBytes);
        std::size_t at = 0;
        while (at < kLineBytes) {
            const std::uint8_t h = in.u8();
            if (h == 0x80) // no data
                continue;
            if (h < 0x80) {
                const auto literal = in.bytes(h + 1u);
                for (std::size_t i = 0; i < literal.size() && at < kLineBytes; ++i)
                    line[at++] = static_cast<std::uint8_t>(~literal[i]);
            } else {
                const auto value = static_cast<std::uint8_t>(~in.u8());
                const std::size_t n = std::min<std::size_t>(257u - h, kLineBytes - at);
                std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(at), n, value);
                at += n;
            }
            if (in.truncated())
                return CodecStatus::Truncated;
        }
        if (!sink.rowDone(y))
            return CodecStatus::Stopped;
    }
    return CodecStatus::Ok;
}

void encodeLine(std::span<const std::uint8_t> line, std::vector<std::uint8_t>& out) {
    const std::size_t n = line.size();
    std::vector<std::uint8_t> pending;
    std::size_t s = 0;
    while (s < n) {
        if (s + 1 < n && line[s] == line[s + 1]) {
            std::size_t k = 0;
            while (s + k + 1 < n) {
                ++k;
                if (s + k + 1 >= n || line[s + k] != line[s + k + 1])
                    break;
            }
            flushLiterals(out, pending);
            out.push_back(static_cast<std::uint8_t>(-static_cast<int>(k) & 0xFF));
            out.push_back(static_cast<std::uint8_t>(~line[s]));
            s += k + 1;
            continue;
        }
        if (pending.size() == kLongestLiteral)
            flushLiterals(out, pending);
        pending.push_back(static_cast<std::uint8_t>(~line[s]));
        ++s;
    }
    flushLiterals(out, pending);
}

CodecStatus encodeMacPaint(const Picture& p, RowSource& rows, std::vector<std::uint8_t>& out) {
    if (p.rowDepth != 1 || p.width <= 0 || p.height <= 0)
        return CodecStatus::Unsupported;
    const std::size_t start = out.size();
    const std::vector<std::uint8_t> macBinary = macBinaryHeader(p);
    out.insert(out.end(), macBinary.begin(), macBinary.end());
    ByteWriter w(out);
    w.u32le(0x02000000); // version 2, big-endian
    w.zeros(kHeaderBytes - 4);
    std::vector<std::uint8_t> line(kLineBytes);
    const std::size_t rowBytes = (static_cast<std::size_t>(p.width) + 7) / 8;
    for (int y = 0; y < kHeight; ++y) {
        whiteLine(line);
        if (y < p.height) {
            const std::span<const std::uint8_t> row = rows.row(y);
            if (row.size() < rowBytes)
                return CodecStatus::Stopped;
            overlayRow(row, p.width, line);
        }
        encodeLine(line, out);
    }
    putBigEndian(out, start + 83, static_cast<std::uint32_t>(out.size() - start - kMacBinaryBytes));
    return CodecStatus::Ok;
}

} // namespace kpx::macpaint
