#include "ImageUtilities.h"

#include "ImageCreation.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

TEST(FileExists, OpensForReading) {
    kfm::test::TempDir dir;
    const std::string path = dir.file("present.txt");
    std::ofstream(path) << "x";
    EXPECT_EQ(FileExists(path.c_str()), 1);
    EXPECT_EQ(FileExists(dir.file("absent.txt").c_str()), 0);
    EXPECT_EQ(FileExists(""), 0);
    EXPECT_EQ(FileExists(nullptr), 0);
}

TEST(CreateSolidImage, GreyPaletteAndUniformIndex) {
    const KpxHandle image = CreateSolidImage(5, 3, 200);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXbpp(image), 8);
    EXPECT_EQ(KPXWidth(image), 5);
    EXPECT_EQ(KPXHeight(image), 3);
    const RGBQUAD* colors = KPXGetBitmapInfoHeader(image)->bmiColors;
    for (int i : {0, 1, 128, 255}) {
        EXPECT_EQ(colors[i].rgbRed, i);
        EXPECT_EQ(colors[i].rgbGreen, i);
        EXPECT_EQ(colors[i].rgbBlue, i);
    }
    const std::uint8_t* bits = KPXGetBits(image);
    const int scan = KPXGetScanBytes(image);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(bits[y * scan + x], 200);
    KPXDeleteImage(image);
}

TEST(CreateSolidImage, RejectsBadArguments) {
    EXPECT_EQ(CreateSolidImage(0, 3, 0), 0);
    EXPECT_EQ(CreateSolidImage(3, -1, 0), 0);
    EXPECT_EQ(CreateSolidImage(3, 3, 256), 0);
    EXPECT_EQ(CreateSolidImage(3, 3, -1), 0);
}

namespace {

// Pixel (x, y), counted from the top, of an 8- or 24-bit image: the index, or the blue byte.
int pixelAt(KpxHandle image, int x, int y) {
    const int bpp = KPXbpp(image);
    const std::uint8_t* row =
        KPXGetBits(image) +
        static_cast<std::size_t>(KPXHeight(image) - 1 - y) * KPXGetScanBytes(image);
    if (bpp == 1)
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    return bpp == 8 ? row[x] : row[3 * x];
}

TEST(ImageUtilities, DrawImageInRectPlacesTheSourceAtItsOwnSize) {
    const KpxHandle target = KPXCreateImage(6, 5, 24);
    const KpxHandle source = KPXCreateImage(2, 2, 24);
    std::memset(KPXGetBits(source), 0xC8, KPXSizeImage(source));
    DrawImageInRect(source, target, 3, 1);
    EXPECT_EQ(pixelAt(target, 3, 1), 0xC8);
    EXPECT_EQ(pixelAt(target, 4, 2), 0xC8);
    EXPECT_EQ(pixelAt(target, 2, 1), 0);
    EXPECT_EQ(pixelAt(target, 5, 3), 0);
    DrawImageStretched(source, target, 0, 0, 6, 5);
    EXPECT_EQ(pixelAt(target, 0, 0), 0xC8);
    EXPECT_EQ(pixelAt(target, 5, 4), 0xC8);
    KPXDeleteImage(source);
    KPXDeleteImage(target);
}

TEST(ImageUtilities, ThresholdMaskMarksLevelsAtOrAboveTheThreshold) {
    const KpxHandle grey = CreateSolidImage(4, 1, 0);
    std::uint8_t* bits = KPXGetBits(grey);
    bits[0] = 10;
    bits[1] = 99;
    bits[2] = 100;
    bits[3] = 250;
    const KpxHandle mask = CreateThresholdMask(grey, 100);
    ASSERT_NE(mask, 0);
    EXPECT_EQ(KPXbpp(mask), 1);
    EXPECT_EQ(pixelAt(mask, 0, 0), 0);
    EXPECT_EQ(pixelAt(mask, 1, 0), 0);
    EXPECT_EQ(pixelAt(mask, 2, 0), 1);
    EXPECT_EQ(pixelAt(mask, 3, 0), 1);
    KPXDeleteImage(mask);
    const KpxHandle deep = KPXCreateImage(2, 2, 24);
    EXPECT_EQ(CreateThresholdMask(deep, 1), 0) << "only 8-bit images";
    KPXDeleteImage(deep);
    KPXDeleteImage(grey);
}

TEST(ImageUtilities, HighestGreyLevelIgnoresEntryZero) {
    const KpxHandle grey = CreateSolidImage(3, 1, 0);
    EXPECT_EQ(GetHighestGreyLevel(grey), 0);
    KPXGetBits(grey)[1] = 77;
    KPXGetBits(grey)[2] = 12;
    EXPECT_EQ(GetHighestGreyLevel(grey), 77);
    KPXDeleteImage(grey);
}

} // namespace
