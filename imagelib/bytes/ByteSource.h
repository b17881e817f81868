#pragma once
// Bytes that need not all be in memory at once, such as a file read piece by piece, for decoders
// that walk more data than they should hold.
//
// - ByteSource hands out copies of any range; SpanSource is one over bytes in memory.
// - SourceReader walks a source with ByteReader's cursor: the same bounds checks, and the same
//   truncation (a read that would pass the end yields zero or an empty span, moves the cursor to
//   the end and leaves the reader truncated for good). It reads through views of the source, a
//   window at a time; a span it hands out stays valid until its next read, and while it reads,
//   nothing else may use the source. Over bytes in memory it copies nothing.
// - ByteChunks hands out a run of bytes piece after piece; SourceChunks reads a range of a
//   source that way, holding one piece at a time.
//
// A source may turn out shorter than its size said (a file cut while it is read): reads past
// the real end come back short, and a reader then treats that end as the end of the data.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace kpx {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The number of bytes, as far as the source knows.
    virtual std::uint64_t size() const = 0;
    // Copies up to out.size() bytes from offset into out; the number copied, fewer only at the
    // end of the data (or when the data cannot be read further).
    virtual std::size_t read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
    // All the bytes, when they are in memory; empty otherwise.
    virtual std::span<const std::uint8_t> memory() const { return {}; }
    // Up to n bytes from offset without a copy of the caller's own: a view that stays valid
    // until the source's next use; fewer bytes only at the end of the data.
    virtual std::span<const std::uint8_t> view(std::uint64_t offset, std::size_t n) {
        viewed_.resize(n);
        viewed_.resize(read(offset, viewed_));
        return viewed_;
    }

private:
    std::vector<std::uint8_t> viewed_;
};

class SpanSource final : public ByteSource {
public:
    explicit SpanSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t read(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (offset >= bytes_.size())
            return 0;
        const std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - offset);
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), n, out.begin());
        return n;
    }
    std::span<const std::uint8_t> memory() const override { return bytes_; }
    std::span<const std::uint8_t> view(std::uint64_t offset, std::size_t n) override {
        if (offset >= bytes_.size())
            return {};
        return bytes_.subspan(static_cast<std::size_t>(offset),
                              std::min<std::size_t>(n, bytes_.size() - offset));
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// The bytes of another source from an offset on, as a source of their own (data embedded at an
// offset of a file).
class OffsetSource final : public ByteSource {
public:
    OffsetSource(ByteSource& source, std::uint64_t offset) : source_(source), offset_(offset) {}
    std::uint64_t size() const override {
        const std::uint64_t whole = source_.size();
        return whole > offset_ ? whole - offset_ : 0;
    }
    std::size_t read(std::uint64_t offset, std::span<std::uint8_t> out) override {
        return offset < size() ? source_.read(offset_ + offset, out) : 0;
    }
    std::span<const std::uint8_t> memory() const override {
        const auto whole = source_.memory();
        return offset_ < whole.size() ? whole.subspan(static_cast<std::size_t>(offset_))
                                      : std::span<const std::uint8_t>{};
    }
    std::span<const std::uint8_t> view(std::uint64_t offset, std::size_t n) override {
        return offset < size() ? source_.view(offset_ + offset, n)
                               : std::span<const std::uint8_t>{};
    }

private:
    ByteSource& source_;
    std::uint64_t offset_;
};

class SourceReader {
public:
    static constexpr std::size_t kWindow = std::size_t{1} << 16;

    // A reader with its cursor at `start` (at the end when start lies past it), which views the
    // source `window` bytes at a time.
    explicit SourceReader(ByteSource& source, std::uint64_t start = 0, std::size_t window = kWindow)
        : source_(source), memory_(source.memory()), end_(source.size()),
          at_(std::min(start, end_)), windowSize_(std::max<std::size_t>(window, 1)) {}
    SourceReader(const SourceReader&) = delete;
    SourceReader& operator=(const SourceReader&) = delete;

    std::uint64_t position() const { return at_; }
    std::uint64_t remaining() const { return end_ - at_; }
    bool atEnd() const { return at_ == end_; }
    bool truncated() const { return truncated_; }

    // The next byte without moving the cursor; 0 at the end (which does not truncate).
    std::uint8_t peek() {
        const auto next = ahead(1);
        return next.empty() ? 0 : next[0];
    }
    // Up to n bytes from the cursor, which stays where it is.
    std::span<const std::uint8_t> ahead(std::size_t n) {
        n = static_cast<std::size_t>(std::min<std::uint64_t>(n, remaining()));
        if (!fill(n))
            n = static_cast<std::size_t>(remaining());
        return view(at_, n);
    }

    std::uint8_t u8() { return static_cast<std::uint8_t>(little(1)); }
    std::uint16_t u16le() { return static_cast<std::uint16_t>(little(2)); }
    std::uint32_t u32le() { return static_cast<std::uint32_t>(little(4)); }
    std::int16_t i16le() { return static_cast<std::int16_t>(u16le()); }

    // The next n bytes; empty when fewer are left.
    std::span<const std::uint8_t> bytes(std::size_t n) {
        if (n > remaining() || !fill(n)) {
            truncate();
            return {};
        }
        const auto out = view(at_, n);
        at_ += n;
        return out;
    }
    void skip(std::uint64_t n) {
        if (n > remaining())
            truncate();
        else
            at_ += n;
    }

    // The bytes from `from` up to the cursor (a run the reader has stepped over).
    std::span<const std::uint8_t> passed(std::uint64_t from) {
        from = std::min(from, at_);
        const std::size_t n = static_cast<std::size_t>(at_ - from);
        if (!memory_.empty())
            return memory_.subspan(static_cast<std::size_t>(from), n);
        passed_.resize(n);
        passed_.resize(source_.read(from, passed_));
        window_ = {}; // reading may have moved the source's own window
        return passed_;
    }

private:
    std::span<const std::uint8_t> view(std::uint64_t offset, std::size_t n) const {
        if (!memory_.empty())
            return memory_.subspan(static_cast<std::size_t>(offset), n);
        return window_.subspan(static_cast<std::size_t>(offset - windowStart_), n);
    }

    // Makes the n bytes at the cursor available in the window, a view of the source; false when
    // the data ends before them (the reader then knows where it ends).
    bool fill(std::size_t n) {
        if (!memory_.empty() || n == 0)
            return true;
        if (at_ >= windowStart_ && at_ + n <= windowStart_ + window_.size())
            return true;
        windowStart_ = at_;
        window_ = source_.view(at_, std::max(n, windowSize_));
        if (window_.size() >= n)
            return true;
        end_ = windowStart_ + window_.size();
        return false;
    }

    void truncate() {
        at_ = end_;
        truncated_ = true;
    }

    std::uint64_t little(std::size_t n) {
        const auto b = bytes(n);
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < b.size(); ++i)
            v |= std::uint64_t{b[i]} << (8 * i);
        return v;
    }

    ByteSource& source_;
    std::span<const std::uint8_t> memory_;
    std::uint64_t end_;
    std::uint64_t at_;
    bool truncated_ = false;
    std::size_t windowSize_;
    std::span<const std::uint8_t> window_;
    std::uint64_t windowStart_ = 0;
    std::vector<std::uint8_t> passed_;
};

class ByteChunks {
public:
    virtual ~ByteChunks() = default;
    // The next piece; empty at the end.
    virtual std::span<const std::uint8_t> next() = 0;
};

// A run in memory as one piece.
class SpanChunks final : public ByteChunks {
public:
    explicit SpanChunks(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::span<const std::uint8_t> next() override { return std::exchange(bytes_, {}); }

private:
    std::span<const std::uint8_t> bytes_;
};

// The bytes of a source from `from` up to `to` (or its end), piece after piece, each a view of
// the source.
class SourceChunks final : public ByteChunks {
public:
    static constexpr std::size_t kPiece = std::size_t{1} << 16;

    SourceChunks(ByteSource& source, std::uint64_t from, std::uint64_t to,
                 std::size_t piece = kPiece)
        : source_(source), at_(from), to_(to), piece_(std::max<std::size_t>(piece, 1)) {}
    std::span<const std::uint8_t> next() override {
        if (at_ >= to_)
            return {};
        const auto piece =
            source_.view(at_, static_cast<std::size_t>(std::min<std::uint64_t>(piece_, to_ - at_)));
        at_ = piece.empty() ? to_ : at_ + piece.size();
        return piece;
    }

private:
    ByteSource& source_;
    std::uint64_t at_;
    std::uint64_t to_;
    std::size_t piece_;
};

} // namespace kpx
