#include "CellularNoise.h"

#include "Grid.h"
#include "NoiseTestSupport.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace kfm::noise {
namespace {

using test::makeGrid;
using test::sameCells;

const CellCoefficients kAllFour{1.0, 0.5, -0.25, 0.125};

// The points as the rules place them, drawn one by one: quadrants 4, 3, 2, 1; a count, then x
// and y of each point; then the three copies of the quadrant's points.
std::vector<FeaturePoint> pointsByTheRules(int seed, int w, int h, CellWrap wrap) {
    SeedRandom(static_cast<std::uint32_t>(seed));
    const int hw = w / 2;
    const int hh = h / 2;
    const int origins[4][2] = {{hw, hh}, {0, hh}, {0, 0}, {hw, 0}};
    const int shifts[4][3][2] = {{{-w, 0}, {0, -h}, {-w, -h}}, // quadrant 4
                                 {{0, -h}, {w, 0}, {w, -h}},   // 3
                                 {{w, 0}, {0, h}, {w, h}},     // 2
                                 {{-w, 0}, {0, h}, {-w, h}}};  // 1
    std::vector<FeaturePoint> points;
    for (int q = 0; q < 4; ++q) {
        const int n = QuadrantPointCount(NextRandom() / 32767.0);
        std::vector<FeaturePoint> own;
        for (int j = 0; j < n; ++j) {
            const int x =
                origins[q][0] + static_cast<int>(std::floor(NextRandom() * double(hw) / 32767));
            const int y =
                origins[q][1] + static_cast<int>(std::floor(NextRandom() * double(hh) / 32767));
            own.push_back({x, y});
        }
        points.insert(points.end(), own.begin(), own.end());
        if (wrap == CellWrap::On)
            for (const auto& s : shifts[q])
                for (const FeaturePoint& p : own)
                    points.push_back({p.x + s[0], p.y + s[1]});
    }
    return points;
}

// The noise of every pixel by brute force: the squared distances from (x + 1, y) to all points
// whose y lies in the row's window, sorted, the four smallest weighed.
std::unique_ptr<CGrid> bruteForce(int seed, int width, int height, NoiseForm form,
                                  const CellCoefficients& c, CellWrap wrap) {
    const bool texture = form == NoiseForm::Texture;
    const int tw = texture ? 256 : width;
    const int th = texture ? 256 : height;
    const std::vector<FeaturePoint> points = pointsByTheRules(seed, tw, th, wrap);
    const double n = static_cast<double>(points.size());
    const double weights[4] = {c.c1, n >= 2 ? c.c2 : 0, n >= 3 ? c.c3 : 0, n >= 4 ? c.c4 : 0};
    const double hw = tw / 2;
    const double hh = th / 2;
    const double half = std::sqrt(hw * hw + hh * hh);
    const double scale = 256 / std::max(half, 1.0);
    auto grid = CGrid::create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int py = texture ? y % 256 : y;
            const int px = texture ? x % 256 : x;
            const int reach = texture ? 256 : th / 2 + 2;
            std::vector<double> d;
            for (const FeaturePoint& p : points)
                if (p.y >= py - reach && p.y < py + reach)
                    d.push_back(std::pow(px + 1.0 - p.x, 2) + std::pow(double(py) - p.y, 2));
            std::sort(d.begin(), d.end());
            double sum = 0;
            for (int i = 0; i < 4; ++i)
                sum += weights[i] * (i < int(d.size()) ? std::sqrt(d[i]) : 0.0);
            grid->set(x, y, static_cast<std::int32_t>(scale * sum));
        }
    return grid;
}

TEST(CellularNoiseTest, QuadrantCountsFollowThePoissonTable) {
    const struct {
        double u;
        int n;
    } cases[] = {{0, 0},
                 {1e-9, 1},
                 {0.07, 1},
                 {0.08, 2},
                 {0.22, 3},
                 {0.5, 4},
                 // P(1) + ... + P(11) is about 0.9808: beyond it the table's end, 11.
                 {0.9807, 11},
                 {0.99, 11},
                 {1, 11}};
    for (const auto& c : cases)
        EXPECT_EQ(QuadrantPointCount(c.u), c.n) << c.u;
}

TEST(CellularNoiseTest, ComparesPointsByY) {
    EXPECT_EQ(ComparePointsByY({5, 1}, {0, 2}), -1);
    EXPECT_EQ(ComparePointsByY({5, 2}, {0, 2}), 0);
    EXPECT_EQ(ComparePointsByY({-5, 3}, {0, -2}), 1);
}

TEST(CellularNoiseTest, PointsAreDrawnByTheRulesWithinTheRealSize) {
    for (const CellWrap wrap : {CellWrap::Off, CellWrap::On}) {
        const auto expected = pointsByTheRules(17, 40, 24, wrap);
        SeedRandom(17);
        const auto points = MakeFeaturePoints(40, 24, wrap);
        EXPECT_EQ(points, expected);
        const int reachX = wrap == CellWrap::On ? 40 : 0;
        const int reachY = wrap == CellWrap::On ? 24 : 0;
        for (const FeaturePoint& p : points) {
            EXPECT_GE(p.x, -reachX);
            EXPECT_LE(p.x, 40 + reachX);
            EXPECT_GE(p.y, -reachY);
            EXPECT_LE(p.y, 24 + reachY);
        }
    }
}

struct FormCase {
    const char* name;
    NoiseForm form;
    CellWrap wrap;
    int width;
    int height;
};

const FormCase kFormCases[] = {
    {"texture_wrap", NoiseForm::Texture, CellWrap::On, 40, 24},
    {"texture", NoiseForm::Texture, CellWrap::Off, 40, 24},
    {"distortion_wrap", NoiseForm::Distortion, CellWrap::On, 40, 24},
    {"distortion", NoiseForm::Distortion, CellWrap::Off, 40, 24},
    {"distortion_one_pixel", NoiseForm::Distortion, CellWrap::On, 1, 1},
    {"distortion_one_row", NoiseForm::Distortion, CellWrap::On, 7, 1},
};

class CellularFormTest : public ::testing::TestWithParam<FormCase> {};

// The sliding window over the sorted points and the distances advanced by additions give what
// measuring every pixel afresh gives.
TEST_P(CellularFormTest, MatchesBruteForce) {
    const FormCase& c = GetParam();
    for (const int seed : {3, 2024}) {
        auto grid = makeGrid(c.width, c.height, -1);
        EXPECT_EQ(CellularNoise(*grid, c.form, seed, kAllFour, c.wrap), seed);
        EXPECT_TRUE(
            sameCells(*grid, *bruteForce(seed, c.width, c.height, c.form, kAllFour, c.wrap)))
            << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, CellularFormTest, ::testing::ValuesIn(kFormCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The texture form repeats its 256 x 256 tile across the grid, rows as well as columns.
TEST(CellularNoiseTest, TextureFormRepeatsItsTile) {
    auto grid = makeGrid(300, 270, -1);
    CellularNoise(*grid, NoiseForm::Texture, 5, {1.5, -1.46, 0, 0}, CellWrap::On);
    for (int y = 0; y < 270; y += 7)
        for (int x = 256; x < 300; ++x)
            ASSERT_EQ(grid->get(x, y), grid->get(x - 256, y)) << x << "," << y;
    for (int y = 256; y < 270; ++y)
        for (int x = 0; x < 300; x += 5)
            ASSERT_EQ(grid->get(x, y), grid->get(x, y - 256)) << x << "," << y;
    EXPECT_TRUE(sameCells(
        *grid, *bruteForce(5, 300, 270, NoiseForm::Texture, {1.5, -1.46, 0, 0}, CellWrap::On)));
}

TEST(CellularNoiseTest, TheNearestPointAloneMeasuresDistance) {
    auto grid = makeGrid(64, 64);
    CellularNoise(*grid, NoiseForm::Distortion, 9, {1, 0, 0, 0}, CellWrap::On);
    // Pixel x measures from x + 1: each point gives 0 one pixel to its left.
    SeedRandom(9);
    const auto points = MakeFeaturePoints(64, 64, CellWrap::On);
    for (const FeaturePoint& p : points) {
        if (p.x >= 1 && p.x <= 64 && p.y >= 0 && p.y < 64) {
            EXPECT_EQ(grid->get(p.x - 1, p.y), 0) << p.x << "," << p.y;
        }
    }
}

TEST(CellularNoiseTest, SeedMinusOneDrawsNewPointsEachTime) {
    SeedRandom(1);
    auto first = makeGrid(32, 32);
    auto second = makeGrid(32, 32);
    EXPECT_EQ(CellularNoise(*first, NoiseForm::Distortion, -1, kAllFour, CellWrap::On), -1);
    CellularNoise(*second, NoiseForm::Distortion, -1, kAllFour, CellWrap::On);
    EXPECT_FALSE(sameCells(*first, *second));
}

class CellularGoldenTest : public ::testing::TestWithParam<FormCase> {};

TEST_P(CellularGoldenTest, MatchesTheStoredGrid) {
    const FormCase& c = GetParam();
    auto grid = makeGrid(16, 16, -1);
    CellularNoise(*grid, c.form, 1234, kAllFour, c.wrap);
    test::expectGoldenGrid(std::string("cellular_") + c.name, *grid);
}

const FormCase kGoldenCases[] = {
    {"texture_wrap", NoiseForm::Texture, CellWrap::On, 16, 16},
    {"texture", NoiseForm::Texture, CellWrap::Off, 16, 16},
    {"distortion_wrap", NoiseForm::Distortion, CellWrap::On, 16, 16},
    {"distortion", NoiseForm::Distortion, CellWrap::Off, 16, 16},
};

INSTANTIATE_TEST_SUITE_P(Forms, CellularGoldenTest, ::testing::ValuesIn(kGoldenCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kfm::noise
