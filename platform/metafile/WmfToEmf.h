#pragma once
// Converts a Windows metafile (placeable or plain) into EMF records that play through the EMF
// player. The bytes are untrusted: every record size and count is checked before it is read;
// a damaged stream gives nothing. Records with no EMF counterpart here are left out and
// counted.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "types/Export.h"

namespace kfm::metafile {

// The picture size a plain WMF lacks (the METAFILEPICT of the clipboard): the mapping mode and
// the extent in 0.01 mm. Without it a plain WMF takes its size from its first window extent.
struct WmfPicture {
    int mapMode = 8;
    int widthHimetric = 0;
    int heightHimetric = 0;
};

// The placeable header's box, in its own units per inch.
struct WmfPlaceableBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int unitsPerInch = 0;
    bool empty() const { return right <= left || bottom <= top; }
};

struct WmfConversion {
    std::vector<std::uint8_t> emf; // empty when the conversion failed
    std::size_t skipped = 0;       // WMF records left out
};

// The placeable header of the bytes, when they start with one.
KFM_PLATFORM_API std::optional<WmfPlaceableBox> readPlaceableBox(std::span<const std::uint8_t> wmf);

// The 22-byte placeable header of the box, with its checksum.
KFM_PLATFORM_API std::vector<std::uint8_t> placeableHeaderOf(const WmfPlaceableBox& box);

KFM_PLATFORM_API WmfConversion convertWmfToEmf(std::span<const std::uint8_t> wmf,
                                               const WmfPicture* picture = nullptr);

} // namespace kfm::metafile
