#include "DecodeLimits.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using kpx::DecodeLimits;
using kpx::kDefaultDecodeLimits;

// The library holds sizes, positions and frame counts as signed 16-bit values.
TEST(DecodeLimits, DefaultsStopAtSixteenBitValues) {
    EXPECT_TRUE(kpx::withinSize(kDefaultDecodeLimits, 32767, 32767));
    EXPECT_FALSE(kpx::withinSize(kDefaultDecodeLimits, 32768, 1));
    EXPECT_FALSE(kpx::withinSize(kDefaultDecodeLimits, 1, 65535));
    EXPECT_TRUE(kpx::withinFrame(kDefaultDecodeLimits, 32767, 32767, 1, 1));
    EXPECT_FALSE(kpx::withinFrame(kDefaultDecodeLimits, 0, 32768, 1, 1));
    EXPECT_FALSE(kpx::withinFrame(kDefaultDecodeLimits, 0, 0, 40000, 1));
    EXPECT_TRUE(kpx::withinFrameCount(kDefaultDecodeLimits, 32767));
    EXPECT_FALSE(kpx::withinFrameCount(kDefaultDecodeLimits, 32768));
}

TEST(DecodeLimits, SmallerLimitsAreKept) {
    const DecodeLimits small{.maxWidth = 512, .maxHeight = 256, .maxFrames = 64};
    EXPECT_TRUE(kpx::withinSize(small, 512, 256));
    EXPECT_FALSE(kpx::withinSize(small, 513, 256));
    EXPECT_FALSE(kpx::withinSize(small, 512, 257));
    EXPECT_FALSE(kpx::withinFrameCount(small, 65));
}

TEST(DecodeLimits, LzwReachCountsGrowingCodes) {
    struct Case {
        std::uint64_t bytes;
        int minimumCodeSize;
        std::uint64_t reach;
    };
    const Case cases[] = {
        {0, 2, 0},
        {3, 2, 36},                    // 24 bits make 8 codes of 3 bits: 1 + 2 + ... + 8 pixels
        {1, 7, 1},                     // one 8-bit code
        {1536, 2, 8390656},            // 4096 codes fill the table: 4096 x 4097 / 2
        {1539, 2, 8390656 + 8 * 4096}, // later codes add at most a whole table entry each
    };
    for (const Case& c : cases)
        EXPECT_EQ(kpx::lzwReach(c.bytes, c.minimumCodeSize), c.reach) << c.bytes;
}

TEST(DecodeLimits, RunLengthReachIsTwoBytesARun) {
    EXPECT_EQ(kpx::runLengthReach(0, 255), 0u);
    EXPECT_EQ(kpx::runLengthReach(1, 255), 0u);
    EXPECT_EQ(kpx::runLengthReach(10, 255), 1275u);
    EXPECT_EQ(kpx::runLengthReach(11, 63), 315u);
}

// Frames up to 4 megapixels are allocated even without data (the rows not reached are filled);
// a larger frame needs data that could fill it.
TEST(DecodeLimits, LargeFramesNeedDataThatCanFillThem) {
    struct Case {
        const char* name;
        std::uint64_t width, height, reach;
        bool allowed;
    };
    const Case cases[] = {
        {"4 megapixels, no data", 2048, 2048, 0, true},
        {"one row more, no data", 2048, 2049, 0, false},
        {"one row more, data enough", 2048, 2049, 2048 * 2049, true},
        {"one row more, a pixel short", 2048, 2049, 2048 * 2049 - 1, false},
        {"largest frame, no data", 32767, 32767, 0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kpx::dataCanFill(kDefaultDecodeLimits, c.width, c.height, 8, c.reach), c.allowed)
            << c.name;
}

TEST(DecodeLimits, PixelBytesCountPaddedRows) {
    const DecodeLimits limits{.maxPixelBytes = 1000};
    EXPECT_EQ(kpx::framePixelBytes(101, 10, 8), 1040u); // rows of 104 bytes
    EXPECT_TRUE(kpx::dataCanFill(limits, 100, 10, 8, 0));
    EXPECT_FALSE(kpx::dataCanFill(limits, 101, 10, 8, 0));
    EXPECT_TRUE(kpx::dataCanFill(limits, 101, 10, 4, 0));
    // The largest 16-bit frame at 32 bits fits the default pixel memory.
    EXPECT_TRUE(kpx::dataCanFill(kDefaultDecodeLimits, 32767, 32767, 32, std::uint64_t{1} << 40));
}

} // namespace
