#include "LoadFrontEnd.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "RowCallbacks.h"
#include "Transparency.h"

#include "FakeCodec.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace {

class LoadFrontEnd : public ::testing::Test {
protected:
    void SetUp() override {
        KPXLockBreakLoad(0);
        liveBefore = KpxLiveImageCount();
    }
    void TearDown() override { EXPECT_EQ(KpxLiveImageCount(), liveBefore); }
    std::string file(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir.file(name);
        kfm::test::writeFileBytes(path, bytes);
        return path;
    }
    fake::FakeCodecScope codec;
    kfm::test::TempDir dir;
    int liveBefore = 0;
};

std::atomic<int> progressCalls{0};
void countProgress() {
    ++progressCalls;
}

TEST_F(LoadFrontEnd, LoadsRowsPaletteAndTexts) {
    const std::string path = file("a.bmp", fake::makeFile(3, 4, 8, 0, 10));
    progressCalls = 0;
    const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), countProgress);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXWidth(image), 3);
    EXPECT_EQ(KPXHeight(image), 4);
    EXPECT_EQ(KPXbpp(image), 8);
    EXPECT_EQ(progressCalls, 4);
    {
        const kpx::ImageLock record(image, kKpxRead);
        // The top row (value 10) is stored last.
        EXPECT_EQ(record->bits[3 * 4], 10);
        EXPECT_EQ(record->bits[0], 13);
        EXPECT_EQ(record->colors()[200].rgbRed, 200);
        ASSERT_TRUE(record->name.has_value());
        EXPECT_EQ(*record->name, "fake frame");
    }
    KPXDeleteImage(image);
}

TEST_F(LoadFrontEnd, LoadsDataAtAnOffset) {
    std::vector<std::uint8_t> bytes(100, 0xEE);
    const auto image = fake::makeFile(2, 2, 24, 0, 1);
    bytes.insert(bytes.end(), image.begin(), image.end());
    const std::string path = file("embedded.bmp", bytes);
    const KpxHandle handle = KPXLoadImageOffset(nullptr, path.c_str(), 100, nullptr);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(KPXbpp(handle), 24);
    KPXDeleteImage(handle);
}

TEST_F(LoadFrontEnd, ThirtyTwoBitFileLoadsAsTwentyFourBits) {
    const std::string path = file("deep.bmp", fake::makeFile(2, 2, 32, 0, 0x40));
    const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXbpp(image), 24);
    EXPECT_EQ(KPXGetBits(image)[0], 0x41); // bottom row, first byte
    KPXDeleteImage(image);
}

TEST_F(LoadFrontEnd, FailuresGiveNoImage) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::vector<std::uint8_t> bytes;
        const char* name;
    };
    fake::Behaviour& b = fake::behaviour();
    const auto full = fake::makeFile(4, 4, 8, 0, 0);
    auto truncated = full;
    truncated.resize(truncated.size() - 3);
    const Case cases[] = {
        {"unknown content", [] {}, {'x', 'y', 'z', 0, 0, 0, 0, 0, 0, 0, 0, 0}, "a.bmp"},
        {"unknown extension", [] {}, full, "a.xyz"},
        {"empty size", [] {}, fake::makeFile(0, 4, 8, 0, 0), "a.bmp"},
        {"truncated rows", [] {}, truncated, "a.bmp"},
        {"codec error", [&] { b.loadResult = kKpxBadData; }, full, "a.bmp"},
        {"exception after all rows", [&] { b.throwOnLoad = true; }, full, "a.bmp"},
        {"stream reader error", [&] { b.throwBitraOnLoad = true; }, full, "a.bmp"},
        {"info fails", [&] { b.infoResult = kKpxReadError; }, full, "a.bmp"},
        {"no codec for the format",
         [] {},
         {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0},
         "a.pcx"},
    };
    for (const Case& c : cases) {
        const fake::FakeCodecScope fresh;
        c.arrange();
        const std::string path = file(c.name, c.bytes);
        EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0) << c.what;
        EXPECT_EQ(KpxIsLoadBusy(), 0) << c.what;
    }
    EXPECT_EQ(KPXLoadImage(nullptr, dir.file("missing.bmp").c_str(), nullptr), 0);
    EXPECT_EQ(KPXLoadImage(nullptr, nullptr, nullptr), 0);
}

TEST_F(LoadFrontEnd, TransparentColourBecomesTheImagesList) {
    const std::string path = file("a.bmp", fake::makeFile(2, 2, 8, 0, 0));
    struct Case {
        std::uint32_t color;
        KpxTransparentEntry expected;
    };
    const Case cases[] = {
        {0x01070000u, {0, 0, 7, 0, kKpxTransparentIndex, 0, 0}},
        {0x00332211u, {0x11, 0x22, 0x33, 0, kKpxTransparentColor, 0, 0}},
    };
    for (const Case& c : cases) {
        fake::behaviour().transparentColor = c.color;
        const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(image, 0);
        int count = 0;
        const KpxTransparentEntry* list = KPXGetImageTransparentData(image, &count);
        ASSERT_EQ(count, 1);
        EXPECT_EQ(std::memcmp(list, &c.expected, sizeof c.expected), 0) << std::hex << c.color;
        KPXDeleteImage(image);
    }
    fake::behaviour().transparentColor = kKpxNoTransparentColor;
    const KpxHandle plain = KPXLoadImage(nullptr, path.c_str(), nullptr);
    EXPECT_EQ(KPXIsImageTransparent(plain), 0);
    KPXDeleteImage(plain);
}

TEST_F(LoadFrontEnd, PartlyDecodedImageIsNotHandedOut) {
    const std::string path = file("a.bmp", fake::makeFile(4, 4, 8, 0, 0));
    fake::behaviour().rowsToDeliver = 2;
    fake::behaviour().loadResult = kKpxReadError;
    EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
}

void breakDuringLoad() {
    KPXBreakLoad();
}

TEST_F(LoadFrontEnd, BreakRequestThroughTheRowCallbackStopsTheLoad) {
    const std::string path = file("a.bmp", fake::makeFile(4, 4, 8, 0, 0));
    EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), breakDuringLoad), 0);
    KPXLockBreakLoad(1);
    const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), breakDuringLoad);
    KPXLockBreakLoad(0);
    EXPECT_NE(image, 0);
    KPXDeleteImage(image);
}

TEST_F(LoadFrontEnd, SecondLoadWaitsForTheFirst) {
    const std::string path = file("a.bmp", fake::makeFile(2, 2, 8, 0, 0));
    fake::Behaviour& b = fake::behaviour();
    b.block = true;
    KpxHandle first = 0;
    std::thread running([&] { first = KPXLoadImage(nullptr, path.c_str(), nullptr); });
    while (b.loadsRunning.load() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    KpxHandle second = 0;
    std::thread waiting([&] { second = KPXLoadImage(nullptr, path.c_str(), nullptr); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(b.loadsStarted.load(), 1); // the second load has not reached the codec
    b.block = false;
    running.join();
    waiting.join();
    EXPECT_NE(first, 0);
    EXPECT_NE(second, 0);
    EXPECT_EQ(b.loadsStarted.load(), 2);
    KPXDeleteImage(first);
    KPXDeleteImage(second);
}

TEST_F(LoadFrontEnd, SecondLoadGivesUpAfterFiveSeconds) {
    const std::string path = file("a.bmp", fake::makeFile(2, 2, 8, 0, 0));
    fake::Behaviour& b = fake::behaviour();
    b.block = true;
    KpxHandle first = 0;
    std::thread running([&] { first = KPXLoadImage(nullptr, path.c_str(), nullptr); });
    while (b.loadsRunning.load() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto start = std::chrono::steady_clock::now();
    const KpxHandle second = KPXLoadImage(nullptr, path.c_str(), nullptr);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(second, 0);
    EXPECT_GE(waited, std::chrono::milliseconds(200 * 25));
    EXPECT_EQ(b.loadsStarted.load(), 1);
    b.block = false;
    running.join();
    EXPECT_NE(first, 0);
    KPXDeleteImage(first);
}

TEST_F(LoadFrontEnd, StreamLoadsReadBmpStreams) {
    KpxMemoryStream stream(fake::makeFile(3, 2, 8, 0, 5));
    const KpxHandle image = KPXLoadImageOleStream(nullptr, &stream, nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXWidth(image), 3);
    EXPECT_EQ(KPXGetBits(image)[4], 5);
    EXPECT_EQ(KPXGetImageTransparentImageEx(image), 0);
    KPXDeleteImage(image);

    KpxMemoryStream notAnImage(std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0});
    EXPECT_EQ(KPXLoadImageOleStream(nullptr, &notAnImage, nullptr), 0);
    EXPECT_EQ(notAnImage.seek(0, SEEK_CUR), 0);
    KpxMemoryStream truncated(std::vector<std::uint8_t>{'B', 'M', 4, 4, 8, 0, 0, 0, 0, 0, 1});
    EXPECT_EQ(KPXLoadImageOleStream(nullptr, &truncated, nullptr), 0);
    EXPECT_EQ(KPXLoadImageOleStream(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(KPXLoadImageStreamCB(nullptr, nullptr), 0);
}

// The first part of a real file, as a file of its own.
std::string cutCopy(const kfm::test::TempDir& dir, const std::string& source, double share) {
    auto bytes = kfm::test::readFileBytes(kfm::test::testDataPath(source));
    bytes.resize(static_cast<std::size_t>(bytes.size() * share));
    const std::string path = dir.file("cut-" + std::filesystem::path(source).filename().string());
    kfm::test::writeFileBytes(path, bytes);
    return path;
}

// A BMP or JPEG cut short loads as far as its data goes, and the load says so the way a
// multi-frame load does, on the single-image road (through the stream readers or the core
// loader) and on the editor's; whole files load without a word.
TEST(SingleImageDamage, CutFilesLoadAndSayTheyAreDamaged) {
    const kfm::test::TempDir dir;
    struct Case {
        std::string path;
        bool damaged;
    } const cases[] = {
        {kfm::test::testDataPath("bmp/bmpsuite/g/rgb24.bmp").string(), false},
        {cutCopy(dir, "bmp/bmpsuite/g/rgb24.bmp", 0.6), true},
        {kfm::test::testDataPath("bmp/bmpsuite/g/pal8.bmp").string(), false},
        {cutCopy(dir, "bmp/bmpsuite/g/pal8.bmp", 0.7), true},
        {kfm::test::testDataPath("jpeg/hopper.jpg").string(), false},
        {cutCopy(dir, "jpeg/hopper.jpg", 0.5), true},
        {kfm::test::testDataPath("jpeg/hopper_gray.jpg").string(), false},
        {cutCopy(dir, "jpeg/hopper_gray.jpg", 0.4), true},
        {kfm::test::testDataPath("jpeg/truncated_jpeg.jpg").string(), true},
    };
    const std::vector<std::int32_t> none;
    const std::vector<std::int32_t> first{0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const KpxHandle image = KPXLoadImage(nullptr, c.path.c_str(), nullptr);
        ASSERT_NE(image, 0);
        KpxFramesLoadReport report = KPXGetFramesLoadReport();
        EXPECT_EQ(report.imagesInFile, 1);
        EXPECT_EQ(report.damagedFrames, c.damaged ? first : none);
        KPXDeleteImage(image);

        const KpxHandle chain = KPXLoadImageFramesOffset(c.path.c_str(), 0, nullptr, nullptr);
        ASSERT_GT(chain, 0);
        report = KPXGetFramesLoadReport();
        EXPECT_EQ(report.damagedFrames, c.damaged ? first : none);
        KPXDeleteImage(chain);
    }
    // A load that fails reports no image; the previous load's report does not stay.
    EXPECT_EQ(KPXLoadImage(nullptr, dir.file("absent.bmp").c_str(), nullptr), 0);
    EXPECT_EQ(KPXGetFramesLoadReport().imagesInFile, 0);
    EXPECT_TRUE(KPXGetFramesLoadReport().damagedFrames.empty());
}

} // namespace
