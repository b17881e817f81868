// The texture composer's steps as tables: the family clamps, the skewed sine, the base and
// colour functions, the warp and the ramp mapping; then whole compositions (sizes, seeds, the
// repeat of large frames) and golden 64 x 64 pictures of every family, pattern and effect.

#include "TextureComposer.h"
#include "GradientRamp.h"
#include "GridEffects.h"
#include "Profiles.h"
#include "Random.h"
#include "TestSupport.h"
#include "TextureGenerators.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace kfm::patina {
namespace {

using kfm::noise::SineTable;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(SetTextureTest, ClampsPerFamilyAndTurnsTheWarpOff) {
    struct Case {
        std::uint32_t family;
        int variant;
        std::array<double, 4> in;
        std::uint32_t wantFamily;
        int wantVariant;
        std::array<double, 4> want;
    };
    const Case cases[] = {
        {0, 12, {0, 100, -3, 7}, 0, 9, {1, 64, 0, 7}},
        {0, -1, {9, 0.5, 2.5, 0}, 0, 0, {8, 1, 2.5, 0}},
        {1, 3, {300, 2, 5, 0}, 1, 0, {255, 1, 0, 0}},
        {1, 0, {-1, -1, 0, 0}, 1, 0, {0, 0, 0, 0}},
        {2, 5, {3, 9, 9, 0}, 2, 1, {2, 0, 0, 0}},
        {3, 7, {0, 40, -1, 0}, 3, 4, {1, 32, 0, 0}},
        {4, 2, {-5, 1e6, 3, -2}, 4, 1, {-5, 1e6, 3, -2}},
        // Families without a row of their own take the last one.
        {9, 0, {1, 2, 3, 4}, 4, 0, {1, 2, 3, 4}},
        // Parameters that are not numbers take their lower bounds.
        {0, 4, {kNaN, kInf, kNaN, kNaN}, 0, 4, {1, 1, 0, 0}},
    };
    for (const Case& c : cases) {
        TextureSettings s;
        s.warpMode = 2;
        SetTexture(s, c.family, c.variant, c.in[0], c.in[1], c.in[2], c.in[3]);
        EXPECT_EQ(s.family, c.wantFamily) << c.family;
        EXPECT_EQ(s.variant, c.wantVariant) << c.family;
        EXPECT_EQ(s.d, c.want) << c.family << "/" << c.variant;
        EXPECT_EQ(s.warpMode, 0);
    }
}

TEST(SetPatternTest, KeepsBrickCountsWithinTheDialogsRange) {
    TextureSettings s;
    SetPattern(s, 1, true, 0, 100000);
    EXPECT_EQ(s.patternType, 1);
    EXPECT_EQ(s.invertPattern, 1);
    EXPECT_EQ(s.rowsPer256, 1);
    EXPECT_EQ(s.bricksPer256, 100);
}

TEST(SkewedSineTest, ReadsTheSineTableAtTheSkewedAngle) {
    const auto& sine = SineTable();
    struct Case {
        double angle;
        double balance;
        int entry;
    };
    const Case cases[] = {
        {0, 0.5, 0},
        {1.0, 0.5, 100},
        {3.0, 0.5, 300},
        // Wrapped into [0, 2π).
        {kTwoPi + 1.0, 0.5, 100},
        {-1.0, 0.5, static_cast<int>(100 * (kTwoPi - 1.0))},
        {-kTwoPi - 1.0, 0.5, static_cast<int>(100 * (kTwoPi - 1.0))},
        // Below 2π·b the angle is stretched by 0.5 / b, above it the rest fills the second half.
        {1.0, 0.25, static_cast<int>(100 * (1.0 * 0.5 / 0.25))},
        {4.0, 0.25, static_cast<int>(100 * (0.5 / 0.75 * (4.0 - kTwoPi * 0.25) + kPi))},
        {0.5, 0.37, static_cast<int>(100 * (0.5 * 0.5 / 0.37))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SkewedSine(c.angle, c.balance), sine[static_cast<std::size_t>(c.entry)])
            << c.angle << " " << c.balance;
}

TEST(SkewedSineTest, NeverReadsOutsideTheTable) {
    // Balances at and beyond the ends, and angles that are not numbers: every result is an
    // entry of the table (the sanitizers watch the reads).
    const double angles[] = {0, 1, 6.28, 6.2831853, -1e300, 1e300, kNaN, kInf, -kInf};
    const double balances[] = {0, 1, -0.5, 1.2, 0.999999, 1e-300, kNaN, kInf};
    for (const double a : angles)
        for (const double b : balances) {
            const double v = SkewedSine(a, b);
            EXPECT_TRUE(std::isfinite(v)) << a << " " << b;
            EXPECT_LE(std::abs(v), 1.0);
        }
}

TEST(BaseFunctionTest, ValuesAtChosenCells) {
    const auto sineTerm = [](double raw) {
        return static_cast<int>((SkewedSine(kPi * raw / 32768, 0.5) + 1) * 127);
    };
    struct Case {
        int function;
        int zoom;
        int x;
        int y;
        int want;
    };
    const Case cases[] = {
        {0, 1, 0, 0, 127},
        {0, 4, 3, 4, sineTerm(std::sqrt(25.0 * 4) * 256)},
        {1, 2, 10, 3, sineTerm(7 * 2 * 256)},
        {1, 2, 3, 10, sineTerm(-7 * 2 * 256)},
        {2, 1, 128, 77, 127},
        {2, 3, 200, 10, sineTerm(-118.0 * 72 * 3)},
        {3, 5, 40, 30, sineTerm(1200.0 * 5)},
        {4, 9, 100, 100, 127},
        {5, 1, 7, 100, 49},
        {5, 1, 7, 255, 127},
        {6, 1, 0, 9, 0},
        {6, 3, 2, 0, static_cast<int>(SkewedSine(3 * 2 * 0.083333336, 0.37) * 255)},
        {7, 1, 0, 0, 127},
        {7, 2, 50, 0, static_cast<int>(std::sin(1.0) * 63.5 + 127)},
        // Functions without a formula are "none".
        {8, 1, 5, 5, 127},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BaseFunctionValue(c.function, c.zoom, c.x, c.y), c.want)
            << c.function << " at " << c.x << "," << c.y;
}

// A canvas whose noise and work grids hold the given values everywhere.
std::unique_ptr<CNoiseCanvas> canvasOf(std::int32_t noise, std::int32_t work) {
    auto canvas = CNoiseCanvas::create(32, 32);
    canvas->noiseGrid().fill(noise);
    canvas->workGrid().fill(work);
    return canvas;
}

TEST(ColourFunctionTest, EachFunctionOfNoiseAndWork) {
    struct Case {
        int function;
        int noise;
        int work;
        int speed;
        int want;
    };
    const Case cases[] = {
        {0, 100, 50, 511, 100},
        {0, 300, 0, 511, 255},
        {0, -4, 0, 511, 0},
        {1, 0, 0, 511, 127},
        {1, 10, 3, 100,
         127 + static_cast<int>(63 * (SkewedSine(kPi * 180 / 100, 0.5) + SkewedSine(1.8, 0.5)))},
        {2, 0, 0, 511, 127},
        {2, 20, 0, 511, 127 + static_cast<int>(127 * SkewedSine(kPi * 300 / 511, 0.5))},
        {3, 10, 5, 511, 8},
        {3, 100, 100, 511, 100},
        {4, 0, 0, 511, 0},
        {4, 100, 0, 511, static_cast<int>((1 - std::exp(-0.0002 * 1500)) * 255)},
        {5, 4, 0, 511, kfm::noise::RingProfile(20)},
        {5, 10, 1, 511, kfm::noise::RingProfile(53)},
        {8, 77, 9, 511, 77},
        // A colour speed of 0 gives a value, not a fault.
        {1, 10, 3, 0, -1},
    };
    for (const Case& c : cases) {
        auto canvas = canvasOf(c.noise, c.work);
        ApplyColourFunction(*canvas, c.speed, c.function);
        const int got = canvas->noiseGrid().get(5, 7);
        if (c.want < 0) {
            EXPECT_GE(got, 0);
            EXPECT_LE(got, 255);
        } else {
            EXPECT_EQ(got, c.want) << "function " << c.function << " noise " << c.noise;
        }
    }
}

TEST(ColourFunctionTest, SignedNoiseIsLiftedAndAPatternAveraged) {
    auto canvas = CNoiseCanvas::create(32, 32);
    canvas->OctaveNoiseAt(5, 32, 32, 5120, 1, {.signedValues = true});
    canvas->noiseGrid().fill(-55);
    canvas->workGrid().fill(0);
    ApplyColourFunction(*canvas, 511, 0);
    EXPECT_EQ(canvas->noiseGrid().get(0, 0), 100);

    canvas->ApplyBackgroundPattern(1, 5, false, 8, 4);
    canvas->noiseGrid().fill(-55);
    ApplyColourFunction(*canvas, 511, 0);
    // Mortar (32) and the lifted value 100 average to 66.
    EXPECT_EQ(canvas->patternGrid().get(0, 0), 32);
    EXPECT_EQ(canvas->noiseGrid().get(0, 0), 66);
}

TEST(DisplaceTest, MovesByAnEighthOfTheWorkValueWithinTheGrid) {
    auto canvas = CNoiseCanvas::create(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            canvas->noiseGrid().set(x, y, 1000 * y + x);
    canvas->workGrid().fill(16); // o = 2
    canvas->workGrid().set(31, 31, -70);
    Displace(*canvas);
    EXPECT_EQ(canvas->noiseGrid().get(0, 0), 2002);
    EXPECT_EQ(canvas->noiseGrid().get(30, 5), 7031) << "limited to the last column";
    EXPECT_EQ(canvas->noiseGrid().get(31, 31), 31031) << "negative amounts do not move";
}

TEST(WarpTest, ModesOneAndTwo) {
    const auto filled = [] {
        auto canvas = CNoiseCanvas::create(32, 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                canvas->noiseGrid().set(x, y, (x * 7 + y * 3) % 256);
        return canvas;
    };
    const auto before = filled();
    auto canvas = filled();
    Warp(*canvas, 1);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{5, 9}, std::pair{31, 31}}) {
        const int n = before->noiseGrid().get(x, y);
        EXPECT_EQ(canvas->noiseGrid().get(x, y),
                  static_cast<int>(n * (std::sin(static_cast<double>(n + x)) + 1) * 0.5));
    }

    canvas = filled();
    Warp(*canvas, 2);
    const int r = (3 * 32 * 80) / 256; // 30
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{5, 9}, std::pair{31, 31}}) {
        const int n = before->noiseGrid().get(x, y);
        const int dx = static_cast<int>(std::sin(n * 0.005) * -r);
        const int dy = static_cast<int>(std::cos(n * 0.005) * r);
        const int sx = ((x + dx) % 32 + 32) % 32;
        const int sy = ((y + dy) % 32 + 32) % 32;
        EXPECT_EQ(canvas->noiseGrid().get(x, y), before->noiseGrid().get(sx, sy)) << x << "," << y;
    }

    // Signed noise that is not absolute is left alone, as are other modes.
    canvas = filled();
    canvas->OctaveNoiseAt(5, 1, 1, 5120, 1, {.signedValues = true});
    canvas->noiseGrid().fill(40);
    Warp(*canvas, 1);
    EXPECT_EQ(canvas->noiseGrid().get(3, 3), 40);
    canvas = filled();
    Warp(*canvas, 3);
    EXPECT_EQ(canvas->noiseGrid().get(3, 3), before->noiseGrid().get(3, 3));
}

TEST(RampMappingTest, BlackToWhite) {
    const GradientRamp ramp;
    auto grid = CGrid::create(5, 1);
    const std::int32_t values[] = {0, 255, -1, 1000, 128};
    for (int x = 0; x < 5; ++x)
        grid->set(x, 0, values[x]);
    MapThroughRamp(*grid, ramp.Ramp());
    // Entry 0 is one step (255 / 256) above black, which truncates to black.
    EXPECT_EQ(grid->get(0, 0), 0x000000);
    EXPECT_EQ(grid->get(1, 0), 0xFFFFFF);
    EXPECT_EQ(grid->get(2, 0), 0xFFFFFF) << "a negative value maps to entry 255";
    EXPECT_EQ(grid->get(3, 0), 0xFFFFFF);
    EXPECT_EQ(grid->get(4, 0), 0x808080);
}

// The dialog's start settings with a black-to-white ramp.
TextureSettings startSettings() {
    TextureSettings s;
    s.ramp = GradientRamp().Ramp();
    SetTexture(s, 0, 4, 1.0, 4.0, 0, 0);
    SetColouring(s, 0, 1, 511, 0);
    return s;
}

std::vector<std::int32_t> cellsOf(const CGrid& grid) {
    std::vector<std::int32_t> cells;
    for (int y = 0; y < grid.height(); ++y)
        for (int x = 0; x < grid.width(); ++x)
            cells.push_back(grid.get(x, y));
    return cells;
}

std::vector<std::uint8_t> renderFrame(TextureSettings& s, int width, int height, int seed,
                                      bool stretch, const TextureEffects& effects = {}) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(rowBytes) * height, 0xEE);
    EXPECT_TRUE(
        RenderTextureToFrame(s, {bits.data(), width, height, rowBytes}, seed, effects, stretch));
    return bits;
}

TEST(ComposeTextureTest, SmallSizesComposeThirtyTwoAndTheFrameTakesTheTopLeft) {
    TextureSettings s = startSettings();
    EXPECT_EQ(ComposeTexture(s, 5, 0, 77, {}), 77);
    ASSERT_TRUE(s.output);
    EXPECT_EQ(s.output->width(), 32);
    EXPECT_EQ(s.output->height(), 32);
    const std::vector<std::int32_t> big = cellsOf(*s.output);

    const std::vector<std::uint8_t> bits = renderFrame(s, 10, 3, 77, false);
    EXPECT_FALSE(s.output) << "the frame's grid is dropped";
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 10; ++x) {
            const auto c = static_cast<std::uint32_t>(big[static_cast<std::size_t>(y * 32 + x)]);
            const std::uint8_t* p = &bits[static_cast<std::size_t>(y * 32 + 3 * x)];
            EXPECT_EQ(p[0], (c >> 16) & 255) << "blue first";
            EXPECT_EQ(p[1], (c >> 8) & 255);
            EXPECT_EQ(p[2], c & 255);
        }
    // The row padding is not written.
    EXPECT_EQ(bits[30], 0xEE);
}

TEST(ComposeTextureTest, SeedsAndTheClock) {
    TextureSettings s = startSettings();
    ComposeTexture(s, 48, 40, 123, {});
    const std::vector<std::int32_t> first = cellsOf(*s.output);
    ComposeTexture(s, 48, 40, 123, {});
    EXPECT_EQ(cellsOf(*s.output), first) << "a seed reproduces its texture";

    kfm::noise::SetNoiseClock([]() -> std::int64_t { return 32767 + 123; });
    EXPECT_EQ(ComposeTexture(s, 48, 40, 0, {}), 123) << "seed 0 takes the clock's";
    EXPECT_EQ(cellsOf(*s.output), first);
    kfm::noise::SetNoiseClock(nullptr);

    // Seed mode -1 keeps the generator running: a new texture every time.
    s.seedMode = -1;
    kfm::noise::SeedRandom(9);
    EXPECT_EQ(ComposeTexture(s, 48, 40, 123, {}), -1);
    const std::vector<std::int32_t> running = cellsOf(*s.output);
    ComposeTexture(s, 48, 40, 123, {});
    EXPECT_NE(cellsOf(*s.output), running);
}

TEST(ComposeTextureTest, OctaveCountZeroComposesOneOctave) {
    TextureSettings zero = startSettings();
    SetTexture(zero, 0, 1, 0.0, 4.0, 0, 0);
    TextureSettings one = startSettings();
    SetTexture(one, 0, 1, 1.0, 4.0, 0, 0);
    ComposeTexture(zero, 32, 32, 5, {});
    ComposeTexture(one, 32, 32, 5, {});
    EXPECT_EQ(cellsOf(*zero.output), cellsOf(*one.output));
}

TEST(RenderTextureToFrameTest, FramesBeyondTheLargestTextureRepeatIt) {
    TextureSettings s = startSettings();
    const int width = kMaxTextureSide + 70;
    const int height = 33;
    const std::vector<std::uint8_t> bits = renderFrame(s, width, height, 8, false, {.tile = true});
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    for (const int y : {0, 17, 32})
        for (const int x : {0, 5, 69}) {
            const std::uint8_t* near = &bits[static_cast<std::size_t>(y * rowBytes + 3 * x)];
            const std::uint8_t* far =
                &bits[static_cast<std::size_t>(y * rowBytes + 3 * (x + kMaxTextureSide))];
            EXPECT_EQ(std::vector(near, near + 3), std::vector(far, far + 3)) << x << "," << y;
        }
}

TEST(RenderTextureToFrameTest, StretchComposes256AndResamples) {
    TextureSettings s = startSettings();
    ComposeTexture(s, 256, 256, 31, {});
    ASSERT_TRUE(kfm::noise::ResampleColourGrid(*s.output, 0, 0, 256, 256, 300, 90,
                                               kfm::noise::Sampling::Bilinear));
    const std::vector<std::int32_t> stretched = cellsOf(*s.output);
    const int gridWidth = s.output->width();
    const std::vector<std::uint8_t> bits = renderFrame(s, 300, 90, 31, true);
    const int rowBytes = 900;
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{299, 89}, std::pair{150, 40}}) {
        const auto c =
            static_cast<std::uint32_t>(stretched[static_cast<std::size_t>(y * gridWidth + x)]);
        EXPECT_EQ(bits[static_cast<std::size_t>(y * rowBytes + 3 * x + 2)], c & 255);
    }
}

// Golden pictures: each case composed at 64 x 64 with seed 4242 and compared with
// tests/data/patina/<name>.png pixel for pixel. KFM_WRITE_GOLDEN=<folder> writes them instead.
struct GoldenCase {
    std::string name;
    std::uint32_t family;
    int variant;
    std::array<double, 4> d;
    int pattern = 0;
    bool invert = false;
    TextureEffects effects{};
    int colourFunction = 0;
    int baseFunction = 0;
    int warp = 0;
};

std::vector<GoldenCase> goldenCases() {
    std::vector<GoldenCase> cases;
    for (int v = 0; v <= 9; ++v)
        cases.push_back({"family0-variant" + std::to_string(v), 0, v, {2, 4, 0, 0}});
    cases.push_back({"family1", 1, 0, {120, 0.98, 0, 0}});
    cases.push_back({"family2-variant0", 2, 0, {0.5, 0, 0, 0}});
    cases.push_back({"family2-variant1", 2, 1, {1.5, 0, 0, 0}});
    for (int v = 0; v <= 4; ++v)
        cases.push_back({"family3-variant" + std::to_string(v), 3, v, {3, 6, 0, 0}});
    cases.push_back({"family4-variant0", 4, 0, {1.0, 0.5, -0.3, 0.1}});
    cases.push_back({"family4-variant1", 4, 1, {1.0, -1.0, 0, 0}, 0, false, {}, 2});
    for (int p = 1; p <= 4; ++p)
        for (const bool invert : {false, true})
            cases.push_back({"pattern" + std::to_string(p) + (invert ? "-inverted" : ""),
                             0,
                             4,
                             {1, 4, 0, 0},
                             p,
                             invert});
    cases.push_back({"effect-tile", 0, 1, {3, 8, 0, 0}, 0, false, {.tile = true}});
    cases.push_back({"effect-kaleidoscope", 0, 1, {3, 8, 0, 0}, 0, false, {.kaleidoscope = true}});
    cases.push_back({"effect-relief", 0, 1, {3, 8, 0, 0}, 0, false, {.relief = true}});
    for (int f = 1; f <= 6; ++f)
        cases.push_back(
            {"colour-function" + std::to_string(f), 0, 0, {2, 4, 0, 0}, 0, false, {}, f, 7});
    cases.push_back({"warp1", 0, 0, {2, 4, 0, 0}, 0, false, {}, 0, 0, 1});
    cases.push_back({"warp2", 0, 0, {2, 4, 0, 0}, 0, false, {}, 0, 0, 2});
    return cases;
}

TEST(GoldenTextureTest, EveryFamilyPatternAndEffect) {
    const char* writeTo = std::getenv("KFM_WRITE_GOLDEN");
    for (const GoldenCase& c : goldenCases()) {
        TextureSettings s = startSettings();
        GradientRamp ramp;
        ramp.SetGradient(0x102040, 0xF0E0A0, 0x2080FF, 0.4f);
        s.ramp = ramp.Ramp();
        SetTexture(s, c.family, c.variant, c.d[0], c.d[1], c.d[2], c.d[3]);
        s.warpMode = c.warp;
        SetPattern(s, c.pattern, c.invert, 8, 4);
        SetColouring(s, c.baseFunction, 1, 511, c.colourFunction);
        QImage picture(64, 64, QImage::Format_RGB32);
        picture.fill(Qt::black);
        RenderPreview(s, picture, 64, 64, 4242, c.effects);
        if (writeTo) {
            picture.save(QDir(writeTo).filePath(QString::fromStdString(c.name + ".png")));
            continue;
        }
        const QImage expected(
            QString::fromStdString(kfm::test::testDataPath("patina/" + c.name + ".png").string()));
        ASSERT_FALSE(expected.isNull()) << c.name;
        EXPECT_EQ(expected.convertToFormat(QImage::Format_RGB32), picture) << c.name;
    }
}

// Every family composes values within the ramp at sizes that are not powers of two.
TEST(GeneratorTest, OddSizesStayWithinTheGrid) {
    for (std::uint32_t family = 0; family <= 4; ++family)
        for (int variant = 0; variant <= 9; ++variant) {
            TextureSettings s = startSettings();
            SetTexture(s, family, variant, 3, 5, 1, 0.5);
            s.warpMode = 2;
            ComposeTexture(s, 45, 77, 99, {.tile = true, .kaleidoscope = true, .relief = true});
            ASSERT_TRUE(s.output) << family << "/" << variant;
            EXPECT_EQ(s.output->width(), 45);
            EXPECT_EQ(s.output->height(), 77);
        }
}

} // namespace
} // namespace kfm::patina
