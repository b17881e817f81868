#include "BmpRle.h"

#include <algorithm>

#include "ByteReader.h"

namespace kpx::bmp {

namespace {

// The rows of the walk: the current row is opened (cleared to index 0) when first written and
// handed on when the walk leaves it.
class RleRows {
public:
    RleRows(int width, int height, RowSink* sink) : width_(width), height_(height), sink_(sink) {}

    bool pastTop() const { return y_ >= height_; }
    int x() const { return x_; }
    int rowsDone() const { return y_; }
    std::uint64_t reached() const { return reached_; }

    // Counts the pixels an escape moved over since `from` (a position()), at most `cap`.
    void countSkipped(std::uint64_t from, std::uint64_t cap) {
        reached_ += std::min(position() - from, cap);
    }

    // Pixels before the current position, counted from the first row's start.
    std::uint64_t position() const {
        return static_cast<std::uint64_t>(y_) * static_cast<std::uint64_t>(width_) +
               static_cast<std::uint64_t>(std::clamp(x_, 0, width_));
    }

    // Writes count pixels from the current position, value(i) for the i-th; those past the row's
    // end are dropped.
    template <typename Value> void put(int count, Value value) {
        const int n = std::clamp(width_ - x_, 0, count);
        if (sink_ && n > 0) {
            std::uint8_t* row = open();
            for (int i = 0; i < n; ++i)
                row[x_ + i] = value(i);
        }
        x_ += count;
        reached_ += static_cast<std::uint64_t>(std::max(n, 0));
    }

    void fill(int count, std::uint8_t value) {
        const int n = std::clamp(width_ - x_, 0, count);
        if (sink_ && n > 0)
            std::fill_n(open() + x_, n, value);
        x_ += count;
        reached_ += static_cast<std::uint64_t>(std::max(n, 0));
    }

    // Hands on the current row and goes to the start of the next; false when the sink stops.
    bool endRow() {
        if (sink_) {
            open();
            open_ = false;
            if (!sink_->rowDone(height_ - 1 - y_))
                return false;
        }
        ++y_;
        x_ = 0;
        return true;
    }

    // Moves right by dx and up by dy rows; the rows passed are handed on.
    bool move(int dx, int dy) {
        const int x = x_;
        for (int i = 0; i < dy && !pastTop(); ++i)
            if (!endRow())
                return false;
        x_ = x + dx;
        return true;
    }

private:
    std::uint8_t* open() {
        const std::span<std::uint8_t> row = sink_->rowBuffer(height_ - 1 - y_);
        if (!open_)
            std::fill(row.begin(), row.end(), std::uint8_t{0});
        open_ = true;
        return row.data();
    }

    int width_;
    int height_;
    RowSink* sink_;
    int x_ = 0;
    int y_ = 0;
    bool open_ = false;
    std::uint64_t reached_ = 0;
};

// The most pixels two bytes of run-length data can give: one run of 255. The escapes that skip
// pixels count for no more than a run of their length could have given, so a few bytes of row
// ends and moves never vouch for a huge picture.
constexpr std::uint64_t kSkipReachPerWord = 255;

std::uint8_t nibble(std::uint8_t byte, int i) {
    return (i & 1) ? byte & 0x0F : byte >> 4;
}

RleResult walk(std::span<const std::uint8_t> data, int width, int height, int bits, RowSink* sink) {
    if (sink && sink->rowBuffer().size() < static_cast<std::size_t>(std::max(width, 0)))
        return {CodecStatus::OutOfMemory, 0, 0};
    RleRows rows(width, height, sink);
    ByteReader in(data);
    const auto result = [&](CodecStatus status) {
        return RleResult{status, rows.rowsDone(), rows.reached()};
    };
    while (!rows.pastTop()) {
        const std::uint8_t count = in.u8();
        const std::uint8_t code = in.u8();
        if (in.truncated())
            return result(CodecStatus::Truncated);
        if (count > 0) {
            if (bits == 8)
                rows.fill(count, code);
            else
                rows.put(count, [code](int i) { return nibble(code, i); });
            continue;
        }
        const std::uint64_t from = rows.position();
        switch (code) {
        case 0:
            if (!rows.endRow())
                return result(CodecStatus::Stopped);
            rows.countSkipped(from, kSkipReachPerWord);
            break;
        case 1:
            if (!rows.endRow())
                return result(CodecStatus::Stopped);
            rows.countSkipped(from, kSkipReachPerWord);
            return result(CodecStatus::Ok);
        case 2: {
            const std::uint8_t dx = in.u8();
            const std::uint8_t dy = in.u8();
            if (in.truncated())
                return result(CodecStatus::Truncated);
            if (!rows.move(dx, dy))
                return result(CodecStatus::Stopped);
            rows.countSkipped(from, 2 * kSkipReachPerWord);
            if (rows.pastTop())
                return result(CodecStatus::Damaged);
            break;
        }
        default: {
            const std::size_t bytes = bits == 8 ? code : (code + 1u) / 2;
            const auto literal = in.bytes(bytes);
            in.skip(bytes & 1); // to a whole 16-bit word
            if (literal.size() < bytes)
                return result(CodecStatus::Truncated);
            if (bits == 8)
                rows.put(code, [literal](int i) { return literal[static_cast<std::size_t>(i)]; });
            else
                rows.put(code, [literal](int i) {
                    return nibble(literal[static_cast<std::size_t>(i / 2)], i);
                });
            break;
        }
        }
    }
    return result(CodecStatus::Ok);
}

} // namespace

RleResult decodeRle(std::span<const std::uint8_t> data, int width, int height, int bits,
                    RowSink& sink) {
    return walk(data, width, height, bits, &sink);
}

RleResult measureRle(std::span<const std::uint8_t> data, int width, int height, int bits) {
    return walk(data, width, height, bits, nullptr);
}

} // namespace kpx::bmp
