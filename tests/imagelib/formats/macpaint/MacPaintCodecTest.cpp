// MacPaint pictures: a real MacPaint document against netpbm's read, files made by netpbm's
// pbmtomacp, files without either header, cut-off lines, and the files the library writes
// (MacBinary header, the picture padded with white) read back by the library and by macptopbm.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bitra5Testing.h"
#include "CodecContext.h"
#include "FormatDispatch.h"
#include "ImageCreation.h"
#include "MacPaintFormat.h"
#include "StillImageSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using kfm::test::testDataPath;
constexpr std::int32_t kMacPaint = 70;

// Whether the image is black (index 0) exactly where the PBM raster has a 1.
bool matchesPbm(KpxHandle image, const Bytes& pbm) {
    // "P4\n576 720\n" and the packed rows, 1 = black.
    std::size_t at = 0;
    for (int newlines = 0; at < pbm.size() && newlines < 2; ++at)
        newlines += pbm[at] == '\n';
    if (pbm.size() - at < 72u * 720)
        return false;
    for (int y = 0; y < 720; ++y)
        for (int x = 0; x < 576; ++x) {
            const bool black =
                (pbm[at + static_cast<std::size_t>(y) * 72 + x / 8] >> (7 - x % 8)) & 1;
            if ((kfm::test::indexAt(image, x, y) == 0) != black)
                return false;
        }
    return true;
}

const char* kPbmToMacp = "/usr/bin/pbmtomacp";
const char* kMacpToPbm = "/usr/bin/macptopbm";

TEST(MacPaintCorpus, RealDocumentMatchesNetpbm) {
    const KpxHandle image =
        KPXLoadImage(nullptr, testDataPath("macpaint/MacPaint_1.0.mac").string().c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXWidth(image), 576);
    EXPECT_EQ(KPXHeight(image), 720);
    EXPECT_EQ(kfm::test::largestDifference(
                  image, kfm::test::readPng(testDataPath("macpaint/MacPaint_1.0.png"))),
              0);
    KPXDeleteImage(image);
}

// Files pbmtomacp writes (a MacPaint header without MacBinary) load as their PBM says.
TEST(MacPaintCorpus, PbmtomacpFilesLoad) {
    ASSERT_TRUE(std::filesystem::exists(kPbmToMacp)) << "netpbm is not installed";
    const kfm::test::TempDir dir;
    Bytes pbm = {'P', '4', '\n', '5', '7', '6', ' ', '7', '2', '0', '\n'};
    for (int y = 0; y < 720; ++y)
        for (int b = 0; b < 72; ++b)
            pbm.push_back(
                static_cast<std::uint8_t>((y / 9 + b) % 5 == 0 ? 0xFF : (y * 7 + b * 13) & 0xA5));
    const std::string pbmPath = dir.file("made.pbm");
    const std::string mac = dir.file("made.mac");
    kfm::test::writeFileBytes(pbmPath, pbm);
    ASSERT_TRUE(kfm::test::runPeer(kPbmToMacp,
                                   kfm::test::quoted(pbmPath) + " > " + kfm::test::quoted(mac)));
    const KpxHandle image = KPXLoadImage(nullptr, mac.c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_TRUE(matchesPbm(image, pbm));
    KPXDeleteImage(image);
}

// Without a header whose first byte is 0, the lines start at the first byte.
TEST(MacPaintLines, HeaderlessDataStartsAtTheFirstByte) {
    Bytes lines;
    for (int y = 0; y < 720; ++y)
        lines.insert(lines.end(), {0xB9, 0x0F}); // 72 bytes of 0x0F
    const kfm::test::TempDir dir;
    const std::string path = dir.file("bare.mac");
    kfm::test::writeFileBytes(path, lines);
    KpxCodecContext context;
    ASSERT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, kMacPaint, nullptr, nullptr), kKpxOk);
    const KpxHandle image = KPXCreateImage(576, 720, 1);
    KpxSetupRowLayout(&context);
    KpxSetRowBits(KPXGetBits(image));
    context.storeRow = KpxStoreRow;
    KpxSetKeepLoading(1);
    EXPECT_EQ(KpxLoadByFormat(&context, path.c_str(), 0, kMacPaint, nullptr, nullptr, nullptr),
              kKpxOk);
    KpxSetRowBits(nullptr);
    // 0x0F in the file: four white pixels (index 1), then four black (index 0).
    EXPECT_EQ(kfm::test::indexAt(image, 0, 0), 1);
    EXPECT_EQ(kfm::test::indexAt(image, 4, 0), 0);
    KPXDeleteImage(image);
}

TEST(MacPaintLines, CutOffLinesFail) {
    Bytes file = kfm::test::readFileBytes(testDataPath("macpaint/MacPaint_1.0.mac"));
    file.resize(2000);
    const kfm::test::TempDir dir;
    const std::string path = dir.file("cut.mac");
    kfm::test::writeFileBytes(path, file);
    EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
}

// A 100 x 50 picture fills the first 100 pixels of the first 50 lines; the rest is white. The
// MacBinary header names the file type and creator and the length of what follows it.
TEST(MacPaintSave, SmallPicturesArePaddedWithWhite) {
    const KpxHandle image =
        kfm::test::makePicture(100, 50, 1, [](int x, int y) { return (x * y) % 3 == 0 ? 0 : 1; });
    kfm::test::makeBlackAndWhite(image);
    const kfm::test::TempDir dir;
    const std::string path = dir.file("small.mac");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kMacPaint, 0, 0, nullptr), 1);
    const Bytes bytes = kfm::test::readFileBytes(path);
    ASSERT_GT(bytes.size(), 640u);
    EXPECT_EQ(std::string(bytes.begin() + 65, bytes.begin() + 73), "PNTGMPNT");
    const std::uint32_t fork = (bytes[83] << 24) | (bytes[84] << 16) | (bytes[85] << 8) | bytes[86];
    EXPECT_EQ(fork, bytes.size() - 128);
    EXPECT_EQ((Bytes{bytes.begin() + 128, bytes.begin() + 132}), (Bytes{0, 0, 0, 2}));
    // The name is the saved file's, not that of the temporary file the save writes first.
    EXPECT_EQ(std::string(bytes.begin() + 2, bytes.begin() + 2 + bytes[1]), "Small.mac-KELDO");

    const KpxHandle back = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(back, 0);
    for (int y = 0; y < 720; y += 7)
        for (int x = 0; x < 576; x += 3) {
            const int want = x < 100 && y < 50 ? kfm::test::indexAt(image, x, y) : 1;
            ASSERT_EQ(kfm::test::indexAt(back, x, y), want) << x << "," << y;
        }
    if (std::filesystem::exists(kMacpToPbm)) {
        const std::string pbm = dir.file("peer.pbm");
        ASSERT_TRUE(kfm::test::runPeer(kMacpToPbm, "-extraskip 128 " + kfm::test::quoted(path) +
                                                       " > " + kfm::test::quoted(pbm)));
        EXPECT_TRUE(matchesPbm(back, kfm::test::readFileBytes(pbm)));
    }
    KPXDeleteImage(back);
    KPXDeleteImage(image);
}

TEST(MacPaintSave, OnlyOneBitPicturesAreWritten) {
    const KpxHandle image = kfm::test::makePicture(8, 8, 8, kfm::test::testPattern);
    const kfm::test::TempDir dir;
    EXPECT_EQ(KPXSaveImage(image, dir.file("deep.mac").c_str(), kMacPaint, 0, 0, nullptr), 0);
    KPXDeleteImage(image);
}

// Lines of one byte repeated come out as one run each; others as literals, all inverted.
TEST(MacPaintLines, EncoderInvertsRunsAndLiterals) {
    Bytes line(72, 0x00);
    line[70] = 0x12;
    line[71] = 0x34;
    Bytes out;
    kpx::macpaint::encodeLine(line, out);
    EXPECT_EQ(out, (Bytes{0xBB, 0xFF, 0x01, 0xED, 0xCB}));
}

} // namespace
