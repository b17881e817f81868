// The picture of the other selected frames that the object dialogs show behind the frame they
// edit: the checkerboard, frames through their transparency, the current frame on request.
#include "ModelTestSupport.h"

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kGrey = 0xCECFCE; // the second colour of checkerboard colours 0

COLORREF pixelAt(KpxHandle image, int x, int y) {
    const std::uint8_t* p = KPXGetBits(image) +
                            static_cast<std::size_t>(KPXHeight(image) - 1 - y) *
                                static_cast<std::size_t>(KPXGetScanBytes(image)) +
                            static_cast<std::size_t>(x) * 3;
    return RGB(p[2], p[1], p[0]);
}

void setPixel(KpxHandle image, int x, int y, COLORREF c) {
    std::uint8_t* p = KPXGetBits(image) +
                      static_cast<std::size_t>(KPXHeight(image) - 1 - y) *
                          static_cast<std::size_t>(KPXGetScanBytes(image)) +
                      static_cast<std::size_t>(x) * 3;
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
}

class PreviewImageTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        saved = g_Settings;
        g_Settings.transparentGridSize = 1; // cells of 8 pixels
        g_Settings.transparentGridColor = 0;
    }
    void TearDown() override {
        g_Settings = saved;
        ModelTest::TearDown();
    }

    // A selected 24-bit frame of one colour.
    CObjFrame& colourFrame(int left, int top, int width, int height, COLORREF c) {
        CObjFrame& f = addFrame(left, top, width, height, 24);
        const auto image = static_cast<KpxHandle>(f.GetImage());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                setPixel(image, x, y, c);
        f.selected = 1;
        return f;
    }

    ProgramSettings saved;
};

TEST_F(PreviewImageTest, DrawsTheSelectedFramesOverTheAnchoredCheckerboard) {
    colourFrame(5, 1, 2, 2, RGB(255, 0, 0));
    colourFrame(4, 0, 2, 2, RGB(0, 0, 255)).selected = 0;
    // An 8-bit current frame whose palette index 0 is transparent.
    CObjFrame& current = addFrame(8, 2, 3, 2, 8);
    const auto image = static_cast<KpxHandle>(current.GetImage());
    KPXSetColorToPalette(image, 3, RGB(0, 200, 0));
    KPXFillDIBColorTable(image);
    KPXFillImageByIndexColor(image, 3);
    KPXGetBits(image)[0] = 0; // the bottom-left pixel
    const KpxTransparentEntry index0{0, 0, 0, 0, 1, 0, 0};
    KPXSetImageTransparent(image, &index0, 1);
    current.selected = 1;
    SetCurrentFrame(2);

    const KpxHandle without = CreatePreviewImage(4, 0, 13, 5, 0, 0, 0);
    ASSERT_NE(without, 0);
    EXPECT_EQ(KPXWidth(without), 10);
    EXPECT_EQ(KPXHeight(without), 6);
    EXPECT_EQ(KPXbpp(without), 24);
    // Columns 4..7 of the animation are the first cell, 8.. the second.
    EXPECT_EQ(pixelAt(without, 0, 0), kWhite);
    EXPECT_EQ(pixelAt(without, 3, 5), kWhite);
    EXPECT_EQ(pixelAt(without, 4, 0), kGrey);
    EXPECT_EQ(pixelAt(without, 1, 1), RGB(255, 0, 0));
    EXPECT_EQ(pixelAt(without, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(pixelAt(without, 5, 2), kGrey); // the current frame left out
    KPXDeleteImage(without);

    const KpxHandle with = CreatePreviewImage(4, 0, 13, 5, 1, 1, 1);
    ASSERT_NE(with, 0);
    EXPECT_EQ(pixelAt(with, 2, 2), RGB(255, 0, 0)); // moved by (1, 1)
    EXPECT_EQ(pixelAt(with, 1, 1), kWhite);
    EXPECT_EQ(pixelAt(with, 6, 3), RGB(0, 200, 0));
    EXPECT_EQ(pixelAt(with, 7, 4), RGB(0, 200, 0));
    EXPECT_EQ(pixelAt(with, 5, 4), kGrey); // the transparent pixel
    KPXDeleteImage(with);
}

TEST_F(PreviewImageTest, RotatedAndSoftAlphaFrames) {
    // A column red, green, blue turned a quarter clockwise: blue, green, red from the left.
    CObjFrame& turned = addFrame(10, 0, 3, 1, 24);
    const auto column = static_cast<KpxHandle>(KPXCreateImage(1, 3, 24));
    setPixel(column, 0, 0, RGB(255, 0, 0));
    setPixel(column, 0, 1, RGB(0, 255, 0));
    setPixel(column, 0, 2, RGB(0, 0, 255));
    KPXDeleteImage(static_cast<KpxHandle>(turned.SetImage(static_cast<std::uint16_t>(column))));
    KPXSetImageRotateAngle(column, 90);
    turned.selected = 1;

    // Soft alpha: blue through an 8-bit plane, opaque on the left, transparent on the right.
    CObjFrame& soft = colourFrame(10, 4, 2, 1, RGB(0, 0, 255));
    soft.softAlpha = 1;
    const KpxHandle plane = KPXCreateImage(2, 1, 8);
    KPXGetBits(plane)[1] = 255;
    KPXSetImageTransparentEx(static_cast<KpxHandle>(soft.GetImage()), plane);

    const KpxHandle preview = CreatePreviewImage(4, 0, 13, 5, 0, 0, 0);
    ASSERT_NE(preview, 0);
    EXPECT_EQ(pixelAt(preview, 6, 0), RGB(0, 0, 255));
    EXPECT_EQ(pixelAt(preview, 7, 0), RGB(0, 255, 0));
    EXPECT_EQ(pixelAt(preview, 8, 0), RGB(255, 0, 0));
    // Blue over grey (206, 207, 206) at plane value 0: each channel moves by
    // (blue - grey) x 255 >> 8.
    EXPECT_EQ(pixelAt(preview, 6, 4), RGB(0, 0, 254));
    EXPECT_EQ(pixelAt(preview, 7, 4), kGrey);
    KPXDeleteImage(preview);
}

TEST_F(PreviewImageTest, RefusesRectanglesThatAreNoImage) {
    EXPECT_EQ(CreatePreviewImage(5, 0, 4, 3, 0, 0, 0), 0);
    EXPECT_EQ(CreatePreviewImage(0, 0, 40000, 3, 0, 0, 0), 0);
    EXPECT_EQ(CreatePreviewImage(-2000000000, 0, 2000000000, 3, 0, 0, 0), 0);
}

} // namespace
