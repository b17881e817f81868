#include "PaletteRender.h"

#include "EmfFixtures.h"
#include "FrameChainBuild.h"
#include "ImageUtilities.h"
#include "ModelTestSupport.h"
#include "ShellServices.h"
#include "metafile/EnhMetafile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace {

// A 24-bit image whose pixels count up through `colours` distinct colours.
KpxHandle imageWithColours(int colours) {
    const KpxHandle image = KPXCreateImage(colours, 1, 24);
    std::uint8_t* bits = KPXGetBits(image);
    for (int i = 0; i < colours; ++i) {
        bits[i * 3] = static_cast<std::uint8_t>(i * 4 % 256);
        bits[i * 3 + 1] = static_cast<std::uint8_t>(i / 64 * 64);
        bits[i * 3 + 2] = 8;
    }
    return image;
}

} // namespace

TEST(UniqueColour, WalkFromWhiteSkipsTakenColours) {
    EXPECT_EQ(GetUniqueColor(0xFFFFFFul, 0xFFFFFEul), RGB(254, 254, 255));
    EXPECT_EQ(GetUniqueColor(0ul, 1ul), RGB(255, 255, 255));
    EXPECT_EQ(GetUniqueColor(0xFFFFFFul, 0xFFFFFEul, 0xFFFFFDul, 5ul), 0xFFFFFCu);

    const KpxHandle image = KPXCreateImage(2, 2, 8);
    PALETTEENTRY palette[256] = {};
    palette[7] = PALETTEENTRY{255, 255, 255, 0};
    KPXSetNewPalette(image, palette, 256);
    KPXFillDIBColorTable(image);
    EXPECT_EQ(GetUniqueColor(static_cast<short>(image)), RGB(254, 255, 255));
    KPXDeleteImage(image);
    const KpxHandle deep = KPXCreateImage(2, 2, 24);
    EXPECT_EQ(GetUniqueColor(static_cast<short>(deep)), 0u);
    KPXDeleteImage(deep);
}

TEST(GlobalPalette, FixedCubeFineAndUnknownModes) {
    OptimizeOptions options{};
    PALETTEENTRY palette[256];
    std::memset(palette, 0x5A, sizeof palette);
    EXPECT_EQ(CalculateGlobalPalette(palette, 3, options), -1);
    EXPECT_EQ(palette[0].peRed, 0x5A);

    EXPECT_EQ(CalculateGlobalPalette(palette, 2, options), 255);
    EXPECT_EQ(palette[1].peBlue, 51);
    EXPECT_EQ(palette[6].peGreen, 51);
    EXPECT_EQ(palette[36].peRed, 51);
    EXPECT_EQ(palette[215].peRed, 255);
    EXPECT_EQ(palette[215].peBlue, 255);
    EXPECT_EQ(palette[216].peRed, 0);

    EXPECT_EQ(CalculateGlobalPalette(palette, 1, options), 255);
    EXPECT_EQ(std::memcmp(palette, KPXGetFinePalette(), sizeof palette), 0);
}

TEST(Transparency, FirstEntryDecidesTheIndex) {
    const KpxHandle image = KPXCreateImage(2, 2, 8);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(image)), -1);
    SetImageTransparent(static_cast<short>(image), 9);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(image)), 9);
    const KpxTransparentEntry entries[2] = {{1, 2, 3, 0, 0, 0, 0}, {0, 0, 4, 0, 1, 0, 0}};
    KPXSetImageTransparent(image, entries, 2);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(image)), -1);
    SetImageTransparent(static_cast<short>(image), 0x00302010ul);
    int count = 0;
    const KpxTransparentEntry* set = KPXGetImageTransparentData(image, &count);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(set[0].red, 0x10);
    EXPECT_EQ(set[0].blue, 0x30);
    EXPECT_EQ(set[0].mode, 0);
    KPXDeleteImage(image);
}

TEST(ColourConversion, ExactUpTo253ColoursThenDithered) {
    for (const int colours : {253, 254}) {
        const KpxHandle image = imageWithColours(colours);
        const short converted = ImageColorConvert24to8(static_cast<short>(image), 0);
        ASSERT_NE(converted, 0) << colours;
        EXPECT_EQ(KPXbpp(converted), 8);
        // Exact: every pixel's table colour equals the source pixel.
        const RGBQUAD* table = KPXGetBitmapInfoHeader(converted)->bmiColors;
        const std::uint8_t* in = KPXGetBits(image);
        const std::uint8_t* out = KPXGetBits(converted);
        bool exact = true;
        for (int i = 0; i < colours; ++i) {
            const RGBQUAD& q = table[out[i]];
            exact = exact && q.rgbBlue == in[i * 3] && q.rgbGreen == in[i * 3 + 1] &&
                    q.rgbRed == in[i * 3 + 2];
        }
        EXPECT_EQ(exact, colours == 253) << colours;
        KPXDeleteImage(converted);
        KPXDeleteImage(image);
    }
}

class RenderedImageTest : public ModelTest {};

TEST_F(RenderedImageTest, TextFrameComposedOverThePreviousFrame) {
    CObjFrame& below = addFrame(0, 0, 4, 4, 24);
    IPLImageFillByColor(below.GetImage(), 0, RGB(0, 0, 255));
    CObjFrame& text = addFrame(1, 1, 2, 2, 8);
    text.hasText = 1;
    PALETTEENTRY palette[256] = {};
    palette[1] = PALETTEENTRY{255, 0, 0, 0};
    KPXSetNewPalette(text.GetImage(), palette, 256);
    KPXFillDIBColorTable(text.GetImage());
    std::uint8_t* bits = KPXGetBits(text.GetImage());
    bits[0] = 1; // bottom-left pixel red, the others index 0
    SetImageTransparent(static_cast<short>(text.GetImage()), 0);

    EXPECT_EQ(RenderImagesFromFrames(&animation().frames, nullptr, nullptr), 1);
    const short rendered = static_cast<short>(text.GetRenderedImage());
    ASSERT_NE(rendered, 0);
    EXPECT_EQ(KPXbpp(rendered), 8);
    const RGBQUAD* table = KPXGetBitmapInfoHeader(rendered)->bmiColors;
    const std::uint8_t* pixels = KPXGetBits(rendered);
    const RGBQUAD red = table[pixels[0]];
    const RGBQUAD blue = table[pixels[1]];
    EXPECT_EQ(red.rgbRed, 255);
    EXPECT_EQ(red.rgbBlue, 0);
    EXPECT_EQ(blue.rgbBlue, 255);
    EXPECT_EQ(blue.rgbRed, 0);
}

namespace {

// The colour shown at (x, y) from the top of an 8-bit or 24-bit image.
COLORREF colourAt(KpxHandle image, int x, int y) {
    const int row = KPXHeight(image) - 1 - y;
    const std::uint8_t* bits =
        KPXGetBits(image) + static_cast<std::size_t>(row) * KPXGetScanBytes(image);
    if (KPXbpp(image) == 24)
        return RGB(bits[x * 3 + 2], bits[x * 3 + 1], bits[x * 3]);
    const RGBQUAD& q = KPXGetBitmapInfoHeader(image)->bmiColors[bits[x]];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

int indexAt(KpxHandle image, int x, int y) {
    const int row = KPXHeight(image) - 1 - y;
    return KPXGetBits(image)[static_cast<std::size_t>(row) * KPXGetScanBytes(image) + x];
}

void setColours(KpxHandle image, std::initializer_list<COLORREF> colours) {
    PALETTEENTRY palette[256] = {};
    int i = 0;
    for (const COLORREF c : colours)
        palette[i++] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0};
    KPXSetNewPalette(image, palette, 256);
    KPXFillDIBColorTable(image);
}

void setIndex(KpxHandle image, int x, int y, int index) {
    const int row = KPXHeight(image) - 1 - y;
    KPXGetBits(image)[static_cast<std::size_t>(row) * KPXGetScanBytes(image) + x] =
        static_cast<std::uint8_t>(index);
}

void fillRgb(KpxHandle image, COLORREF colour) {
    IPLImageFillByColor(image, 0, colour);
}

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);

} // namespace

class RenderFunctionsTest : public ModelTest {
protected:
    // A vector frame as read from a file: an 8-bit 2 x 2 picture and a record of a 6 x 4 red
    // rectangle.
    CObjFrame& addRedRectangleVectorFrame() {
        CObjFrame& vector = addFrame(0, 0, 2, 2, 8);
        vector.hasVector = 1;
        const std::vector<std::uint8_t> emf =
            kfm::test::EmfBuilder(6, 4).solidBrush(kRed).rectangle(0, 0, 7, 5).finish();
        vector.vector.metafile.reset(SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data()));
        vector.vector.width = 6;
        vector.vector.height = 4;
        return vector;
    }
    // Frames 0..n-1 composed one by one on the screen, as a viewer shows them.
    std::vector<std::vector<COLORREF>> composedStates(int width, int height) {
        std::vector<std::vector<COLORREF>> states;
        auto& frames = animation().frames;
        for (int i = 0; i < animation().RealFrameCount(); ++i) {
            EXPECT_EQ(BuildFramesImage(frames, 0, 0), 1);
            ScopedImage canvas(KPXCreateImage(width, height, 24));
            fillRgb(canvas.get(), kGrey);
            KPXRenderFrames(frames.front().GetImage(), canvas.get(), 0, 0, 0, i, kGrey, 0, 1);
            SplitFramesImage(frames, 0);
            std::vector<COLORREF> pixels;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    pixels.push_back(colourAt(canvas.get(), x, y));
            states.push_back(pixels);
        }
        return states;
    }

    // A 4 x 4 red 24-bit frame at 0,0 and a 2 x 2 8-bit frame at 1,1: green, white, and two
    // transparent pixels.
    void addTwoFrames() {
        animation().AnimationWidth = 4;
        animation().AnimationHeight = 4;
        fillRgb(addFrame(0, 0, 4, 4, 24).GetImage(), kRed);
        CObjFrame& top = addFrame(1, 1, 2, 2, 8);
        setColours(top.GetImage(), {kBlue, kGreen, kWhite});
        setIndex(top.GetImage(), 0, 0, 1);
        setIndex(top.GetImage(), 1, 0, 2);
        top.transparency = kKpxTransparencyIndexFlag + 0;
        SetImageTransparent(static_cast<short>(top.GetImage()), 0);
    }
};

TEST_F(RenderFunctionsTest, GlobalPaletteKeepsComposedFramesWhenColoursFit) {
    addTwoFrames();
    const auto before = composedStates(4, 4);
    // Entry 0, the transparent one, is white too: opaque white must not become transparent.
    PALETTEENTRY palette[256] = {};
    palette[0] = PALETTEENTRY{255, 255, 255, 0};
    palette[1] = PALETTEENTRY{0, 255, 0, 0};
    palette[2] = PALETTEENTRY{255, 0, 0, 0};
    palette[3] = PALETTEENTRY{255, 255, 255, 0};
    OptimizeOptions options{};
    options.word[7] = 256;
    EXPECT_EQ(OptimizeToGlobalPalette256Ex(palette, options, 0, 2), 0);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(KPXbpp(frameAt(i).GetImage()), 8) << i;
    // Only the frame with transparent pixels needs the transparent index.
    EXPECT_EQ(frameAt(0).transparency, 0u);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(frameAt(0).GetImage())), -1);
    EXPECT_EQ(frameAt(1).transparency, kKpxTransparencyIndexFlag);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(frameAt(1).GetImage())), 0);
    EXPECT_EQ(indexAt(frameAt(0).GetImage(), 0, 0), 2);
    EXPECT_EQ(indexAt(frameAt(1).GetImage(), 0, 0), 1);
    EXPECT_EQ(indexAt(frameAt(1).GetImage(), 1, 0), 3);
    EXPECT_EQ(indexAt(frameAt(1).GetImage(), 0, 1), 0);
    EXPECT_EQ(composedStates(4, 4), before);
    EXPECT_EQ(shellFake.countSent(WM_PROGRESS_BEGIN), 1);
    EXPECT_EQ(shellFake.countSent(WM_PROGRESS_END), 1);
}

// The adaptive palette of an animation of more pixels than one library image can hold in a
// strip 1000 wide (32767 rows): it holds the frames' colours exactly, the transparent entry
// first; a palette the quantiser has to choose (more colours than entries) keeps the colours
// that most pixels show.
TEST_F(RenderFunctionsTest, AdaptivePaletteOfALargeAnimation) {
    constexpr int kSide = 4100; // two frames: 33.6 million pixels
    const std::vector<COLORREF> colours = {kRed, kGreen, kBlue, RGB(250, 200, 10)};
    const auto addLargeFrame = [&](COLORREF ground, COLORREF spot) {
        const KpxHandle image = addFrame(0, 0, kSide, kSide, 8).GetImage();
        setColours(image, {ground, spot, kWhite});
        std::memset(KPXGetBits(image), 0, static_cast<std::size_t>(KPXGetScanBytes(image)) * kSide);
        setIndex(image, 5, 7, 1);
        return image;
    };
    addLargeFrame(colours[0], colours[1]);
    const KpxHandle second = addLargeFrame(colours[2], colours[3]);
    setIndex(second, 9, 9, 2);
    SetImageTransparent(static_cast<short>(second), 2);

    PALETTEENTRY palette[256];
    EXPECT_EQ(CalculateOptimAdaptivePalette256(palette, 256, nullptr, nullptr), 0);
    const auto colourOf = [](const PALETTEENTRY& e) { return RGB(e.peRed, e.peGreen, e.peBlue); };
    EXPECT_EQ(colourOf(palette[0]), kWhite) << "the transparent entry";
    std::vector<COLORREF> held;
    for (int i = 1; i < 5; ++i)
        held.push_back(colourOf(palette[i]));
    std::sort(held.begin(), held.end());
    std::vector<COLORREF> expected = colours;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(held, expected);
    for (int i = 5; i < 256; ++i)
        EXPECT_EQ(colourOf(palette[i]), kWhite) << "unused entries repeat entry 0";

    // Three entries for four colours (one is the transparent entry): the two single pixels give
    // way to the two grounds.
    EXPECT_EQ(CalculateOptimAdaptivePalette256(palette, 4, nullptr, nullptr), 0);
    std::vector<COLORREF> chosen = {colourOf(palette[1]), colourOf(palette[2])};
    std::sort(chosen.begin(), chosen.end());
    std::vector<COLORREF> grounds = {colours[0], colours[2]};
    std::sort(grounds.begin(), grounds.end());
    EXPECT_EQ(chosen, grounds);
}

// An exact adaptive palette lists the colours by how many pixels show them: the counts of a
// masked 8-bit frame whose rows do not end on a whole byte, and of a 24-bit frame whose 200
// colours are scattered so that they keep displacing one another while counted.
TEST_F(RenderFunctionsTest, ExactAdaptivePaletteOrdersColoursByTheirPixelCounts) {
    std::map<COLORREF, int> expected;
    constexpr int kWide = 150;
    constexpr int kHigh = 134; // 150 x 134 = 1 + 2 + ... + 200 pixels
    std::vector<int> shows;
    for (int k = 0; k < 200; ++k)
        shows.insert(shows.end(), static_cast<std::size_t>(k + 1), k);
    for (std::size_t i = 0; i < shows.size(); ++i) // a fixed scatter
        std::swap(shows[i], shows[(i * 7919 + 13) % shows.size()]);
    const KpxHandle wide = addFrame(0, 0, kWide, kHigh, 24).GetImage();
    for (int y = 0; y < kHigh; ++y)
        for (int x = 0; x < kWide; ++x) {
            const int k = shows[static_cast<std::size_t>(y * kWide + x)];
            const COLORREF c = RGB(k, 100, 200 - k / 2);
            std::uint8_t* p = KPXGetBits(wide) +
                              static_cast<std::size_t>(y) * KPXGetScanBytes(wide) +
                              3 * static_cast<std::size_t>(x);
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
            ++expected[c];
        }
    const KpxHandle masked = addFrame(0, 0, 13, 5, 8).GetImage();
    const COLORREF third = RGB(250, 200, 10);
    setColours(masked, {kWhite, kRed, kBlue, third});
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x)
            setIndex(masked, x, y, (x + y) % 3 + 1);
    for (const auto [x, y] : {std::pair{2, 0}, {9, 1}, {12, 2}, {0, 3}, {7, 4}})
        setIndex(masked, x, y, 0);
    SetImageTransparent(static_cast<short>(masked), 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x)
            if (const int i = indexAt(masked, x, y))
                ++expected[i == 1 ? kRed : i == 2 ? kBlue : third];

    PALETTEENTRY palette[256];
    ASSERT_EQ(CalculateOptimAdaptivePalette256(palette, 256, nullptr, nullptr), 0);
    std::vector<std::pair<int, COLORREF>> order;
    for (const auto& [colour, count] : expected)
        order.emplace_back(-count, RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour)));
    std::sort(order.begin(), order.end()); // most pixels first, then 0xRRGGBB ascending
    const auto colourOf = [](const PALETTEENTRY& e) { return RGB(e.peRed, e.peGreen, e.peBlue); };
    EXPECT_EQ(colourOf(palette[0]), kWhite) << "the transparent entry";
    for (std::size_t i = 0; i < order.size(); ++i) {
        const COLORREF key = order[i].second;
        EXPECT_EQ(colourOf(palette[i + 1]), RGB(GetBValue(key), GetGValue(key), GetRValue(key)))
            << "entry " << i + 1 << " shown by " << -order[i].first << " pixels";
    }
}

TEST_F(RenderFunctionsTest, GlobalPaletteSkipsOptimisedFramesAndClearsTheirFlag) {
    addTwoFrames();
    frameAt(0).optimised = 1;
    const std::uint16_t kept = frameAt(0).GetImage();
    PALETTEENTRY palette[256] = {};
    palette[1] = PALETTEENTRY{0, 255, 0, 0};
    palette[2] = PALETTEENTRY{255, 255, 255, 0};
    EXPECT_EQ(
        OptimizeToGlobalPalette256Ex(palette, OptimizeOptions{{0, 0, 0, 0, 0, 0, 0, 256}}, 0, 2),
        0);
    EXPECT_EQ(frameAt(0).GetImage(), kept);
    EXPECT_EQ(frameAt(0).optimised, 0);
    EXPECT_EQ(KPXbpp(frameAt(0).GetImage()), 24);
}

TEST_F(RenderFunctionsTest, GlobalPaletteBadArgumentsChangeNothing) {
    addTwoFrames();
    const std::uint16_t images[2] = {frameAt(0).GetImage(), frameAt(1).GetImage()};
    PALETTEENTRY palette[256] = {};
    const struct {
        PALETTEENTRY* palette;
        int index;
    } cases[] = {{nullptr, 0}, {palette, -1}, {palette, 256}};
    for (const auto& c : cases) {
        EXPECT_EQ(OptimizeToGlobalPalette256Ex(c.palette, OptimizeOptions{}, c.index, 2), 0);
        EXPECT_EQ(frameAt(0).GetImage(), images[0]);
        EXPECT_EQ(frameAt(1).GetImage(), images[1]);
    }
}

TEST_F(RenderFunctionsTest, GlobalPaletteCancelKeepsTheFramesDoneSoFar) {
    addTwoFrames();
    const std::uint16_t second = frameAt(1).GetImage();
    shellFake.escapeAfter = 0;
    PALETTEENTRY palette[256] = {};
    palette[1] = PALETTEENTRY{255, 0, 0, 0};
    EXPECT_EQ(OptimizeToGlobalPalette256Ex(palette, OptimizeOptions{}, 0, 2), 2);
    EXPECT_EQ(KPXbpp(frameAt(0).GetImage()), 8);
    EXPECT_EQ(frameAt(1).GetImage(), second);
    EXPECT_EQ(shellFake.countSent(WM_PROGRESS_END), 1);
}

TEST_F(RenderFunctionsTest, RenderedImageOnAGivenPalette) {
    CObjFrame& below = addFrame(0, 0, 2, 1, 24);
    fillRgb(below.GetImage(), kBlue);
    CObjFrame& text = addFrame(0, 0, 2, 1, 8);
    text.hasText = 1;
    setColours(text.GetImage(), {kWhite, kRed});
    setIndex(text.GetImage(), 0, 0, 1);
    SetImageTransparent(static_cast<short>(text.GetImage()), 0);
    PALETTEENTRY palette[4] = {{255, 255, 255, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}};
    ASSERT_EQ(BuildFramesImage(animation().frames, 1, 0), 1);
    int out = -1;
    ScopedImage rendered(CreateRenderedImage(below.GetImage(), &text, 0, palette, 0, 4, 0, &out));
    SplitFramesImage(animation().frames, 1);
    ASSERT_NE(rendered.get(), 0);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(indexAt(rendered.get(), 0, 0), 2); // the text's red
    EXPECT_EQ(indexAt(rendered.get(), 1, 0), 1); // the blue frame beneath
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(rendered.get())), 0);

    for (const int count : {1, 257}) {
        out = -1;
        EXPECT_EQ(CreateRenderedImage(below.GetImage(), &text, 0, palette, 0, count, 0, &out), 0);
        EXPECT_EQ(out, 0);
    }
    EXPECT_EQ(CreateRenderedImage(below.GetImage(), &text, 0, nullptr, 0, 4, 0, &out), 0);
    EXPECT_EQ(CreateRenderedImage(below.GetImage(), nullptr, 0, palette, 0, 4, 0, &out), 0);
}

TEST_F(RenderFunctionsTest, PreviewImageShowsTheStateAtTheFrameWithItsPlace) {
    fillRgb(addFrame(2, 3, 3, 2, 24).GetImage(), kRed);
    CObjFrame& top = addFrame(3, 4, 3, 1, 8);
    setColours(top.GetImage(), {kWhite, kGreen});
    setIndex(top.GetImage(), 0, 0, 1);
    setIndex(top.GetImage(), 1, 0, 1);
    top.transparency = kKpxTransparencyIndexFlag;
    SetImageTransparent(static_cast<short>(top.GetImage()), 0);
    g_Settings.animBkColor = kBlue;

    ScopedImage preview(CreateRenderedPreviewImage(&animation().frames, 1));
    g_Settings.animBkColor = kWhite;
    ASSERT_NE(preview.get(), 0);
    EXPECT_EQ(KPXWidth(preview.get()), 4);
    EXPECT_EQ(KPXHeight(preview.get()), 2);
    EXPECT_EQ(KPXbpp(preview.get()), 24);
    const std::vector<COLORREF> expected = {kRed, kRed,   kRed,   kBlue, //
                                            kRed, kGreen, kGreen, kBlue};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(colourAt(preview.get(), x, y), expected[y * 4 + x]) << x << "," << y;
    FrameInfo info{};
    ASSERT_TRUE(KPXGetImageFramesInfo(preview.get(), &info));
    EXPECT_EQ(info.left, 2);
    EXPECT_EQ(info.top, 3);
    FreeFrameParts(info, 0);
    EXPECT_EQ(frameAt(0).left, 2);
    EXPECT_EQ(frameAt(1).top, 4);

    EXPECT_EQ(CreateRenderedPreviewImage(&animation().frames, -1), 0);
    EXPECT_EQ(CreateRenderedPreviewImage(nullptr, 0), 0);
}

TEST_F(RenderFunctionsTest, CancelledPreviewLeavesTheAnimationUnchanged) {
    fillRgb(addFrame(2, 3, 3, 2, 24).GetImage(), kRed);
    CObjFrame& text = addFrame(3, 4, 2, 1, 8);
    text.hasText = 1;
    shellFake.escapeAfter = 0;
    EXPECT_EQ(CreateRenderedPreviewImage(&animation().frames, 1), 0);
    EXPECT_EQ(frameAt(0).left, 2);
    EXPECT_EQ(frameAt(0).top, 3);
    EXPECT_EQ(frameAt(1).left, 3);
    EXPECT_EQ(frameAt(1).GetRenderedImage(), 0);
    EXPECT_EQ(shellFake.countSent(WM_PROGRESS_END), 1);
}

TEST_F(RenderFunctionsTest, AnimationStatesReplaceTheSelectedFrames) {
    addTwoFrames();
    frameAt(1).selected = 1;
    frameAt(1).disposal = 2;
    frameAt(1).hasText = 1;
    frameAt(1).text.text = "x";
    const std::uint16_t first = frameAt(0).GetImage();
    EXPECT_EQ(RenderAnimationStates(&animation().frames, -1), 1);
    EXPECT_EQ(frameAt(0).GetImage(), first);
    const CObjFrame& state = frameAt(1);
    const KpxHandle image = state.GetImage();
    ASSERT_EQ(KPXbpp(image), 8);
    EXPECT_EQ(KPXWidth(image), 4);
    EXPECT_EQ(KPXHeight(image), 4);
    EXPECT_EQ(state.left, 0);
    EXPECT_EQ(state.top, 0);
    EXPECT_EQ(state.width, 4);
    EXPECT_EQ(state.disposal, 1);
    EXPECT_EQ(state.transparency, 0u);
    EXPECT_FALSE(state.hasText);
    EXPECT_EQ(state.GetRenderedImage(), 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            COLORREF expected = kRed;
            if (y == 1 && x == 1)
                expected = kGreen;
            else if (y == 1 && x == 2)
                expected = kWhite;
            EXPECT_EQ(colourAt(image, x, y), expected) << x << "," << y;
        }
}

TEST_F(RenderFunctionsTest, AnimationStatesCancelOrBadArgumentsReplaceNothing) {
    addTwoFrames();
    SelectAllFrames();
    const std::uint16_t images[2] = {frameAt(0).GetImage(), frameAt(1).GetImage()};
    shellFake.escapeAfter = 1;
    EXPECT_EQ(RenderAnimationStates(&animation().frames, -1), 2);
    shellFake.escapeAfter = -1;
    EXPECT_EQ(RenderAnimationStates(nullptr, -1), 0);
    EXPECT_EQ(RenderAnimationStates(&animation().frames, -2), 0);
    animation().AnimationWidth = 0;
    EXPECT_EQ(RenderAnimationStates(&animation().frames, -1), 0);
    EXPECT_EQ(frameAt(0).GetImage(), images[0]);
    EXPECT_EQ(frameAt(1).GetImage(), images[1]);
    EXPECT_EQ(frameAt(1).left, 1);
}

TEST_F(RenderFunctionsTest, SoftAlphaFrameKeepsItsTransparencyImageThroughRendering) {
    fillRgb(addFrame(0, 0, 2, 1, 24).GetImage(), kBlue);
    CObjFrame& soft = addFrame(0, 0, 2, 1, 24);
    soft.softAlpha = 1;
    fillRgb(soft.GetImage(), kRed);
    const KpxHandle alpha = CreateSolidImage(2, 1, 0);
    setIndex(alpha, 1, 0, 255); // the right pixel fully transparent
    KPXSetImageTransparentEx(soft.GetImage(), alpha);
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_EQ(RenderImagesFromFrames(&animation().frames, nullptr, nullptr), 1) << pass;
        ASSERT_EQ(KPXGetImageTransparentImageEx(soft.GetImage()), alpha) << pass;
        EXPECT_EQ(KPXWidth(alpha), 2) << pass;
        const KpxHandle rendered = soft.GetRenderedImage();
        EXPECT_GE(GetRValue(colourAt(rendered, 0, 0)), 250) << pass;
        EXPECT_EQ(GetBValue(colourAt(rendered, 0, 0)), 0) << pass;
        EXPECT_EQ(indexAt(rendered, 1, 0), 0) << pass; // transparent: the blue beneath shows
        EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(rendered)), 0) << pass;
    }
}

namespace {

// The pixel bytes of an image of the given size and depth, filled by fill(x, y) per byte
// group, rows bottom-up and padded to four bytes as the library stores them.
template <typename Fill>
std::vector<std::uint8_t> storedRows(int width, int height, int bytesPerPixel, Fill fill) {
    const int stride = (width * bytesPerPixel + 3) / 4 * 4;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stride) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            fill(&bytes[static_cast<std::size_t>(height - 1 - y) * stride + x * bytesPerPixel], x,
                 y);
    return bytes;
}

} // namespace

TEST_F(RenderFunctionsTest, NPImageRecordGivesBackTheSourcePictures) {
    CObjFrame& deep = addFrame(1, 1, 3, 2, 8);
    deep.hasNPImage = 1;
    deep.npImage.pixels24 = storedRows(3, 2, 3, [](std::uint8_t* p, int x, int y) {
        p[0] = static_cast<std::uint8_t>(10 * x); // blue
        p[1] = static_cast<std::uint8_t>(20 * y); // green
        p[2] = 200;                               // red
    });
    deep.npImage.alpha = storedRows(3, 2, 1, [](std::uint8_t* p, int x, int) { *p = x * 100; });
    deep.npImage.alphaValue = 30;
    deep.npImage.maskPixels = storedRows(3, 2, 1, [](std::uint8_t* p, int, int y) { *p = y; });

    CObjFrame& paletted = addFrame(0, 0, 2, 2, 8);
    paletted.hasNPImage = 1;
    paletted.npImage.pixels8 = storedRows(
        2, 2, 1, [](std::uint8_t* p, int x, int y) { *p = static_cast<std::uint8_t>(x + 2 * y); });
    paletted.npImage.palette = {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00808080};
    paletted.npImage.transparencyWord = static_cast<std::int32_t>(kKpxTransparencyIndexFlag + 3);

    // Buffers that do not fit the picture are left out.
    CObjFrame& damaged = addFrame(0, 0, 2, 2, 8);
    const std::uint16_t damagedImage = damaged.GetImage();
    damaged.hasNPImage = 1;
    damaged.npImage.pixels24.assign(5, 0x11);
    damaged.npImage.pixels8.assign(100000, 0x22);

    EXPECT_EQ(RenderImagesFromInfo(&animation().frames, nullptr, nullptr), 1);

    const KpxHandle picture = deep.GetImage();
    ASSERT_EQ(KPXbpp(picture), 24);
    EXPECT_EQ(colourAt(picture, 2, 1), RGB(200, 20, 20));
    const KpxHandle alpha = KPXGetImageTransparentImageEx(picture);
    ASSERT_NE(alpha, 0);
    EXPECT_EQ(indexAt(alpha, 2, 0), 200);
    EXPECT_EQ(colourAt(alpha, 1, 0), RGB(100, 100, 100));
    EXPECT_EQ(deep.softAlpha, 1);
    EXPECT_EQ(deep.alphaValue, 30);
    ASSERT_NE(deep.GetMaskImage(), 0);
    EXPECT_EQ(indexAt(deep.GetMaskImage(), 0, 1), 1);
    EXPECT_EQ(deep.left, 1);
    // The record is used up: the next save writes a fresh one from the pictures.
    EXPECT_FALSE(deep.hasNPImage);
    EXPECT_TRUE(deep.npImage.pixels24.empty());

    const KpxHandle eight = paletted.GetImage();
    ASSERT_EQ(KPXbpp(eight), 8);
    EXPECT_EQ(colourAt(eight, 0, 0), kBlue);
    EXPECT_EQ(colourAt(eight, 1, 0), kGreen);
    EXPECT_EQ(colourAt(eight, 0, 1), kRed);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(eight)), 3);
    EXPECT_EQ(paletted.transparency, kKpxTransparencyIndexFlag + 3);

    EXPECT_EQ(damaged.GetImage(), damagedImage);
    EXPECT_TRUE(damaged.hasNPImage);
}

// An 8-bit frame saved under a transparency level comes back with the level applied again: its
// own transparency (index 1) in the mask image, the raised one as graded alpha, and the index
// remembered in bits 16..23 of the transparency word.
TEST_F(RenderFunctionsTest, NPImageEightBitSourceGetsItsTransparencyLevelBack) {
    CObjFrame& leveled = addFrame(0, 0, 2, 2, 8);
    leveled.hasNPImage = 1;
    leveled.npImage.pixels8 = storedRows(
        2, 2, 1, [](std::uint8_t* p, int x, int y) { *p = static_cast<std::uint8_t>(x + 2 * y); });
    leveled.npImage.palette = {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00808080};
    leveled.npImage.alphaValue = 50;
    leveled.npImage.transparencyWord = 0x10000 + 1;

    EXPECT_EQ(RenderImagesFromInfo(&animation().frames, nullptr, nullptr), 1);

    const KpxHandle eight = leveled.GetImage();
    ASSERT_EQ(KPXbpp(eight), 8);
    EXPECT_EQ(colourAt(eight, 1, 1), RGB(128, 128, 128));
    EXPECT_EQ(leveled.transparency, 0x10000u + 1);
    EXPECT_EQ(leveled.alphaValue, 50);
    EXPECT_EQ(leveled.softAlpha, 1);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(eight)), -1);
    const KpxHandle mask = leveled.GetMaskImage();
    ASSERT_NE(mask, 0);
    EXPECT_EQ(indexAt(mask, 1, 0), 255); // index 1 stays transparent under the level
    EXPECT_EQ(indexAt(mask, 0, 0), 0);
    const KpxHandle alpha = KPXGetImageTransparentImageEx(eight);
    ASSERT_NE(alpha, 0);
    EXPECT_EQ(indexAt(alpha, 1, 0), 255);
    EXPECT_NEAR(indexAt(alpha, 0, 0), 128, 1); // 50 x 2.55 raised from opaque
    EXPECT_FALSE(leveled.hasNPImage);
}

TEST_F(RenderFunctionsTest, VectorFrameIsDrawnAgainFromItsRecord) {
    CObjFrame& vector = addRedRectangleVectorFrame();
    vector.vector.left = -3;
    vector.vector.top = 5;
    // A vector record whose size makes no picture keeps the picture as read.
    CObjFrame& huge = addFrame(0, 0, 2, 2, 8);
    const std::uint16_t hugeImage = huge.GetImage();
    huge.hasVector = 1;
    huge.vector = vector.vector;
    huge.vector.width = 1 << 20;

    EXPECT_EQ(RenderImagesFromInfo(&animation().frames, nullptr, nullptr), 1);
    EXPECT_EQ(vector.left, -3);
    EXPECT_EQ(vector.top, 5);
    EXPECT_EQ(vector.width, 6);
    EXPECT_EQ(vector.height, 4);
    EXPECT_EQ(vector.transparency, 0u);
    EXPECT_EQ(vector.objectsAsRead, 0);
    ASSERT_EQ(KPXbpp(vector.GetImage()), 24);
    EXPECT_EQ(colourAt(vector.GetImage(), 2, 2), kRed);

    EXPECT_EQ(huge.GetImage(), hugeImage);
    EXPECT_EQ(huge.objectsAsRead, 1);
}

// A vector frame saved under a transparency level shows it again once drawn from its record.
TEST_F(RenderFunctionsTest, VectorFrameGetsItsTransparencyLevelBack) {
    CObjFrame& vector = addRedRectangleVectorFrame();
    vector.vector.transparencyLevel = 40;

    EXPECT_EQ(RenderImagesFromInfo(&animation().frames, nullptr, nullptr), 1);
    EXPECT_EQ(vector.softAlpha, 1);
    EXPECT_EQ(vector.alphaValue, 40);
    const KpxHandle alpha = KPXGetImageTransparentImageEx(vector.GetImage());
    ASSERT_NE(alpha, 0);
    EXPECT_NEAR(indexAt(alpha, 2, 2), 102, 1); // 40 x 2.55 over the opaque picture
    EXPECT_EQ(colourAt(vector.GetImage(), 2, 2), kRed);
}
