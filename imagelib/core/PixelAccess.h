#pragma once
// Row and pixel access inside a locked image record. Coordinates count x from the left and y
// from the top; rows are stored bottom-up, so picture row y is stored row height - 1 - y.

#include "ImageRecord.h"
#include "PackedRows.h"

#include <cstddef>
#include <cstdint>

namespace kpx {

// Start of picture row y (counted from the top) of a record with pixels.
inline std::uint8_t* pictureRow(const KpxImageRecord& record, std::int32_t y) {
    const std::size_t stored = static_cast<std::size_t>(record.height() - 1 - y);
    return record.bits + stored * dibRowBytes(record.width(), record.bitCount());
}

// The bit of pixel x of a 1-bit mask row.
inline bool maskBit(const std::uint8_t* row, std::int32_t x) {
    return indexAt(row, x, 1) != 0;
}

inline void setMaskBit(std::uint8_t* row, std::int32_t x, bool on) {
    setIndexAt(row, x, 1, on ? 1 : 0);
}

// Blue, green and red of pixel x of a row: from the colour table for 1, 4 and 8 bits, the
// pixel's own bytes for 24 bits. False for other depths.
inline bool colorAt(const KpxImageRecord& record, const std::uint8_t* row, std::int32_t x,
                    RGBQUAD* out) {
    const int bpp = record.bitCount();
    if (bpp == 24) {
        const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
        *out = RGBQUAD{p[0], p[1], p[2], 0};
        return true;
    }
    if (bpp == 1 || bpp == 4 || bpp == 8) {
        const std::uint32_t index = static_cast<std::uint32_t>(indexAt(row, x, bpp));
        *out = index < record.colorCount() ? record.colors()[index] : RGBQUAD{};
        return true;
    }
    return false;
}

inline bool hasPixels(const KpxImageRecord* record) {
    return record && record->info && record->bits;
}

} // namespace kpx
