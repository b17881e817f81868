#pragma once
// Small bitmap files built by hand for the codec tests.

#include <cstdint>
#include <vector>

namespace kfm::test::bmp {

using Bytes = std::vector<std::uint8_t>;

inline void putU16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void putU32(Bytes& out, std::uint32_t v) {
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

struct BitmapSpec {
    std::int32_t width = 1;
    std::int32_t height = 1;
    int bits = 8;
    std::uint32_t compression = 0;
    int paletteEntries = 0;           // grey ramp entries i, i, i
    std::vector<std::uint32_t> masks; // written after the 40-byte header
    std::uint32_t imageSize = 0;
};

// "BM", a 40-byte info header, the masks, a grey colour table and the pixel bytes.
inline Bytes bitmapFile(const BitmapSpec& spec, const Bytes& pixels) {
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(spec.masks.size()) * 4 +
                                 static_cast<std::uint32_t>(spec.paletteEntries) * 4;
    Bytes out = {'B', 'M'};
    putU32(out, offset + static_cast<std::uint32_t>(pixels.size()));
    putU32(out, 0);
    putU32(out, offset);
    putU32(out, 40);
    putU32(out, static_cast<std::uint32_t>(spec.width));
    putU32(out, static_cast<std::uint32_t>(spec.height));
    putU16(out, 1);
    putU16(out, static_cast<std::uint32_t>(spec.bits));
    putU32(out, spec.compression);
    putU32(out, spec.imageSize);
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, static_cast<std::uint32_t>(spec.paletteEntries));
    putU32(out, 0);
    for (const std::uint32_t mask : spec.masks)
        putU32(out, mask);
    for (int i = 0; i < spec.paletteEntries; ++i)
        for (int c = 0; c < 4; ++c)
            out.push_back(c < 3 ? static_cast<std::uint8_t>(i) : 0);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

} // namespace kfm::test::bmp
