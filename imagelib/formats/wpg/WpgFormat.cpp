#include "WpgFormat.h"

#include <algorithm>
#include <cstring>

#include "ByteReader.h"
#include "ByteWriter.h"
#include "PackedRows.h"

namespace kpx::wpg {

namespace {

constexpr std::uint8_t kMagic[4] = {0xFF, 'W', 'P', 'C'};
constexpr std::uint8_t kColourMap = 14;
constexpr std::uint8_t kBitmap = 11;
constexpr std::uint8_t kStart = 15;
constexpr std::uint8_t kEnd = 16;
constexpr std::uint16_t kResolution = 75;
constexpr std::size_t kLongestRun = 126;
constexpr std::size_t kLongestLiteral = 125;

bool isDepth(int depth) {
    return depth == 1 || depth == 2 || depth == 4 || depth == 8;
}

// The length field of a record; the reader stands after it.
std::uint64_t recordLength(ByteReader& in) {
    const std::uint8_t first = in.u8();
    if (first != 0xFF)
        return first;
    const std::uint16_t word = in.u16le();
    if ((word & 0x8000) == 0)
        return word;
    return (std::uint64_t{word & 0x7FFFu} << 16) | in.u16le();
}

void readColourMap(ByteReader in, WpgScan& scan) {
    const std::uint16_t first = in.u16le();
    const std::uint16_t count = in.u16le();
    for (std::size_t i = 0; i < count && first + i < 256; ++i) {
        const auto rgb = in.bytes(3);
        if (rgb.empty())
            return;
        std::copy(rgb.begin(), rgb.end(), scan.palette[first + i]);
    }
}

void readBitmap(ByteReader in, std::size_t start, std::size_t end, WpgScan& scan) {
    scan.width = in.u16le();
    scan.height = in.u16le();
    scan.depth = in.u16le();
    in.skip(4); // resolutions
    scan.rowsStart = start + in.position();
    scan.rowsEnd = end;
}

// Hands on the buffer as it is for a row.
bool handOn(RowSink& sink, std::span<const std::uint8_t> row, int width, int depth, int y) {
    unpackRow(row.data(), depth, sink.rowBuffer().first(static_cast<std::size_t>(width)));
    return sink.rowDone(y);
}

enum class RowEnd { Decoded, Repeats, Truncated };

// One row's packets into row; a row that starts its repeats sets repeats.
RowEnd decodeRow(ByteReader& in, std::span<std::uint8_t> row, std::size_t& repeats) {
    std::size_t at = 0;
    while (at < row.size()) {
        const std::uint8_t c = in.u8();
        const std::size_t count = c & 0x7Fu;
        if (c == 0) {
            repeats = in.u8();
            return in.truncated() ? RowEnd::Truncated : RowEnd::Repeats;
        }
        if (c & 0x80) {
            const std::uint8_t value = count > 0 ? in.u8() : std::uint8_t{0xFF};
            const std::size_t n = count > 0 ? count : in.u8();
            if (in.truncated())
                return RowEnd::Truncated;
            const std::size_t kept = std::min(n, row.size() - at);
            std::fill_n(row.begin() + static_cast<std::ptrdiff_t>(at), kept, value);
            at += kept;
            continue;
        }
        const auto literal = in.bytes(count);
        if (literal.empty())
            return RowEnd::Truncated;
        const std::size_t kept = std::min(count, row.size() - at);
        std::copy_n(literal.begin(), kept, row.begin() + static_cast<std::ptrdiff_t>(at));
        at += kept;
    }
    return RowEnd::Decoded;
}

void flushLiterals(std::vector<std::uint8_t>& out, std::vector<std::uint8_t>& pending) {
    if (pending.empty())
        return;
    out.push_back(static_cast<std::uint8_t>(pending.size()));
    out.insert(out.end(), pending.begin(), pending.end());
    pending.clear();
}

} // namespace

std::size_t rowBytes(int width, int depth) {
    return (static_cast<std::size_t>(std::max(width, 0)) *
                static_cast<std::size_t>(std::max(depth, 0)) +
            7) /
           8;
}

WpgScan scanRecords(std::span<const std::uint8_t> data) {
    WpgScan scan;
    ByteReader in(data);
    const auto magic = in.bytes(4);
    const std::uint32_t first = in.u32le();
    in.skip(2);
    const std::uint8_t major = in.u8();
    if (in.truncated() || !std::equal(magic.begin(), magic.end(), kMagic) || major >= 2) {
        scan.status = CodecStatus::Damaged;
        return scan;
    }
    std::fill_n(&scan.palette[1][0], 3, std::uint8_t{255});
    std::size_t at = first;
    while (true) {
        ByteReader record(data);
        record.skip(at);
        const std::uint8_t type = record.u8();
        const std::uint64_t length = recordLength(record);
        const std::size_t start = record.position();
        if (record.truncated() || length > record.remaining()) {
            scan.status = CodecStatus::Damaged;
            return scan;
        }
        const std::size_t end = start + static_cast<std::size_t>(length);
        const ByteReader body(data.subspan(start, end - start));
        if (type == kColourMap)
            readColourMap(body, scan);
        else if (type == kBitmap)
            readBitmap(body, start, end, scan);
        else if (type == kEnd)
            break;
        at = end;
    }
    if (scan.width <= 0 || scan.height <= 0 || scan.rowsStart == 0 || !isDepth(scan.depth))
        scan.status = CodecStatus::Damaged;
    return scan;
}

CodecStatus decodeRows(std::span<const std::uint8_t> data, const WpgScan& scan, RowSink& sink) {
    if (sink.rowBuffer().size() < static_cast<std::size_t>(scan.width))
        return CodecStatus::OutOfMemory;
    ByteReader in(data.subspan(scan.rowsStart, scan.rowsEnd - scan.rowsStart));
    std::vector<std::uint8_t> row(rowBytes(scan.width, scan.depth));
    std::size_t repeats = 0;
    for (int y = 0; y < scan.height; ++y) {
        if (repeats > 0) {
            --repeats;
        } else if (decodeRow(in, row, repeats) == RowEnd::Truncated) {
            return CodecStatus::Truncated;
        }
        if (!handOn(sink, row, scan.width, scan.depth, y))
            return CodecStatus::Stopped;
    }
    return CodecStatus::Ok;
}

void encodeRow(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out) {
    const std::size_t n = row.size();
    std::vector<std::uint8_t> pending;
    std::size_t s = 0;
    while (s < n) {
        if (s + 1 < n && row[s] == row[s + 1]) {
            std::size_t k = 0;
            while (s + k < n - 1 && k < kLongestRun - 1) {
                ++k;
                if (s + k + 1 >= n || row[s + k] != row[s + k + 1])
                    break;
            }
            flushLiterals(out, pending);
            out.push_back(static_cast<std::uint8_t>(0x80 | ((k + 1) & 0x7F)));
            out.push_back(row[s]);
            s += k + 1;
            continue;
        }
        if (pending.size() == kLongestLiteral)
            flushLiterals(out, pending);
        pending.push_back(row[s]);
        ++s;
    }
    flushLiterals(out, pending);
}

CodecStatus encodeWpg(const Picture& p, RowSource& rows, std::vector<std::uint8_t>& out) {
    if (p.width <= 0 || p.height <= 0 || p.width > 65535 || p.height > 65535 || p.bits > 8 ||
        p.rowDepth > 8 || !p.palette)
        return CodecStatus::Unsupported;
    const int depth = p.bits <= 1 ? 1 : p.bits <= 4 ? 4 : 8;
    ByteWriter w(out);
    w.bytes(kMagic);
    w.u32le(kHeaderBytes);
    w.u8(1);  // product
    w.u8(22); // file type
    w.u8(1);  // major version
    w.u8(0);
    w.u16le(0);
    w.u16le(0);
    w.u8(kStart);
    w.u8(6);
    w.u8(1);
    w.u8(0);
    w.u16le(static_cast<std::uint16_t>(p.width));
    w.u16le(static_cast<std::uint16_t>(p.height));
    const int entries = depth <= 4 ? 16 : 256;
    w.u8(kColourMap);
    if (entries == 16) {
        w.u8(4 + 48);
    } else {
        w.u8(0xFF);
        w.u16le(4 + 768);
    }
    w.u16le(0);
    w.u16le(static_cast<std::uint16_t>(entries));
    for (int i = 0; i < entries; ++i)
        w.bytes(p.palette[i]);
    w.u8(kBitmap);
    w.u8(0xFF);
    const std::size_t lengthAt = out.size();
    w.zeros(4);
    const std::size_t bodyStart = out.size();
    for (const std::uint16_t v :
         {static_cast<std::uint16_t>(p.width), static_cast<std::uint16_t>(p.height),
          static_cast<std::uint16_t>(depth), kResolution, kResolution})
        w.u16le(v);
    const std::size_t packed = rowBytes(p.width, depth);
    for (int y = 0; y < p.height; ++y) {
        const std::span<const std::uint8_t> row = rows.row(y);
        if (row.size() < packed || p.rowDepth != depth)
            return row.size() < packed ? CodecStatus::Stopped : CodecStatus::Unsupported;
        encodeRow(row.first(packed), out);
    }
    const std::size_t length = out.size() - bodyStart;
    w.u8(kEnd);
    w.u8(0);
    const std::uint32_t high = static_cast<std::uint32_t>(length >> 16) | 0x8000u;
    const std::uint8_t field[4] = {
        static_cast<std::uint8_t>(high), static_cast<std::uint8_t>(high >> 8),
        static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8)};
    std::copy(std::begin(field), std::end(field),
              out.begin() + static_cast<std::ptrdiff_t>(lengthAt));
    return CodecStatus::Ok;
}

} // namespace kpx::wpg
