#include "GridEffects.h"

#include "Grid.h"
#include "NoiseTestSupport.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace kfm::noise {
namespace {

using test::describeGrid;
using test::gridOf;
using test::makeGrid;
using test::sameCells;

std::unique_ptr<CGrid> randomGrid(int w, int h, int seed, std::int32_t mask = 255) {
    SeedRandom(static_cast<std::uint32_t>(seed));
    return gridOf(w, h, [&](int, int) {
        const int high = NextRandom() << 9;
        return (high ^ NextRandom()) & mask;
    });
}

int red(std::int32_t c) {
    return c & 255;
}
int green(std::int32_t c) {
    return (c >> 8) & 255;
}
int blue(std::int32_t c) {
    return (c >> 16) & 255;
}

TEST(TileTest, PercentIsClampedToOneToFifty) {
    for (const bool colour : {false, true}) {
        auto make = [&](int percent) {
            auto grid = randomGrid(40, 40, 7, colour ? 0xFFFFFF : 255);
            EXPECT_TRUE(colour ? MakeTileableColour(*grid, TileRamp::Cosine, percent)
                               : MakeTileable(*grid, TileRamp::Cosine, percent));
            return grid;
        };
        EXPECT_TRUE(sameCells(*make(0), *make(1))) << colour;
        EXPECT_TRUE(sameCells(*make(-5), *make(1))) << colour;
        EXPECT_TRUE(sameCells(*make(100), *make(50))) << colour;
        EXPECT_FALSE(sameCells(*make(1), *make(50))) << colour;
    }
}

// 4 x 4 at 50 %: strips of n = 2 with the weights 0 and 1, so column 0 takes column 2 and
// column 1 keeps itself, then the same for rows; the 2 x 2 that remains is stretched back
// bilinearly with steps of 1/4.
TEST(TileTest, SmallGridByHand) {
    auto grid = gridOf(4, 4, [](int x, int y) { return 100 * y + 10 * x; });
    ASSERT_TRUE(MakeTileable(*grid, TileRamp::Cosine, 50));
    // The 2 x 2 is (220, 210 / 120, 110).
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(grid->get(i, j), static_cast<int>(220 - 2.5 * i - 25 * j)) << i << "," << j;
}

// The cloud generator's 16 x 16 at 12 % gives a strip of one column, blended with the one
// weight at t = 0: the column that follows the kept part.
TEST(TileTest, AStripOfOneTakesTheFollowingColumn) {
    for (const TileRamp ramp : {TileRamp::Cosine, TileRamp::QuarterSine}) {
        const auto source = randomGrid(16, 16, 3, 191);
        auto grid = CGrid::createCopy(*source);
        ASSERT_TRUE(MakeTileable(*grid, ramp, 12));
        EXPECT_EQ(grid->get(0, 0), source->get(15, 15));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                ASSERT_GE(grid->get(x, y), 0);
                ASSERT_LE(grid->get(x, y), 191);
            }
    }
}

// A grid far wider than tall: the strip of rows stays within half its height.
TEST(TileTest, WideGridsKeepTheRowStripInside) {
    auto grid = randomGrid(256, 8, 4);
    ASSERT_TRUE(MakeTileable(*grid, TileRamp::Cosine, 12));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 256; ++x) {
            ASSERT_GE(grid->get(x, y), 0);
            ASSERT_LE(grid->get(x, y), 255);
        }
    auto colour = randomGrid(2048, 32, 4, 0xFFFFFF);
    ASSERT_TRUE(MakeTileableColour(*colour, TileRamp::Cosine, 12));
}

TEST(TileTest, ColourChannelsBlendApart) {
    auto grid = gridOf(4, 4, [](int x, int y) { return (40 * y + 6 * x) << 8 | 0xFF0000 | 7; });
    ASSERT_TRUE(MakeTileableColour(*grid, TileRamp::Cosine, 50));
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            const std::int32_t c = grid->get(i, j);
            EXPECT_EQ(green(c), static_cast<int>(92 - 1.5 * i - 10 * j));
            EXPECT_EQ(blue(c), 255);
            EXPECT_EQ(red(c), 7);
        }
}

TEST(KaleidoscopeTest, SymmetricAboutBothCentreLines) {
    for (const auto& [w, h] : {std::pair{10, 8}, std::pair{9, 7}, std::pair{1, 1}}) {
        auto grid = randomGrid(w, h, w * h, 0xFFFFFF);
        ASSERT_TRUE(Kaleidoscope(*grid));
        ASSERT_EQ(grid->width(), w);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                EXPECT_EQ(grid->get(x, y), grid->get(w - 1 - x, y)) << x << "," << y;
                EXPECT_EQ(grid->get(x, y), grid->get(x, h - 1 - y)) << x << "," << y;
            }
    }
}

TEST(KaleidoscopeTest, AveragesEachChannelOfTwoByTwo) {
    auto grid = makeGrid(4, 4);
    grid->set(0, 0, 0x000A0001);
    grid->set(1, 0, 0x00140002);
    grid->set(0, 1, 0x001E0003);
    grid->set(1, 1, 0x00FF0004);
    ASSERT_TRUE(Kaleidoscope(*grid));
    // Red: (1 + 2) / 2 -> 1, (3 + 4) / 2 -> 3, (1 + 3) / 2 = 2. Blue: (10 + 20) / 2 = 15,
    // (30 + 255) / 2 -> 142, (15 + 142) / 2 -> 78.
    EXPECT_EQ(grid->get(0, 0), 0x004E0002);
    EXPECT_EQ(grid->get(3, 3), 0x004E0002);
}

TEST(ReliefTest, OneColourGives128) {
    auto grid = makeGrid(5, 4, 0x00336699);
    ASSERT_TRUE(ApplyRelief(*grid));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(grid->get(x, y), 0x00808080);
}

// A black band over a white one: the rows that see white below and black above are bright,
// the others dark, with the edges wrapping around.
TEST(ReliefTest, HorizontalEdgeByHand) {
    auto grid = gridOf(3, 4, [](int, int y) { return y < 2 ? 0 : 0x00FFFFFF; });
    ASSERT_TRUE(ApplyRelief(*grid));
    EXPECT_EQ(describeGrid(*grid), "0 0 0\n16777215 16777215 16777215\n"
                                   "16777215 16777215 16777215\n0 0 0\n");
}

TEST(ResampleTest, NearestAndBilinearSampleByTheSteps) {
    auto nearest = gridOf(4, 2, [](int x, int y) { return 10 * x + 100 * y; });
    ASSERT_TRUE(ResampleGrid(*nearest, 0, 0, 4, 2, 4, 2, Sampling::Nearest));
    // Columns at 0, 0.75, 1.5, 2.25; rows at 0, 0.5.
    EXPECT_EQ(describeGrid(*nearest), "0 0 10 20\n0 0 10 20\n");
    auto bilinear = gridOf(4, 2, [](int x, int y) { return 10 * x + 100 * y; });
    ASSERT_TRUE(ResampleGrid(*bilinear, 0, 0, 4, 2, 4, 2, Sampling::Bilinear));
    EXPECT_EQ(describeGrid(*bilinear), "0 7 15 22\n50 57 65 72\n");
}

TEST(ResampleTest, ScalarFormKeepsItsSizeAndColourFormEnlarges) {
    auto scalar = gridOf(2, 2, [](int x, int y) { return 100 * x + 50 * y; });
    ASSERT_TRUE(ResampleGrid(*scalar, 0, 0, 2, 2, 8, 8, Sampling::Bilinear));
    EXPECT_EQ(scalar->width(), 2);
    EXPECT_EQ(scalar->height(), 2);

    auto colour = gridOf(2, 2, [](int x, int y) { return (200 * x) | (100 * y) << 16; });
    ASSERT_TRUE(ResampleColourGrid(*colour, 0, 0, 2, 2, 4, 4, Sampling::Bilinear));
    ASSERT_EQ(colour->width(), 4);
    ASSERT_EQ(colour->height(), 4);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(red(colour->get(i, j)), 50 * i) << i << "," << j;
            EXPECT_EQ(blue(colour->get(i, j)), 25 * j) << i << "," << j;
        }
}

TEST(ResampleTest, OriginsBeyondTheGridReadItsEdge) {
    auto grid = gridOf(4, 4, [](int x, int y) { return x + 4 * y; });
    ASSERT_TRUE(ResampleGrid(*grid, 3, 3, 4, 4, 4, 4, Sampling::Bilinear));
    EXPECT_EQ(grid->get(3, 3), 15);
}

// Each row of the 4 x 4 is 0, 16, 32, 48 (plus 256 per row): between its cells the cubic
// through four neighbours gives 24 in the middle of the ramp, and 0 and 48 where it wraps
// (0 after 48 before 0; 48 after 32 before 48): 0 0 16 24 32 48 48 24. The columns do the same
// in steps of 256.
TEST(DoubleGridCubicTest, KnownFourByFour) {
    const auto source = gridOf(4, 4, [](int x, int y) { return 16 * x + 256 * y; });
    const auto doubled = DoubleGridCubic(*source);
    ASSERT_TRUE(doubled);
    ASSERT_EQ(doubled->width(), 8);
    ASSERT_EQ(doubled->height(), 8);
    const int along[8] = {0, 0, 16, 24, 32, 48, 48, 24};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(doubled->get(x, y), along[x] + 16 * along[y]) << x << "," << y;
}

TEST(DoubleGridCubicTest, RefusesSidesThatAreNotPowersOfTwo) {
    EXPECT_EQ(DoubleGridCubic(*makeGrid(3, 4)), nullptr);
    EXPECT_EQ(DoubleGridCubic(*makeGrid(4, 6)), nullptr);
    EXPECT_EQ(DoubleGridCubic(CGrid()), nullptr);
    const auto one = DoubleGridCubic(*makeGrid(1, 1, 9));
    ASSERT_TRUE(one);
    EXPECT_EQ(describeGrid(*one), "9 9\n9 9\n");
}

TEST(EffectsTest, UniformGridsAreLeftAlone) {
    CGrid uniform;
    EXPECT_TRUE(MakeTileable(uniform, TileRamp::Cosine, 12));
    EXPECT_TRUE(Kaleidoscope(uniform));
    EXPECT_TRUE(ApplyRelief(uniform));
    EXPECT_TRUE(ResampleColourGrid(uniform, 0, 0, 1, 1, 4, 4, Sampling::Nearest));
    EXPECT_TRUE(uniform.isUniform());
}

} // namespace
} // namespace kfm::noise
