#pragma once
// The tests' own reading of packed index rows (most significant bits first), kept apart from the
// library's packed-row code so that it can check it.

#include <cstdint>

namespace kfm::test {

// The index of pixel x in a row of 1, 4 or 8 bits per pixel.
inline int packedIndexAt(const std::uint8_t* row, int x, int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default:
        return row[x];
    }
}

} // namespace kfm::test
