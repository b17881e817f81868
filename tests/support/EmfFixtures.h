#pragma once
// Small hand-built EMF streams for tests: a reference device of one pixel per millimetre, a
// picture frame of the given pixel size, solid brushes and rectangles in device pixels.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace kfm::test {

class EmfBuilder {
public:
    EmfBuilder(int widthPx, int heightPx) {
        record(1, 88);
        putRect(8, 0, 0, widthPx - 1, heightPx - 1);
        putRect(24, 0, 0, widthPx * 100 - 1, heightPx * 100 - 1);
        put(40, 0x464D4520u); // " EMF"
        put(44, 0x10000u);
        put(72, 1000); // the device: 1000 x 1000 pixels on 1000 x 1000 mm
        put(76, 1000);
        put(80, 1000);
        put(84, 1000);
    }

    // Creates a solid brush and selects it, with the null pen, so shapes are filled only.
    EmfBuilder& solidBrush(std::uint32_t colorref) {
        const std::uint32_t handle = ++handles_;
        words(39, {handle, 0, colorref, 0}); // EMR_CREATEBRUSHINDIRECT, BS_SOLID
        words(37, {handle});                 // EMR_SELECTOBJECT
        words(37, {0x80000008u});            // the stock null pen
        return *this;
    }
    // A rectangle; with the null pen it fills left..right-1 x top..bottom-1.
    EmfBuilder& rectangle(int left, int top, int right, int bottom) {
        words(43, {std::uint32_t(left), std::uint32_t(top), std::uint32_t(right),
                   std::uint32_t(bottom)});
        return *this;
    }
    // Any record from its 32-bit fields.
    EmfBuilder& words(std::uint32_t type, std::initializer_list<std::uint32_t> fields) {
        const std::size_t at = record(type, 8 + 4 * fields.size());
        std::size_t offset = at + 8;
        for (const std::uint32_t f : fields) {
            std::memcpy(bytes_.data() + offset, &f, 4);
            offset += 4;
        }
        return *this;
    }

    std::vector<std::uint8_t> finish() {
        words(14, {0, 16, 20}); // EMR_EOF
        put(48, static_cast<std::uint32_t>(bytes_.size()));
        put(52, records_);
        put(56, handles_ + 1);
        return bytes_;
    }

private:
    std::size_t record(std::uint32_t type, std::size_t size) {
        const std::size_t at = bytes_.size();
        bytes_.resize(at + size);
        std::memcpy(bytes_.data() + at, &type, 4);
        const auto size32 = static_cast<std::uint32_t>(size);
        std::memcpy(bytes_.data() + at + 4, &size32, 4);
        ++records_;
        return at;
    }
    void put(std::size_t at, std::uint32_t value) { std::memcpy(bytes_.data() + at, &value, 4); }
    void putRect(std::size_t at, int l, int t, int r, int b) {
        put(at, std::uint32_t(l));
        put(at + 4, std::uint32_t(t));
        put(at + 8, std::uint32_t(r));
        put(at + 12, std::uint32_t(b));
    }

    std::vector<std::uint8_t> bytes_;
    std::uint32_t records_ = 0;
    std::uint32_t handles_ = 0;
};

} // namespace kfm::test
