// The bitmap effects without any window: each effect on small pictures against pixels computed
// by hand, at the picture's edges, with the grey flag, the biases and the limits; the depth rules
// of palette images; the progress calls; and the arguments that give no image.

#include "PixelHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

using kfm::test::fillColor;
using kfm::test::getColor;
using kfm::test::OwnedImage;
using kfm::test::setColor;
using kfm::test::setPaletteEntry;

// A 24-bit picture from rows of colours, top row first.
KpxHandle picture(const std::vector<std::vector<COLORREF>>& rows) {
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(rows[0].size());
    const KpxHandle image = KPXCreateImage(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            setColor(image, x, y, rows[y][x]);
    return image;
}

COLORREF grey(int v) {
    return RGB(v, v, v);
}

std::vector<std::vector<COLORREF>> colorsOf(KpxHandle image) {
    std::vector<std::vector<COLORREF>> rows(KPXHeight(image));
    for (int y = 0; y < KPXHeight(image); ++y)
        for (int x = 0; x < KPXWidth(image); ++x)
            rows[y].push_back(getColor(image, x, y));
    return rows;
}

std::vector<std::uint8_t> bytesOf(KpxHandle image) {
    const std::uint8_t* bits = KPXGetBits(image);
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
    std::vector<std::uint8_t> bytes(bits, bits + KPXSizeImage(image));
    const auto* table = reinterpret_cast<const std::uint8_t*>(info->bmiColors);
    bytes.insert(bytes.end(), table, table + info->bmiHeader.biClrUsed * sizeof(RGBQUAD));
    return bytes;
}

COLORREF entry(KpxHandle image, int index) {
    const RGBQUAD q = KPXGetBitmapInfoHeader(image)->bmiColors[index];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

// One effect on a one-row picture of colours.
struct ColourCase {
    const char* name;
    int effect;
    int p1;
    int p2;
    int p3;
    std::vector<COLORREF> before;
    std::vector<COLORREF> after;
};

class PerColourEffects : public ::testing::TestWithParam<ColourCase> {};

TEST_P(PerColourEffects, GiveHandComputedColours) {
    const ColourCase& c = GetParam();
    const OwnedImage source(picture({c.before}));
    const auto sourceBytes = bytesOf(source);
    const OwnedImage result(KPXApplyBitmapEffect(source, c.effect, c.p1, c.p2, c.p3, 0, nullptr));
    ASSERT_NE(result.get(), 0);
    EXPECT_EQ(KPXbpp(result), 24);
    EXPECT_EQ(colorsOf(result)[0], c.after);
    EXPECT_EQ(bytesOf(source), sourceBytes) << "the source changed";
}

INSTANTIATE_TEST_SUITE_P(
    Table, PerColourEffects,
    ::testing::Values(
        ColourCase{"BrightnessContrastNeutral",
                   kKpxEffectBrightness,
                   0,
                   0,
                   0,
                   {RGB(0, 1, 2), RGB(127, 128, 129), RGB(253, 254, 255)},
                   {RGB(0, 1, 2), RGB(127, 128, 129), RGB(253, 254, 255)}},
        // (c + 128)(v - 128) / 128 + b + 128, truncated toward zero, limited.
        ColourCase{"LeastContrastGivesMiddleGrey",
                   kKpxEffectBrightness,
                   0,
                   -127,
                   0,
                   {RGB(0, 100, 255)},
                   {RGB(127, 128, 128)}},
        ColourCase{"ContrastTruncatesTowardZero",
                   kKpxEffectBrightness2,
                   0,
                   64,
                   0,
                   {RGB(0, 100, 101), RGB(200, 128, 255)},
                   {RGB(0, 86, 88), RGB(236, 128, 255)}},
        ColourCase{"BrightnessIsLimited",
                   kKpxEffectBrightness,
                   50,
                   0,
                   0,
                   {RGB(10, 205, 250)},
                   {RGB(60, 255, 255)}},
        ColourCase{"ColourBalance",
                   kKpxEffectColorBalance,
                   20,
                   -30,
                   10,
                   {RGB(10, 200, 250), RGB(0, 20, 0)},
                   {RGB(30, 170, 255), RGB(20, 0, 10)}},
        ColourCase{"HueAndSaturationZeroLeaveColours",
                   kKpxEffectHueSaturation,
                   0,
                   0,
                   0,
                   {RGB(10, 20, 30), RGB(255, 0, 128), RGB(1, 2, 0)},
                   {RGB(10, 20, 30), RGB(255, 0, 128), RGB(1, 2, 0)}},
        ColourCase{"Hue120TurnsChannels",
                   kKpxEffectHueSaturation,
                   120,
                   0,
                   0,
                   {RGB(10, 20, 30)},
                   {RGB(20, 30, 10)}},
        ColourCase{
            "Hue240", kKpxEffectHueSaturation, 240, 0, 0, {RGB(10, 20, 30)}, {RGB(30, 10, 20)}},
        ColourCase{"HueMinus120",
                   kKpxEffectHueSaturation,
                   -120,
                   0,
                   0,
                   {RGB(10, 20, 30)},
                   {RGB(30, 10, 20)}},
        ColourCase{"Hue60MixesNeighbours",
                   kKpxEffectHueSaturation,
                   60,
                   0,
                   0,
                   {RGB(100, 0, 0)},
                   {RGB(50, 0, 50)}},
        ColourCase{"LeastSaturationGivesTheAverage",
                   kKpxEffectHueSaturation,
                   0,
                   -127,
                   5,
                   {RGB(10, 20, 30), RGB(0, 0, 255)},
                   {RGB(25, 25, 25), RGB(90, 90, 90)}},
        ColourCase{"HalfSaturation",
                   kKpxEffectHueSaturation,
                   0,
                   -64,
                   0,
                   {RGB(100, 150, 200)},
                   {RGB(125, 150, 175)}},
        ColourCase{"DoubleSaturation",
                   kKpxEffectHueSaturation,
                   0,
                   64,
                   0,
                   {RGB(10, 20, 30)},
                   {RGB(0, 20, 40)}},
        ColourCase{"MostSaturationIsLimited",
                   kKpxEffectHueSaturation,
                   0,
                   127,
                   0,
                   {RGB(100, 150, 200)},
                   {RGB(1, 150, 255)}},
        ColourCase{"HueBrightness",
                   kKpxEffectHueSaturation,
                   0,
                   0,
                   -20,
                   {RGB(10, 20, 30)},
                   {RGB(0, 0, 10)}},
        ColourCase{
            "Negative", kKpxEffectNegative, 0, 0, 0, {RGB(10, 20, 30)}, {RGB(245, 235, 225)}}),
    [](const auto& info) { return std::string(info.param.name); });

// One filter on a picture, as rows of colours.
struct FilterCase {
    const char* name;
    int effect;
    int p1;
    int p3;
    std::vector<std::vector<COLORREF>> before;
    std::vector<std::vector<COLORREF>> after;
};

class Filters : public ::testing::TestWithParam<FilterCase> {};

TEST_P(Filters, GiveHandComputedPixels) {
    const FilterCase& c = GetParam();
    const OwnedImage source(picture(c.before));
    const OwnedImage result(KPXApplyBitmapEffect(source, c.effect, c.p1, 0, c.p3, 0, nullptr));
    ASSERT_NE(result.get(), 0);
    EXPECT_EQ(colorsOf(result), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Filters,
    ::testing::Values(
        // 7 x centre - the four diagonals, / 3; rows and columns beyond the edge repeat it.
        // Red carries the values, green stays 0 and blue 255 on its own.
        FilterCase{"SharpenAtTheEdges",
                   kKpxEffectSharpen,
                   1,
                   0,
                   {{RGB(10, 0, 255), RGB(20, 0, 255), RGB(30, 0, 255)},
                    {RGB(40, 0, 255), RGB(50, 0, 255), RGB(60, 0, 255)}},
                   {{RGB(0, 0, 255), RGB(0, 0, 255), RGB(16, 0, 255)},
                    {RGB(53, 0, 255), RGB(70, 0, 255), RGB(86, 0, 255)}}},
        // The second pass works on the first one's result.
        FilterCase{"SharpenTwice",
                   kKpxEffectSharpen,
                   2,
                   0,
                   {{grey(10), grey(20), grey(30)}, {grey(40), grey(50), grey(60)}},
                   {{grey(0), grey(0), grey(0)}, {grey(82), grey(111), grey(143)}}},
        // 8 x centre - the eight neighbours; one row repeats above and below.
        FilterCase{"Edges",
                   kKpxEffectEdges,
                   0,
                   0,
                   {{grey(10), grey(50), grey(20)}},
                   {{grey(0), grey(210), grey(0)}}},
        FilterCase{"EdgesInverted",
                   kKpxEffectEdges,
                   1,
                   0,
                   {{grey(10), grey(50), grey(20)}},
                   {{grey(255), grey(45), grey(255)}}},
        // Below - above; the three sums averaged (truncated toward zero), then the colour.
        FilterCase{"EmbossFromBelowIsGrey",
                   kKpxEffectEmboss,
                   kKpxEmbossBottom,
                   RGB(100, 128, 200),
                   {{RGB(30, 60, 89)}, {RGB(0, 0, 0)}, {RGB(90, 30, 0)}},
                   {{RGB(41, 69, 141)}, {RGB(81, 109, 181)}, {RGB(140, 168, 240)}}},
        // Left - right.
        FilterCase{"EmbossFromTheLeft",
                   kKpxEffectEmboss,
                   kKpxEmbossLeft,
                   RGB(128, 128, 128),
                   {{grey(10), grey(40), grey(100)}},
                   {{grey(98), grey(38), grey(68)}}},
        FilterCase{"EmbossOfAFlatAreaIsTheColour",
                   kKpxEffectEmboss,
                   kKpxEmbossBottomRight,
                   RGB(1, 2, 3),
                   {{grey(77), grey(77)}, {grey(77), grey(77)}},
                   {{RGB(1, 2, 3), RGB(1, 2, 3)}, {RGB(1, 2, 3), RGB(1, 2, 3)}}},
        // Every 3 x 3 neighbourhood of a 3 x 3 picture holds its centre once.
        FilterCase{"Blur",
                   kKpxEffectBlur,
                   3,
                   0,
                   {{grey(0), grey(0), grey(0)},
                    {grey(0), grey(90), grey(0)},
                    {grey(0), grey(0), grey(0)}},
                   {{grey(10), grey(10), grey(10)},
                    {grey(10), grey(10), grey(10)},
                    {grey(10), grey(10), grey(10)}}},
        // Blocks of 2 x 2 from the top left; the last column and row are what remains.
        FilterCase{"MosaicBlocksNotDividingTheSize",
                   kKpxEffectMosaic,
                   2,
                   0,
                   {{grey(0), grey(10), grey(20), grey(40), RGB(7, 0, 9)},
                    {grey(30), grey(41), grey(60), grey(80), RGB(8, 0, 0)},
                    {grey(1), grey(2), grey(3), grey(4), RGB(100, 0, 5)}},
                   {{grey(20), grey(20), grey(50), grey(50), RGB(7, 0, 4)},
                    {grey(20), grey(20), grey(50), grey(50), RGB(7, 0, 4)},
                    {grey(1), grey(1), grey(3), grey(3), RGB(100, 0, 5)}}},
        FilterCase{"MosaicLargerThanTheHeightUsesTheHeight",
                   kKpxEffectMosaic,
                   50,
                   0,
                   {{grey(0), grey(4), grey(8), grey(9)}, {grey(2), grey(6), grey(1), grey(1)}},
                   {{grey(3), grey(3), grey(4), grey(4)}, {grey(3), grey(3), grey(4), grey(4)}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapEffects, TintMakesAGreyImageWithTheTintRamp) {
    const OwnedImage source(picture({{grey(0), grey(255)}}));
    const OwnedImage result(
        KPXApplyBitmapEffect(source, kKpxEffectTint, 0, 0, RGB(100, 50, 80), 0, nullptr));
    ASSERT_NE(result.get(), 0);
    ASSERT_EQ(KPXbpp(result), 8);
    EXPECT_EQ(entry(result, 0), RGB(50, 0, 30));
    EXPECT_EQ(entry(result, 10), RGB(60, 10, 40));
    EXPECT_EQ(entry(result, 250), RGB(255, 250, 255));
    EXPECT_EQ(entry(result, kfm::test::getIndex(result, 0, 0)), RGB(50, 0, 30));
    EXPECT_EQ(entry(result, kfm::test::getIndex(result, 1, 0)), RGB(255, 255, 255));

    // Brightness and contrast then change the ramp.
    const OwnedImage brighter(
        KPXApplyBitmapEffect(source, kKpxEffectTint, 10, 0, RGB(100, 50, 80), 0, nullptr));
    EXPECT_EQ(entry(brighter, 0), RGB(60, 10, 40));
    EXPECT_EQ(entry(brighter, 250), RGB(255, 255, 255));
}

TEST(BitmapEffects, TintWithValueKeepsTheColours) {
    const OwnedImage source(picture({{RGB(10, 20, 30)}}));
    const OwnedImage result(
        KPXApplyBitmapEffect(source, kKpxEffectTint, 5, 0, RGB(100, 50, 80), 1, nullptr));
    ASSERT_NE(result.get(), 0);
    EXPECT_EQ(KPXbpp(result), 24);
    EXPECT_EQ(getColor(result, 0, 0), RGB(15, 25, 35));
}

TEST(BitmapEffects, TwoColoursGivesAOneBitImageWithTheChosenColours) {
    const OwnedImage source(picture({{grey(0), grey(255)}}));
    const OwnedImage result(KPXApplyBitmapEffect(source, kKpxEffectTwoColors, kKpxDitherNone,
                                                 RGB(255, 0, 0), RGB(0, 0, 255), 0, nullptr));
    ASSERT_NE(result.get(), 0);
    ASSERT_EQ(KPXbpp(result), 1);
    EXPECT_EQ(entry(result, 0), RGB(255, 0, 0));
    EXPECT_EQ(entry(result, 1), RGB(0, 0, 255));
    EXPECT_EQ(kfm::test::getIndex(result, 0, 0), 0);
    EXPECT_EQ(kfm::test::getIndex(result, 1, 0), 1);
}

TEST(BitmapEffects, PaletteImagesChangeOnlyTheirColourTable) {
    for (const int depth : {1, 4, 8}) {
        SCOPED_TRACE(depth);
        const OwnedImage source(KPXCreateImage(4, 2, depth));
        setPaletteEntry(source, 0, RGB(10, 20, 30));
        setPaletteEntry(source, 1, RGB(250, 100, 0));
        kfm::test::setIndex(source, 1, 1, 1);
        const auto pixels = std::vector<std::uint8_t>(KPXGetBits(source),
                                                      KPXGetBits(source) + KPXSizeImage(source));
        const OwnedImage result(KPXBitmapEffect_Bright(source, 20));
        ASSERT_NE(result.get(), 0);
        EXPECT_EQ(KPXbpp(result), depth);
        EXPECT_EQ(std::vector<std::uint8_t>(KPXGetBits(result),
                                            KPXGetBits(result) + KPXSizeImage(result)),
                  pixels);
        EXPECT_EQ(entry(result, 0), RGB(30, 40, 50));
        EXPECT_EQ(entry(result, 1), RGB(255, 120, 20));
        EXPECT_EQ(entry(source, 0), RGB(10, 20, 30)) << "the source changed";
    }
}

TEST(BitmapEffects, FiltersOfPaletteAndSixteenBitImagesGiveTrueColour) {
    const OwnedImage palette(KPXCreateImage(3, 3, 8));
    setPaletteEntry(palette, 0, grey(90));
    const OwnedImage emboss(KPXApplyBitmapEffect(palette, kKpxEffectEmboss, kKpxEmbossBottom, 0,
                                                 RGB(5, 6, 7), 0, nullptr));
    ASSERT_NE(emboss.get(), 0);
    EXPECT_EQ(KPXbpp(emboss), 24);
    EXPECT_EQ(getColor(emboss, 1, 1), RGB(5, 6, 7));

    const OwnedImage wide(KPXCreateImage(4, 3, 16000));
    ASSERT_EQ(KPXbpp(wide), 16);
    const OwnedImage mosaic(KPXApplyBitmapEffect(wide, kKpxEffectMosaic, 2, 0, 0, 0, nullptr));
    ASSERT_NE(mosaic.get(), 0);
    EXPECT_EQ(KPXbpp(mosaic), 24);
    // Per-colour effects have neither a colour table nor 24-bit pixels to change there.
    EXPECT_EQ(KPXApplyBitmapEffect(wide, kKpxEffectBrightness, 10, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(KPXBitmapEffect_Bright(wide, 10), 0);
}

TEST(BitmapEffects, BrightOnTrueColourChangesEveryPixel) {
    const OwnedImage source(picture({{RGB(0, 100, 250)}}));
    const OwnedImage result(KPXBitmapEffect_Bright(source, -30));
    ASSERT_NE(result.get(), 0);
    EXPECT_EQ(getColor(result, 0, 0), RGB(0, 70, 220));
    const OwnedImage far(KPXBitmapEffect_Bright(source, 100000));
    EXPECT_EQ(getColor(far, 0, 0), RGB(255, 255, 255));
}

int g_progressCalls = 0;
void countProgress() {
    ++g_progressCalls;
}

TEST(BitmapEffects, ProgressRunsOncePerImageRow) {
    const OwnedImage source(KPXCreateImage(5, 7, 24));
    struct Case {
        int effect;
        int p1;
        int calls;
    };
    for (const Case c : {Case{kKpxEffectBrightness, 3, 7}, Case{kKpxEffectSharpen, 1, 7},
                         Case{kKpxEffectSharpen, 3, 7}, Case{kKpxEffectEmboss, kKpxEmbossTop, 7},
                         Case{kKpxEffectMosaic, 3, 8}}) {
        SCOPED_TRACE(c.effect);
        g_progressCalls = 0;
        const OwnedImage result(
            KPXApplyBitmapEffect(source, c.effect, c.p1, 0, 0, 0, countProgress));
        ASSERT_NE(result.get(), 0);
        EXPECT_EQ(g_progressCalls, c.calls);
    }
}

TEST(BitmapEffects, BadArgumentsGiveNoImage) {
    const OwnedImage source(KPXCreateImage(4, 4, 24));
    struct Case {
        int effect;
        int p1;
        int p2;
        int p3;
    };
    const int before = KpxLiveImageCount();
    for (const Case c :
         {Case{3, 0, 0, 0}, Case{-1, 0, 0, 0}, Case{25, 2, 0, 0}, Case{kKpxEffectSharpen, 0, 0, 0},
          Case{kKpxEffectSharpen, 6, 0, 0}, Case{kKpxEffectBlur, 0, 0, 0},
          Case{kKpxEffectBlur, 21, 0, 0}, Case{kKpxEffectMosaic, 1, 0, 0},
          Case{kKpxEffectMosaic, 51, 0, 0}, Case{kKpxEffectEmboss, 8055, 0, 0},
          Case{kKpxEffectEmboss, 8064, 0, 0}, Case{kKpxEffectEdges, 2, 0, 0},
          Case{kKpxEffectTwoColors, 3, 0, 0}, Case{kKpxEffectBrightness, 128, 0, 0},
          Case{kKpxEffectBrightness, 0, -128, 0}, Case{kKpxEffectColorBalance, 0, 0, 200},
          Case{kKpxEffectHueSaturation, 360, 0, 0}, Case{kKpxEffectHueSaturation, 0, 0, -128},
          Case{kKpxEffectTint, 0, 1000, 0}}) {
        SCOPED_TRACE(testing::Message() << c.effect << " " << c.p1 << " " << c.p2 << " " << c.p3);
        EXPECT_EQ(KPXApplyBitmapEffect(source, c.effect, c.p1, c.p2, c.p3, 0, nullptr), 0);
    }
    for (const int effect : {0, 1, 2, 10, 11, 12, 13, 20, 21, 22, 23, 24})
        EXPECT_EQ(KPXApplyBitmapEffect(0, effect, 2, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(KPXApplyBitmapEffect(12345, kKpxEffectNegative, 0, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(KPXBitmapEffect_Bright(0, 10), 0);
    EXPECT_EQ(KpxLiveImageCount(), before) << "a refused effect left an image behind";
}

// A kernel filter written out plainly over pictures as rows of colours: each channel the
// limited, towards-zero quotient of its weighted 3 x 3 neighbourhood (edges repeating), grey
// kernels averaging the channel sums first.
struct PlainKernel {
    int weights[9];
    int divisor;
    bool grey;
    COLORREF bias;
};

std::vector<std::vector<COLORREF>> filteredPlainly(const std::vector<std::vector<COLORREF>>& in,
                                                   const PlainKernel& k) {
    const int height = static_cast<int>(in.size());
    const int width = static_cast<int>(in[0].size());
    auto channel = [](COLORREF c, int i) {
        return i == 0 ? GetRValue(c) : i == 1 ? GetGValue(c) : GetBValue(c);
    };
    std::vector<std::vector<COLORREF>> out = in;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int sums[3] = {0, 0, 0};
            for (int i = 0; i < 9; ++i) {
                const int sy = std::clamp(y + i / 3 - 1, 0, height - 1);
                const int sx = std::clamp(x + i % 3 - 1, 0, width - 1);
                for (int c = 0; c < 3; ++c)
                    sums[c] += k.weights[i] * channel(in[sy][sx], c);
            }
            int v[3];
            for (int c = 0; c < 3; ++c) {
                const int value =
                    k.grey ? (sums[0] + sums[1] + sums[2]) / 3 / k.divisor : sums[c] / k.divisor;
                v[c] = std::clamp(value + channel(k.bias, c), 0, 255);
            }
            out[y][x] = RGB(v[0], v[1], v[2]);
        }
    return out;
}

TEST(BitmapEffects, KernelFiltersGiveThePlainlyComputedColoursOnLargerPictures) {
    const PlainKernel sharpen{{-1, 0, -1, 0, 7, 0, -1, 0, -1}, 3, false, 0};
    const PlainKernel edges{{-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1, false, 0};
    const PlainKernel emboss{{0, 1, 0, 1, 0, -1, 0, -1, 0}, 1, true, RGB(90, 100, 128)};
    const struct {
        const char* name;
        int effect;
        int p1;
        int p3;
        std::vector<const PlainKernel*> passes;
    } filters[] = {
        {"sharpen", kKpxEffectSharpen, 1, 0, {&sharpen}},
        {"sharpen three times", kKpxEffectSharpen, 3, 0, {&sharpen, &sharpen, &sharpen}},
        {"edges", kKpxEffectEdges, 0, 0, {&edges}},
        {"emboss", kKpxEffectEmboss, kKpxEmbossTopLeft, RGB(90, 100, 128), {&emboss}},
    };
    const struct {
        int width;
        int height;
    } sizes[] = {{37, 9}, {1, 5}, {50, 1}, {6, 6}, {133, 4}};
    std::mt19937 random(3);
    for (const auto& size : sizes)
        for (const auto& f : filters) {
            std::vector<std::vector<COLORREF>> colours(
                static_cast<std::size_t>(size.height),
                std::vector<COLORREF>(static_cast<std::size_t>(size.width)));
            for (auto& row : colours)
                for (auto& c : row)
                    c = RGB(random() % 256, random() % 256, random() % 256);
            std::vector<std::vector<COLORREF>> expected = colours;
            for (const PlainKernel* pass : f.passes)
                expected = filteredPlainly(expected, *pass);
            const OwnedImage source(picture(colours));
            const OwnedImage result(
                KPXApplyBitmapEffect(source, f.effect, f.p1, 0, f.p3, 0, nullptr));
            ASSERT_NE(result.get(), 0) << f.name;
            EXPECT_EQ(colorsOf(result), expected)
                << f.name << " on " << size.width << " x " << size.height;
        }
}

} // namespace
