#include "FileInfo.h"
#include "ImageCreation.h"
#include "RowCallbacks.h"

#include "FakeCodec.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(FileInfo, FillsTheRecordFromTheCodec) {
    const fake::FakeCodecScope codec;
    const kfm::test::TempDir dir;
    const std::string path = dir.file("a.bmp");
    kfm::test::writeFileBytes(path, fake::makeFile(5, 3, 6, 0, 1));
    KpxFileInfo info{};
    ASSERT_EQ(KPXGetInfoFile(path.c_str(), &info), 1);
    EXPECT_EQ(info.formatId, 40);
    EXPECT_STREQ(info.description, "Fake test image");
    EXPECT_EQ(info.width, 5);
    EXPECT_EQ(info.height, 3);
    EXPECT_EQ(info.bitsPerPixel, 8); // normalised
    EXPECT_EQ(info.reserved[0], 0);
    EXPECT_EQ(info.reserved[1], 0);
    EXPECT_EQ(info.dataSize, 8 * 3); // not known to the codec: rows of 8 bytes
    EXPECT_EQ(info.fileSize, 10 + 24);
    EXPECT_EQ(info.frameCount, 1);
}

TEST(FileInfo, AlphaReports32BitsOnlyInTheExtendedRequest) {
    const fake::FakeCodecScope codec;
    const kfm::test::TempDir dir;
    const std::string path = dir.file("a.bmp");
    kfm::test::writeFileBytes(path, fake::makeFile(2, 2, 24, kKpxFlagHasAlpha, 0));
    KpxFileInfo info{};
    ASSERT_EQ(KPXGetInfoFile(path.c_str(), &info), 1);
    EXPECT_EQ(info.bitsPerPixel, 24);
    ASSERT_EQ(KPXGetInfoFileEx(path.c_str(), &info), 1);
    EXPECT_EQ(info.bitsPerPixel, 32);
}

TEST(FileInfo, FailuresGiveZero) {
    const fake::FakeCodecScope codec;
    const kfm::test::TempDir dir;
    KpxFileInfo info{};
    const std::string empty = dir.file("empty.bmp");
    kfm::test::writeFileBytes(empty, fake::makeFile(0, 3, 8, 0, 0)); // width 0
    EXPECT_EQ(KPXGetInfoFile(empty.c_str(), &info), 0);
    EXPECT_EQ(KPXGetInfoFile(dir.file("missing.bmp").c_str(), &info), 0);
    const std::string unknown = dir.file("a.xyz");
    kfm::test::writeFileBytes(unknown, fake::makeFile(4, 4, 8, 0, 0));
    EXPECT_EQ(KPXGetInfoFile(unknown.c_str(), &info), 0);
    EXPECT_EQ(KPXGetInfoFile(nullptr, &info), 0);
    EXPECT_EQ(KPXGetInfoFile(empty.c_str(), nullptr), 0);
    fake::behaviour().infoResult = kKpxReadError;
    const std::string good = dir.file("good.bmp");
    kfm::test::writeFileBytes(good, fake::makeFile(4, 4, 8, 0, 0));
    EXPECT_EQ(KPXGetInfoFile(good.c_str(), &info), 0);
}

TEST(FileInfo, FormatWithoutCodecIsBadDataNotACrash) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("a.pcd"); // no Photo CD codec is registered here
    kfm::test::writeFileBytes(path, std::vector<std::uint8_t>(64, 0));
    KpxFileInfo info{};
    if (KpxFindCodec(120).info == nullptr) {
        EXPECT_EQ(KPXGetInfoFile(path.c_str(), &info), 0);
        KpxCodecContext context;
        EXPECT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, 120, nullptr, nullptr),
                  kKpxBadData);
    }
    KpxCodecContext context;
    EXPECT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, 555, nullptr, nullptr), kKpxBadData);
    EXPECT_EQ(KpxLoadByFormat(&context, path.c_str(), 0, 0, nullptr, nullptr, nullptr),
              kKpxBadData);
}

TEST(FileInfo, StreamInfoAnswersWithoutSizeChecks) {
    const fake::FakeCodecScope codec;
    KpxMemoryStream stream(fake::makeFile(0, 2, 8, 0, 0));
    struct Table {
        KpxStreamCallbacks calls;
        KpxMemoryStream* memory;
    };
    Table table{{[](KpxStreamCallbacks* s, void* b, std::uint32_t n) {
                     return static_cast<std::uint32_t>(
                         reinterpret_cast<Table*>(s)->memory->read(b, n));
                 },
                 nullptr,
                 [](KpxStreamCallbacks* s, std::int32_t o, std::int32_t origin) {
                     reinterpret_cast<Table*>(s)->memory->seek(o, origin);
                     return 0;
                 },
                 [](KpxStreamCallbacks* s) {
                     return static_cast<std::int32_t>(
                         reinterpret_cast<Table*>(s)->memory->seek(0, SEEK_CUR));
                 }},
                &stream};
    KpxFileInfo info{};
    EXPECT_EQ(KPXGetInfoFileStreamCB(&table.calls, &info), 1);
    EXPECT_EQ(info.width, 0);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(KPXGetInfoFileStreamCB(nullptr, &info), 0);
}

TEST(ProportionalSize, FitsIntoTheBox) {
    struct Case {
        int width, height, boxWidth, boxHeight;
        int result, outWidth, outHeight;
    };
    const Case cases[] = {
        {100, 50, 200, 200, 1, 200, 100}, // enlarged to touch the box
        {400, 100, 200, 200, 1, 200, 50},
        {100, 400, 200, 200, 1, 50, 200},
        {3, 2, 2, 2, 1, 2, 1},         // 1.333 rounds to 1
        {0, 0, 200, 200, 0, 200, 200}, // zero scale
        {100, 50, 0, 200, 0, 0, 200},  // an empty box is refused, not divided by
        {100, 50, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        int w = c.boxWidth, h = c.boxHeight;
        EXPECT_EQ(KPXNewSizeCalculateProp(c.width, c.height, &w, &h), c.result)
            << c.width << "x" << c.height;
        EXPECT_EQ(w, c.outWidth);
        EXPECT_EQ(h, c.outHeight);
    }
    int w = 1;
    EXPECT_EQ(KPXNewSizeCalculateProp(1, 1, &w, nullptr), 0);
    EXPECT_EQ(KPXNewSizeCalculateProp(1, 1, nullptr, &w), 0);
}

TEST(RowArithmetic, SizesAndDepths) {
    EXPECT_EQ(KpxScanBytes(1, 1), 4u);
    EXPECT_EQ(KpxScanBytes(33, 1), 8u);
    EXPECT_EQ(KpxScanBytes(9, 4), 8u);
    EXPECT_EQ(KpxScanBytes(5, 24), 16u);
    // Rows longer than 16 bits can hold: 30,000 pixels at 24 bits.
    EXPECT_EQ(KpxScanBytes(30000, 24), 90000u);
    EXPECT_EQ(KpxScanBytes(0, 8), 0u);
    const int depths[][2] = {{0, 1}, {1, 1},  {2, 4},   {4, 4},   {5, 8},
                             {8, 8}, {9, 24}, {24, 24}, {25, 32}, {32, 32}};
    for (const auto& d : depths)
        EXPECT_EQ(KpxNormalizeBitCount(d[0]), d[1]) << d[0];
    const int tables[][2] = {{1, 2}, {2, 16}, {4, 16}, {5, 256}, {8, 256}, {9, 0}, {24, 0}};
    for (const auto& t : tables)
        EXPECT_EQ(KpxColorTableSize(t[0]), t[1]) << t[0];
    EXPECT_EQ(KpxAbsDifference(3, 10), 7);
    EXPECT_EQ(KpxAbsDifference2(100, 10, -100, 3), 7);
}

class RowCallbacks : public ::testing::Test {
protected:
    void SetUp() override {
        image = KPXCreateImage(3, 4, 8);
        ASSERT_NE(image, 0);
        KpxCodecContext context;
        context.width = 3;
        context.height = 4;
        context.bitsPerPixel = 8;
        KpxSetupRowLayout(&context);
        KpxSetRowBits(KPXGetBits(image));
        KpxSetKeepLoading(1);
        KPXLockBreakLoad(0);
    }
    void TearDown() override {
        KpxSetRowBits(nullptr);
        KPXDeleteImage(image);
    }
    KpxHandle image = 0;
};

TEST_F(RowCallbacks, StoreTurnsTopDownRowsIntoBottomUpStorage) {
    const KpxRowLayout layout = KpxGetRowLayout();
    EXPECT_EQ(layout.depth, 8);
    EXPECT_EQ(layout.rowBytes, 4u);
    EXPECT_EQ(layout.rows, 4);
    std::uint8_t row[4] = {1, 2, 3, 4};
    EXPECT_EQ(KpxStoreRow(row, 0), 0);
    const std::uint8_t* bits = KPXGetBits(image);
    EXPECT_EQ(bits[3 * 4], 1); // the last stored row is the top of the picture
    EXPECT_EQ(bits[3 * 4 + 3], 4);

    std::uint8_t out[4] = {};
    EXPECT_EQ(KpxFetchRow(out, 0), 0);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(KpxFetchRow(out, 4), kKpxStopped); // past the last row: nothing read
}

TEST_F(RowCallbacks, PastTheLastRowStopsAndChangesNothing) {
    std::vector<std::uint8_t> before(KPXGetBits(image), KPXGetBits(image) + 16);
    std::uint8_t row[4] = {9, 9, 9, 9};
    EXPECT_EQ(KpxStoreRow(row, 4), kKpxStopped);
    EXPECT_EQ(KpxStoreRow(row, -1), kKpxStopped);
    EXPECT_EQ(std::vector<std::uint8_t>(KPXGetBits(image), KPXGetBits(image) + 16), before);
}

TEST_F(RowCallbacks, BreakRequestStopsUnlessLocked) {
    std::uint8_t row[4] = {};
    KPXLockBreakLoad(1);
    EXPECT_EQ(KPXBreakLoad(), 0);
    EXPECT_EQ(KpxStoreRow(row, 1), 0);
    KPXLockBreakLoad(0);
    EXPECT_EQ(KPXBreakLoad(), 1);
    EXPECT_EQ(KpxStoreRow(row, 1), kKpxStopped); // the row is stored, then the stop answered
}

TEST(RowLayout, DepthFromContext) {
    struct Case {
        int bits, rowBits, width;
        int depth;
        std::uint32_t rowBytes;
    };
    const Case cases[] = {
        {1, 0, 9, 1, 4},   {3, 0, 9, 4, 8},    {8, 0, 5, 8, 8},    {16, 0, 3, 24, 12},
        {0, 0, 3, 32, 12}, {-4, 0, 3, 32, 12}, {8, 24, 3, 24, 12}, {30000 % 32767, 0, 1, 32, 4}};
    for (const Case& c : cases) {
        KpxCodecContext context;
        context.width = static_cast<std::int16_t>(c.width);
        context.height = 2;
        context.bitsPerPixel = static_cast<std::int16_t>(c.bits);
        context.rowBitsPerPixel = static_cast<std::int16_t>(c.rowBits);
        KpxSetupRowLayout(&context);
        EXPECT_EQ(KpxGetRowLayout().depth, c.depth) << c.bits;
        EXPECT_EQ(KpxGetRowLayout().rowBytes, c.rowBytes) << c.bits;
    }
    KpxSetupRowLayout(nullptr);
}

} // namespace
