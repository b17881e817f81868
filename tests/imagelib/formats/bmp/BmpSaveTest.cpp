// Bitmaps written by the library: every depth through every save road reads back with the same
// colours through the matching load road, and ImageMagick and Pillow read the files the same;
// the depth and row layout of the file; a cancelled save leaves no file.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bitra5Testing.h"
#include "CodecContext.h"
#include "FormatDispatch.h"
#include "ImageCreation.h"
#include "RowCallbacks.h"
#include "StillImageSupport.h"

namespace {

constexpr std::int32_t kBmp = 40;

enum class SaveRoad { Path, ByteStream, CallbackStream };

// Saves through one road and loads back through the matching one.
KpxHandle saveAndLoad(KpxHandle image, SaveRoad road, std::vector<std::uint8_t>& file) {
    switch (road) {
    case SaveRoad::Path: {
        const kfm::test::TempDir dir;
        const std::string path = dir.file("saved.bmp");
        if (KPXSaveImage(image, path.c_str(), kBmp, 0, 0, nullptr) != 1)
            return 0;
        file = kfm::test::readFileBytes(path);
        return KPXLoadImage(nullptr, path.c_str(), nullptr);
    }
    case SaveRoad::ByteStream: {
        KpxMemoryStream stream;
        if (KPXSaveImageOleStream(image, &stream, kBmp) != 1)
            return 0;
        file = stream.bytes();
        stream.seek(0, SEEK_SET);
        return KPXLoadImageOleStream(nullptr, &stream, nullptr);
    }
    case SaveRoad::CallbackStream: {
        kfm::test::MemoryCallbackStream stream;
        if (KPXSaveImageStreamCB(image, &stream.calls, kBmp) != 1)
            return 0;
        file = stream.bytes;
        stream.position = 0;
        return KPXLoadImageStreamCB(&stream.calls, nullptr);
    }
    }
    return 0;
}

std::uint16_t fileDepth(const std::vector<std::uint8_t>& file) {
    return file.size() > 29 ? static_cast<std::uint16_t>(file[28] | (file[29] << 8)) : 0;
}

// The colours ImageMagick or Pillow read from a file, as a PNG they write.
kfm::test::RgbaPicture peerRead(const std::string& peer, const std::string& file,
                                const kfm::test::TempDir& dir) {
    const std::string png = dir.file("peer.png");
    std::filesystem::remove(png);
    bool ran = false;
    if (peer == "imagemagick")
        ran = kfm::test::runPeer(kfm::test::kImageMagick,
                                 kfm::test::quoted(file) + " " + kfm::test::quoted("png24:" + png));
    else
        ran = kfm::test::runPeer(kfm::test::kPython,
                                 "-c \"import sys; from PIL import Image; "
                                 "Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2])\" " +
                                     kfm::test::quoted(file) + " " + kfm::test::quoted(png));
    return ran ? kfm::test::readPng(png) : kfm::test::RgbaPicture{};
}

struct DepthCase {
    int depth;
    int fileDepth;
};

class BmpSave : public ::testing::TestWithParam<DepthCase> {};

TEST_P(BmpSave, ReadsBackTheSameThroughEveryRoad) {
    const DepthCase c = GetParam();
    const KpxHandle image = kfm::test::makePicture(37, 13, c.depth, kfm::test::testPattern);
    for (const SaveRoad road : {SaveRoad::Path, SaveRoad::ByteStream, SaveRoad::CallbackStream}) {
        SCOPED_TRACE(static_cast<int>(road));
        std::vector<std::uint8_t> file;
        const KpxHandle back = saveAndLoad(image, road, file);
        ASSERT_NE(back, 0);
        EXPECT_EQ(fileDepth(file), c.fileDepth);
        EXPECT_TRUE(kfm::test::sameColors(image, back));
        KPXDeleteImage(back);
    }
    KPXDeleteImage(image);
}

TEST_P(BmpSave, PeersReadTheSameColours) {
    const DepthCase c = GetParam();
    const KpxHandle image = kfm::test::makePicture(37, 13, c.depth, kfm::test::testPattern);
    const kfm::test::TempDir dir;
    const std::string path = dir.file("saved.bmp");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kBmp, 0, 0, nullptr), 1);
    for (const char* peer : {"imagemagick", "pillow"}) {
        const kfm::test::RgbaPicture read = peerRead(peer, path, dir);
        if (read.width == 0) {
            ADD_FAILURE() << peer << " could not read the file (or is missing)";
            continue;
        }
        EXPECT_EQ(kfm::test::largestDifference(image, read), 0) << peer;
    }
    KPXDeleteImage(image);
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpSave,
                         ::testing::Values(DepthCase{1, 1}, DepthCase{4, 4}, DepthCase{8, 8},
                                           DepthCase{24, 24}, DepthCase{32, 24}));

// Rows of 4-bit pixels take (width + 1) / 2 bytes padded to 4: width 5 gives 4, width 9 gives 8.
TEST(BmpSaveLayout, FourBitRowsArePaddedToWholeWords) {
    for (const auto& [width, rowBytes] : {std::pair{5, 4}, std::pair{9, 8}}) {
        const KpxHandle image = kfm::test::makePicture(width, 3, 4, kfm::test::testPattern);
        KpxMemoryStream stream;
        ASSERT_EQ(KPXSaveImageOleStream(image, &stream, kBmp), 1);
        EXPECT_EQ(stream.bytes().size(), 14u + 40 + 16 * 4 + 3u * rowBytes) << width;
        KPXDeleteImage(image);
    }
}

int stopAtThirdRow(std::uint8_t*, int) {
    static int calls = 0;
    return ++calls % 3 == 0 ? 1 : 0;
}

TEST(BmpSaveCancel, StoppingInTheRowCallbackLeavesNoFile) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("cancelled.bmp");
    KpxCodecContext context;
    context.width = 8;
    context.height = 8;
    context.bitsPerPixel = 8;
    context.fetchRow = stopAtThirdRow;
    KpxSetupRowLayout(&context);
    EXPECT_EQ(KpxSaveByFormat(&context, path.c_str(), kBmp, nullptr, nullptr, 0), kKpxStopped);
    EXPECT_FALSE(std::filesystem::exists(path));
}

int twoBitRow(std::uint8_t* row, int) {
    row[0] = 0x12; // 4-bit pixels 1 and 2
    return 0;
}

// Images of 2 to 4 bits are written with 4 bits a pixel.
TEST(BmpSaveLayout, TwoBitImagesBecomeFourBitFiles) {
    KpxCodecContext context;
    context.width = 2;
    context.height = 1;
    context.bitsPerPixel = 2;
    context.fetchRow = twoBitRow;
    KpxSetupRowLayout(&context);
    KpxMemoryStream stream;
    ASSERT_EQ(KpxSaveByFormatOleStream(&context, &stream, kBmp, nullptr, nullptr, 0), kKpxOk);
    EXPECT_EQ(fileDepth(stream.bytes()), 4);
    EXPECT_EQ(stream.bytes().at(14 + 40 + 16 * 4), 0x12);
}

} // namespace
