// The preview saved as a 24-bit BMP file: its headers field by field, and its pixels read back
// through the image library and through ImageMagick; failing steps are named.

#include "BitmapFile.h"
#include "LittleEndian.h"
#include "TestSupport.h"

#include "Bitra5.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace kfm::patina {
namespace {

// A picture whose pixels differ everywhere, 7 pixels wide so rows need padding.
QImage testPicture() {
    QImage picture(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(30 * x + 1, 40 * y + 2, 5 * x * y + 3));
    return picture;
}

TEST(BitmapFileTest, HeadersFieldByFieldAndRowsBottomUp) {
    const std::vector<std::uint8_t> bytes = BitmapFileBytes(testPicture());
    const std::uint32_t stride = 24; // 7 x 3 padded to 4
    ASSERT_EQ(bytes.size(), 14u + 40 + stride * 5);
    LittleEndianReader in(bytes);
    EXPECT_EQ(in.u16(), 0x4D42);
    EXPECT_EQ(in.u32(), bytes.size());
    EXPECT_EQ(in.u32(), 0u);
    EXPECT_EQ(in.u32(), 54u);
    EXPECT_EQ(in.u32(), 40u);
    EXPECT_EQ(in.u32(), 7u);
    EXPECT_EQ(in.u32(), 5u);
    EXPECT_EQ(in.u16(), 1);
    EXPECT_EQ(in.u16(), 24);
    EXPECT_EQ(in.u32(), 0u) << "BI_RGB";
    EXPECT_EQ(in.u32(), stride * 5);
    // The last row of the picture comes first, blue before green before red.
    const std::size_t first = 54;
    EXPECT_EQ(bytes[first], 3 + 0);
    EXPECT_EQ(bytes[first + 1], 40 * 4 + 2);
    EXPECT_EQ(bytes[first + 2], 1);
    EXPECT_EQ(bytes[first + 21], 0) << "padding";
}

TEST(BitmapFileTest, ReadsBackThroughTheImageLibraryAndImageMagick) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("preview.bmp");
    const QImage picture = testPicture();
    ASSERT_EQ(SaveBitmapFile(QString::fromStdString(path), picture), BitmapSaveStep::Done);

    KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXWidth(image), 7);
    EXPECT_EQ(KPXHeight(image), 5);
    EXPECT_EQ(KPXbpp(image), 24);
    const std::uint8_t* bits = KPXGetBits(image);
    const int scan = KPXGetScanBytes(image);
    // The library keeps rows bottom-up, as the file does.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const std::uint8_t* p = bits + (4 - y) * scan + 3 * x;
            EXPECT_EQ(qRgb(p[2], p[1], p[0]), picture.pixel(x, y)) << x << "," << y;
        }
    KPXDeleteImage(image);

    const std::string raw = dir.file("preview.rgb");
    const std::string command = "convert " + path + " -depth 8 rgb:" + raw;
    ASSERT_EQ(std::system(command.c_str()), 0) << "ImageMagick reads the file";
    const std::vector<std::uint8_t> rgb = kfm::test::readFileBytes(raw);
    ASSERT_EQ(rgb.size(), 7u * 5 * 3);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const std::uint8_t* p = &rgb[static_cast<std::size_t>((y * 7 + x) * 3)];
            EXPECT_EQ(qRgb(p[0], p[1], p[2]), picture.pixel(x, y)) << x << "," << y;
        }
}

TEST(BitmapFileTest, FailingStepsAreNamed) {
    EXPECT_EQ(SaveBitmapFile("/tmp/never.bmp", QImage()), BitmapSaveStep::GetObject);
    EXPECT_EQ(SaveBitmapFile("/nonexistent/folder/x.bmp", testPicture()),
              BitmapSaveStep::CreateFile);
    EXPECT_STREQ(BitmapSaveStepName(BitmapSaveStep::GetObject), "GetObject");
    EXPECT_STREQ(BitmapSaveStepName(BitmapSaveStep::CreateFile), "CreateFile");
    EXPECT_STREQ(BitmapSaveStepName(BitmapSaveStep::CloseHandle), "CloseHandle");
}

} // namespace
} // namespace kfm::patina
