#include "ImageUtilities.h"

#include "ImageCreation.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

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
