// The library's start-up at load, its shutdown at unload and the objects made at start-up.

#include "LibraryStartup.h"
#include "Bitra5Testing.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "LibraryPalettes.h"

#include "debug/DebugOutput.h"
#include "resources/ResourceLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// Runs a statement in a freshly started copy of this test program, so the library's start-up
// and shutdown are those of a new process.
class FreshProcessTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Start-up draws once through DrawDib with two images of its own, which it frees again: DrawDib
// is then in use, no image is alive and the first new image gets handle 1. A second warm-up
// leaves the table as it was.
TEST_F(FreshProcessTest, StartUpWarmsUpDrawDibAndLeavesTheTableEmpty) {
    EXPECT_EXIT(
        {
            const bool empty = KpxLiveImageCount() == 0;
            const bool drawDib = KPXUseVFW() == 1;
            const KpxHandle h = KPXCreateImage(3, 3, 8);
            KpxWarmUpDrawDib();
            const bool cleanAgain = KpxLiveImageCount() == 1 && KPXUseVFW() == 1;
            std::_Exit(empty && drawDib && h == 1 && cleanAgain ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(FreshProcessTest, UnloadFreesLiveImagesAndReportsThem) {
    EXPECT_EXIT(
        {
            KPXCreateImage(3, 3, 8);
            KPXCreateImage(3, 3, 24);
            const KpxHandle third = KPXCreateImage(3, 3, 1);
            KPXCreateImage(1, 1, 1);
            KPXDeleteImage(third);
            std::exit(0); // unloading the library runs its shutdown
        },
        ::testing::ExitedWithCode(0), "KPX32: Free 3 images ! \\[1\\]");
}

TEST(LibraryStartup, ResourceLibraryIsLoaded) {
    const HINSTANCE resources = KpxGetResourceInstance();
    ASSERT_NE(resources, nullptr);
    char path[4096];
    ASSERT_GT(GetModuleFileNameA(resources, path, sizeof path), 0u);
    EXPECT_NE(std::string(path).find("Bitra5Res"), std::string::npos);
}

TEST(LibraryStartup, DescriptionTextsHoldTheDescriptionStrings) {
    const HINSTANCE resources = KpxGetResourceInstance();
    std::vector<std::string> seen;
    for (int k = 0; k < kKpxDescriptionCount; ++k) {
        SCOPED_TRACE(k);
        const std::string expected =
            kfm::resources::loadString(resources, kKpxFirstDescriptionId + k)
                .substr(0, kKpxDescriptionLength - 1);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(std::string(KpxGetDescriptionText(k)), expected);
        seen.push_back(expected);
    }
    EXPECT_EQ(std::string(KpxGetDescriptionText(kKpxDescriptionCount - 1)),
              kfm::resources::loadString(resources, bitra5res::IDS_DESCRIPTION_LAST)
                  .substr(0, kKpxDescriptionLength - 1));
    // Every buffer holds its own text.
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
    EXPECT_STREQ(KpxGetDescriptionText(-1), "");
    EXPECT_STREQ(KpxGetDescriptionText(kKpxDescriptionCount), "");
}

TEST(LibraryStartup, LibraryPalette) {
    EXPECT_NE(KPXGetHPalette(), nullptr);
    const PALETTEENTRY* hard = KPXGetHardPalette();
    EXPECT_EQ(hard[0].peRed + hard[0].peGreen + hard[0].peBlue, 0);
    EXPECT_EQ(hard[255].peRed, 255);
    EXPECT_EQ(hard[255].peGreen, 255);
    EXPECT_EQ(hard[255].peBlue, 255);
}

TEST(LibraryStartup, ErrorSlotIsPerThread) {
    KpxSetLastError(7);
    EXPECT_EQ(KpxGetLastErrorForTest(), 7);
    int other = -2;
    std::thread([&] { other = KpxGetLastErrorForTest(); }).join();
    EXPECT_EQ(other, 0);
    KpxSetLastError(0);
}

TEST(LibraryStartup, CompressionRoundTrip) {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "Keldo Flimmer ";
    std::vector<std::uint8_t> packed(text.size() + 64);
    unsigned long packedLength = packed.size();
    ASSERT_EQ(KPXcompress(packed.data(), &packedLength,
                          reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
              0);
    EXPECT_LT(packedLength, text.size());
    std::vector<std::uint8_t> back(text.size());
    unsigned long backLength = back.size();
    ASSERT_EQ(KPXdecompress(back.data(), &backLength, packed.data(), packedLength), 0);
    EXPECT_EQ(backLength, text.size());
    EXPECT_EQ(std::memcmp(back.data(), text.data(), text.size()), 0);
    // zlib's own codes come back unchanged: a buffer too small gives Z_BUF_ERROR (-5).
    unsigned long tiny = 4;
    EXPECT_EQ(KPXdecompress(back.data(), &tiny, packed.data(), packedLength), -5);
}

} // namespace
