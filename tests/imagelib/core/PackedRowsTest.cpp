#include "PackedRows.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

// A row of indices and the bytes it packs to at one depth, the leftmost pixel highest.
struct PackedCase {
    int bits;
    std::vector<std::uint8_t> indices;
    std::vector<std::uint8_t> packed; // the bytes the pixels touch
};

const PackedCase kCases[] = {
    {1, {1, 0, 1, 1, 0, 0, 0, 1}, {0xB1}},
    {1, {1, 0, 1}, {0xA0}},                               // odd width: 3 of 8 bits
    {1, {0, 1, 0, 1, 0, 1, 0, 1, 1, 1, 1}, {0x55, 0xE0}}, // 11 pixels: 8 + 3
    {4, {0x1, 0x2, 0x3}, {0x12, 0x30}},                   // odd width: last high nibble
    {4, {0xF, 0x0, 0xA, 0x5}, {0xF0, 0xA5}},
    {8, {7, 200, 0, 255, 1}, {7, 200, 0, 255, 1}},
};

TEST(PackedRows, PacksAndUnpacksEachDepth) {
    for (const PackedCase& c : kCases) {
        std::vector<std::uint8_t> row(kpx::dibRowBytes(static_cast<int>(c.indices.size()), c.bits),
                                      0);
        kpx::packRow(c.indices, row.data(), c.bits);
        for (std::size_t i = 0; i < c.packed.size(); ++i)
            EXPECT_EQ(row[i], c.packed[i]) << c.bits << " bits, byte " << i;

        std::vector<std::uint8_t> unpacked(c.indices.size(), 0xEE);
        kpx::unpackRow(row.data(), c.bits, unpacked);
        EXPECT_EQ(unpacked, c.indices) << c.bits << " bits";
        for (std::size_t x = 0; x < c.indices.size(); ++x)
            EXPECT_EQ(kpx::indexAt(row.data(), static_cast<int>(x), c.bits), c.indices[x])
                << c.bits << " bits, pixel " << x;
    }
}

// Packing an odd-width row into a row that already holds padding must keep the padding: the
// bits after the last pixel in its byte and every byte after it.
TEST(PackedRows, PackKeepsWhatFollowsTheLastPixel) {
    for (const PackedCase& c : kCases) {
        const std::size_t size = kpx::dibRowBytes(static_cast<int>(c.indices.size()), c.bits);
        std::vector<std::uint8_t> row(size, 0xFF);
        std::vector<std::uint8_t> cleared(size, 0x00);
        kpx::packRow(c.indices, row.data(), c.bits);
        kpx::packRow(c.indices, cleared.data(), c.bits);
        const std::size_t usedBits = c.indices.size() * static_cast<std::size_t>(c.bits);
        for (std::size_t bit = usedBits; bit < size * 8; ++bit) {
            const int mask = 0x80 >> (bit % 8);
            EXPECT_TRUE(row[bit / 8] & mask) << c.bits << " bits, padding bit " << bit;
            EXPECT_FALSE(cleared[bit / 8] & mask) << c.bits << " bits, padding bit " << bit;
        }
    }
}

TEST(PackedRows, SetChangesOnlyItsOwnPixel) {
    for (const int bits : {1, 4, 8}) {
        for (const std::uint8_t background : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
            const int width = 13; // ends in a partial byte at 1 and 4 bits
            std::vector<std::uint8_t> row(kpx::dibRowBytes(width, bits), background);
            const int last = width - 1;
            const int value = background ? 0 : 1;
            kpx::setIndexAt(row.data(), last, bits, value);
            EXPECT_EQ(kpx::indexAt(row.data(), last, bits), value) << bits;
            for (int x = 0; x < last; ++x)
                EXPECT_EQ(kpx::indexAt(row.data(), x, bits), kpx::indexAt(&background, 0, bits))
                    << bits << " bits, pixel " << x;
            // The bits after the last pixel, in its byte and after it, are untouched.
            const std::size_t usedBits = static_cast<std::size_t>(width) * bits;
            for (std::size_t bit = usedBits; bit < row.size() * 8; ++bit)
                EXPECT_EQ((row[bit / 8] >> (7 - bit % 8)) & 1, background & 1)
                    << bits << " bits, padding bit " << bit;
        }
    }
}

// Indices wider than the depth keep only their low bits, without spilling into neighbours.
TEST(PackedRows, WideIndicesKeepTheirLowBits) {
    std::array<std::uint8_t, 4> row{};
    kpx::setIndexAt(row.data(), 1, 4, 0x3C);
    EXPECT_EQ(row[0], 0x0C);
    kpx::setIndexAt(row.data(), 8, 1, 2);
    EXPECT_EQ(row[1], 0x00);
    const std::array<std::uint8_t, 3> wide{0x13, 0x24, 0xFF};
    kpx::packRow(wide, row.data(), 4);
    EXPECT_EQ(row[0], 0x34);
    EXPECT_EQ(row[1] & 0xF0, 0xF0);
}

TEST(PackedRows, RepeatedIndexByteFillsEveryPixel) {
    EXPECT_EQ(kpx::repeatedIndexByte(1, 1), 0xFF);
    EXPECT_EQ(kpx::repeatedIndexByte(1, 0), 0x00);
    EXPECT_EQ(kpx::repeatedIndexByte(4, 0x1A), 0xAA);
    EXPECT_EQ(kpx::repeatedIndexByte(8, 0x7B), 0x7B);
}

} // namespace
