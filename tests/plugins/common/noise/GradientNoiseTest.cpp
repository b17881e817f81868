#include "GradientNoise.h"

#include "Grid.h"
#include "NoiseTestSupport.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>

namespace kfm::noise {
namespace {

using test::describeGrid;
using test::makeGrid;
using test::sameCells;

// 2^19 per pixel in the texture form: a lattice point every 8 pixels (the fraction, bits 14..21,
// grows by 32 per pixel), so a 16 x 16 grid covers 2 x 2 lattice cells.
constexpr std::int32_t kEightPixelsPerCell = 64 << 13;

std::unique_ptr<CGrid> textureNoise(int seed, int octaves, const NoiseFlags& flags, int size = 16) {
    auto grid = makeGrid(size, size, -999);
    NoiseTables tables;
    OctaveNoiseAt(tables, *grid, NoiseForm::Texture, seed, size, size, kEightPixelsPerCell, octaves,
                  flags);
    return grid;
}

// The gradient noise of one position, from its definition: dot products of the corner
// gradients with the offsets, divided by 256 and rounded down, blended along the smoothstep.
int definitionNoise(const NoiseTables& t, std::uint32_t x, std::uint32_t y) {
    const int xi = static_cast<int>(x >> 22) % 256;
    const int yi = static_cast<int>(y >> 22) % 256;
    const double fx = (x >> 14) % 256;
    const double fy = (y >> 14) % 256;
    auto corner = [&](int cx, int cy, double ox, double oy) {
        const Gradient g = t.gradient[t.permutation[(xi + cx) % 256] + (yi + cy) % 256];
        return std::floor((g.x * ox + g.y * oy) / 256);
    };
    const double tl = corner(0, 0, fx, fy);
    const double tr = corner(1, 0, fx - 256, fy);
    const double bl = corner(0, 1, fx, fy - 256);
    const double br = corner(1, 1, fx - 256, fy - 256);
    auto fade = [](double f) {
        return std::floor(256 * (3 * std::pow(f / 256, 2) - 2 * std::pow(f / 256, 3)));
    };
    auto blend = [](double a, double b, double s) { return a + std::floor((b - a) * s / 256); };
    const double top = blend(tl, tr, fade(fx));
    const double bottom = blend(bl, br, fade(fx));
    return static_cast<int>(blend(top, bottom, fade(fy)));
}

TEST(NoiseTablesTest, BuildsAShuffledPermutationAndGradientsOfLength255) {
    NoiseTables tables;
    EXPECT_EQ(InitNoiseTables(tables, 1, GradientLength::Unit), 1);
    // The first two draws after seed 1 are 41 and 18467: gx = -215/256, gy = -221/256, of
    // length 308.327/256, so gradient 0 is (truncate(-177.81), truncate(-182.78)).
    EXPECT_EQ(tables.gradient[0], (Gradient{-177, -182}));
    std::set<int> values(tables.permutation.begin(), tables.permutation.begin() + 256);
    EXPECT_EQ(values.size(), 256u);
    EXPECT_EQ(*values.begin(), 0);
    EXPECT_EQ(*values.rbegin(), 255);
    for (int i = 0; i < 256; ++i) {
        const double length = std::hypot(tables.gradient[i].x, tables.gradient[i].y);
        EXPECT_GT(length, 253) << i;
        EXPECT_LE(length, 255.01) << i;
    }
    for (int i = 0; i < 258; ++i) {
        EXPECT_EQ(tables.permutation[256 + i], tables.permutation[i]);
        EXPECT_EQ(tables.gradient[256 + i], tables.gradient[i]);
    }
}

TEST(NoiseTablesTest, SquaredLengthGivesLongerGradients) {
    NoiseTables tables;
    InitNoiseTables(tables, 1, GradientLength::Squared);
    // -215/256 x 255 / (95066 / 65536) = -147.64 (the squared length is below 1).
    EXPECT_EQ(tables.gradient[0], (Gradient{-147, -151}));
}

// Seed 569 draws (256, 256) for gradient 90: both components 0, a gradient of length 0.
TEST(NoiseTablesTest, AGradientOfLengthZeroIsZero) {
    SeedRandom(569);
    for (int i = 0; i < 90; ++i) {
        NextRandom();
        NextRandom();
    }
    ASSERT_EQ(NextRandom() & 511, 256);
    ASSERT_EQ(NextRandom() & 511, 256);
    for (const GradientLength length : {GradientLength::Unit, GradientLength::Squared}) {
        NoiseTables tables;
        InitNoiseTables(tables, 569, length);
        EXPECT_EQ(tables.gradient[90], (Gradient{0, 0}));
        EXPECT_EQ(tables.gradient[346], (Gradient{0, 0}));
    }
}

TEST(GradientNoiseTest, MatchesItsDefinitionAtEveryFraction) {
    NoiseTables tables;
    InitNoiseTables(tables, 4321, GradientLength::Squared);
    for (std::uint32_t cell = 0; cell < 3; ++cell)
        for (std::uint32_t fy = 0; fy < 256; fy += 5)
            for (std::uint32_t fx = 0; fx < 256; ++fx) {
                const std::uint32_t x = (cell * 97 + 254) << 22 | fx << 14;
                const std::uint32_t y = (cell * 13 + 255) << 22 | fy << 14;
                ASSERT_EQ(GradientNoiseAt(tables, x, y), definitionNoise(tables, x, y))
                    << cell << " " << fx << " " << fy;
            }
}

struct ModeCase {
    const char* name;
    NoiseFlags flags;
    int atLatticePoints;
};

const ModeCase kModeCases[] = {
    {"unsigned", {}, 128},
    {"signed", {.signedValues = true}, 0},
    {"absolute", {.signedValues = true, .absolute = true}, 0},
    {"absolute_without_signed_is_unsigned", {.absolute = true}, 128},
};

class LatticeTest : public ::testing::TestWithParam<ModeCase> {};

// At a lattice point every offset is 0 in the cell's own corner and the blend takes that corner.
TEST_P(LatticeTest, LatticePointsGiveZeroSignedAnd128Unsigned) {
    const auto grid = textureNoise(77, 1, GetParam().flags);
    for (const int y : {0, 8})
        for (const int x : {0, 8})
            EXPECT_EQ(grid->get(x, y), GetParam().atLatticePoints) << x << "," << y;
    // Between them the noise varies.
    std::set<int> values;
    for (int x = 1; x < 8; ++x)
        values.insert(grid->get(x, 3));
    EXPECT_GT(values.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Modes, LatticeTest, ::testing::ValuesIn(kModeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GradientNoiseTest, NoiseRowStoresAndAccumulatesByItsWeight) {
    NoiseTables tables;
    InitNoiseTables(tables, 5, GradientLength::Unit);
    // A lattice point gives v = 128 unsigned; the cell holds 100 before each accumulation.
    struct Case {
        RowStore store;
        float weight;
        bool normalise;
        int expected;
    };
    const Case cases[] = {
        {RowStore::Replace, 0.25f, false, 128},    {RowStore::Accumulate, 0.5f, false, 64 + 100},
        {RowStore::Accumulate, 0.5f, true, 109},   // truncate(164 x 0.6666666666666666)
        {RowStore::Accumulate, 0.25f, false, 132}, // truncate(128 x 0.25 + 100)
        {RowStore::Accumulate, 0.25f, true, 105},  // truncate(132 / 1.25)
    };
    for (const Case& c : cases) {
        auto grid = makeGrid(1, 1, 100);
        NoiseRow(tables, *grid, 0, {kNoiseOrigin, kNoiseOrigin}, 1, c.store, c.weight,
                 {.normalise = c.normalise});
        EXPECT_EQ(grid->get(0, 0), c.expected) << c.weight << " " << c.normalise;
        EXPECT_EQ(tables.lastValue, 128);
    }
}

TEST(GradientNoiseTest, NoiseRowFollowsItsPathAndStaysInsideTheGrid) {
    NoiseTables tables;
    InitNoiseTables(tables, 9, GradientLength::Unit);
    auto grid = makeGrid(4, 2, -1);
    // Steps that grow: x at 0, 1 + 1, ... (dx 1 cell, ddx 1/4 cell).
    const NoisePath path{kNoiseOrigin, kNoiseOrigin, 1u << 22, 3u << 14, 1u << 20, 0};
    NoiseRow(tables, *grid, 1, path, 100, RowStore::Replace, 0.5f, {.signedValues = true});
    std::uint32_t x = path.x, dx = path.dx, y = path.y;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(grid->get(i, 1), GradientNoiseAt(tables, x, y)) << i;
        EXPECT_EQ(grid->get(i, 0), -1);
        x += dx + path.ddx;
        dx += 4 * path.ddx;
        y += path.dy;
    }
    NoiseRow(tables, *grid, 2, path, 4, RowStore::Replace, 0.5f, {});
    NoiseRow(tables, *grid, -1, path, 4, RowStore::Replace, 0.5f, {});
    EXPECT_EQ(grid->get(0, 0), -1);
}

TEST(GradientNoiseTest, LatticeStepOfEachForm) {
    EXPECT_EQ(LatticeStep(NoiseForm::Texture, 5120, 999), 5120u);
    // (frequency << 8) / 256 in 32-bit signed arithmetic keeps the low 24 bits, sign-extended.
    EXPECT_EQ(LatticeStep(NoiseForm::Texture, 0x01800000, 16), 0xFF800000u);
    EXPECT_EQ(LatticeStep(NoiseForm::Distortion, 0x10000, 16), 0x100000u);
    EXPECT_EQ(LatticeStep(NoiseForm::Distortion, 0x01010000, 16), 0x100000u);
    EXPECT_EQ(LatticeStep(NoiseForm::Distortion, 0x200000, 640), 0x200000u * 256 / 640);
}

TEST(OctaveNoiseTest, OctaveCountsZeroAndOneComputeTheFirstOctaveOnly) {
    const NoiseFlags flags{.normalise = true, .weighting = true};
    const auto one = textureNoise(11, 1, flags);
    EXPECT_TRUE(sameCells(*textureNoise(11, 0, flags), *one));
    // Only the low 16 bits count.
    EXPECT_TRUE(sameCells(*textureNoise(11, 0x10001, flags), *one));
    EXPECT_FALSE(sameCells(*textureNoise(11, 2, flags), *one));
    // The first octave alone, halved by the weighting of unsigned noise.
    NoiseTables tables;
    InitNoiseTables(tables, 11, GradientLength::Unit);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(one->get(x, y),
                      (GradientNoiseAt(tables, kNoiseOrigin + x * kEightPixelsPerCell,
                                       kNoiseOrigin + y * kEightPixelsPerCell) +
                       256) >>
                          2);
}

TEST(OctaveNoiseTest, SeedMinusOneGivesNewNoiseOnEveryCall) {
    SeedRandom(3);
    const auto first = textureNoise(-1, 2, {});
    const auto second = textureNoise(-1, 2, {});
    EXPECT_FALSE(sameCells(*first, *second));
}

// Within one call every row gets tables built afresh from the running generator.
TEST(OctaveNoiseTest, SeedMinusOneRebuildsTheTablesForEveryRow) {
    SeedRandom(3);
    const auto grid = textureNoise(-1, 1, {.signedValues = true});
    SeedRandom(3);
    NoiseTables tables;
    InitNoiseTables(tables, -1, GradientLength::Unit); // the call's own
    for (int y = 0; y < 3; ++y) {
        InitNoiseTables(tables, -1, GradientLength::Unit);
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(grid->get(x, y),
                      GradientNoiseAt(tables, kNoiseOrigin + x * kEightPixelsPerCell,
                                      kNoiseOrigin + y * kEightPixelsPerCell))
                << x << "," << y;
    }
}

TEST(OctaveNoiseTest, AClockSeedIsReturnedAndReproducesItsNoise) {
    SetNoiseClock([]() -> std::int64_t { return 1234567; });
    auto grid = makeGrid(16, 16);
    NoiseTables tables;
    const int seed =
        OctaveNoiseAt(tables, *grid, NoiseForm::Texture, 0, 16, 16, kEightPixelsPerCell, 3, {});
    SetNoiseClock(nullptr);
    EXPECT_EQ(seed, 1234567 % 32767);
    EXPECT_TRUE(sameCells(*textureNoise(seed, 3, {}), *grid));
}

// The distortion form keeps the number of lattice cells across any width: a grid twice as
// large shows the same noise at every second pixel.
TEST(OctaveNoiseTest, DistortionLatticeScalesWithTheRowLength) {
    const NoiseFlags flags{.normalise = true, .weighting = true};
    auto small = makeGrid(64, 64);
    auto large = makeGrid(128, 128);
    NoiseTables tables;
    OctaveNoiseAt(tables, *small, NoiseForm::Distortion, 21, 64, 64, 0x40000, 2, flags);
    OctaveNoiseAt(tables, *large, NoiseForm::Distortion, 21, 128, 128, 0x40000, 2, flags);
    for (int y = 0; y < 64; y += 3)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(small->get(x, y), large->get(2 * x, 2 * y)) << x << "," << y;
}

// A field as wide as a frame beyond 2048 pixels has noise in its right part too.
TEST(OctaveNoiseTest, DistortionFieldsCoverFramesWiderThan2048) {
    auto grid = makeGrid(2600, 3, -1);
    NoiseTables tables;
    OctaveNoiseAt(tables, *grid, NoiseForm::Distortion, 1, 2600, 3, 0x40000, 2,
                  {.normalise = true, .weighting = true});
    std::set<int> right;
    for (int x = 2048; x < 2600; ++x) {
        right.insert(grid->get(x, 2));
        ASSERT_GE(grid->get(x, 2), 0);
        ASSERT_LE(grid->get(x, 2), 256);
    }
    EXPECT_GT(right.size(), 20u);
}

TEST(OctaveNoiseTest, TheTileFlagActsInTheTextureFormOnly) {
    const NoiseFlags tiled{.normalise = true, .tile = true};
    EXPECT_FALSE(
        sameCells(*textureNoise(8, 2, tiled, 40), *textureNoise(8, 2, {.normalise = true}, 40)));
    auto a = makeGrid(40, 40);
    auto b = makeGrid(40, 40);
    NoiseTables tables;
    OctaveNoiseAt(tables, *a, NoiseForm::Distortion, 8, 40, 40, 0x40000, 2, tiled);
    OctaveNoiseAt(tables, *b, NoiseForm::Distortion, 8, 40, 40, 0x40000, 2, {.normalise = true});
    EXPECT_TRUE(sameCells(*a, *b));
}

TEST(OctaveNoiseTest, WritesOnlyTheRequestedPart) {
    auto grid = makeGrid(8, 8, -7);
    NoiseTables tables;
    OctaveNoiseAt(tables, *grid, NoiseForm::Texture, 2, 5, 3, kEightPixelsPerCell, 2, {});
    EXPECT_NE(grid->get(4, 2), -7);
    EXPECT_EQ(grid->get(5, 2), -7);
    EXPECT_EQ(grid->get(4, 3), -7);
    // Counts beyond the grid are limited to it.
    OctaveNoiseAt(tables, *grid, NoiseForm::Texture, 2, 500, 500, kEightPixelsPerCell, 2, {});
    EXPECT_NE(grid->get(7, 7), -7);
}

// The golden grids: 16 x 16, seed 1234, 3 octaves, one per flag set the plug-ins use (the texture
// generator's variants, the tile flag, and the distortion effect's two kinds of fields).
struct GoldenCase {
    const char* name;
    NoiseForm form;
    NoiseFlags flags;
    std::int32_t frequency;
    int octaves;
};

const GoldenCase kGoldenCases[] = {
    {"octave_normalise", NoiseForm::Texture, {.normalise = true}, kEightPixelsPerCell, 3},
    {"octave_signed_normalise",
     NoiseForm::Texture,
     {.signedValues = true, .normalise = true},
     kEightPixelsPerCell,
     3},
    {"octave_signed_absolute",
     NoiseForm::Texture,
     {.signedValues = true, .absolute = true},
     kEightPixelsPerCell,
     3},
    {"octave_squared", NoiseForm::Texture, {.squaredLength = true}, kEightPixelsPerCell, 3},
    {"octave_squared_normalise",
     NoiseForm::Texture,
     {.squaredLength = true, .normalise = true},
     kEightPixelsPerCell,
     3},
    {"octave_signed_weighting",
     NoiseForm::Texture,
     {.signedValues = true, .weighting = true},
     kEightPixelsPerCell,
     3},
    {"octave_signed_absolute_weighting",
     NoiseForm::Texture,
     {.signedValues = true, .absolute = true, .weighting = true},
     kEightPixelsPerCell,
     3},
    {"octave_weighting", NoiseForm::Texture, {.weighting = true}, kEightPixelsPerCell, 3},
    {"octave_normalise_tile",
     NoiseForm::Texture,
     {.normalise = true, .tile = true},
     kEightPixelsPerCell,
     3},
    // 0x10000 over 16 pixels (the effect's finest field): a lattice point every 4 pixels.
    {"distortion_normalise_weighting",
     NoiseForm::Distortion,
     {.normalise = true, .weighting = true},
     0x10000,
     2},
    {"distortion_absolute",
     NoiseForm::Distortion,
     {.signedValues = true, .absolute = true, .normalise = true, .weighting = true},
     0x10000,
     2},
};

class OctaveGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(OctaveGoldenTest, MatchesTheStoredGrid) {
    const GoldenCase& c = GetParam();
    auto grid = makeGrid(16, 16, -999);
    NoiseTables tables;
    EXPECT_EQ(OctaveNoiseAt(tables, *grid, c.form, 1234, 16, 16, c.frequency, c.octaves, c.flags),
              1234);
    test::expectGoldenGrid(c.name, *grid);
}

INSTANTIATE_TEST_SUITE_P(Flags, OctaveGoldenTest, ::testing::ValuesIn(kGoldenCases),
                         [](const auto& info) { return std::string(info.param.name); });

// What the stored grids must show at the points where every octave sits on a lattice point
// ((0, 0), (8, 0), (0, 8), (8, 8)): each octave contributes 128 (unsigned) or 0 (signed), and
// the stores fold that as their rules say.
TEST(OctaveGoldenTest, StoredGridsHoldTheFoldedLatticeValues) {
    if (std::getenv("KFM_WRITE_GOLDEN"))
        GTEST_SKIP();
    const struct {
        const char* name;
        int expected;
    } cases[] = {
        // 128, then truncate((64 + 128) x 0.6666666666666666), where the product rounds to
        // 128.0 exactly, and the same for the third octave.
        {"octave_normalise", 128},
        {"octave_signed_normalise", 0},
        {"octave_signed_absolute", 0},
        // 128 + 64 + 64.
        {"octave_squared", 256},
        {"octave_squared_normalise", 128},
        {"octave_signed_weighting", 0},
        // 128 >> 1 = 64; truncate(128 x 0.25 + 64) = 96; truncate(128 x 0.125 + 96) = 112.
        {"octave_weighting", 112},
        // Two octaves: 64, then truncate((128 x 0.25 + 64) / 1.25) = 76.
        {"distortion_normalise_weighting", 76},
        {"distortion_absolute", 0},
    };
    for (const auto& c : cases) {
        std::ifstream in(kfm::test::testDataPath(std::string("plugins/noise/") + c.name + ".txt"));
        ASSERT_TRUE(in) << c.name;
        int cells[16][16];
        for (auto& row : cells)
            for (int& cell : row)
                in >> cell;
        ASSERT_TRUE(in) << c.name;
        for (const int y : {0, 8})
            for (const int x : {0, 8})
                EXPECT_EQ(cells[y][x], c.expected) << c.name << " " << x << "," << y;
    }
}

} // namespace
} // namespace kfm::noise
