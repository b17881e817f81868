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

#include "PlaceableHeader.h"
#include "types/Export.h"

namespace kfm::metafile {

// The picture size a plain WMF lacks (the METAFILEPICT of the clipboard): the mapping mode and
// the extent in 0.01 mm. Without it a plain WMF takes its size from its first window extent.
struct WmfPicture {
    int mapMode = 8;
    int widthHimetric = 0;
    int heightHimetric = 0;
};

struct WmfConversion {
    std::vector<std::uint8_t> emf; // empty when the conversion failed
    std::size_t skipped = 0;       // WMF records left out
};

KFM_PLATFORM_API WmfConversion convertWmfToEmf(std::span<const std::uint8_t> wmf,
                                               const WmfPicture* picture = nullptr);

} // namespace kfm::metafile
