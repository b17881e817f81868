#include "NoiseCanvas.h"

#include "NoiseTestSupport.h"
#include "Patterns.h"
#include "Profiles.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kfm::noise {
namespace {

using test::describeGrid;
using test::makeGrid;
using test::sameCells;

TEST(NoiseCanvasTest, MakesThreeGridsOfItsSize) {
    EXPECT_EQ(CNoiseCanvas::create(0, 32), nullptr);
    const auto canvas = CNoiseCanvas::create(48, 32);
    ASSERT_TRUE(canvas);
    for (CGrid* grid : {&canvas->patternGrid(), &canvas->workGrid(), &canvas->noiseGrid()}) {
        EXPECT_EQ(grid->width(), 48);
        EXPECT_EQ(grid->height(), 32);
    }
    EXPECT_FALSE(canvas->hasPattern());
    EXPECT_EQ(SineTable().size(), 629u);
    EXPECT_EQ(SineTable()[0], 0.0);
    EXPECT_EQ(SineTable()[314], std::sin(3.14));
    EXPECT_EQ(SineTable()[628], std::sin(6.28));
}

// The canvas's noise is the texture form of the library's, into its noise grid, and it keeps
// the modes of the last call.
TEST(NoiseCanvasTest, NoiseGoesToTheNoiseGridInTheTextureForm) {
    const auto canvas = CNoiseCanvas::create(40, 40);
    const NoiseFlags flags{.signedValues = true, .absolute = true, .tile = true};
    EXPECT_EQ(canvas->OctaveNoiseAt(31, 40, 40, 5120, 3, flags), 31);
    EXPECT_TRUE(canvas->signedNoise());
    EXPECT_TRUE(canvas->absoluteNoise());
    auto grid = makeGrid(40, 40);
    NoiseTables tables;
    OctaveNoiseAt(tables, *grid, NoiseForm::Texture, 31, 40, 40, 5120, 3, flags);
    EXPECT_TRUE(sameCells(canvas->noiseGrid(), *grid));

    canvas->CellularNoise(31, {1, 0, 0, 0}, CellWrap::On);
    CellularNoise(*grid, NoiseForm::Texture, 31, {1, 0, 0, 0}, CellWrap::On);
    EXPECT_TRUE(sameCells(canvas->noiseGrid(), *grid));
}

TEST(NoiseCanvasTest, BackgroundPatternsByType) {
    const auto canvas = CNoiseCanvas::create(64, 64);
    auto bricks = makeGrid(64, 64);
    BrickPattern(*bricks, 8, 4);

    canvas->ApplyBackgroundPattern(1, 5, false, 8, 4);
    EXPECT_TRUE(canvas->hasPattern());
    EXPECT_TRUE(sameCells(canvas->patternGrid(), *bricks));

    canvas->ApplyBackgroundPattern(1, 5, true, 8, 4);
    InvertPattern(*bricks);
    EXPECT_TRUE(sameCells(canvas->patternGrid(), *bricks));

    for (const int none : {0, 5, -1}) {
        canvas->ApplyBackgroundPattern(none, 5, true, 8, 4);
        EXPECT_FALSE(canvas->hasPattern()) << none;
    }
}

TEST(NoiseCanvasTest, StonesComeFromWrappedCellularNoise) {
    const struct {
        int type;
        CellCoefficients coefficients;
    } cases[] = {{2, {1.5, -1.46, 0, 0}}, {3, {0, 0, 1.5, -1.47}}, {4, {1.5, -1.46, 0, 0}}};
    for (const auto& c : cases) {
        const auto canvas = CNoiseCanvas::create(64, 48);
        canvas->ApplyBackgroundPattern(c.type, 77, false, 8, 4);
        EXPECT_TRUE(canvas->hasPattern());
        auto cells = makeGrid(64, 48);
        CellularNoise(*cells, NoiseForm::Texture, 77, c.coefficients, CellWrap::On);
        int raised = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const int v = cells->get(x, y);
                const int expected = c.type == 4 ? (v > 0 ? 255 : v) : (v < 0 ? -v : 0);
                ASSERT_EQ(canvas->patternGrid().get(x, y), expected) << c.type;
                raised += expected > 0;
            }
        EXPECT_GT(raised, 0) << c.type;
    }
}

TEST(NoiseCanvasTest, BlendPatternOnlyWithAPattern) {
    const auto canvas = CNoiseCanvas::create(32, 32);
    canvas->noiseGrid().fill(100);
    canvas->patternGrid().fill(200);
    canvas->BlendPattern();
    EXPECT_EQ(canvas->noiseGrid().get(5, 5), 100);
    canvas->ApplyBackgroundPattern(1, 1, false, 8, 4);
    canvas->BlendPattern();
    // Mortar 32: (100 + 32) >> 1.
    EXPECT_EQ(canvas->noiseGrid().get(0, 0), 66);
}

TEST(RingProfileTest, RisesOver83PercentAndFallsOverTheRest) {
    const struct {
        int p;
        int value;
    } cases[] = {
        {0, 0},     {53, 127}, // t = 0.414, u = 0.499: just below half way up
        {106, 254},            // t = 0.828: just before the top
        {107, 254},            // t = 0.836: just after it, falling
        {127, 1},              // t = 0.992: nearly down
        {128, 0},              // the next period
        {-1, 1},               // negative positions continue the period
    };
    for (const auto& c : cases)
        EXPECT_EQ(RingProfile(c.p), c.value) << c.p;
    for (int p = -300; p < 300; ++p) {
        ASSERT_EQ(RingProfile(p), RingProfile(p + 128)) << p;
        ASSERT_GE(RingProfile(p), 0);
        ASSERT_LE(RingProfile(p), 255);
    }
}

} // namespace
} // namespace kfm::noise
