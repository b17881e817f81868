#pragma once
// Bounds-checked little-endian reading from bytes in memory. A reader walks a span with a cursor;
// a read that would pass the end yields zero (or an empty span), moves the cursor to the end and
// leaves the reader truncated for good, so a decoder can read a whole structure and check once.
// Every decoder and record reader of the library reads its bytes through this class; the one
// exception is the GIF LZW bit reader, whose fast path loads eight bytes at a time.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kpx {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t remaining() const { return data_.size() - at_; }
    std::size_t position() const { return at_; }
    bool atEnd() const { return at_ == data_.size(); }
    // True once any read, skip or chunk has asked for more than was left.
    bool truncated() const { return truncated_; }
    // The bytes not read yet.
    std::span<const std::uint8_t> rest() const { return data_.subspan(at_); }
    // The next byte without moving the cursor; 0 at the end (which does not truncate).
    std::uint8_t peek() const { return atEnd() ? 0 : data_[at_]; }

    std::uint8_t u8() { return static_cast<std::uint8_t>(little(1)); }
    std::uint16_t u16le() { return static_cast<std::uint16_t>(little(2)); }
    std::uint32_t u32le() { return static_cast<std::uint32_t>(little(4)); }
    std::int16_t i16le() { return static_cast<std::int16_t>(u16le()); }
    std::int32_t i32le() { return static_cast<std::int32_t>(u32le()); }
    double f64le() { return std::bit_cast<double>(little(8)); }

    // The next n bytes; empty when fewer are left.
    std::span<const std::uint8_t> bytes(std::size_t n) {
        if (!take(n))
            return {};
        return data_.subspan(at_ - n, n);
    }
    void skip(std::size_t n) { take(n); }

    // A reader over the next n bytes (a chunk), which this reader then steps over. When fewer are
    // left the chunk holds what there is and this reader is truncated.
    ByteReader subReader(std::size_t n) {
        const std::size_t available = std::min(n, remaining());
        ByteReader chunk(data_.subspan(at_, available));
        if (available < n)
            truncate();
        else
            at_ += n;
        return chunk;
    }

private:
    bool take(std::size_t n) {
        if (n > remaining()) {
            truncate();
            return false;
        }
        at_ += n;
        return true;
    }
    void truncate() {
        at_ = data_.size();
        truncated_ = true;
    }
    std::uint64_t little(std::size_t n) {
        if (!take(n))
            return 0;
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i)
            v |= std::uint64_t{data_[at_ - n + i]} << (8 * i);
        return v;
    }

    std::span<const std::uint8_t> data_;
    std::size_t at_ = 0;
    bool truncated_ = false;
};

// The first N bytes of the input, the missing ones zero: for fixed-size records that a short
// input must still fill (as a GIF reader treats a short first sub-block).
template <std::size_t N>
std::array<std::uint8_t, N> zeroPadded(std::span<const std::uint8_t> input) {
    std::array<std::uint8_t, N> out{};
    std::copy_n(input.begin(), std::min(input.size(), N), out.begin());
    return out;
}

} // namespace kpx
