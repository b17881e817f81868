#include "SaveFrontEnd.h"
#include "FormatId.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "LoadFrontEnd.h"

#include "FakeCodec.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class SaveFrontEnd : public ::testing::Test {
protected:
    void SetUp() override {
        image = KPXCreateImage(3, 2, 8);
        ASSERT_NE(image, 0);
        std::uint8_t* bits = KPXGetBits(image);
        for (int i = 0; i < 8; ++i)
            bits[i] = static_cast<std::uint8_t>(i + 1);
    }
    void TearDown() override { KPXDeleteImage(image); }
    int filesInFolder() const {
        return static_cast<int>(std::distance(fs::directory_iterator(dir.path()), {}));
    }
    fake::FakeCodecScope codec;
    kfm::test::TempDir dir;
    KpxHandle image = 0;
    const std::vector<std::uint8_t> oldContent{'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};
};

TEST_F(SaveFrontEnd, SuccessfulSaveReplacesTheFileAndLeavesNoTemporary) {
    const std::string target = dir.file("out.bmp");
    kfm::test::writeFileBytes(target, oldContent);
    ::chmod(target.c_str(), 0640);
    ASSERT_EQ(KPXSaveImage(image, target.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr), 1);
    const auto saved = kfm::test::readFileBytes(target);
    ASSERT_EQ(saved.size(), 10u + 2 * 4);
    EXPECT_EQ(saved[0], 'B');
    EXPECT_EQ(saved[10], 5); // top row first
    EXPECT_EQ(saved[14], 1);
    EXPECT_EQ(filesInFolder(), 1);
    // The codec wrote into a temporary file, not into the target.
    EXPECT_NE(fake::behaviour().lastSavePath, target);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(SaveFrontEnd, FailedSaveKeepsTheOldFileByteForByte) {
    const std::string target = dir.file("out.bmp");
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::int32_t formatId;
    };
    fake::Behaviour& b = fake::behaviour();
    const Case cases[] = {
        {"write error half way", [&] { b.saveWriteBytes = 7; }, 40},
        {"encoder throws after writing", [&] { b.throwOnSave = true; }, 40},
        {"format without a codec", [] {}, 555},
    };
    for (const Case& c : cases) {
        const fake::FakeCodecScope fresh;
        c.arrange();
        kfm::test::writeFileBytes(target, oldContent);
        EXPECT_EQ(KPXSaveImage(image, target.c_str(), c.formatId, 0, 0, nullptr), 0) << c.what;
        EXPECT_EQ(kfm::test::readFileBytes(target), oldContent) << c.what;
        EXPECT_EQ(filesInFolder(), 1) << c.what;
    }
}

TEST_F(SaveFrontEnd, FailedSaveOfANewFileCreatesNothing) {
    fake::behaviour().saveWriteBytes = 3;
    EXPECT_EQ(KPXSaveImage(image, dir.file("new.bmp").c_str(), formatNumber(FormatId::Bmp), 0, 0,
                           nullptr),
              0);
    EXPECT_EQ(filesInFolder(), 0);
}

TEST_F(SaveFrontEnd, RefusesWhatCannotBeWritten) {
    EXPECT_EQ(KPXSaveImage(image, dir.file("no/such/folder/x.bmp").c_str(),
                           formatNumber(FormatId::Bmp), 0, 0, nullptr),
              0);
    EXPECT_EQ(KPXSaveImage(image, dir.path().string().c_str(), formatNumber(FormatId::Bmp), 0, 0,
                           nullptr),
              0);
    EXPECT_TRUE(fs::is_directory(dir.path()));
    EXPECT_EQ(
        KPXSaveImage(0, dir.file("x.bmp").c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr), 0);
    EXPECT_EQ(KPXSaveImage(image, nullptr, formatNumber(FormatId::Bmp), 0, 0, nullptr), 0);
    EXPECT_EQ(filesInFolder(), 0);
}

// Names up to the file system's limit of 255 bytes can be saved: the temporary file's name does
// not grow with the target's.
TEST_F(SaveFrontEnd, NamesOfTheLongestLegalLengthCanBeSaved) {
    for (const std::size_t length : {239u, 254u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".bmp";
        const std::string target = dir.file(name);
        kfm::test::writeFileBytes(target, oldContent);
        EXPECT_EQ(KPXSaveImage(image, target.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr),
                  1)
            << length;
        EXPECT_EQ(kfm::test::readFileBytes(target).size(), 18u) << length;
        fs::remove(target);
    }
    EXPECT_EQ(filesInFolder(), 0);
}

// A save through a symbolic link writes the file the link points to; the link stays a link.
TEST_F(SaveFrontEnd, SaveThroughALinkWritesTheLinkedFile) {
    fs::create_directory(dir.path() / "real");
    const std::string real = dir.file("real/picture.bmp");
    kfm::test::writeFileBytes(real, oldContent);
    const std::string link = dir.file("link.bmp");
    fs::create_symlink("real/picture.bmp", link);
    const std::string chained = dir.file("chained.bmp");
    fs::create_symlink("link.bmp", chained);
    for (const std::string& target : {link, chained}) {
        kfm::test::writeFileBytes(real, oldContent);
        ASSERT_EQ(KPXSaveImage(image, target.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr),
                  1)
            << target;
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_TRUE(fs::is_symlink(chained));
        EXPECT_EQ(kfm::test::readFileBytes(real).size(), 18u) << target;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "real"), {}), 1);
        EXPECT_EQ(filesInFolder(), 3);
    }
    // A link to a file that does not exist yet creates that file.
    fs::remove(real);
    ASSERT_EQ(KPXSaveImage(image, link.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr), 1);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(kfm::test::readFileBytes(real).size(), 18u);
    // Links that lead in a circle are refused and left alone.
    const std::string loop = dir.file("loop.bmp");
    fs::create_symlink("loop.bmp", loop);
    EXPECT_EQ(KPXSaveImage(image, loop.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr), 0);
    EXPECT_TRUE(fs::is_symlink(loop));
}

TEST_F(SaveFrontEnd, SavedFileLoadsBackWithTheSamePixels) {
    const std::string target = dir.file("round.bmp");
    ASSERT_EQ(KPXSaveImage(image, target.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr), 1);
    const KpxHandle loaded = KPXLoadImage(nullptr, target.c_str(), nullptr);
    ASSERT_NE(loaded, 0);
    EXPECT_EQ(std::memcmp(KPXGetBits(loaded), KPXGetBits(image), 8), 0);
    KPXDeleteImage(loaded);
}

TEST_F(SaveFrontEnd, StreamSaveWritesTheImageIntoTheStream) {
    KpxMemoryStream stream;
    ASSERT_EQ(KPXSaveImageOleStream(image, &stream, formatNumber(FormatId::Bmp)), 1);
    EXPECT_EQ(stream.bytes().size(), 18u);
    stream.seek(0, SEEK_SET);
    const KpxHandle loaded = KPXLoadImageOleStream(nullptr, &stream, nullptr);
    ASSERT_NE(loaded, 0);
    EXPECT_EQ(std::memcmp(KPXGetBits(loaded), KPXGetBits(image), 8), 0);
    KPXDeleteImage(loaded);
    EXPECT_EQ(KPXSaveImageOleStream(image, &stream, formatNumber(FormatId::Gif)),
              0); // streams hold BMP or BMI only
    EXPECT_EQ(KPXSaveImageOleStream(image, nullptr, formatNumber(FormatId::Bmp)), 0);
    EXPECT_EQ(KPXSaveImageStreamCB(image, nullptr, formatNumber(FormatId::Bmp)), 0);
}

TEST(SaveDepth, ChosenByFormat) {
    struct Case {
        std::int32_t format, option;
        int bits, expected;
    };
    const Case cases[] = {{20, 0, 24, 8},  {20, 0, 4, 4},   {50, 0, 32, 8},  {30, 8, 24, 1},
                          {30, 16, 8, 24}, {30, 64, 4, 24}, {30, 0, 8, 8},   {90, 0, 8, 24},
                          {80, 0, 4, 8},   {80, 0, 24, 24}, {40, 0, 24, 24}, {110, 0, 1, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(KpxSaveDepthForFormat(c.format, c.option, c.bits), c.expected)
            << c.format << "/" << c.bits;
}

TEST_F(SaveFrontEnd, SaveExSavesAConvertedCopyAndKeepsTheSource) {
    const KpxHandle deep = KPXCreateImage(4, 3, 24);
    ASSERT_NE(deep, 0);
    std::memset(KPXGetBits(deep), 0x80, KPXSizeImage(deep));
    const std::vector<std::uint8_t> before(KPXGetBits(deep), KPXGetBits(deep) + KPXSizeImage(deep));
    // The fake codec stands in for JPEG here, which needs 24 bits, and for WPG, which needs 8.
    const KpxCodecEntry asWpg{50, nullptr, nullptr, fake::save, nullptr, nullptr, nullptr, nullptr};
    KpxRegisterCodec(&asWpg);
    const std::string target = dir.file("deep.wpg");
    EXPECT_EQ(KPXSaveImageEx(deep, target.c_str(), formatNumber(FormatId::Wpg), 0, 0, nullptr), 1);
    KpxUnregisterCodec(50);
    const auto saved = kfm::test::readFileBytes(target);
    ASSERT_GE(saved.size(), 5u);
    EXPECT_EQ(saved[4], 8); // an 8-bit copy was written
    EXPECT_EQ(KPXbpp(deep), 24);
    EXPECT_EQ(std::vector<std::uint8_t>(KPXGetBits(deep), KPXGetBits(deep) + KPXSizeImage(deep)),
              before);
    KPXDeleteImage(deep);
}

// Mean squared error per channel between a 24-bit picture and an 8-bit one of the same size.
double meanSquaredError(KpxHandle truecolour, KpxHandle indexed) {
    const RGBQUAD* colors = KPXGetBitmapInfoHeader(indexed)->bmiColors;
    const int w = KPXWidth(truecolour);
    const int h = KPXHeight(truecolour);
    double sum = 0;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = KPXGetBits(truecolour) + y * KPXGetScanBytes(truecolour);
        const std::uint8_t* out = KPXGetBits(indexed) + y * KPXGetScanBytes(indexed);
        for (int x = 0; x < w; ++x) {
            const RGBQUAD& q = colors[out[x]];
            const int d[3] = {in[3 * x] - q.rgbBlue, in[3 * x + 1] - q.rgbGreen,
                              in[3 * x + 2] - q.rgbRed};
            sum += d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
        }
    }
    return sum / (3.0 * w * h);
}

TEST_F(SaveFrontEnd, SaveExToGifKeepsASmoothPictureClose) {
    // Three gradients crossing each other: far more colours than a GIF holds, none popular.
    const int w = 128;
    const int h = 96;
    const KpxHandle smooth = KPXCreateImage(w, h, 24);
    ASSERT_NE(smooth, 0);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = KPXGetBits(smooth) + y * KPXGetScanBytes(smooth);
        for (int x = 0; x < w; ++x) {
            row[3 * x] = static_cast<std::uint8_t>((x + y) * 255 / (w + h));
            row[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / h);
            row[3 * x + 2] = static_cast<std::uint8_t>(x * 255 / w);
        }
    }
    const std::string target = dir.file("smooth.gif");
    ASSERT_EQ(KPXSaveImageEx(smooth, target.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr),
              1);
    const KpxHandle loaded = KPXLoadImage(nullptr, target.c_str(), nullptr);
    ASSERT_NE(loaded, 0);
    ASSERT_EQ(KPXbpp(loaded), 8);
    EXPECT_LT(meanSquaredError(smooth, loaded), 60.0);
    KPXDeleteImage(loaded);
    KPXDeleteImage(smooth);
}

TEST_F(SaveFrontEnd, SaveExFallsBackToThePopularityPaletteWhenTheQuantiserRefuses) {
    // The quantiser takes 24- and 8-bit sources only; a 16-bit picture still saves as 8 bits.
    const int live = KpxLiveImageCount();
    const KpxHandle high = KPXCreateImage(5, 4, kKpxDepth565);
    ASSERT_NE(high, 0);
    ASSERT_EQ(KPXbpp(high), 16);
    std::memset(KPXGetBits(high), 0x5A, KPXSizeImage(high));
    const std::string target = dir.file("high.gif");
    ASSERT_EQ(KPXSaveImageEx(high, target.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr), 1);
    const KpxHandle loaded = KPXLoadImage(nullptr, target.c_str(), nullptr);
    ASSERT_NE(loaded, 0);
    EXPECT_EQ(KPXbpp(loaded), 8);
    EXPECT_EQ(KPXWidth(loaded), 5);
    KPXDeleteImage(loaded);
    KPXDeleteImage(high);
    EXPECT_EQ(KpxLiveImageCount(), live);
}

// Every 32-bit picture of the BMP Suite saves as GIF and as WPG through the 24-bit road, and
// the GIF shows the picture's colours.
TEST(SaveFrontEndDeep, ThirtyTwoBitPicturesSaveAsGifAndWpg) {
    const kfm::test::TempDir dir;
    const char* files[] = {"g/rgb32.bmp",          "g/rgb32bf.bmp",        "g/rgb32bfdef.bmp",
                           "q/rgb32-111110.bmp",   "q/rgb32-7187.bmp",     "q/rgb32-xbgr.bmp",
                           "q/rgb32fakealpha.bmp", "q/rgb32h52.bmp",       "q/rgba32-1.bmp",
                           "q/rgba32-2.bmp",       "q/rgba32-1010102.bmp", "q/rgba32-61754.bmp",
                           "q/rgba32-81284.bmp",   "q/rgba32abf.bmp",      "q/rgba32h56.bmp"};
    int deep = 0;
    for (const char* file : files) {
        const std::string source =
            kfm::test::testDataPath(std::string("bmp/bmpsuite/") + file).string();
        const KpxHandle image = KPXLoadImage(nullptr, source.c_str(), nullptr);
        ASSERT_NE(image, 0) << file;
        deep += KPXbpp(image) == 32;
        const KpxHandle flat =
            KPXColorConvert(image, 24, kKpxDitherNone, kKpxPaletteFixed, 0, nullptr, nullptr);
        ASSERT_NE(flat, 0) << file;
        const std::string gif = dir.file("deep.gif");
        const std::string wpg = dir.file("deep.wpg");
        EXPECT_EQ(KPXSaveImageEx(image, gif.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr), 1)
            << file;
        EXPECT_EQ(KPXSaveImageEx(image, wpg.c_str(), formatNumber(FormatId::Wpg), 0, 0, nullptr), 1)
            << file;
        const KpxHandle loaded = KPXLoadImage(nullptr, gif.c_str(), nullptr);
        ASSERT_NE(loaded, 0) << file;
        EXPECT_EQ(KPXbpp(loaded), 8) << file;
        EXPECT_LT(meanSquaredError(flat, loaded), 200.0) << file;
        KPXDeleteImage(loaded);
        KPXDeleteImage(flat);
        KPXDeleteImage(image);
    }
    EXPECT_GT(deep, 0); // the loader hands out 32-bit pictures, which this is about
}

TEST_F(SaveFrontEnd, SaveExWithoutConversionSavesAsIs) {
    const std::string target = dir.file("ex.bmp");
    EXPECT_EQ(KPXSaveImageEx(image, target.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr), 1);
    EXPECT_EQ(KPXSaveImageEx(0, target.c_str(), formatNumber(FormatId::Bmp), 0, 0, nullptr), 0);
}

} // namespace
