#include "PlaceableHeader.h"

namespace kfm::metafile {

namespace {

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::int16_t i16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int16_t>(u16(b, at));
}
std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return u16(b, at) | (static_cast<std::uint32_t>(u16(b, at + 2)) << 16);
}

} // namespace

std::optional<WmfPlaceableBox> readPlaceableBox(std::span<const std::uint8_t> wmf) {
    if (wmf.size() < kPlaceableHeaderSize || u32(wmf, 0) != kPlaceableKey)
        return std::nullopt;
    WmfPlaceableBox box;
    box.left = i16(wmf, 6);
    box.top = i16(wmf, 8);
    box.right = i16(wmf, 10);
    box.bottom = i16(wmf, 12);
    box.unitsPerInch = u16(wmf, 14);
    return box;
}

std::vector<std::uint8_t> placeableHeaderOf(const WmfPlaceableBox& box) {
    std::vector<std::uint8_t> header(kPlaceableHeaderSize, 0);
    const auto put16 = [&](std::size_t at, int v) {
        header[at] = static_cast<std::uint8_t>(v);
        header[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    put16(0, static_cast<int>(kPlaceableKey & 0xFFFF));
    put16(2, static_cast<int>(kPlaceableKey >> 16));
    put16(6, box.left);
    put16(8, box.top);
    put16(10, box.right);
    put16(12, box.bottom);
    put16(14, box.unitsPerInch);
    int checksum = 0;
    for (std::size_t at = 0; at < 20; at += 2)
        checksum ^= header[at] | (header[at + 1] << 8);
    put16(20, checksum);
    return header;
}

} // namespace kfm::metafile
