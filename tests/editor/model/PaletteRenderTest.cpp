#include "PaletteRender.h"

#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

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
