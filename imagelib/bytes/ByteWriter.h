#pragma once
// Little-endian writing: appends fields to a byte vector the caller owns. The counterpart of
// ByteReader for every encoder and record writer of the library.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kpx {

class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    std::size_t size() const { return out_.size(); }

    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16le(std::uint16_t v) { little(v, 2); }
    void u32le(std::uint32_t v) { little(v, 4); }
    void i16le(std::int16_t v) { u16le(static_cast<std::uint16_t>(v)); }
    void i32le(std::int32_t v) { u32le(static_cast<std::uint32_t>(v)); }
    void f64le(double v) { little(std::bit_cast<std::uint64_t>(v), 8); }
    void bytes(std::span<const std::uint8_t> v) { out_.insert(out_.end(), v.begin(), v.end()); }
    void text(std::string_view v) { out_.insert(out_.end(), v.begin(), v.end()); }
    void zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }

private:
    void little(std::uint64_t v, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }

    std::vector<std::uint8_t>& out_;
};

} // namespace kpx
