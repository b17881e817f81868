// Targa pictures: Pillow's and ImageMagick's files decode to their references through the path
// and offset roads; colour maps are read and stepped over by their count and entry size (a
// non-zero first index and 32-bit entries included); origins and packets that run across rows;
// broken files fail; and every depth written reads back the same in the library, ImageMagick
// and Pillow.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bitra5Testing.h"
#include "CodecContext.h"
#include "FormatDispatch.h"
#include "ImageCreation.h"
#include "LoadFrontEnd.h"
#include "StillImageSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using kfm::test::testDataPath;
constexpr std::int32_t kTga = 80;

// Loads a Targa file by its extension, and embedded at an offset in a file whose name says
// nothing (data without a known signature at an offset is taken as Targa).
std::vector<KpxHandle> loadBothRoads(const Bytes& file, const kfm::test::TempDir& dir) {
    const std::string plain = dir.file("picture.tga");
    kfm::test::writeFileBytes(plain, file);
    Bytes embedded = {1, 2, 3};
    embedded.insert(embedded.end(), file.begin(), file.end());
    const std::string offset = dir.file("embedded.dat");
    kfm::test::writeFileBytes(offset, embedded);
    return {KPXLoadImage(nullptr, plain.c_str(), nullptr),
            KPXLoadImageOffset(nullptr, offset.c_str(), 3, nullptr)};
}

struct ReferenceCase {
    const char* file;
    const char* reference;
    int tolerance = 0;
};

class TgaReference : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(TgaReference, DecodesToTheReference) {
    const ReferenceCase& c = GetParam();
    const kfm::test::TempDir dir;
    const kfm::test::RgbaPicture reference =
        kfm::test::readPng(testDataPath(std::string("tga/") + c.reference));
    ASSERT_GT(reference.width, 0);
    for (const KpxHandle image :
         loadBothRoads(kfm::test::readFileBytes(testDataPath(std::string("tga/") + c.file)), dir)) {
        ASSERT_NE(image, 0);
        const int difference = kfm::test::largestDifference(image, reference, true);
        EXPECT_GE(difference, 0);
        EXPECT_LE(difference, c.tolerance);
        KPXDeleteImage(image);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, TgaReference,
    ::testing::Values(
        ReferenceCase{"pillow/common/1x1_l_bl_rle.tga", "pillow/common/1x1_l.png"},
        ReferenceCase{"pillow/common/200x32_l_bl_raw.tga", "pillow/common/200x32_l.png"},
        ReferenceCase{"pillow/common/200x32_l_tl_rle.tga", "pillow/common/200x32_l.png"},
        ReferenceCase{"pillow/common/200x32_la_bl_raw.tga", "pillow/common/200x32_la.png"},
        ReferenceCase{"pillow/common/200x32_la_tl_rle.tga", "pillow/common/200x32_la.png"},
        ReferenceCase{"pillow/common/200x32_p_bl_raw.tga", "pillow/common/200x32_p.png"},
        ReferenceCase{"pillow/common/200x32_p_bl_rle.tga", "pillow/common/200x32_p.png"},
        ReferenceCase{"pillow/common/200x32_p_tl_raw.tga", "pillow/common/200x32_p.png"},
        ReferenceCase{"pillow/common/200x32_p_tl_rle.tga", "pillow/common/200x32_p.png"},
        ReferenceCase{"pillow/common/200x32_rgb_bl_raw.tga", "pillow/common/200x32_rgb.png"},
        ReferenceCase{"pillow/common/200x32_rgb_tl_rle.tga", "pillow/common/200x32_rgb.png"},
        ReferenceCase{"pillow/common/200x32_rgba_bl_raw.tga", "pillow/common/200x32_rgba.png"},
        ReferenceCase{"pillow/common/200x32_rgba_tl_rle.tga", "pillow/common/200x32_rgba.png"},
        ReferenceCase{"pillow/200x32_p_bl_raw_origin.tga", "pillow/common/200x32_p.png"},
        // A run-length packet that runs on from one row into the next.
        ReferenceCase{"pillow/cross_scan_line.tga", "pillow/cross_scan_line.png"},
        // 16-bit colour-map entries: 5-bit channels shifted up (31 gives 248).
        ReferenceCase{"pillow/p_16.tga", "pillow/p_16.png", 7}));

// ImageMagick's reference of its bottom-up test picture holds the rows top-down: the file's
// first stored row is its bottom row, as Pillow reads it too.
TEST(TgaCorpus, ImageMagickPictureIsItsReferenceUpsideDown) {
    kfm::test::RgbaPicture reference =
        kfm::test::readPng(testDataPath("tga/imagemagick/input_tga.png"));
    const std::size_t row = static_cast<std::size_t>(reference.width) * 4;
    for (int y = 0; y < reference.height / 2; ++y)
        std::swap_ranges(reference.rgba.begin() + static_cast<std::ptrdiff_t>(y * row),
                         reference.rgba.begin() + static_cast<std::ptrdiff_t>((y + 1) * row),
                         reference.rgba.begin() +
                             static_cast<std::ptrdiff_t>((reference.height - 1 - y) * row));
    const KpxHandle image =
        KPXLoadImage(nullptr, testDataPath("tga/imagemagick/input.tga").string().c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(kfm::test::largestDifference(image, reference), 0);
    KPXDeleteImage(image);
}

KpxHandle loadFile(const std::string& name) {
    return KPXLoadImage(nullptr, testDataPath("tga/pillow/" + name).string().c_str(), nullptr);
}

TEST(TgaCorpus, FilesWithoutReferencesGiveWhatPillowSays) {
    const KpxHandle id = loadFile("tga_id_field.tga");
    ASSERT_NE(id, 0);
    EXPECT_EQ(KPXWidth(id), 100);
    EXPECT_EQ(KPXHeight(id), 100);
    KPXDeleteImage(id);
    // Rows stored right to left, from the top.
    const KpxHandle mirrored = loadFile("rgb32rle_top_right.tga");
    ASSERT_NE(mirrored, 0);
    EXPECT_EQ(kfm::test::rgbAt(mirrored, 90, 90), (std::array<std::uint8_t, 3>{0, 0, 0}));
    KPXDeleteImage(mirrored);
    // 16-bit pixels with 5-bit channels.
    const KpxHandle sixteen = loadFile("rgba16.tga");
    ASSERT_NE(sixteen, 0);
    const auto near = [](std::array<std::uint8_t, 3> got, std::array<int, 3> want) {
        for (int c = 0; c < 3; ++c)
            if (std::abs(got[c] - want[c]) > 7)
                return false;
        return true;
    };
    EXPECT_TRUE(near(kfm::test::rgbAt(sixteen, 0, 0), {172, 0, 255}));
    EXPECT_TRUE(near(kfm::test::rgbAt(sixteen, 1, 0), {0, 255, 82}));
    KPXDeleteImage(sixteen);
    // Grey with alpha: the grey.
    const KpxHandle grey = loadFile("la.tga");
    ASSERT_NE(grey, 0);
    EXPECT_EQ(KPXbpp(grey), 8);
    KPXDeleteImage(grey);
}

// Cut-off data and colour maps of 8-bit entries (which give no colours) fail.
TEST(TgaCorpus, BrokenFilesFail) {
    for (const char* file : {"cross_scan_line_truncated.tga", "p_8.tga"}) {
        EXPECT_EQ(loadFile(file), 0) << file;
        KpxCodecContext context;
        EXPECT_EQ(KpxLoadImageCore(nullptr,
                                   testDataPath(std::string("tga/pillow/") + file).string().c_str(),
                                   0, 0, &context, 0, nullptr),
                  0)
            << file;
    }
}

void put16(Bytes& out, int v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

Bytes tgaHeader(int mapType, int type, int mapFirst, int mapLength, int entryBits, int width,
                int height, int bits, int descriptor) {
    Bytes h = {0, static_cast<std::uint8_t>(mapType), static_cast<std::uint8_t>(type)};
    put16(h, mapFirst);
    put16(h, mapLength);
    h.push_back(static_cast<std::uint8_t>(entryBits));
    put16(h, 0);
    put16(h, 0);
    put16(h, width);
    put16(h, height);
    h.push_back(static_cast<std::uint8_t>(bits));
    h.push_back(static_cast<std::uint8_t>(descriptor));
    return h;
}

KpxHandle loadBytes(const Bytes& file) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("built.tga");
    kfm::test::writeFileBytes(path, file);
    return KPXLoadImage(nullptr, path.c_str(), nullptr);
}

// The colour map holds `length` entries from the first index on: with a first index of 2 the
// pixels after it are found, and entries of 32 bits are read (blue, green, red, alpha).
TEST(TgaColourMap, CountedFromTheFirstIndexWithThirtyTwoBitEntries) {
    Bytes file = tgaHeader(1, 1, 2, 3, 32, 3, 1, 8, 0x20);
    for (int i = 0; i < 3; ++i)
        file.insert(file.end(),
                    {static_cast<std::uint8_t>(10 * i), static_cast<std::uint8_t>(20 + i),
                     static_cast<std::uint8_t>(100 + i), 255});
    file.insert(file.end(), {4, 2, 3});
    const KpxHandle image = loadBytes(file);
    ASSERT_NE(image, 0);
    EXPECT_EQ(kfm::test::rgbAt(image, 0, 0), (std::array<std::uint8_t, 3>{102, 22, 20}));
    EXPECT_EQ(kfm::test::rgbAt(image, 1, 0), (std::array<std::uint8_t, 3>{100, 20, 0}));
    EXPECT_EQ(kfm::test::rgbAt(image, 2, 0), (std::array<std::uint8_t, 3>{101, 21, 10}));
    KPXDeleteImage(image);
}

// A true-colour picture steps over a colour map by its count and entry size.
TEST(TgaColourMap, TrueColourPicturesStepOverTheMap) {
    Bytes file = tgaHeader(1, 2, 5, 2, 32, 1, 1, 24, 0x20);
    file.resize(file.size() + 8, 0xEE);
    file.insert(file.end(), {1, 2, 3});
    const KpxHandle image = loadBytes(file);
    ASSERT_NE(image, 0);
    EXPECT_EQ(kfm::test::rgbAt(image, 0, 0), (std::array<std::uint8_t, 3>{3, 2, 1}));
    KPXDeleteImage(image);
}

// A map of 300 entries keeps the first 256 and still finds the pixels after all 300.
TEST(TgaColourMap, LongMapsKeepTheirFirst256Entries) {
    Bytes file = tgaHeader(1, 1, 0, 300, 24, 1, 1, 8, 0x20);
    for (int i = 0; i < 300; ++i)
        file.insert(file.end(), {static_cast<std::uint8_t>(i), 0, 0});
    file.push_back(255);
    const KpxHandle image = loadBytes(file);
    ASSERT_NE(image, 0);
    EXPECT_EQ(kfm::test::rgbAt(image, 0, 0), (std::array<std::uint8_t, 3>{0, 0, 255}));
    KPXDeleteImage(image);
}

// Without the top-first bit the first stored row is the bottom one; 0x7FFF is 248 grey.
TEST(TgaPixels, BottomUpRowsAndFiveBitChannels) {
    Bytes file = tgaHeader(0, 2, 0, 0, 0, 1, 2, 16, 0);
    put16(file, 0x7FFF);
    put16(file, 0);
    const KpxHandle image = loadBytes(file);
    ASSERT_NE(image, 0);
    EXPECT_EQ(kfm::test::rgbAt(image, 0, 1), (std::array<std::uint8_t, 3>{248, 248, 248}));
    EXPECT_EQ(kfm::test::rgbAt(image, 0, 0), (std::array<std::uint8_t, 3>{0, 0, 0}));
    KPXDeleteImage(image);
}

// Run-length packets run on from row to row, of every pixel size.
TEST(TgaPixels, PacketsRunAcrossRows) {
    Bytes file = tgaHeader(0, 11, 0, 0, 0, 2, 2, 8, 0x20);
    file.insert(file.end(), {0x82, 7, 0x00, 9}); // three 7s, then one 9
    const KpxHandle image = loadBytes(file);
    ASSERT_NE(image, 0);
    EXPECT_EQ(kfm::test::indexAt(image, 0, 1), 7);
    EXPECT_EQ(kfm::test::indexAt(image, 1, 1), 9);
    KPXDeleteImage(image);
}

class TgaSave : public ::testing::TestWithParam<int> {};

TEST_P(TgaSave, LibraryAndPeersReadTheSameColours) {
    const int depth = GetParam();
    const KpxHandle image = kfm::test::makePicture(31, 7, depth, kfm::test::testPattern);
    if (depth == 1)
        kfm::test::makeBlackAndWhite(image);
    const kfm::test::TempDir dir;
    const std::string path = dir.file("saved.tga");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kTga, 0, 0, nullptr), 1);
    const KpxHandle back = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(back, 0);
    EXPECT_TRUE(kfm::test::sameColors(image, back));
    KPXDeleteImage(back);
    const std::string png = dir.file("peer.png");
    // ImageMagick does not read 1-bit Targa files; Pillow does.
    if (depth != 1) {
        EXPECT_TRUE(
            kfm::test::runPeer(kfm::test::kImageMagick,
                               kfm::test::quoted(path) + " " + kfm::test::quoted("png24:" + png)));
        EXPECT_EQ(kfm::test::largestDifference(image, kfm::test::readPng(png)), 0) << "ImageMagick";
        std::filesystem::remove(png);
    }
    {
        EXPECT_TRUE(kfm::test::runPeer(
            kfm::test::kPython, "-c \"import sys; from PIL import Image; "
                                "Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2])\" " +
                                    kfm::test::quoted(path) + " " + kfm::test::quoted(png)));
        EXPECT_EQ(kfm::test::largestDifference(image, kfm::test::readPng(png)), 0) << "Pillow";
    }
    KPXDeleteImage(image);
}

INSTANTIATE_TEST_SUITE_P(Depths, TgaSave, ::testing::Values(1, 4, 8, 24, 32));

} // namespace
