#include "FlicChunks.h"

#include <algorithm>
#include <cstring>

#include "ByteReader.h"

namespace kpx::flic {

namespace {

constexpr std::size_t kSubChunkHeaderSize = 6;
constexpr std::uint32_t kDefaultDelayMs = 20;
// A packet count of 255 after a line that its packets overfilled: the counts of the lines that
// follow no longer hold, and each line is decoded until it is full.
constexpr std::uint8_t kFillRemainingLines = 255;

// Up to n bytes; fewer (and the reader truncated) when the data end first.
std::span<const std::uint8_t> takeUpTo(ByteReader& in, std::size_t n) {
    const std::size_t available = std::min(n, in.remaining());
    const auto bytes = in.bytes(available);
    if (available < n)
        in.skip(n - available);
    return bytes;
}

// Writes one picture row from left to right; whatever would pass the row's end is dropped.
class RowWriter {
public:
    RowWriter(std::uint8_t* row, std::size_t width) : row_(row), width_(width) {}

    bool full() const { return x_ >= width_; }
    void skip(std::size_t n) { x_ += n; }
    void repeat(std::uint8_t value, std::size_t n) {
        if (const std::size_t fits = room(n))
            std::memset(row_ + x_, value, fits);
        x_ += n;
    }
    void copy(std::span<const std::uint8_t> bytes) {
        if (const std::size_t fits = room(bytes.size()))
            std::memcpy(row_ + x_, bytes.data(), fits);
        x_ += bytes.size();
    }
    // A pixel pair written count times.
    void repeatPair(std::uint8_t first, std::uint8_t second, std::size_t count) {
        for (std::size_t i = 0; i < count && !full(); ++i) {
            put(first);
            put(second);
        }
    }

private:
    std::size_t room(std::size_t n) const { return x_ >= width_ ? 0 : std::min(n, width_ - x_); }
    void put(std::uint8_t value) {
        if (x_ < width_)
            row_[x_] = value;
        ++x_;
    }

    std::uint8_t* row_;
    std::size_t width_;
    std::size_t x_ = 0;
};

std::uint8_t* pictureRow(Canvas& canvas, std::size_t y) {
    return canvas.pixels.data() + y * canvas.width;
}

CodecStatus statusOf(const ByteReader& in) {
    return in.truncated() ? CodecStatus::Truncated : CodecStatus::Ok;
}

// Colour packets: an index skip, a count (0 = 256) and that many triplets. A packet reaching
// past entry 255 is cut there and ends the chunk.
CodecStatus decodeColors(ByteReader& in, Canvas& canvas, int shift) {
    canvas.paletteChanged = true;
    const std::uint16_t packets = in.u16le();
    std::size_t index = 0;
    for (std::uint16_t p = 0; p < packets && !in.truncated(); ++p) {
        index += in.u8();
        std::size_t count = in.u8();
        if (count == 0)
            count = 256;
        const bool last = index + count > 256;
        if (last)
            count = index < 256 ? 256 - index : 0;
        const auto triplets = takeUpTo(in, count * 3);
        for (std::size_t i = 0; i < triplets.size(); ++i)
            canvas.palette[index * 3 + i] = static_cast<std::uint8_t>(triplets[i] << shift);
        index += count;
        if (last)
            break;
    }
    return statusOf(in);
}

// Lines of packets with a packet count byte before each line (0 leaves the line alone). A packet
// that overfills its line is cut; the packets left of that line are dropped, and a count of 255
// on the next line switches the remaining lines to decoding until each is full.
template <typename Packet>
void decodeCountedLines(ByteReader& in, Canvas& canvas, std::size_t firstLine,
                        std::size_t lineCount, Packet decodePacket) {
    bool fillLines = false;
    bool overfilled = false;
    const std::size_t end = std::min<std::size_t>(canvas.height, firstLine + lineCount);
    for (std::size_t y = firstLine; y < end && !in.truncated(); ++y) {
        const std::uint8_t packets = in.u8();
        if (overfilled && packets == kFillRemainingLines)
            fillLines = true;
        overfilled = false;
        RowWriter row(pictureRow(canvas, y), canvas.width);
        if (fillLines) {
            while (!row.full() && !in.truncated())
                decodePacket(in, row);
            continue;
        }
        for (unsigned p = 0; p < packets && !in.truncated(); ++p) {
            decodePacket(in, row);
            if (row.full() && p + 1 < packets) {
                overfilled = true;
                break;
            }
        }
    }
}

// Byte-oriented delta: a first line and a line count, then per line packets of a column skip and
// a signed size (positive: literal bytes, negative: the next byte repeated).
CodecStatus decodeDeltaFli(ByteReader& in, Canvas& canvas) {
    const std::uint16_t firstLine = in.u16le();
    const std::uint16_t lineCount = in.u16le();
    decodeCountedLines(in, canvas, firstLine, lineCount, [](ByteReader& r, RowWriter& row) {
        row.skip(r.u8());
        const auto size = static_cast<std::int8_t>(r.u8());
        if (size >= 0)
            row.copy(takeUpTo(r, static_cast<std::size_t>(size)));
        else
            row.repeat(r.u8(), static_cast<std::size_t>(-size));
    });
    return statusOf(in);
}

// Byte runs over every line: packets of a signed count (positive: the next byte repeated,
// negative: literal bytes).
CodecStatus decodeByteRun(ByteReader& in, Canvas& canvas) {
    decodeCountedLines(in, canvas, 0, canvas.height, [](ByteReader& r, RowWriter& row) {
        const auto count = static_cast<std::int8_t>(r.u8());
        if (count >= 0)
            row.repeat(r.u8(), static_cast<std::size_t>(count));
        else
            row.copy(takeUpTo(r, static_cast<std::size_t>(-count)));
    });
    return statusOf(in);
}

// Word-oriented delta: per line, words that skip lines (top bits 11), set the line's last pixel
// (top bits 10) or give the packet count; each packet is a column skip and a signed count of
// pixel pairs (positive: literal pairs, negative: one pair repeated).
CodecStatus decodeDeltaFlc(ByteReader& in, Canvas& canvas) {
    std::uint32_t lines = in.u16le();
    std::size_t y = 0;
    while (lines > 0 && y < canvas.height && !in.truncated()) {
        const std::uint16_t word = in.u16le();
        if ((word & 0xC000) == 0xC000) {
            y += 0x10000u - word;
            continue;
        }
        std::uint8_t* rowStart = pictureRow(canvas, y);
        if ((word & 0xC000) == 0x8000) {
            if (canvas.width > 0)
                rowStart[canvas.width - 1] = static_cast<std::uint8_t>(word & 0xFF);
            continue;
        }
        RowWriter row(rowStart, canvas.width);
        for (std::uint16_t p = 0; p < word && !in.truncated(); ++p) {
            row.skip(in.u8());
            const auto count = static_cast<std::int8_t>(in.u8());
            if (count >= 0) {
                row.copy(takeUpTo(in, 2 * static_cast<std::size_t>(count)));
            } else {
                const std::uint8_t first = in.u8();
                const std::uint8_t second = in.u8();
                row.repeatPair(first, second, static_cast<std::size_t>(-count));
            }
        }
        --lines;
        ++y;
    }
    return statusOf(in);
}

CodecStatus decodeCopy(ByteReader& in, Canvas& canvas) {
    const auto bytes = takeUpTo(in, canvas.pixels.size());
    std::copy(bytes.begin(), bytes.end(), canvas.pixels.begin());
    return statusOf(in);
}

CodecStatus decodeSubChunk(std::uint16_t type, ByteReader& in, Canvas& canvas) {
    switch (type) {
    case kColor256:
        return decodeColors(in, canvas, 0);
    case kColor64:
        return decodeColors(in, canvas, 2);
    case kDeltaFlc:
        return decodeDeltaFlc(in, canvas);
    case kDeltaFli:
        return decodeDeltaFli(in, canvas);
    case kByteRun:
        return decodeByteRun(in, canvas);
    case kBlack:
        std::fill(canvas.pixels.begin(), canvas.pixels.end(), 0);
        return CodecStatus::Ok;
    case kCopy:
        return decodeCopy(in, canvas);
    default:
        return CodecStatus::Ok; // stamps and other chunks are not shown
    }
}

} // namespace

CodecStatus readFileHeader(std::span<const std::uint8_t> bytes, FileHeader& header) {
    if (bytes.size() < kFileHeaderSize)
        return CodecStatus::Truncated;
    ByteReader in(bytes);
    in.skip(4); // file size
    header.magic = in.u16le();
    header.frames = in.u16le();
    header.width = in.u16le();
    header.height = in.u16le();
    header.depth = in.u16le();
    in.skip(2); // flags
    header.speed = in.u32le();
    ByteReader frameOffset(bytes.subspan(80, 4));
    const std::uint32_t flcFirstFrame = frameOffset.u32le();
    std::uint64_t delay = 0;
    if (header.magic == kMagicFli) {
        header.firstFrameOffset = kFileHeaderSize;
        delay = std::uint64_t{header.speed} * 1000 / 70;
    } else if (header.magic == kMagicFlc) {
        // Some writers leave the offset 0; no frame can start inside the header.
        header.firstFrameOffset = flcFirstFrame < kFileHeaderSize ? kFileHeaderSize : flcFirstFrame;
        delay = header.speed;
    } else {
        return CodecStatus::Damaged;
    }
    header.delayMs = delay == 0
                         ? kDefaultDelayMs
                         : static_cast<std::uint32_t>(std::min<std::uint64_t>(delay, UINT32_MAX));
    if (header.depth != 8 && header.depth != 0)
        return CodecStatus::Unsupported;
    return CodecStatus::Ok;
}

bool readChunkHeader(std::span<const std::uint8_t> bytes, ChunkHeader& header) {
    if (bytes.size() < kChunkHeaderSize)
        return false;
    ByteReader in(bytes);
    header.size = in.u32le();
    header.type = in.u16le();
    header.subChunks = in.u16le();
    return true;
}

CodecStatus decodeFrame(std::span<const std::uint8_t> body, std::uint16_t subChunks,
                        Canvas& canvas) {
    ByteReader frame(body);
    CodecStatus status = CodecStatus::Ok;
    for (std::uint16_t s = 0; s < subChunks; ++s) {
        const std::uint32_t size = frame.u32le();
        const std::uint16_t type = frame.u16le();
        if (frame.truncated())
            return CodecStatus::Truncated;
        if (size < kSubChunkHeaderSize)
            return CodecStatus::Damaged;
        ByteReader data = frame.subReader(size - kSubChunkHeaderSize);
        const CodecStatus chunkStatus = decodeSubChunk(type, data, canvas);
        if (status == CodecStatus::Ok)
            status = chunkStatus;
        if (frame.truncated())
            return CodecStatus::Truncated;
    }
    return status;
}

} // namespace kpx::flic
