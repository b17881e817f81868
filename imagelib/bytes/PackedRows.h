#pragma once
// Rows of palette indices packed 1, 4 or 8 bits a pixel, the leftmost pixel in the most
// significant bits of its byte, in DIB rows padded to whole 32-bit words. Any depth other than
// 1 and 4 is read and written as one byte a pixel.

#include "gdi/DibSection.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kpx {

// Bytes of one DIB row of a width and depth.
using kfm::gdi::dibRowBytes;

// Palette index of pixel x of a row.
inline int indexAt(const std::uint8_t* row, std::int32_t x, int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default:
        return row[x];
    }
}

// Sets pixel x to the low bits of index; the other pixels sharing its byte keep their values.
inline void setIndexAt(std::uint8_t* row, std::int32_t x, int bitsPerPixel, int index) {
    switch (bitsPerPixel) {
    case 1: {
        const auto bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
        row[x >> 3] =
            static_cast<std::uint8_t>((index & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
        break;
    }
    case 4: {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] =
            static_cast<std::uint8_t>((row[x >> 1] & ~(15 << shift)) | ((index & 15) << shift));
        break;
    }
    default:
        row[x] = static_cast<std::uint8_t>(index);
    }
}

// A byte whose every pixel has the low bits of index.
inline std::uint8_t repeatedIndexByte(int bitsPerPixel, int index) {
    switch (bitsPerPixel) {
    case 1:
        return (index & 1) ? 0xFF : 0x00;
    case 4:
        return static_cast<std::uint8_t>((index & 15) * 0x11);
    default:
        return static_cast<std::uint8_t>(index);
    }
}

// Packs one index a pixel (its low bits) into the first indices.size() pixels of row. Bytes
// after the last pixel, and the bits after it in its own byte, keep their values.
inline void packRow(std::span<const std::uint8_t> indices, std::uint8_t* row, int bitsPerPixel) {
    const std::size_t width = indices.size();
    if (bitsPerPixel == 1) {
        const std::size_t whole = width / 8;
        for (std::size_t b = 0; b < whole; ++b) {
            const std::uint8_t* p = indices.data() + b * 8;
            unsigned byte = 0;
            for (int i = 0; i < 8; ++i)
                byte = (byte << 1) | (p[i] & 1u);
            row[b] = static_cast<std::uint8_t>(byte);
        }
        for (std::size_t x = whole * 8; x < width; ++x)
            setIndexAt(row, static_cast<std::int32_t>(x), 1, indices[x]);
    } else if (bitsPerPixel == 4) {
        const std::size_t pairs = width / 2;
        for (std::size_t b = 0; b < pairs; ++b)
            row[b] =
                static_cast<std::uint8_t>(((indices[2 * b] & 15) << 4) | (indices[2 * b + 1] & 15));
        if (width & 1)
            setIndexAt(row, static_cast<std::int32_t>(width - 1), 4, indices[width - 1]);
    } else {
        std::copy(indices.begin(), indices.end(), row);
    }
}

// Unpacks the first indices.size() pixels of row into one index a pixel.
inline void unpackRow(const std::uint8_t* row, int bitsPerPixel, std::span<std::uint8_t> indices) {
    const auto width = static_cast<std::int32_t>(indices.size());
    if (bitsPerPixel == 1) {
        for (std::int32_t x = 0; x < width; ++x)
            indices[x] = static_cast<std::uint8_t>(indexAt(row, x, 1));
    } else if (bitsPerPixel == 4) {
        for (std::int32_t x = 0; x < width; ++x)
            indices[x] = static_cast<std::uint8_t>(indexAt(row, x, 4));
    } else {
        std::copy_n(row, indices.size(), indices.begin());
    }
}

} // namespace kpx
