// The run-length decoder on its own (escapes, padding, nibbles, moves and damaged data), and
// run-length bitmaps whose data ends early or breaks off on the roads of the library: the rows
// the data reached load, the rest holds index 0, and the result says the data was incomplete.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bitra5Testing.h"
#include "BmpRle.h"
#include "BmpTestFiles.h"
#include "CodecContext.h"
#include "ImageCreation.h"
#include "LoadFrontEnd.h"
#include "StillImageSupport.h"
#include "StreamLoading.h"

namespace {

using kfm::test::bmp::Bytes;
using kpx::CodecStatus;

// Collects the decoded rows into a top-down grid; rows never handed on keep 0xEE.
class GridSink final : public kpx::RowSink {
public:
    GridSink(int width, int height)
        : width_(width), row_(static_cast<std::size_t>(width), 0x55),
          grid_(static_cast<std::size_t>(width * height), 0xEE) {}
    std::span<std::uint8_t> rowBuffer() override { return row_; }
    bool rowDone(int row) override {
        std::copy(row_.begin(), row_.end(), grid_.begin() + row * width_);
        return true;
    }
    const Bytes& grid() const { return grid_; }

private:
    int width_;
    Bytes row_;
    Bytes grid_;
};

struct RleCase {
    const char* name;
    int bits;
    int width;
    int height;
    Bytes data;
    CodecStatus status;
    Bytes grid; // top row first; 0xEE marks a row the decoder did not hand on
};

class BmpRleDecoding : public ::testing::TestWithParam<RleCase> {};

TEST_P(BmpRleDecoding, GivesTheRowsTheDataDescribes) {
    const RleCase& c = GetParam();
    GridSink sink(c.width, c.height);
    const kpx::bmp::RleResult result = kpx::bmp::decodeRle(c.data, c.width, c.height, c.bits, sink);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(sink.grid(), c.grid);
}

const RleCase kRleCases[] = {
    // Bottom row first: a run of 3, then the end of the row, then the top row.
    {"RunsAndRowEnds",
     8,
     3,
     2,
     {3, 7, 0, 0, 1, 9, 2, 4, 0, 1},
     CodecStatus::Ok,
     {9, 4, 4, 7, 7, 7}},
    // An absolute run of 3 bytes is padded to 4.
    {"AbsoluteRunPadded", 8, 4, 1, {0, 3, 1, 2, 3, 0, 1, 5, 0, 1}, CodecStatus::Ok, {1, 2, 3, 5}},
    // RLE4: a run alternates the two nibbles; an absolute run of 3 nibbles takes 2 bytes.
    {"NibbleRuns",
     4,
     5,
     1,
     {3, 0x12, 0, 3, 0xAB, 0xC0, 0, 1},
     CodecStatus::Ok,
     {1, 2, 1, 0x0A, 0x0B}},
    // A move right 1 and up 1: the pixels passed over are index 0.
    {"MoveLeavesIndexZero",
     8,
     3,
     2,
     {1, 5, 0, 2, 1, 1, 1, 6, 0, 1},
     CodecStatus::Ok,
     {0, 0, 6, 5, 0, 0}},
    // End of the bitmap in the first row: the rows above are never handed on.
    {"EarlyEndOfBitmap", 8, 2, 3, {1, 4, 0, 1}, CodecStatus::Ok, {0xEE, 0xEE, 0xEE, 0xEE, 4, 0}},
    // A run longer than the row: the pixels past its end are dropped.
    {"RunPastTheRowEnd", 8, 2, 2, {5, 3, 0, 0, 1, 1, 0, 1}, CodecStatus::Ok, {1, 0, 3, 3}},
    // The data ends inside the top row: the bottom row came out, the top one did not.
    {"DataEndsEarly", 8, 2, 2, {2, 8, 0, 0, 1}, CodecStatus::Truncated, {0xEE, 0xEE, 8, 8}},
    // A move above the top row leaves the picture.
    {"MoveAboveTheTop", 8, 2, 2, {0, 2, 0, 5}, CodecStatus::Damaged, {0, 0, 0, 0}},
    // An absolute run whose bytes are missing.
    {"AbsoluteRunCut", 8, 4, 1, {0, 4, 1, 2}, CodecStatus::Truncated, {0xEE, 0xEE, 0xEE, 0xEE}},
};

INSTANTIATE_TEST_SUITE_P(Cases, BmpRleDecoding, ::testing::ValuesIn(kRleCases),
                         [](const auto& info) { return std::string(info.param.name); });

// How far data reaches for the limits: runs count the pixels they set within the row; row ends,
// moves and the end of the bitmap count the pixels they pass over, at most 255 for each two
// bytes of the escape.
TEST(BmpRleReach, SkippedPixelsCountAtMostWhatTheirBytesCouldGive) {
    struct Case {
        const char* name;
        int width;
        int height;
        Bytes data;
        std::uint64_t reached;
    };
    const Case cases[] = {
        {"run within the row", 1000, 4, {16, 5}, 16},
        {"run past the row's end", 10, 4, {16, 5}, 10},
        {"short row end", 100, 4, {16, 5, 0, 0}, 100},
        {"long row end", 1000, 4, {16, 5, 0, 0}, 16 + 255},
        {"end of bitmap", 1000, 4, {0, 1}, 255},
        {"short move", 1000, 4, {0, 2, 9, 0}, 9},
        {"move up rows", 1000, 4, {0, 2, 0, 2}, 510},
        {"rows filled by runs", 300, 2, {255, 1, 45, 1, 0, 0, 255, 2, 45, 2, 0, 1}, 600},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kpx::bmp::measureRle(c.data, c.width, c.height, 8).reached, c.reached) << c.name;
}

// An 8 x 4 RLE8 bitmap whose data stops after two rows (no end-of-bitmap escape).
Bytes cutShortRle8() {
    kfm::test::bmp::BitmapSpec spec;
    spec.width = 8;
    spec.height = 4;
    spec.compression = 1;
    spec.paletteEntries = 256;
    return kfm::test::bmp::bitmapFile(spec, {8, 200, 0, 0, 8, 100, 0, 0, 3, 50});
}

TEST(BmpRleDamagedData, CoreLoaderGivesTheRowsReachedAndSaysTheRestIsMissing) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("cut.bmp");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, cutShortRle8()));
    KpxCodecContext context;
    const KpxHandle image = KpxLoadImageCore(nullptr, path.c_str(), 0, 0, &context, 0, nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(context.dataIncomplete, 1);
    // Bottom row 200, the one above 100, then three pixels of 50 in a row never finished;
    // everything the data did not reach is index 0.
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(kfm::test::indexAt(image, x, 3), 200);
        EXPECT_EQ(kfm::test::indexAt(image, x, 2), 100);
        EXPECT_EQ(kfm::test::indexAt(image, x, 1), 0);
        EXPECT_EQ(kfm::test::indexAt(image, x, 0), 0);
    }
    KPXDeleteImage(image);
}

TEST(BmpRleDamagedData, StreamReaderRefusesItAndThePathLoadFallsBackToTheCoreLoader) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("cut.bmp");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, cutShortRle8()));
    EXPECT_EQ(KpxLoadImageFromFile(path.c_str(), 0, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(KpxGetLastErrorForTest(), kBitraReadError);
    const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(kfm::test::indexAt(image, 0, 3), 200);
    EXPECT_EQ(kfm::test::indexAt(image, 0, 0), 0);
    KPXDeleteImage(image);
}

TEST(BmpRleDamagedData, CompleteDataIsNotMarkedIncomplete) {
    kfm::test::bmp::BitmapSpec spec;
    spec.width = 2;
    spec.height = 2;
    spec.compression = 1;
    spec.paletteEntries = 256;
    const kfm::test::TempDir dir;
    const std::string path = dir.file("whole.bmp");
    ASSERT_TRUE(kfm::test::writeFileBytes(
        path, kfm::test::bmp::bitmapFile(spec, {2, 1, 0, 0, 2, 2, 0, 1})));
    KpxCodecContext context;
    const KpxHandle image = KpxLoadImageCore(nullptr, path.c_str(), 0, 0, &context, 0, nullptr);
    ASSERT_NE(image, 0);
    EXPECT_EQ(context.dataIncomplete, 0);
    EXPECT_EQ(kfm::test::indexAt(image, 1, 0), 2);
    EXPECT_EQ(kfm::test::indexAt(image, 1, 1), 1);
    KPXDeleteImage(image);
}

// With a stored data size of 0 the compressed block runs to the end of the file.
TEST(BmpRleDamagedData, UnstatedSizeReadsToTheEndOfTheFile) {
    kfm::test::bmp::BitmapSpec spec;
    spec.width = 2;
    spec.height = 1;
    spec.compression = 1;
    spec.paletteEntries = 256;
    const Bytes file = kfm::test::bmp::bitmapFile(spec, {2, 9, 0, 1});
    const kfm::test::TempDir dir;
    const std::string path = dir.file("unsized.bmp");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, file));
    kfm::test::MemoryCallbackStream stream(file);
    for (const KpxHandle image :
         {KpxLoadImageFromFile(path.c_str(), 0, 0, nullptr, nullptr, nullptr),
          KPXLoadImageStreamCB(&stream.calls, nullptr)}) {
        ASSERT_NE(image, 0);
        EXPECT_EQ(kfm::test::indexAt(image, 1, 0), 9);
        KPXDeleteImage(image);
    }
}

} // namespace
