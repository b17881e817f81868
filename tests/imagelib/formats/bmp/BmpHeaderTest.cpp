// What the bitmap headers say decides the picture: bit-field masks and their scaling, the
// default colours of 1-bit files, the colour table's length, and the sizes checked before
// anything is allocated.

#include <gtest/gtest.h>

#include <string>

#include "Bitra5Testing.h"
#include "BmpDecoder.h"
#include "BmpHeader.h"
#include "BmpTestFiles.h"
#include "CodecContext.h"
#include "FormatDispatch.h"
#include "ImageCreation.h"
#include "LoadFrontEnd.h"
#include "StillImageSupport.h"

namespace {

using kfm::test::bmp::bitmapFile;
using kfm::test::bmp::BitmapSpec;
using kfm::test::bmp::Bytes;

KpxHandle loadBytes(const Bytes& file) {
    KpxMemoryStream stream(file);
    return KPXLoadImageOleStream(nullptr, &stream, nullptr);
}

// 5-6-5 masks: green keeps 6 bits (shifted up by 2), red and blue 5 (shifted up by 3).
TEST(BmpBitFields, ChannelsAreShiftedToTheirTopBit) {
    BitmapSpec spec;
    spec.bits = 16;
    spec.compression = 3;
    spec.masks = {0xF800, 0x07E0, 0x001F};
    const KpxHandle image = loadBytes(bitmapFile(spec, {0xFF, 0xFF, 0, 0}));
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXbpp(image), 24);
    EXPECT_EQ(kfm::test::rgbAt(image, 0, 0), (std::array<std::uint8_t, 3>{248, 252, 248}));
    KPXDeleteImage(image);
}

// Without compression 16-bit pixels are 5-5-5.
TEST(BmpBitFields, UncompressedSixteenBitsAreFiveFiveFive) {
    BitmapSpec spec;
    spec.bits = 16;
    // Red 31, green 1, blue 16: 0111 1100 0011 0000.
    const KpxHandle image = loadBytes(bitmapFile(spec, {0x30, 0x7C, 0, 0}));
    ASSERT_NE(image, 0);
    EXPECT_EQ(kfm::test::rgbAt(image, 0, 0), (std::array<std::uint8_t, 3>{248, 8, 128}));
    KPXDeleteImage(image);
}

// 32-bit masks that are not the plain byte order are applied, on every road.
TEST(BmpBitFields, UnusualThirtyTwoBitMasksAreApplied) {
    BitmapSpec spec;
    spec.bits = 32;
    spec.compression = 3;
    spec.masks = {0x000000FF, 0x0000FF00, 0x00FF0000}; // red in the first byte
    const Bytes file = bitmapFile(spec, {10, 20, 30, 0});
    const KpxHandle image = loadBytes(file);
    ASSERT_NE(image, 0);
    EXPECT_EQ(kfm::test::rgbAt(image, 0, 0), (std::array<std::uint8_t, 3>{10, 20, 30}));
    KPXDeleteImage(image);
    kfm::test::MemoryCallbackStream stream(file);
    const kfm::test::TempDir dir;
    const std::string path = dir.file("masks.bmp");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, file));
    const KpxHandle viaReader = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(viaReader, 0);
    EXPECT_EQ(kfm::test::rgbAt(viaReader, 0, 0), (std::array<std::uint8_t, 3>{10, 20, 30}));
    KPXDeleteImage(viaReader);
}

// A 1-bit file without colour table entries keeps black and white; stored entries replace them.
TEST(BmpColourTable, OneBitFilesStartFromBlackAndWhite) {
    BitmapSpec spec;
    spec.bits = 1;
    spec.width = 2;
    spec.paletteEntries = 0;
    const Bytes plain = bitmapFile(spec, {0x40, 0, 0, 0});
    const auto header = kpx::bmp::readHeader(plain);
    ASSERT_EQ(header.status, kpx::CodecStatus::Ok);
    EXPECT_EQ(header.header.palette[0][0], 0);
    EXPECT_EQ(header.header.palette[1][0], 255);

    spec.paletteEntries = 2; // grey ramp: entry 1 is 1, 1, 1
    const auto stored = kpx::bmp::readHeader(bitmapFile(spec, {0x40, 0, 0, 0}));
    EXPECT_EQ(stored.header.palette[1][2], 1);
}

// The colour table is as long as the header says, never longer than the room before the pixels.
TEST(BmpColourTable, UsedColoursLimitTheTable) {
    BitmapSpec spec;
    spec.paletteEntries = 3;
    const auto header = kpx::bmp::readHeader(bitmapFile(spec, {2, 0, 0, 0}));
    ASSERT_EQ(header.status, kpx::CodecStatus::Ok);
    EXPECT_EQ(header.header.paletteEntries, 3);
    EXPECT_EQ(header.header.pixelOffset, 14u + 40 + 12);
}

struct LimitCase {
    const char* name;
    BitmapSpec spec;
    Bytes pixels;
};

class BmpSizeLimits : public ::testing::TestWithParam<LimitCase> {};

// A few bytes of file never make the library allocate a huge picture: the info step refuses
// (result 2) on every road, the file, the stream reader, the OLE stream and the callback stream.
TEST_P(BmpSizeLimits, HugeClaimsAreRefusedBeforeAllocation) {
    const LimitCase& c = GetParam();
    const kfm::test::TempDir dir;
    const std::string path = dir.file("huge.bmp");
    const Bytes file = bitmapFile(c.spec, c.pixels);
    ASSERT_TRUE(kfm::test::writeFileBytes(path, file));
    KpxCodecContext context;
    EXPECT_EQ(KpxGetInfoByFormat(&context, path.c_str(), 0, 40, nullptr, nullptr), kKpxBadData);
    EXPECT_EQ(KPXLoadImage(nullptr, path.c_str(), nullptr), 0);
    EXPECT_EQ(KpxLoadImageFromFile(path.c_str(), 0, 0, nullptr, nullptr, nullptr), 0);
    KpxMemoryStream stream(file);
    EXPECT_EQ(KpxGetInfoByFormatOleStream(&context, &stream, 40, nullptr, nullptr), kKpxBadData);
    kfm::test::MemoryCallbackStream callbacks(file);
    EXPECT_EQ(KPXLoadImageStreamCB(&callbacks.calls, nullptr), 0);
}

// Run-length data of nothing but escapes that move over the picture: 129 moves of 255 rows up
// (580 bytes of file for a picture of 32767 x 32767).
Bytes movesOverThePicture() {
    Bytes data;
    for (int i = 0; i < 129; ++i)
        data.insert(data.end(), {0, 2, 0, 255});
    data.insert(data.end(), {0, 1});
    return data;
}

// 2000 row ends, 4 KB that once stood for 2000 rows of 32767 pixels.
Bytes rowEndsOnly() {
    Bytes data;
    for (int i = 0; i < 2000; ++i)
        data.insert(data.end(), {0, 0});
    data.insert(data.end(), {0, 1});
    return data;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BmpSizeLimits,
    ::testing::Values(
        LimitCase{"RawRowsMissing", {.width = 20000, .height = 20000, .bits = 24}, Bytes(64)},
        LimitCase{"RunLengthEndsAtOnce",
                  {.width = 30000, .height = 30000, .bits = 8, .compression = 1},
                  {0, 1}},
        LimitCase{"WiderThanTheLibrary", {.width = 70000, .height = 1, .bits = 1}, Bytes(9000)},
        // The 580-byte bombs: escapes that skip pixels count for no more than runs of their
        // length could give.
        LimitCase{"RunLength8MovesOverThePicture",
                  {.width = 32767, .height = 32767, .bits = 8, .compression = 1},
                  movesOverThePicture()},
        LimitCase{"RunLength4MovesOverThePicture",
                  {.width = 32767, .height = 32767, .bits = 4, .compression = 2},
                  movesOverThePicture()},
        LimitCase{"RunLengthRowEndsOnly",
                  {.width = 32767, .height = 2000, .bits = 8, .compression = 1},
                  rowEndsOnly()}),
    [](const auto& info) { return std::string(info.param.name); });

// Small pictures load even when their rows are cut short; the missing rows are black.
TEST(BmpShortData, SmallPicturesLoadWhatTheyHold) {
    BitmapSpec spec;
    spec.width = 4;
    spec.height = 3;
    spec.bits = 24;
    Bytes pixels(12 * 2, 0xFF); // the two bottom rows only
    const kfm::test::TempDir dir;
    const std::string path = dir.file("short.bmp");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, bitmapFile(spec, pixels)));
    KpxCodecContext context;
    const KpxHandle image = KpxLoadImageCore(nullptr, path.c_str(), 0, 0, &context, 0, nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(context.dataIncomplete, 1);
    EXPECT_EQ(kfm::test::rgbAt(image, 0, 2), (std::array<std::uint8_t, 3>{255, 255, 255}));
    EXPECT_EQ(kfm::test::rgbAt(image, 0, 0), (std::array<std::uint8_t, 3>{0, 0, 0}));
    KPXDeleteImage(image);
}

} // namespace
