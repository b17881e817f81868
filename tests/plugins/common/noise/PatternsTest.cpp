#include "Patterns.h"

#include "Grid.h"
#include "NoiseTestSupport.h"

#include <gtest/gtest.h>

namespace kfm::noise {
namespace {

using test::describeGrid;
using test::gridOf;
using test::makeGrid;

// The default layout as a tiling: rows of 32 pixels, bricks of 64 shifted by 32 on odd rows.
// In brick coordinates (lx, ly): the left bevel over columns 0..3 (rows 2..29), the top bevel
// over rows 0..3 (columns 2..61), the face inside, mortar (32) on the remaining border.
int expectedDefaultBrick(int x, int y) {
    const int ly = y % 32;
    const int lx = (x + ((y / 32) % 2 ? 32 : 0)) % 64;
    if (lx < 4 && ly >= 2 && ly < 30)
        return lx * 255 / 4;
    if (ly < 4 && lx >= 2 && lx < 62)
        return ly * 255 / 4;
    if (ly >= 4 && ly < 30 && lx >= 2 && lx < 62)
        return 255;
    return 32;
}

TEST(BrickPatternTest, DefaultsOn256Give64By32BricksShiftedByHalfOnOddRows) {
    auto grid = makeGrid(256, 256, -1);
    BrickPattern(*grid, 8, 4);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(grid->get(x, y), expectedDefaultBrick(x, y)) << x << "," << y;
}

TEST(BrickPatternTest, CountsBelowOneCountAsOne) {
    auto one = makeGrid(300, 280);
    BrickPattern(*one, 1, 1);
    for (const auto& [rows, across] : {std::pair{0, 0}, std::pair{-3, 1}, std::pair{1, -100}}) {
        auto grid = makeGrid(300, 280);
        BrickPattern(*grid, rows, across);
        EXPECT_EQ(describeGrid(*grid), describeGrid(*one)) << rows << " " << across;
    }
    // One brick of 256 x 256 per 256 pixels: its face at the centre.
    EXPECT_EQ(one->get(128, 128), 255);
}

TEST(DrawBrickTest, BevelsRiseOverTwiceTheBorder) {
    auto grid = makeGrid(20, 12, 32);
    DrawBrick(*grid, 0, 0, 12, 10, 0); // border 0 counts as 1
    // Top bevel rows 0..1 over columns 1..10: 0 and 127; left bevel columns 0..1 over rows 1..8.
    EXPECT_EQ(grid->get(5, 0), 0);
    EXPECT_EQ(grid->get(5, 1), 127);
    EXPECT_EQ(grid->get(0, 5), 0);
    EXPECT_EQ(grid->get(1, 5), 127);
    EXPECT_EQ(grid->get(5, 5), 255);
    EXPECT_EQ(grid->get(11, 5), 32); // the right border
    EXPECT_EQ(grid->get(5, 9), 32);  // the bottom border
    EXPECT_EQ(grid->get(0, 0), 32);
}

TEST(DrawBrickTest, BricksAtTheEdgesAreCutAndNeverWriteOutside) {
    auto grid = makeGrid(10, 10, 32);
    // Starts off a multiple of its width: it keeps a border more, so its face reaches the edge.
    DrawBrick(*grid, 6, 0, 8, 8, 1);
    EXPECT_EQ(grid->get(9, 4), 255);
    // Negative positions draw only what falls inside.
    DrawBrick(*grid, -6, -6, 8, 8, 1);
    EXPECT_EQ(grid->get(0, 0), 255);
    // Nothing for bricks under a pixel.
    auto untouched = makeGrid(10, 10, 32);
    DrawBrick(*untouched, 2, 2, 0, 5, 2);
    DrawBrick(*untouched, 2, 2, 5, -1, 2);
    EXPECT_EQ(describeGrid(*untouched), describeGrid(*makeGrid(10, 10, 32)));
}

TEST(PatternTest, InvertAndBlend) {
    auto pattern = gridOf(3, 1, [](int x, int) { return x * 100; });
    InvertPattern(*pattern);
    EXPECT_EQ(describeGrid(*pattern), "255 155 55\n");
    auto noise = gridOf(3, 1, [](int x, int) { return x == 0 ? 300 : (x == 1 ? -400 : 101); });
    BlendPattern(*noise, *pattern);
    // (300 + 255) >> 1 = 277 -> 255; (-400 + 155) >> 1 -> 0; (101 + 55) >> 1 = 78.
    EXPECT_EQ(describeGrid(*noise), "255 0 78\n");
}

} // namespace
} // namespace kfm::noise
