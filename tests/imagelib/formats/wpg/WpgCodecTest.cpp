// WordPerfect Graphics bitmaps: the rows' packets (runs, runs of 0xFF, literals and repeated
// rows), the last of several bitmaps, colour maps, the files the library writes read back by the
// library and by ImageMagick, and version-2 files refused cleanly.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bitra5Testing.h"
#include "CodecContext.h"
#include "FormatDispatch.h"
#include "ImageCreation.h"
#include "StillImageSupport.h"
#include "WpgFormat.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::int32_t kWpg = 50;

void put16(Bytes& out, int v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

Bytes wpgHeader() {
    Bytes h = {0xFF, 'W', 'P', 'C', 16, 0, 0, 0, 1, 22, 1, 0, 0, 0, 0, 0};
    return h;
}

void bitmapRecord(Bytes& out, int width, int height, int depth, const Bytes& rows) {
    out.push_back(11);
    out.push_back(0xFF);
    put16(out, static_cast<int>(10 + rows.size()));
    put16(out, width);
    put16(out, height);
    put16(out, depth);
    put16(out, 75);
    put16(out, 75);
    out.insert(out.end(), rows.begin(), rows.end());
}

KpxHandle loadBytes(const Bytes& file) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("built.wpg");
    kfm::test::writeFileBytes(path, file);
    return KPXLoadImage(nullptr, path.c_str(), nullptr);
}

// Of two bitmaps the last one loads; its colours come from the colour-map record; 00 03 between
// rows hands on the row before three more times (as libwpg and ImageMagick read it); bytes past
// the last row are dropped.
TEST(WpgRows, RepeatsRunsAndTheLastBitmap) {
    Bytes file = wpgHeader();
    bitmapRecord(file, 2, 1, 8, {0x82, 1});
    file.insert(file.end(), {14, 10});
    put16(file, 5);
    put16(file, 2);
    file.insert(file.end(), {10, 20, 30, 40, 50, 60});
    // Row 0: literal 5 6; 00 03: rows 1 to 3 repeat row 0; row 4: 0x80 2 (two 0xFF).
    bitmapRecord(file, 2, 5, 8, {0x02, 5, 6, 0x00, 0x03, 0x80, 0x03});
    file.insert(file.end(), {16, 0});
    const KpxHandle image = loadBytes(file);
    ASSERT_NE(image, 0);
    ASSERT_EQ(KPXHeight(image), 5);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(kfm::test::indexAt(image, 0, y), 5) << y;
        EXPECT_EQ(kfm::test::indexAt(image, 1, y), 6) << y;
    }
    EXPECT_EQ(kfm::test::indexAt(image, 0, 4), 255);
    EXPECT_EQ(kfm::test::indexAt(image, 1, 4), 255);
    EXPECT_EQ(kfm::test::rgbAt(image, 0, 0), (std::array<std::uint8_t, 3>{10, 20, 30}));
    KPXDeleteImage(image);
}

// A 256-entry colour map of distinct colours.
void colourMapRecord(Bytes& out) {
    out.insert(out.end(), {14, 0xFF});
    put16(out, 4 + 768);
    put16(out, 0);
    put16(out, 256);
    for (int i = 0; i < 256; ++i)
        out.insert(out.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                               static_cast<std::uint8_t>(i * 7)});
}

Bytes wpgFile(int width, int height, int depth, const Bytes& rows) {
    Bytes file = wpgHeader();
    colourMapRecord(file);
    bitmapRecord(file, width, height, depth, rows);
    file.insert(file.end(), {16, 0});
    return file;
}

struct PeerCase {
    const char* name;
    int width;
    int height;
    int depth;
    Bytes rows;
};

// WordPerfect bitmaps as other programs write them: the rows are one stream of packets, so runs
// and literals go on into the next row, and 00 n between rows repeats the row before n times
// (00 00 none). Every pixel loads as ImageMagick reads it.
TEST(WpgPeers, RowsReadAsImageMagickReadsThem) {
    const PeerCase cases[] = {
        {"repeat three", 2, 6, 8, {0x02, 5, 6, 0x00, 0x03, 0x80, 0x02, 0x02, 9, 9}},
        {"repeat none", 2, 3, 8, {0x02, 5, 6, 0x00, 0x00, 0x02, 7, 7, 0x02, 8, 8}},
        {"repeat the last rows", 2, 3, 8, {0x02, 5, 6, 0x00, 0x02}},
        {"runs across rows", 3, 4, 8, {0x87, 7, 0x85, 3}},
        {"0xFF bytes across rows", 3, 2, 8, {0x80, 5, 0x01, 4}},
        {"literals across rows", 2, 3, 8, {0x05, 1, 2, 3, 4, 5, 0x01, 6}},
        {"long run of 0xFF", 150, 2, 8, {0x80, 200, 0xE4, 9}},
        {"four bits", 5, 3, 4, {0x86, 0x12, 0x00, 0x01}},
        {"one bit", 10, 4, 1, {0x83, 0xF0, 0x01, 0x0F, 0x00, 0x02}},
        {"two bits", 6, 2, 2, {0x02, 0x1B, 0xE4, 0x02, 0x55, 0xAA}},
    };
    const kfm::test::TempDir dir;
    for (const PeerCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("peer.wpg");
        ASSERT_TRUE(kfm::test::writeFileBytes(path, wpgFile(c.width, c.height, c.depth, c.rows)));
        const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(image, 0);
        const std::string png = dir.file("peer.png");
        ASSERT_TRUE(
            kfm::test::runPeer(kfm::test::kImageMagick,
                               kfm::test::quoted(path) + " " + kfm::test::quoted("png24:" + png)));
        EXPECT_EQ(kfm::test::largestDifference(image, kfm::test::readPng(png)), 0);
        KPXDeleteImage(image);
    }
}

// A repeat inside a row is damage (ImageMagick refuses such a file too).
TEST(WpgRows, RepeatInsideARowFails) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("inside.wpg");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, wpgFile(4, 3, 8, {0x82, 1, 0x00, 0x01, 0x84, 2})));
    EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
}

// 4 KB of row repeats once stood for a picture of 32767 x 32767: repeats count for no more rows
// than their two bytes could give as a run, so the picture is refused before it is allocated.
TEST(WpgLimits, RepeatsDoNotVouchForAHugePicture) {
    Bytes rows = {0x80, 0xFF};
    for (int i = 0; i < 2000; ++i)
        rows.insert(rows.end(), {0x00, 0xFF});
    const kfm::test::TempDir dir;
    const std::string path = dir.file("bomb.wpg");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, wpgFile(32767, 32767, 8, rows)));
    KpxCodecContext context;
    EXPECT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, kWpg, nullptr, nullptr), kKpxBadData);
    EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
}

// Rows that run out inside the bitmap record fail the load.
TEST(WpgRows, RowsCutShortFail) {
    Bytes file = wpgHeader();
    bitmapRecord(file, 4, 2, 8, {0x84, 1});
    file.insert(file.end(), {16, 0});
    EXPECT_EQ(loadBytes(file), 0);
}

TEST(WpgRows, EncoderRunsAndLiteralGroups) {
    Bytes out;
    kpx::wpg::encodeRow(Bytes{7, 7, 3}, out);
    EXPECT_EQ(out, (Bytes{0x82, 7, 0x01, 3}));
    out.clear();
    kpx::wpg::encodeRow(Bytes(130, 9), out);
    EXPECT_EQ(out, (Bytes{0xFE, 9, 0x84, 9}));
    out.clear();
    Bytes literals(130);
    for (std::size_t i = 0; i < literals.size(); ++i)
        literals[i] = static_cast<std::uint8_t>(i);
    kpx::wpg::encodeRow(literals, out);
    ASSERT_EQ(out.size(), 132u);
    EXPECT_EQ(out[0], 125);
    EXPECT_EQ(out[126], 5);
}

// The version-2 file of ImageMagick's tests is not read, and is refused cleanly.
TEST(WpgCorpus, VersionTwoFilesAreRefused) {
    const std::string path = kfm::test::testDataPath("wpg/imagemagick/input.wpg").string();
    KpxCodecContext context;
    EXPECT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, kWpg, nullptr, nullptr), kKpxBadData);
    EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
}

class WpgSave : public ::testing::TestWithParam<int> {};

TEST_P(WpgSave, LibraryAndImageMagickReadTheSameColours) {
    const int depth = GetParam();
    const KpxHandle image = kfm::test::makePicture(45, 9, depth, kfm::test::testPattern);
    const kfm::test::TempDir dir;
    const std::string path = dir.file("saved.wpg");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kWpg, 0, 0, nullptr), 1);
    const KpxHandle back = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(back, 0);
    EXPECT_TRUE(kfm::test::sameColors(image, back));
    KPXDeleteImage(back);
    const std::string png = dir.file("peer.png");
    EXPECT_TRUE(kfm::test::runPeer(kfm::test::kImageMagick, kfm::test::quoted(path) + " " +
                                                                kfm::test::quoted("png24:" + png)));
    EXPECT_EQ(kfm::test::largestDifference(image, kfm::test::readPng(png)), 0);
    KPXDeleteImage(image);
}

INSTANTIATE_TEST_SUITE_P(Depths, WpgSave, ::testing::Values(1, 4, 8));

// An 8-bit picture is written with a 256-entry map and 75 x 75 dots per inch.
TEST(WpgSave, EightBitsDeclareTheirMapAndResolution) {
    const KpxHandle image = kfm::test::makePicture(3, 2, 8, kfm::test::testPattern);
    const kfm::test::TempDir dir;
    const std::string path = dir.file("eight.wpg");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kWpg, 0, 0, nullptr), 1);
    const Bytes bytes = kfm::test::readFileBytes(path);
    const std::size_t map = 16 + 8; // after the header and the start record
    EXPECT_EQ((Bytes{bytes.begin() + map, bytes.begin() + map + 8}),
              (Bytes{14, 0xFF, 0x04, 0x03, 0, 0, 0x00, 0x01}));
    const std::size_t bitmap = map + 4 + 4 + 768;
    EXPECT_EQ(bytes[bitmap], 11);
    EXPECT_EQ(bytes[bitmap + 6 + 6], 75);
    EXPECT_EQ(bytes[bitmap + 6 + 8], 75);
    KPXDeleteImage(image);
}

} // namespace
