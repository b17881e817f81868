// The reduction of deep frames to 8 bits before a GIF is written: what each kind of frame keeps
// in its np-image record and what the file shows for it.

#include "ModelTestSupport.h"

#include "FrameChainBuild.h"
#include "FrameReduction.h"
#include "FrameTransforms.h"
#include "ImageUtilities.h"
#include "PaletteRender.h"

#include <vector>

namespace {

class FrameReductionTest : public ModelTest {
protected:
    // A 24-bit frame whose pixels are all different colours (x and y in red and green).
    CObjFrame& addDeepFrame(int width, int height) {
        CObjFrame& f = addFrame(0, 0, width, height, 24);
        const auto image = static_cast<KpxHandle>(f.GetImage());
        std::uint8_t* bits = KPXGetBits(image);
        const int row = KPXGetScanBytes(image);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* p = bits + y * row + 3 * x;
                p[0] = 40;
                p[1] = static_cast<std::uint8_t>(16 * y);
                p[2] = static_cast<std::uint8_t>(16 * x);
            }
        return f;
    }
    // An 8-bit grey image of the given size, every pixel value.
    static KpxHandle greyImage(int width, int height, int value) {
        return CreateSolidImage(width, height, value);
    }
    static std::vector<std::uint8_t> bytesOf(KpxHandle image) {
        const std::uint8_t* bits = KPXGetBits(image);
        return std::vector<std::uint8_t>(bits, bits + KPXSizeImage(image));
    }
    // Pixels of the 8-bit picture that do not show the colour of the 24-bit source.
    static int differentPixels(KpxHandle eight, KpxHandle deep) {
        int wrong = 0;
        for (int y = 0; y < KPXHeight(deep); ++y)
            for (int x = 0; x < KPXWidth(deep); ++x) {
                const int index = KPXGetBits(eight)[y * KPXGetScanBytes(eight) + x];
                const RGBQUAD c = KPXGetBitmapInfoHeader(eight)->bmiColors[index];
                const std::uint8_t* p = KPXGetBits(deep) + y * KPXGetScanBytes(deep) + 3 * x;
                wrong += c.rgbBlue != p[0] || c.rgbGreen != p[1] || c.rgbRed != p[2];
            }
        return wrong;
    }
};

TEST_F(FrameReductionTest, PlainDeepFrameKeepsItsPixelsAndMaskAndShowsAnEightBitPicture) {
    CObjFrame& deep = addDeepFrame(15, 16); // 240 colours: the 8-bit picture shows them all
    deep.alphaValue = 20;
    deep.SetMaskImage(static_cast<std::uint16_t>(greyImage(15, 16, 7)));
    const auto base = static_cast<KpxHandle>(deep.GetImage());

    EXPECT_EQ(ReduceFramesTo8Bit(animation().frames, nullptr, nullptr), 1);

    EXPECT_EQ(deep.hasNPImage, 1);
    EXPECT_EQ(deep.npImage.pixels24, bytesOf(base));
    EXPECT_EQ(deep.npImage.maskPixels, bytesOf(static_cast<KpxHandle>(deep.GetMaskImage())));
    EXPECT_TRUE(deep.npImage.alpha.empty());
    EXPECT_EQ(deep.npImage.alphaValue, 20);
    EXPECT_EQ(deep.GetImage(), base); // the source stays the frame's picture
    const auto shown = static_cast<KpxHandle>(deep.GetDisplayImage());
    ASSERT_EQ(shown, static_cast<KpxHandle>(deep.GetRenderedImage()));
    ASSERT_EQ(KPXbpp(shown), 8);
    EXPECT_EQ(differentPixels(shown, base), 0);
    DeleteRenderedImages(animation().frames);
}

// The record's alpha bytes are read back as 8-bit grey values: graded alpha is kept as it is,
// transparent colours as 255 over 0 (a 1-bit mask would not fit the record's alpha image).
TEST_F(FrameReductionTest, DeepFrameTransparencyIsKeptAsGreyValues) {
    CObjFrame& graded = addDeepFrame(5, 3);
    const KpxHandle alpha = greyImage(5, 3, 0);
    KPXGetBits(alpha)[1] = 90;
    KPXSetImageTransparentEx(static_cast<KpxHandle>(graded.GetImage()), alpha);
    graded.softAlpha = 1;
    const std::vector<std::uint8_t> gradedBytes = bytesOf(alpha);

    CObjFrame& keyed = addDeepFrame(5, 3);
    // The pixel at x 2 of every row is red 32, green 16 y, blue 40: make row 1's transparent.
    SetImageTransparent(static_cast<short>(keyed.GetImage()),
                        static_cast<unsigned long>(RGB(32, 16, 40)));

    ASSERT_EQ(ReduceFramesTo8Bit(animation().frames, nullptr, nullptr), 1);
    EXPECT_EQ(graded.npImage.alpha, gradedBytes);
    const KpxHandle rows = greyImage(5, 3, 0);
    ASSERT_EQ(keyed.npImage.alpha.size(), KPXSizeImage(rows));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(keyed.npImage.alpha[y * KPXGetScanBytes(rows) + x],
                      x == 2 && y == 1 ? 255 : 0)
                << x << "," << y;
    KPXDeleteImage(rows);
    DeleteRenderedImages(animation().frames);
}

TEST_F(FrameReductionTest, SourceFramesKeepTheirImageAndCopyOnlyAlphaAndTransparency) {
    CObjFrame& text = addDeepFrame(4, 4);
    text.hasText = 1;
    text.alphaValue = 35;
    text.transparency = 0x1000000;
    const auto textBase = static_cast<KpxHandle>(text.GetImage());

    ASSERT_EQ(ReduceFramesTo8Bit(animation().frames, nullptr, nullptr), 1);
    EXPECT_EQ(text.hasNPImage, 0);
    EXPECT_TRUE(text.npImage.pixels24.empty());
    EXPECT_TRUE(text.npImage.pixels8.empty());
    EXPECT_EQ(text.npImage.alphaValue, 35);
    EXPECT_EQ(text.npImage.transparencyWord, 0x1000000);
    EXPECT_EQ(text.GetImage(), textBase);
    EXPECT_EQ(text.GetRenderedImage(), 0);
}

// Soft-alpha and control frames keep their 8-bit picture with all 256 colour-table entries; a
// control frame of another depth has no 8-bit picture to keep.
TEST_F(FrameReductionTest, EightBitSourcesKeepPixelsAndAFullPalette) {
    struct Case {
        const char* what;
        int depth;
        bool control;
        bool softAlpha;
        bool keeps8Bit;
    };
    for (const Case& c :
         {Case{"soft alpha", 8, false, true, true}, Case{"control", 8, true, false, true},
          Case{"deep control", 24, true, false, false},
          Case{"plain 8-bit", 8, false, false, false}}) {
        SCOPED_TRACE(c.what);
        CObjFrame& f = addFrame(0, 0, 3, 2, c.depth);
        f.hasControl = c.control ? 1 : 0;
        f.softAlpha = c.softAlpha ? 1 : 0;
        const auto base = static_cast<KpxHandle>(f.GetImage());
        if (c.depth == 8) {
            KPXGetBits(base)[0] = 3;
            KPXGetBitmapInfoHeader(base)->bmiColors[3] = RGBQUAD{1, 2, 3, 0};
        }
        ASSERT_EQ(ReduceFramesTo8Bit(animation().frames, nullptr, nullptr), 1);
        EXPECT_EQ(f.hasNPImage, c.keeps8Bit || c.control ? 1 : 0);
        if (c.keeps8Bit) {
            EXPECT_EQ(f.npImage.pixels8, bytesOf(base));
            ASSERT_EQ(f.npImage.palette.size(), 256u);
            EXPECT_EQ(f.npImage.palette[3], 0x00030201);
        } else {
            EXPECT_TRUE(f.npImage.pixels8.empty());
            EXPECT_TRUE(f.npImage.palette.empty());
        }
        EXPECT_TRUE(f.npImage.pixels24.empty());
        animation().frames.erase(std::prev(animation().frames.end(), 2));
    }
}

TEST_F(FrameReductionTest, CallbackStopsAfterTheFrameItWasAskedFor) {
    CObjFrame& first = addDeepFrame(4, 4);
    CObjFrame& second = addDeepFrame(4, 4);
    first.alphaValue = 10;
    static std::vector<int> positions;
    positions.clear();
    const auto stop = [](int, int position, HWND) {
        positions.push_back(position);
        return 1;
    };
    EXPECT_EQ(ReduceFramesTo8Bit(animation().frames, stop, nullptr), 2);
    EXPECT_EQ(positions, std::vector<int>{1});
    EXPECT_EQ(first.hasNPImage, 1);
    EXPECT_FALSE(first.npImage.pixels24.empty());
    EXPECT_EQ(first.npImage.alphaValue, 0); // the rest of its record is left as it was
    EXPECT_EQ(second.hasNPImage, 0);
    EXPECT_TRUE(second.npImage.pixels24.empty());
    EXPECT_EQ(second.GetRenderedImage(), 0);

    const auto goOn = [](int, int position, HWND) {
        positions.push_back(position);
        return 0;
    };
    positions.clear();
    EXPECT_EQ(ReduceFramesTo8Bit(animation().frames, goOn, nullptr), 1);
    EXPECT_EQ(positions, (std::vector<int>{1, 2}));
    DeleteRenderedImages(animation().frames);
}

} // namespace
