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

// The bitmap's packed rows as one stream of bytes, the way ImageMagick and libwpg read them:
// a packet that runs past a row's end goes on in the next row, and a repeat hands on the row
// before again. Rows are handed on top row first; bytes past the last row are dropped.
class RowStream {
public:
    RowStream(int width, int height, int depth, RowSink& sink)
        : width_(width), height_(height), depth_(depth), sink_(sink), row_(rowBytes(width, depth)) {
    }

    bool done() const { return y_ >= height_ || stopped_; }
    bool stopped() const { return stopped_; }
    bool atRowStart() const { return at_ == 0; }

    void fill(std::size_t count, std::uint8_t value) {
        for (std::size_t i = 0; i < count && !done(); ++i)
            put(value);
    }
    void copy(std::span<const std::uint8_t> bytes) {
        for (std::size_t i = 0; i < bytes.size() && !done(); ++i)
            put(bytes[i]);
    }
    // The row before, count more times (rows of index 0 before the first row).
    void repeat(std::size_t count) {
        for (std::size_t i = 0; i < count && !done(); ++i)
            handOn();
    }

private:
    void put(std::uint8_t value) {
        row_[at_++] = value;
        if (at_ == row_.size())
            handOn();
    }
    void handOn() {
        const std::span<std::uint8_t> indices =
            sink_.rowBuffer().first(static_cast<std::size_t>(width_));
        if (depth_ == 2) {
            // Four pixels a byte, the leftmost in the top bits.
            for (std::size_t x = 0; x < indices.size(); ++x)
                indices[x] = static_cast<std::uint8_t>((row_[x / 4] >> (6 - 2 * (x % 4))) & 3);
        } else {
            unpackRow(row_.data(), depth_, indices);
        }
        stopped_ = !sink_.rowDone(y_);
        ++y_;
        at_ = 0;
    }

    int width_;
    int height_;
    int depth_;
    RowSink& sink_;
    std::vector<std::uint8_t> row_;
    std::size_t at_ = 0;
    int y_ = 0;
    bool stopped_ = false;
};

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
    RowStream rows(scan.width, scan.height, scan.depth, sink);
    while (!rows.done()) {
        const std::uint8_t c = in.u8();
        const std::size_t count = c & 0x7Fu;
        if (c & 0x80) {
            const std::uint8_t value = count > 0 ? in.u8() : std::uint8_t{0xFF};
            const std::size_t n = count > 0 ? count : in.u8();
            if (in.truncated())
                return CodecStatus::Truncated;
            rows.fill(n, value);
        } else if (count > 0) {
            const auto literal = in.bytes(count);
            if (literal.empty())
                return CodecStatus::Truncated;
            rows.copy(literal);
        } else {
            const std::uint8_t repeats = in.u8();
            if (in.truncated())
                return CodecStatus::Truncated;
            // Repeats stand between rows; ImageMagick refuses one inside a row as well.
            if (!rows.atRowStart())
                return CodecStatus::Damaged;
            rows.repeat(repeats);
        }
    }
    return rows.stopped() ? CodecStatus::Stopped : CodecStatus::Ok;
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
