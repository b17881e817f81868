#pragma once
// Little-endian fields of the plug-in's files, read from and written to byte buffers, without
// padding. A read past the end fails and stays failed.

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace kfm::patina {

class LittleEndianWriter {
public:
    void u16(std::uint16_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
    void f32(float v) { u32(std::bit_cast<std::uint32_t>(v)); }
    void f64(double v) { put(std::bit_cast<std::uint64_t>(v), 8); }
    void bytes(std::span<const std::uint8_t> data) {
        out_.insert(out_.end(), data.begin(), data.end());
    }
    const std::vector<std::uint8_t>& data() const { return out_; }

private:
    void put(std::uint64_t v, int count) {
        for (int i = 0; i < count; ++i)
            out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    std::vector<std::uint8_t> out_;
};

class LittleEndianReader {
public:
    explicit LittleEndianReader(std::span<const std::uint8_t> data) : data_(data) {}
    std::uint16_t u16() { return static_cast<std::uint16_t>(take(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
    float f32() { return std::bit_cast<float>(u32()); }
    double f64() { return std::bit_cast<double>(take(8)); }
    void skip(std::size_t count) {
        if (data_.size() - at_ < count) {
            failed_ = true;
            at_ = data_.size();
        } else {
            at_ += count;
        }
    }
    // False once a read ran past the end.
    bool ok() const { return !failed_; }

private:
    std::uint64_t take(int count) {
        if (failed_ || data_.size() - at_ < static_cast<std::size_t>(count)) {
            failed_ = true;
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < count; ++i)
            v |= std::uint64_t{data_[at_ + static_cast<std::size_t>(i)]} << (8 * i);
        at_ += static_cast<std::size_t>(count);
        return v;
    }
    std::span<const std::uint8_t> data_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

} // namespace kfm::patina
