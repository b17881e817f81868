// Windows icons: the entry chosen, the corpus of Pillow and ImageMagick against their references
// (masked pixels take the colour nearest to white), broken and foreign files refused, and icons
// the library writes (header, entry, bitmap header, colour table, colour rows and mask) read back
// the same by the library, ImageMagick and Pillow.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bitra5Testing.h"
#include "CodecContext.h"
#include "FormatDispatch.h"
#include "IcoFormat.h"
#include "ImageCreation.h"
#include "StillImageSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using kfm::test::testDataPath;
constexpr std::int32_t kIco = 60;

KpxHandle loadIcon(const std::string& file) {
    return KPXLoadImage(nullptr, testDataPath("ico/" + file).string().c_str(), nullptr);
}

struct ChoiceCase {
    const char* name;
    std::vector<kpx::ico::IconEntry> entries;
    std::size_t chosen;
};

class IcoEntryChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(IcoEntryChoice, MostColoursThenLargest) {
    kpx::ico::Directory directory;
    directory.entries = GetParam().entries;
    EXPECT_EQ(kpx::ico::chooseEntry(directory), GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IcoEntryChoice,
    ::testing::Values(ChoiceCase{"MoreColoursWin", {{32, 32, 16}, {32, 32, 0}}, 1},
                      ChoiceCase{"LargerWinsAtEqualColours", {{16, 16, 16}, {32, 32, 16}}, 1},
                      ChoiceCase{"WiderButNotTallerLoses", {{32, 32, 16}, {48, 32, 16}}, 0},
                      ChoiceCase{"TwoColoursAtLeast", {{16, 16, 2}, {8, 8, 2}}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The masked pixels take the index nearest to white; the others are the reference's.
TEST(IcoCorpus, MaskedIconsMatchTheirReferences) {
    for (const auto& [file, reference] :
         {std::pair{"pillow/hopper_mask.ico", "pillow/hopper_mask.png"},
          std::pair{"imagemagick/input.ico", "imagemagick/input_ico.png"}}) {
        SCOPED_TRACE(file);
        const KpxHandle image = loadIcon(file);
        ASSERT_NE(image, 0);
        const kfm::test::RgbaPicture picture =
            kfm::test::readPng(testDataPath(std::string("ico/") + reference));
        EXPECT_EQ(kfm::test::largestDifference(image, picture, true), 0);
        int masked = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                if (picture.at(x, y)[3] == 0) {
                    ++masked;
                    EXPECT_EQ(kfm::test::rgbAt(image, x, y),
                              (std::array<std::uint8_t, 3>{255, 255, 255}));
                }
        EXPECT_GT(masked, 0);
        KPXDeleteImage(image);
    }
}

TEST(IcoCorpus, FilesWithoutReferencesGiveWhatPillowSays) {
    const KpxHandle hopper = loadIcon("pillow/hopper.ico");
    ASSERT_NE(hopper, 0);
    EXPECT_EQ(KPXbpp(hopper), 8);
    EXPECT_EQ(kfm::test::rgbAt(hopper, 0, 0), (std::array<std::uint8_t, 3>{1, 1, 9}));
    KPXDeleteImage(hopper);
    // The directory says 16 x 32; the bitmap is 16 x 16.
    const KpxHandle unexpected = loadIcon("pillow/hopper_unexpected.ico");
    ASSERT_NE(unexpected, 0);
    EXPECT_EQ(KPXWidth(unexpected), 16);
    EXPECT_EQ(KPXHeight(unexpected), 16);
    KPXDeleteImage(unexpected);
    const KpxHandle bitonal = loadIcon("pillow/black_and_white.ico");
    ASSERT_NE(bitonal, 0);
    EXPECT_EQ(KPXbpp(bitonal), 1);
    KPXDeleteImage(bitonal);
}

// 32-bit entries are read as the colours they hold; the largest of python.ico's three is
// chosen and matches ImageMagick's read of it where the icon is not transparent.
TEST(IcoCorpus, ThirtyTwoBitEntriesDecodeLikeImageMagick) {
    const std::string path = testDataPath("ico/pillow/python.ico").string();
    const kfm::test::TempDir dir;
    const std::string png = dir.file("peer.png");
    ASSERT_TRUE(kfm::test::runPeer(kfm::test::kImageMagick, kfm::test::quoted(path + "[2]") + " " +
                                                                kfm::test::quoted("png32:" + png)))
        << "ImageMagick is not installed or cannot read the file";
    const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXWidth(image), 48);
    EXPECT_EQ(kfm::test::largestDifference(image, kfm::test::readPng(png), true), 0);
    KPXDeleteImage(image);
}

// A bitmap header claiming rows the file does not hold, a PNG entry, and a cursor file are
// refused with a result code.
TEST(IcoCorpus, BrokenAndForeignFilesFail) {
    for (const auto& [file, result] : {std::pair{"pillow/decompression_bomb.ico", kKpxReadError},
                                       std::pair{"pillow/hopper_draw.ico", kKpxReadError},
                                       std::pair{"pillow/no_cursors.cur", kKpxBadData}}) {
        KpxCodecContext context;
        EXPECT_EQ(KpxGetInfoByFormat(&context,
                                     testDataPath(std::string("ico/") + file).string().c_str(), 0,
                                     kIco, nullptr, nullptr),
                  result)
            << file;
    }
}

class IcoSave : public ::testing::TestWithParam<int> {};

// The saved icon is one the library, ImageMagick and Pillow all read with the same colours.
TEST_P(IcoSave, LibraryAndPeersReadItBack) {
    const int depth = GetParam();
    const KpxHandle image = kfm::test::makePicture(32, 24, depth, kfm::test::testPattern);
    const kfm::test::TempDir dir;
    const std::string path = dir.file("saved.ico");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kIco, 0, 0, nullptr), 1);
    const KpxHandle back = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(back, 0);
    EXPECT_TRUE(kfm::test::sameColors(image, back));
    KPXDeleteImage(back);
    const std::string png = dir.file("peer.png");
    EXPECT_TRUE(kfm::test::runPeer(kfm::test::kImageMagick, kfm::test::quoted(path) + " " +
                                                                kfm::test::quoted("png24:" + png)));
    EXPECT_EQ(kfm::test::largestDifference(image, kfm::test::readPng(png)), 0) << "ImageMagick";
    std::filesystem::remove(png);
    EXPECT_TRUE(kfm::test::runPeer(kfm::test::kPython,
                                   "-c \"import sys; from PIL import Image; "
                                   "Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2])\" " +
                                       kfm::test::quoted(path) + " " + kfm::test::quoted(png)));
    EXPECT_EQ(kfm::test::largestDifference(image, kfm::test::readPng(png)), 0) << "Pillow";
    KPXDeleteImage(image);
}

INSTANTIATE_TEST_SUITE_P(Depths, IcoSave, ::testing::Values(1, 4, 8, 24, 32));

// The file holds a bitmap header, a colour table and both masks: its size is all of them.
TEST(IcoSaveLayout, HeaderEntryBitmapTableRowsAndMask) {
    const KpxHandle image = kfm::test::makePicture(16, 16, 4, kfm::test::testPattern);
    const kfm::test::TempDir dir;
    const std::string path = dir.file("layout.ico");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kIco, 0, 0, nullptr), 1);
    const Bytes bytes = kfm::test::readFileBytes(path);
    ASSERT_EQ(bytes.size(), 6u + 16 + 40 + 16 * 4 + 16 * 8 + 16 * 4);
    EXPECT_EQ((Bytes{bytes.begin(), bytes.begin() + 6}), (Bytes{0, 0, 1, 0, 1, 0}));
    EXPECT_EQ(bytes[6], 16);      // width
    EXPECT_EQ(bytes[8], 16);      // colours
    EXPECT_EQ(bytes[12], 4);      // bits
    EXPECT_EQ(bytes[18], 22);     // offset of the bitmap
    EXPECT_EQ(bytes[22], 40);     // bitmap header size
    EXPECT_EQ(bytes[22 + 8], 32); // height of colour rows and mask
    KPXDeleteImage(image);
}

// The mask bit of each pixel of a saved icon, counted from the top.
bool maskBitAt(const Bytes& icon, int width, int height, int depth, int x, int y) {
    const std::size_t table = depth <= 8 ? (4u << depth) : 0;
    const std::size_t colourRow = (static_cast<std::size_t>(width) * depth + 31) / 32 * 4;
    const std::size_t maskRow = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    const std::size_t mask = 22 + 40 + table + colourRow * height;
    return (icon.at(mask + maskRow * (height - 1 - y) + x / 8) >> (7 - x % 8)) & 1;
}

// Transparent pixels are masked: a transparent palette index, and the pixels of a grey
// transparency image that are at least half transparent, which show black in the colour rows.
// The library reads them back as white (the colour nearest to white), ImageMagick as transparent.
TEST(IcoSaveMask, TransparentPixelsAreMasked) {
    const kfm::test::TempDir dir;
    {
        const KpxHandle image =
            kfm::test::makePicture(20, 10, 8, [](int x, int y) { return (x + y) % 5; });
        KpxTransparentEntry entry{};
        entry.mode = 1;
        entry.blue = 3;
        ASSERT_EQ(KPXSetImageTransparent(image, &entry, 1), 1);
        const std::string path = dir.file("indexed.ico");
        ASSERT_EQ(KPXSaveImage(image, path.c_str(), kIco, 0, 0, nullptr), 1);
        const Bytes bytes = kfm::test::readFileBytes(path);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(maskBitAt(bytes, 20, 10, 8, x, y), (x + y) % 5 == 3) << x << "," << y;
        const std::string png = dir.file("peer.png");
        ASSERT_TRUE(
            kfm::test::runPeer(kfm::test::kImageMagick,
                               kfm::test::quoted(path) + " " + kfm::test::quoted("png32:" + png)));
        const kfm::test::RgbaPicture peer = kfm::test::readPng(png);
        ASSERT_EQ(peer.width, 20);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x)
                EXPECT_EQ(peer.at(x, y)[3], (x + y) % 5 == 3 ? 0 : 255) << x << "," << y;
        KPXDeleteImage(image);
    }
    {
        const KpxHandle image = kfm::test::makePicture(9, 5, 24, kfm::test::testPattern);
        const KpxHandle plane = kfm::test::makePicture(9, 5, 8, [](int x, int) { return x * 31; });
        ASSERT_EQ(KPXSetImageTransparentEx(image, plane), 1);
        const std::string path = dir.file("graded.ico");
        ASSERT_EQ(KPXSaveImage(image, path.c_str(), kIco, 0, 0, nullptr), 1);
        const Bytes bytes = kfm::test::readFileBytes(path);
        const KpxHandle back = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(back, 0);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x) {
                const bool masked = x * 31 >= 128;
                EXPECT_EQ(maskBitAt(bytes, 9, 5, 24, x, y), masked) << x << "," << y;
                const std::size_t colour = 22 + 40 + 28 * static_cast<std::size_t>(4 - y) + 3 * x;
                if (masked)
                    EXPECT_EQ((Bytes{bytes.begin() + colour, bytes.begin() + colour + 3}),
                              (Bytes{0, 0, 0}));
                const auto want = masked ? std::array<std::uint8_t, 3>{255, 255, 255}
                                         : kfm::test::rgbAt(image, x, y);
                EXPECT_EQ(kfm::test::rgbAt(back, x, y), want) << x << "," << y;
            }
        KPXDeleteImage(back);
        KPXDeleteImage(image);
    }
}

TEST(IcoSaveLayout, PicturesLargerThan256AreRefused) {
    const KpxHandle image = kfm::test::makePicture(300, 10, 8, kfm::test::testPattern);
    const kfm::test::TempDir dir;
    EXPECT_EQ(KPXSaveImage(image, dir.file("large.ico").c_str(), kIco, 0, 0, nullptr), 0);
    KPXDeleteImage(image);
}

} // namespace
