// The library's own BMI container: every depth through every road with its transparency list
// and rotate angle, an image with its transparency image in one stream, the chunking of rows,
// and damaged files: a chunk that does not inflate and a transparency count outside 0..10 fail.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bitra5Testing.h"
#include "BmiFormat.h"
#include "CodecContext.h"
#include "FormatDispatch.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "LoadFrontEnd.h"
#include "StillImageSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::int32_t kBmi = 110;

const KpxTransparentEntry kEntries[] = {{1, 2, 3, 4, 0, 0, 0}, {0, 0, 7, 0, 1, 0, 0}};

KpxHandle pictureWithExtras(int depth) {
    const KpxHandle image = kfm::test::makePicture(23, 9, depth, kfm::test::testPattern);
    KPXSetImageTransparent(image, kEntries, 2);
    const kpx::ImageLock record(image, kKpxWrite);
    record->rotateAngle = 90;
    return image;
}

void expectExtras(KpxHandle image) {
    int count = 0;
    const KpxTransparentEntry* list = KPXGetImageTransparentData(image, &count);
    ASSERT_EQ(count, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(list[i].red, kEntries[i].red);
        EXPECT_EQ(list[i].blue, kEntries[i].blue);
        EXPECT_EQ(list[i].tolerance, kEntries[i].tolerance);
        EXPECT_EQ(list[i].mode, kEntries[i].mode);
    }
    const kpx::ImageLock record(image, kKpxRead);
    EXPECT_EQ(record->rotateAngle, 90);
}

Bytes savedToStream(KpxHandle image) {
    KpxMemoryStream stream;
    EXPECT_EQ(KPXSaveImageOleStream(image, &stream, kBmi), 1);
    return stream.bytes();
}

class BmiRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(BmiRoundTrip, EveryRoadKeepsPixelsListAndAngle) {
    const KpxHandle image = pictureWithExtras(GetParam());
    const kfm::test::TempDir dir;
    const std::string path = dir.file("saved.bmi");
    ASSERT_EQ(KPXSaveImage(image, path.c_str(), kBmi, 0, 0, nullptr), 1);
    const Bytes streamed = savedToStream(image);
    kfm::test::MemoryCallbackStream callbacks;
    ASSERT_EQ(KPXSaveImageStreamCB(image, &callbacks.calls, kBmi), 1);
    EXPECT_EQ(kfm::test::readFileBytes(path), streamed);
    EXPECT_EQ(callbacks.bytes, streamed);

    KpxMemoryStream stream(streamed);
    callbacks.position = 0;
    for (const KpxHandle back : {KPXLoadImage(nullptr, path.c_str(), nullptr),
                                 KPXLoadImageOleStream(nullptr, &stream, nullptr),
                                 KPXLoadImageStreamCB(&callbacks.calls, nullptr)}) {
        ASSERT_NE(back, 0);
        EXPECT_EQ(KPXbpp(back), KPXbpp(image) == 32 ? 24 : KPXbpp(image));
        EXPECT_TRUE(kfm::test::sameColors(image, back));
        expectExtras(back);
        KPXDeleteImage(back);
    }
    KPXDeleteImage(image);
}

INSTANTIATE_TEST_SUITE_P(Depths, BmiRoundTrip, ::testing::Values(1, 4, 8, 24));

// Rows of 32-bit images keep their fourth byte in the file; the core loader hands the picture
// out in 24 bits like every other 32-bit file.
TEST(BmiRoundTrip, ThirtyTwoBitRowsKeepTheirColours) {
    const KpxHandle image = kfm::test::makePicture(5, 4, 32, kfm::test::testPattern);
    KpxMemoryStream stream(savedToStream(image));
    const KpxHandle back = KPXLoadImageOleStream(nullptr, &stream, nullptr);
    ASSERT_NE(back, 0);
    EXPECT_TRUE(kfm::test::sameColors(image, back));
    KPXDeleteImage(back);
    KPXDeleteImage(image);
}

// An image and its transparency image in one stream: the directory names both, a load gives the
// image with the second as its transparency image and leaves the stream behind both.
TEST(BmiTransparencyImage, TravelsAsTheSecondImage) {
    const KpxHandle image = kfm::test::makePicture(16, 8, 8, kfm::test::testPattern);
    const KpxHandle mask =
        kfm::test::makePicture(16, 8, 1, [](int x, int y) { return (x + y) & 1; });
    ASSERT_EQ(KPXSetImageTransparentEx(image, mask), 1);
    Bytes bytes = savedToStream(image);
    const kpx::bmi::BmiIndex index = kpx::bmi::readIndex(bytes);
    ASSERT_EQ(index.status, kpx::CodecStatus::Ok);
    ASSERT_EQ(index.entries.size(), 6u);
    EXPECT_EQ(index.entries[3].type, kpx::bmi::kImageBlock);
    EXPECT_EQ(index.entries[4].type, kpx::bmi::kImageBlock);
    EXPECT_EQ(index.entries[5].type, kpx::bmi::kEndOfData);
    EXPECT_EQ(index.entries[5].offset, static_cast<std::int32_t>(bytes.size()));

    const std::size_t dataEnd = bytes.size();
    bytes.push_back(0x5A); // something that follows the BMI data in the stream
    KpxMemoryStream stream(bytes);
    const KpxHandle back = KPXLoadImageOleStream(nullptr, &stream, nullptr);
    ASSERT_NE(back, 0);
    EXPECT_EQ(stream.seek(0, SEEK_CUR), static_cast<std::int64_t>(dataEnd));
    EXPECT_TRUE(kfm::test::sameColors(image, back));
    const KpxHandle backMask = KPXGetImageTransparentImageEx(back);
    ASSERT_NE(backMask, 0);
    EXPECT_TRUE(kfm::test::sameColors(mask, backMask));
    KPXDeleteImage(back);
    KPXDeleteImage(image);
}

struct ChunkCase {
    std::uint32_t rowBytes;
    std::uint16_t chunkSize;
    int rowsPerChunk;
};

class BmiChunks : public ::testing::TestWithParam<ChunkCase> {};

// Rows of 100 bytes go 40 to a chunk of 4000, of 1000 bytes 20 to a chunk, of 2000 bytes 16 to
// a chunk of 32000.
TEST_P(BmiChunks, HoldWholeRows) {
    const ChunkCase c = GetParam();
    EXPECT_EQ(kpx::bmi::chunkSizeFor(c.rowBytes), c.chunkSize);
    const KpxHandle image = kfm::test::makePicture(static_cast<int>(c.rowBytes), c.rowsPerChunk + 1,
                                                   8, kfm::test::testPattern);
    const Bytes bytes = savedToStream(image);
    const kpx::bmi::BmiIndex index = kpx::bmi::readIndex(bytes);
    const kpx::bmi::ImageBlock block =
        kpx::bmi::readImageBlock(bytes, static_cast<std::size_t>(index.entries[3].offset));
    ASSERT_EQ(block.status, kpx::CodecStatus::Ok);
    EXPECT_EQ(block.chunkSize, c.chunkSize);
    // The image needs one full chunk and one with the last row: the second chunk starts after
    // the first chunk's header and stored bytes.
    const std::size_t first = block.chunksStart;
    const std::size_t stored = bytes[first] | (bytes[first + 1] << 8);
    const std::size_t second = first + 3 + stored;
    ASSERT_LT(second + 3, bytes.size());
    EXPECT_EQ(second + 3 + (bytes[second] | (bytes[second + 1] << 8)), bytes.size());
    KpxMemoryStream stream(bytes);
    const KpxHandle back = KPXLoadImageOleStream(nullptr, &stream, nullptr);
    EXPECT_TRUE(kfm::test::sameColors(image, back));
    KPXDeleteImage(back);
    KPXDeleteImage(image);
}

INSTANTIATE_TEST_SUITE_P(RowSizes, BmiChunks,
                         ::testing::Values(ChunkCase{100, 4000, 40}, ChunkCase{1000, 20000, 20},
                                           ChunkCase{2000, 32000, 16}));

// A saved 8-bit BMI and where its blocks are.
struct SavedBmi {
    Bytes bytes;
    std::size_t transparency = 0;
    std::size_t firstChunk = 0;
};

SavedBmi savedBmi() {
    const KpxHandle image = pictureWithExtras(8);
    SavedBmi saved{savedToStream(image)};
    KPXDeleteImage(image);
    const kpx::bmi::BmiIndex index = kpx::bmi::readIndex(saved.bytes);
    saved.transparency = static_cast<std::size_t>(index.entries[1].offset);
    saved.firstChunk =
        kpx::bmi::readImageBlock(saved.bytes, static_cast<std::size_t>(index.entries[3].offset))
            .chunksStart;
    return saved;
}

KpxResult loadResult(const Bytes& bytes) {
    KpxMemoryStream stream(bytes);
    KpxCodecContext context;
    context.frameCount = 0;
    if (const KpxResult info =
            KpxGetInfoByFormatOleStream(&context, &stream, kBmi, nullptr, nullptr))
        return info;
    const KpxHandle image = KPXCreateImage(context.width, context.height, context.bitsPerPixel);
    std::int32_t count = 0;
    KpxTransparentEntry list[10] = {};
    const kpx::ImageLock record(image, kKpxWrite);
    KpxSetupRowLayout(&context);
    KpxSetRowBits(record->bits);
    context.storeRow = KpxStoreRow;
    KpxSetKeepLoading(1);
    const KpxResult result =
        KpxLoadByFormatOleStream(&context, &stream, kBmi, nullptr, list, &count);
    KpxSetRowBits(nullptr);
    KPXDeleteImage(image);
    return result;
}

// zlib's data error (here a wrong checksum at the end of the first chunk) fails the load like
// any other damaged chunk; it is never taken as rows.
TEST(BmiDamaged, ChunkThatFailsItsChecksumFailsTheLoad) {
    SavedBmi saved = savedBmi();
    EXPECT_EQ(loadResult(saved.bytes), kKpxOk);
    const std::size_t stored =
        saved.bytes[saved.firstChunk] | (saved.bytes[saved.firstChunk + 1] << 8);
    ASSERT_EQ(saved.bytes[saved.firstChunk + 2], 1); // compressed
    saved.bytes[saved.firstChunk + 3 + stored - 1] ^= 0xFF;
    EXPECT_EQ(loadResult(saved.bytes), kKpxReadError);
    KpxMemoryStream stream(saved.bytes);
    EXPECT_EQ(KPXLoadImageOleStream(nullptr, &stream, nullptr), 0);
}

class BmiTransparencyCount : public ::testing::TestWithParam<std::int32_t> {};

// A stored count outside 0..10 is refused, never read as ten entries.
TEST_P(BmiTransparencyCount, OutsideZeroToTenIsRefused) {
    SavedBmi saved = savedBmi();
    const std::int32_t count = GetParam();
    for (int i = 0; i < 4; ++i)
        saved.bytes[saved.transparency + i] = static_cast<std::uint8_t>(count >> (8 * i));
    EXPECT_EQ(loadResult(saved.bytes), kKpxBadData);
    KpxMemoryStream stream(saved.bytes);
    EXPECT_EQ(KPXLoadImageOleStream(nullptr, &stream, nullptr), 0);
}

INSTANTIATE_TEST_SUITE_P(Counts, BmiTransparencyCount, ::testing::Values(-1, -100, 11, 25));

// The image block's data size must be what its width, height and depth make.
TEST(BmiDamaged, WrongDataSizeIsNotThisFormat) {
    SavedBmi saved = savedBmi();
    const kpx::bmi::BmiIndex index = kpx::bmi::readIndex(saved.bytes);
    saved.bytes[static_cast<std::size_t>(index.entries[3].offset) + 10] ^= 0x01;
    EXPECT_EQ(loadResult(saved.bytes), kKpxBadData);
}

// A header that claims a picture its data cannot hold is refused before any allocation.
TEST(BmiDamaged, HugeImageWithoutTheDataIsRefused) {
    SavedBmi saved = savedBmi();
    const kpx::bmi::BmiIndex index = kpx::bmi::readIndex(saved.bytes);
    const std::size_t block = static_cast<std::size_t>(index.entries[3].offset);
    // 32000 x 32000 at 8 bits: 1 GB of rows from a few hundred bytes of chunks. The data size and
    // chunk size are made to agree with it.
    const auto put16 = [&](std::size_t at, int v) {
        saved.bytes[at] = static_cast<std::uint8_t>(v);
        saved.bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    put16(block, 32000);
    put16(block + 2, 32000);
    const std::uint32_t size = 32000u * 32000u;
    for (int i = 0; i < 4; ++i)
        saved.bytes[block + 6 + 4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    put16(block + 14, 32000);
    EXPECT_EQ(loadResult(saved.bytes), kKpxBadData);
}

} // namespace

namespace {

// A palette follows the header only for depths up to 8 bits: 2 entries for 1 bit, none for 24.
TEST(BmiLayout, PaletteOnlyForIndexedDepths) {
    for (const auto& [depth, flag, directoryAt] :
         {std::tuple{1, 1, 21 + 2 * 4}, std::tuple{8, 1, 21 + 256 * 4}, std::tuple{24, 0, 21}}) {
        const KpxHandle image = kfm::test::makePicture(3, 2, depth, kfm::test::testPattern);
        const Bytes bytes = savedToStream(image);
        EXPECT_EQ(bytes[13], flag) << depth;
        EXPECT_EQ(kpx::bmi::readIndex(bytes).directoryStart, static_cast<std::size_t>(directoryAt));
        KPXDeleteImage(image);
    }
}

} // namespace
