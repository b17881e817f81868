// PCX pictures: the corpus files of Pillow and ImageMagick decode to their references (DCX pages
// through the offset road), broken files fail with a result code, the run-length lines follow
// their rules, and every depth the writer takes reads back the same in the library,
// ImageMagick and Pillow.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bitra5Testing.h"
#include "CodecContext.h"
#include "FormatDispatch.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "LoadFrontEnd.h"
#include "PcxFormat.h"
#include "RowCallbacks.h"
#include "StillImageSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using kfm::test::testDataPath;
constexpr std::int32_t kPcx = 10;

// A copy of a test file under a name whose extension says PCX.
std::string asPcx(const kfm::test::TempDir& dir, const std::string& file) {
    const std::string copy = dir.file("copy.pcx");
    kfm::test::writeFileBytes(copy, kfm::test::readFileBytes(testDataPath("pcx/" + file)));
    return copy;
}

// The first page's offset in a DCX file (after the magic, the first of the page table).
std::int32_t firstDcxPage(const Bytes& dcx) {
    return static_cast<std::int32_t>(dcx[4] | (dcx[5] << 8) | (dcx[6] << 16) | (dcx[7] << 24));
}

TEST(PcxCorpus, ImageMagickPictureMatchesItsReference) {
    const KpxHandle image =
        KPXLoadImage(nullptr, testDataPath("pcx/imagemagick/input.pcx").string().c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXbpp(image), 24);
    EXPECT_EQ(kfm::test::largestDifference(
                  image, kfm::test::readPng(testDataPath("pcx/imagemagick/input_pcx.png"))),
              0);
    KPXDeleteImage(image);
}

// A DCX holds PCX pages at the offsets of its table: each loads through the offset road.
TEST(PcxCorpus, DcxPagesLoadAtTheirOffsets) {
    for (const auto& [dcx, reference] :
         {std::pair{"imagemagick/input.dcx", "imagemagick/input_dcx.png"},
          std::pair{"pillow/hopper.dcx", "pillow/hopper.png"}}) {
        SCOPED_TRACE(dcx);
        const kfm::test::TempDir dir;
        const std::string path = asPcx(dir, dcx);
        const std::int32_t offset = firstDcxPage(kfm::test::readFileBytes(path));
        const KpxHandle image = KPXLoadImageOffset(nullptr, path.c_str(), offset, nullptr);
        ASSERT_NE(image, 0);
        EXPECT_EQ(kfm::test::largestDifference(
                      image, kfm::test::readPng(testDataPath(std::string("pcx/") + reference))),
                  0);
        KPXDeleteImage(image);
    }
}

// The size counts from the minimum corner (here 1, 1), not from 0.
TEST(PcxCorpus, SizeIsMaximumMinusMinimumPlusOne) {
    const KpxHandle image =
        KPXLoadImage(nullptr, testDataPath("pcx/pillow/pil184.pcx").string().c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXWidth(image), 447);
    EXPECT_EQ(KPXHeight(image), 144);
    EXPECT_EQ(KPXbpp(image), 1);
    KPXDeleteImage(image);
}

// Four bit planes make one 4-bit index a pixel.
TEST(PcxCorpus, FourPlanesMakeSixteenColours) {
    const KpxHandle image =
        KPXLoadImage(nullptr, testDataPath("pcx/pillow/p_4_planes.pcx").string().c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXbpp(image), 4);
    EXPECT_EQ(kfm::test::indexAt(image, 0, 0), 3);
    KPXDeleteImage(image);
}

// Lines longer than the width (an odd stride) decode like ImageMagick decodes them.
TEST(PcxCorpus, OddStrideDecodesLikeImageMagick) {
    const std::string path = testDataPath("pcx/pillow/odd_stride.pcx").string();
    const kfm::test::TempDir dir;
    const std::string png = dir.file("peer.png");
    ASSERT_TRUE(kfm::test::runPeer(kfm::test::kImageMagick, kfm::test::quoted(path) + " " +
                                                                kfm::test::quoted("png24:" + png)))
        << "ImageMagick is not installed or cannot read the file";
    const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(kfm::test::largestDifference(image, kfm::test::readPng(png)), 0);
    KPXDeleteImage(image);
}

// Files whose lines run out, whose header is broken or that overrun their lines fail.
TEST(PcxCorpus, BrokenFilesFail) {
    for (const char* file : {"pillow/01r_00.pcx", "pillow/pcx_overrun.bin",
                             "pillow/pcx_overrun2.bin", "pillow/ossfuzz-4836216264589312.pcx"}) {
        SCOPED_TRACE(file);
        const kfm::test::TempDir dir;
        const std::string path = asPcx(dir, file);
        EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
        KpxCodecContext context;
        EXPECT_EQ(KpxLoadImageCore(nullptr, path.c_str(), 0, 0, &context, 0, nullptr), 0);
    }
}

// A maximum of 0xFFFF or an unknown depth is no PCX picture (patches of pil184.pcx).
TEST(PcxCorpus, ImpossibleHeadersAreRefused) {
    for (const auto& [at, value] : {std::pair{4, 0xFF}, std::pair{3, 0xFF}}) {
        Bytes bytes = kfm::test::readFileBytes(testDataPath("pcx/pillow/pil184.pcx"));
        bytes[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(value);
        bytes[static_cast<std::size_t>(at) + 1] = static_cast<std::uint8_t>(value);
        if (at == 4) // xmin 0xFFFF past xmax: an empty size
            bytes[8] = bytes[9] = 0;
        const kfm::test::TempDir dir;
        const std::string path = dir.file("patched.pcx");
        kfm::test::writeFileBytes(path, bytes);
        KpxCodecContext context;
        EXPECT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, kPcx, nullptr, nullptr),
                  kKpxBadData)
            << at;
    }
}

// Collects decoded rows, top row first.
class Rows final : public kpx::RowSink {
public:
    explicit Rows(std::size_t bytes) : row_(bytes) {}
    std::span<std::uint8_t> rowBuffer() override { return row_; }
    bool rowDone(int) override {
        all.insert(all.end(), row_.begin(), row_.end());
        return true;
    }
    Bytes all;

private:
    Bytes row_;
};

Bytes header(int width, int height, int bits, int planes, int bytesPerLine, int version = 5) {
    Bytes h(kpx::pcx::kHeaderBytes, 0);
    h[0] = 10;
    h[1] = static_cast<std::uint8_t>(version);
    h[2] = 1;
    h[3] = static_cast<std::uint8_t>(bits);
    h[8] = static_cast<std::uint8_t>(width - 1);
    h[10] = static_cast<std::uint8_t>(height - 1);
    h[65] = static_cast<std::uint8_t>(planes);
    h[66] = static_cast<std::uint8_t>(bytesPerLine);
    for (int i = 0; i < 48; ++i)
        h[16 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(100 + i);
    return h;
}

// A run that would cross the end of a line is cut there; the next line starts afresh.
TEST(PcxLines, RunsStopAtTheLineEnd) {
    const auto h = kpx::pcx::readHeader(header(3, 2, 8, 1, 3));
    ASSERT_EQ(h.status, kpx::CodecStatus::Ok);
    Rows rows(3);
    const Bytes lines = {0xC5, 7, 1, 2, 3};
    EXPECT_EQ(kpx::pcx::decodeLines(lines, h.header, rows).status, kpx::CodecStatus::Ok);
    EXPECT_EQ(rows.all, (Bytes{7, 7, 7, 1, 2, 3}));
}

// Three planes of one bit give 3-bit values in 4-bit pixels.
TEST(PcxLines, ThreePlanesGiveThreeBitValues) {
    const auto h = kpx::pcx::readHeader(header(8, 1, 1, 3, 1));
    ASSERT_EQ(h.status, kpx::CodecStatus::Ok);
    EXPECT_EQ(h.header.depth, 3);
    Rows rows(8);
    EXPECT_EQ(kpx::pcx::decodeLines(Bytes{0x80, 0xC0 | 1, 0xC0, 0x20}, h.header, rows).status,
              kpx::CodecStatus::Ok);
    EXPECT_EQ(rows.all, (Bytes{3, 2, 4, 0, 0, 0, 0, 0}));
}

// Three equal bytes and a different one: a run of two, then the third on its own; a byte of
// 0xC0 or more on its own is marked as a run of one.
TEST(PcxLines, EncoderWritesRunsOneShortAndMarksHighLiterals) {
    Bytes out;
    kpx::pcx::encodeLine(Bytes{5, 5, 5, 9}, out);
    EXPECT_EQ(out, (Bytes{0xC2, 5, 5, 9}));
    out.clear();
    kpx::pcx::encodeLine(Bytes{0xC5, 1}, out);
    EXPECT_EQ(out, (Bytes{0xC1, 0xC5, 1}));
}

// An 8-bit version-5 file without the marker 12 before its last 768 bytes takes the header's
// colours.
TEST(PcxPalette, EightBitsWithoutTrailingPaletteUseTheHeader) {
    Bytes file = header(2, 1, 8, 1, 2);
    file.insert(file.end(), {0, 1});
    file.resize(file.size() + 800, 0);
    const auto h = kpx::pcx::readHeader(file);
    std::uint8_t palette[256][3] = {};
    kpx::pcx::paletteOf(h.header, file, palette);
    EXPECT_EQ(palette[0][0], 100);
    EXPECT_EQ(palette[1][2], 105);
}

struct DepthCase {
    int depth;
    int planes; // of the written file
};

class PcxSave : public ::testing::TestWithParam<DepthCase> {};

TEST_P(PcxSave, LibraryAndPeersReadTheSameColours) {
    const DepthCase c = GetParam();
    const KpxHandle image = kfm::test::makePicture(29, 11, c.depth, kfm::test::testPattern);
    if (c.depth == 1) // 1-bit PCX pictures are black and white
        kfm::test::makeBlackAndWhite(image);
    const kfm::test::TempDir dir;
    const std::string path = dir.file("saved.pcx");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kPcx, 0, 0, nullptr), 1);
    EXPECT_EQ(kfm::test::readFileBytes(path).at(65), c.planes);
    const KpxHandle back = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(back, 0);
    EXPECT_TRUE(kfm::test::sameColors(image, back));
    KPXDeleteImage(back);
    const std::string png = dir.file("peer.png");
    // ImageMagick reads the set bits of 1-bit PCX pictures as black whatever the file says;
    // Pillow, like the library, as white.
    if (c.depth != 1) {
        EXPECT_TRUE(
            kfm::test::runPeer(kfm::test::kImageMagick,
                               kfm::test::quoted(path) + " " + kfm::test::quoted("png24:" + png)));
        EXPECT_EQ(kfm::test::largestDifference(image, kfm::test::readPng(png)), 0) << "ImageMagick";
        std::filesystem::remove(png);
    }
    EXPECT_TRUE(kfm::test::runPeer(kfm::test::kPython,
                                   "-c \"import sys; from PIL import Image; "
                                   "Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2])\" " +
                                       kfm::test::quoted(path) + " " + kfm::test::quoted(png)));
    EXPECT_EQ(kfm::test::largestDifference(image, kfm::test::readPng(png)), 0) << "Pillow";
    KPXDeleteImage(image);
}

INSTANTIATE_TEST_SUITE_P(Depths, PcxSave,
                         ::testing::Values(DepthCase{1, 1}, DepthCase{4, 4}, DepthCase{8, 1},
                                           DepthCase{24, 3}, DepthCase{32, 3}));

int fetchTwoBitRow(std::uint8_t* row, int) {
    row[0] = 0x01; // pixels 0 and 1 of a 4-bit row
    row[1] = 0x23;
    return 0;
}

// Images of 2 and 3 bits are written with that many planes and load as 4-bit images.
TEST(PcxSave, FewBitImagesWriteOnePlaneABit) {
    for (const int bits : {2, 3}) {
        KpxCodecContext context;
        context.width = 4;
        context.height = 1;
        context.bitsPerPixel = static_cast<std::int16_t>(bits);
        context.fetchRow = fetchTwoBitRow;
        for (int i = 0; i < 16; ++i)
            context.palette[i][0] = static_cast<std::uint8_t>(i * 16);
        KpxSetupRowLayout(&context);
        const kfm::test::TempDir dir;
        const std::string path = dir.file("planes.pcx");
        ASSERT_EQ(KpxSaveByFormat(&context, path.c_str(), kPcx, nullptr, nullptr, 0), kKpxOk);
        EXPECT_EQ(kfm::test::readFileBytes(path).at(65), bits);
        const KpxHandle back = KPXLoadImage(nullptr, path.c_str(), nullptr);
        ASSERT_NE(back, 0);
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(kfm::test::indexAt(back, x, 0), x & ((1 << bits) - 1)) << bits;
        KPXDeleteImage(back);
    }
}

// A 24-bit picture of width 3 has lines of 3 bytes: not padded to an even length.
TEST(PcxSave, LinesAreNotPadded) {
    const KpxHandle image = kfm::test::makePicture(3, 2, 24, kfm::test::testPattern);
    const kfm::test::TempDir dir;
    const std::string path = dir.file("odd.pcx");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kPcx, 0, 0, nullptr), 1);
    EXPECT_EQ(kfm::test::readFileBytes(path).at(66), 3);
    KPXDeleteImage(image);
}

} // namespace
