// PNG through libpng: every PngSuite file loads to Pillow's pixels and every corrupt one fails
// with a result code; a warning ends a read; the info request's depth, flags and description;
// what the library writes reads back identically here, in libpng's terms and in Pillow; a stop
// asked by a row callback; sizes the library cannot hold.

#include "PngCodec.h"
#include "FormatDispatch.h"
#include "ImageTable.h"
#include "RowCallbacks.h"

#include "../stills/StillImageSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>

namespace {

using kfm::test::rgbOf;
constexpr std::int32_t kPng = 100;

std::string suitePath(const std::string& name) {
    return kfm::test::testDataPath("png/pngsuite/" + name).string();
}

std::vector<kfm::test::PeerExpectation> suiteExpectations() {
    return kfm::test::readPeerExpectations(
        kfm::test::testDataPath("png/pngsuite/expected-pillow.tsv"));
}

std::string testName(const ::testing::TestParamInfo<kfm::test::PeerExpectation>& info) {
    std::string name = info.param.name.substr(0, info.param.name.find('.'));
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
    return name;
}

class PngSuite : public ::testing::TestWithParam<kfm::test::PeerExpectation> {};

TEST_P(PngSuite, LoadsToPillowsPixelsOrFailsWhenCorrupt) {
    const auto& expected = GetParam();
    const int before = KpxLiveImageCount();
    const KpxHandle image = KPXLoadImage(nullptr, suitePath(expected.name).c_str(), nullptr);
    if (expected.name[0] == 'x') {
        EXPECT_EQ(image, 0);
        EXPECT_EQ(KpxLiveImageCount(), before);
        return;
    }
    ASSERT_NE(image, 0);
    ASSERT_TRUE(expected.readable);
    const auto picture = rgbOf(image);
    EXPECT_EQ(picture.width, expected.width);
    EXPECT_EQ(picture.height, expected.height);
    EXPECT_EQ(kfm::test::crc32Of(picture.rgb), expected.crc);
    KPXDeleteImage(image);
}

INSTANTIATE_TEST_SUITE_P(Files, PngSuite, ::testing::ValuesIn(suiteExpectations()), testName);

TEST(PngInfo, DepthFlagsAndDescriptionFollowTheFile) {
    struct Case {
        const char* file;
        int depth;
        const char* description;
    } const cases[] = {
        {"basn0g01.png", 1, "Compressed"},  {"basn0g02.png", 8, "Compressed"},
        {"basn0g04.png", 4, "Compressed"},  {"basn0g16.png", 8, "Compressed"},
        {"basn2c16.png", 24, "Compressed"}, {"basn3p02.png", 24, "Compressed"},
        {"basn3p04.png", 4, "Compressed"},  {"basn4a08.png", 8, "Compressed"},
        {"basn6a16.png", 24, "Compressed"}, {"basi3p08.png", 8, "Compressed, interlaced"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        KpxFileInfo info{};
        ASSERT_EQ(KPXGetInfoFile(suitePath(c.file).c_str(), &info), 1);
        EXPECT_EQ(info.formatId, kPng);
        EXPECT_EQ(info.bitsPerPixel, c.depth);
        EXPECT_STREQ(info.description, c.description);
        KpxCodecContext context;
        ASSERT_EQ(
            KpxGetInfoByFormat(&context, suitePath(c.file).c_str(), 0, kPng, nullptr, nullptr),
            kKpxOk);
        EXPECT_EQ(context.flags, c.file[3] == 'i' ? 64 : 0);
    }
}

// A chunk with its length, type, data and CRC.
std::vector<std::uint8_t> chunk(const char* type, const std::string& data, bool goodCrc) {
    std::vector<std::uint8_t> out;
    const auto length = static_cast<std::uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(length >> shift));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    std::uint32_t crc = static_cast<std::uint32_t>(::crc32(0, out.data() + 4, length + 4));
    if (!goodCrc)
        crc ^= 1;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(crc >> shift));
    return out;
}

// A suite file with a chunk put in right after its header chunk.
std::vector<std::uint8_t> withChunkAfterHeader(const std::string& file,
                                               const std::vector<std::uint8_t>& extra) {
    auto bytes = kfm::test::readFileBytes(suitePath(file));
    const std::size_t afterHeader = 8 + 25;
    bytes.insert(bytes.begin() + afterHeader, extra.begin(), extra.end());
    return bytes;
}

TEST(PngRead, AWarningOfTheLibraryEndsTheReadLikeAnError) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("warning.png");
    // A text chunk with a wrong CRC: libpng warns and would drop the chunk.
    const auto bytes =
        withChunkAfterHeader("basn2c08.png", chunk("tEXt", std::string("Title\0x", 7), false));
    ASSERT_TRUE(kfm::test::writeFileBytes(path, bytes));
    KpxCodecContext context;
    EXPECT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, kPng, nullptr, nullptr), kKpxBadData);
    EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
    struct NoRows : kpx::RowSink {
        std::vector<std::uint8_t> row = std::vector<std::uint8_t>(32 * 3);
        std::span<std::uint8_t> rowBuffer() override { return row; }
        bool rowDone(int) override { return true; }
    } sink;
    EXPECT_EQ(kpx::png::decode(bytes, sink), kpx::CodecStatus::Damaged);

    // The same chunk with its right CRC reads.
    const std::string good = dir.file("good.png");
    ASSERT_TRUE(kfm::test::writeFileBytes(
        good,
        withChunkAfterHeader("basn2c08.png", chunk("tEXt", std::string("Title\0x", 7), true))));
    const KpxHandle image = KPXLoadImage(nullptr, good.c_str(), nullptr);
    EXPECT_NE(image, 0);
    KPXDeleteImage(image);
}

TEST(PngRead, SizesTheLibraryCannotHoldAreRefused) {
    const kfm::test::TempDir dir;
    for (const std::uint32_t width : {40000u, 30000u}) {
        SCOPED_TRACE(width);
        auto bytes = kfm::test::readFileBytes(suitePath("basn0g01.png"));
        // The header chunk's width and height, then its CRC again.
        for (const std::size_t at : {16u, 20u})
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        const auto crc = static_cast<std::uint32_t>(::crc32(0, bytes.data() + 12, 17));
        for (int i = 0; i < 4; ++i)
            bytes[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        const std::string path = dir.file("huge.png");
        ASSERT_TRUE(kfm::test::writeFileBytes(path, bytes));
        KpxFileInfo info{};
        EXPECT_EQ(KPXGetInfoFile(path.c_str(), &info), 0);
        EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
    }
}

int stopAtRow(std::uint8_t*, int index) {
    return index >= 3 ? kKpxStopped : 0;
}

TEST(PngRead, ARowCallbackThatAsksToStopEndsTheLoad) {
    for (const char* file : {"basn2c08.png", "basi2c08.png"}) {
        SCOPED_TRACE(file);
        KpxCodecContext context;
        ASSERT_EQ(KpxGetInfoByFormat(&context, suitePath(file).c_str(), 0, kPng, nullptr, nullptr),
                  kKpxOk);
        context.storeRow = stopAtRow;
        KpxSetupRowLayout(&context);
        EXPECT_EQ(
            KpxLoadByFormat(&context, suitePath(file).c_str(), 0, kPng, nullptr, nullptr, nullptr),
            kKpxStopped);
    }
}

// What a saved file says of itself: bit depth, colour type and interlace of its header.
struct PngFileHeader {
    int bitDepth;
    int colourType;
    int interlace;
    std::size_t paletteEntries;
};

PngFileHeader headerOf(const std::string& path) {
    const auto bytes = kfm::test::readFileBytes(path);
    PngFileHeader h{bytes.at(24), bytes.at(25), bytes.at(28), 0};
    const auto plte = std::search(bytes.begin(), bytes.end(), "PLTE", "PLTE" + 4);
    if (plte != bytes.end())
        h.paletteEntries = static_cast<std::size_t>(plte[-1] | plte[-2] << 8) / 3;
    return h;
}

TEST(PngWrite, EveryDepthReadsBackIdenticallyHereAndInPillow) {
    const kfm::test::TempDir dir;
    struct Case {
        int depth;
        int fileDepth;
        int colourType;
        std::size_t entries;
    } const cases[] = {{1, 1, 3, 2}, {4, 4, 3, 16}, {8, 8, 3, 256}, {24, 8, 2, 0}, {32, 8, 2, 0}};
    for (const Case& c : cases) {
        for (const int interlaced : {0, 0x80}) {
            SCOPED_TRACE(std::to_string(c.depth) + (interlaced ? " interlaced" : ""));
            const KpxHandle image = kfm::test::patternImage(37, 21, c.depth);
            const std::string path = dir.file("saved.png");
            ASSERT_EQ(KPXSaveImage(image, path.c_str(), kPng, interlaced, 0, nullptr), 1);
            const PngFileHeader header = headerOf(path);
            EXPECT_EQ(header.bitDepth, c.fileDepth);
            EXPECT_EQ(header.colourType, c.colourType);
            EXPECT_EQ(header.interlace, interlaced ? 1 : 0);
            EXPECT_EQ(header.paletteEntries, c.entries);
            const auto original = rgbOf(image);
            const KpxHandle loaded = KPXLoadImage(nullptr, path.c_str(), nullptr);
            ASSERT_NE(loaded, 0);
            EXPECT_EQ(KPXbpp(loaded), std::min(c.depth, 24));
            EXPECT_EQ(rgbOf(loaded).rgb, original.rgb);
            const auto peer = kfm::test::pillowRead(path);
            EXPECT_TRUE(peer) << "Pillow cannot read the file";
            if (peer)
                EXPECT_EQ(peer->rgb, original.rgb);
            KPXDeleteImage(loaded);
            KPXDeleteImage(image);
        }
    }
}

int stopFetching(std::uint8_t*, int index) {
    return index >= 2 ? 1 : 0;
}

TEST(PngWrite, AStopWhileSavingWritesNoFile) {
    const kfm::test::TempDir dir;
    const KpxHandle image = kfm::test::patternImage(8, 8, 24);
    {
        const kpx::ImageLock record(image, kKpxRead);
        KpxCodecContext context;
        context.width = 8;
        context.height = 8;
        context.bitsPerPixel = 24;
        context.fetchRow = stopFetching;
        KpxSetupRowLayout(&context);
        KpxSetRowBits(record->bits);
        EXPECT_EQ(
            KpxSaveByFormat(&context, dir.file("stopped.png").c_str(), kPng, nullptr, nullptr, 0),
            kKpxStopped);
        KpxSetRowBits(nullptr);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("stopped.png")));
    EXPECT_EQ(KPXSaveImage(image, dir.file("no/such/folder.png").c_str(), kPng, 0, 0, nullptr), 0);
    KPXDeleteImage(image);
}

} // namespace
