#pragma once
// The 22-byte placeable header that may stand before a Windows metafile's own header: its key,
// its size, the picture's box in it, and reading and writing it. The one home of these for the
// converter, the clipboard's metafile pictures and the library's metafile format.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "types/Export.h"

namespace kfm::metafile {

// The first four bytes of a placeable header, read little-endian.
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
// The bytes of a placeable header; the metafile's own header follows them.
constexpr std::size_t kPlaceableHeaderSize = 22;

// The placeable header's box, in its own units per inch.
struct WmfPlaceableBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int unitsPerInch = 0;
    bool empty() const { return right <= left || bottom <= top; }
};

// The placeable header of the bytes, when they start with one.
KFM_PLATFORM_API std::optional<WmfPlaceableBox> readPlaceableBox(std::span<const std::uint8_t> wmf);

// The 22-byte placeable header of the box, with its checksum.
KFM_PLATFORM_API std::vector<std::uint8_t> placeableHeaderOf(const WmfPlaceableBox& box);

} // namespace kfm::metafile
