// The allocation routine both sides of the plug-in interface compile in, and the cleanup of a
// result. The sanitizer build checks that every buffer given up is freed exactly once.

#include "PluginInterface.h"
#include "TestPluginControl.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <string>

namespace {

// A record as a host or plug-in creates one: buffers null before the first allocation.
struct Record {
    PluginFrame frame{};
    ~Record() { FreePluginFrameBuffers(&frame); }
};

TEST(AllocPluginFrameTest, RowLengthsDepthsAndResults) {
    struct Case {
        int width, height, imageBits, maskBits;
        int result;
        int rowBytes, bitsPixel;
        bool palette;
        int maskRowBytes, maskBitsPixel;
    } cases[] = {
        {3, 2, 8, 0, 1, 4, 8, true, 0, 0},
        {3, 2, 24, 0, 1, 12, 24, false, 0, 0},
        {33, 1, 8, 1, 1, 36, 8, true, 8, 1},
        {33, 1, 24, 8, 1, 100, 24, false, 36, 8},
        // Another image depth: 0, but a complete 8-bit record with a palette.
        {5, 5, 16, 0, 0, 8, 8, true, 0, 0},
        {5, 5, 32, 1, 0, 8, 8, true, 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", " << c.imageBits
                                        << " bits, mask " << c.maskBits);
        Record r;
        r.frame.frameIndex = 42;
        EXPECT_EQ(AllocPluginFrame(&r.frame, c.width, c.height, c.imageBits, c.maskBits), c.result);
        EXPECT_EQ(r.frame.image.bmType, 0);
        EXPECT_EQ(r.frame.image.bmWidth, c.width);
        EXPECT_EQ(r.frame.image.bmHeight, c.height);
        EXPECT_EQ(r.frame.image.bmWidthBytes, c.rowBytes);
        EXPECT_EQ(r.frame.image.bmPlanes, 1);
        EXPECT_EQ(r.frame.image.bmBitsPixel, c.bitsPixel);
        EXPECT_NE(r.frame.image.bmBits, nullptr);
        EXPECT_EQ(r.frame.palette != nullptr, c.palette);
        EXPECT_EQ(r.frame.mask.bmWidthBytes, c.maskRowBytes);
        EXPECT_EQ(r.frame.mask.bmBitsPixel, c.maskBitsPixel);
        EXPECT_EQ(r.frame.mask.bmBits != nullptr, c.maskBits != 0);
        EXPECT_EQ(r.frame.delay, 100);
        EXPECT_EQ(r.frame.transparentIndex, -1);
        EXPECT_EQ(r.frame.left, 0);
        EXPECT_EQ(r.frame.top, 0);
        EXPECT_EQ(r.frame.disposal, 0);
        EXPECT_EQ(r.frame.frameIndex, 42);
    }
}

TEST(AllocPluginFrameTest, BadMaskDepthAndNullRecordChangeNothing) {
    EXPECT_EQ(AllocPluginFrame(nullptr, 4, 4, 8, 0), 0);
    Record r;
    r.frame.delay = 7;
    r.frame.transparentIndex = 3;
    EXPECT_EQ(AllocPluginFrame(&r.frame, 4, 4, 8, 4), 0);
    EXPECT_EQ(r.frame.image.bmBits, nullptr);
    EXPECT_EQ(r.frame.palette, nullptr);
    EXPECT_EQ(r.frame.delay, 7);
    EXPECT_EQ(r.frame.transparentIndex, 3);
    EXPECT_EQ(r.frame.image.bmWidth, 0);
}

TEST(AllocPluginFrameTest, ASecondCallReplacesThePictureAndMaskDepthZeroKeepsTheMask) {
    Record r;
    ASSERT_EQ(AllocPluginFrame(&r.frame, 10, 10, 8, 8), 1);
    const void* firstMask = r.frame.mask.bmBits;
    r.frame.left = 5;
    r.frame.disposal = 2;
    // The first picture and palette are freed (the sanitizer build would report a leak).
    ASSERT_EQ(AllocPluginFrame(&r.frame, 6, 3, 24, 0), 1);
    EXPECT_EQ(r.frame.palette, nullptr);
    EXPECT_EQ(r.frame.image.bmWidthBytes, 20);
    EXPECT_EQ(r.frame.mask.bmBits, firstMask);
    EXPECT_EQ(r.frame.mask.bmWidth, 10);
    EXPECT_EQ(r.frame.mask.bmBitsPixel, 8);
    EXPECT_EQ(r.frame.left, 0);
    EXPECT_EQ(r.frame.disposal, 0);
    // A new mask replaces the old one.
    ASSERT_EQ(AllocPluginFrame(&r.frame, 6, 3, 24, 1), 1);
    EXPECT_EQ(r.frame.mask.bmWidth, 6);
    EXPECT_EQ(r.frame.mask.bmWidthBytes, 4);
}

TEST(AllocPluginFrameTest, SizesThatAreNoPictureFailWithoutBuffers) {
    for (const auto& [w, h] :
         {std::pair{0, 5}, std::pair{5, 0}, std::pair{-3, 4}, std::pair{0x7fffffff, 0x7fffffff}}) {
        Record r;
        EXPECT_EQ(AllocPluginFrame(&r.frame, w, h, 24, 0), 0);
        EXPECT_EQ(r.frame.image.bmBits, nullptr);
    }
}

TEST(FreePluginResultTest, FreesFramesArrayAndHeader) {
    EXPECT_EQ(FreePluginResult(nullptr), 1);
    auto* result = static_cast<PluginResult*>(std::calloc(1, sizeof(PluginResult)));
    result->count = 2;
    result->frames = static_cast<PluginFrame*>(std::calloc(2, sizeof(PluginFrame)));
    ASSERT_EQ(AllocPluginFrame(&result->frames[0], 4, 4, 8, 8), 1);
    ASSERT_EQ(AllocPluginFrame(&result->frames[1], 4, 4, 24, 1), 1);
    EXPECT_EQ(FreePluginResult(result), 1);
}

// The test plug-in's cleanup entry, reached as a host reaches it.
TEST(PluginCleanUpTest, NullFramesFreeOnlyTheHeader) {
    const std::string path = std::string(KFM_TEST_PLUGIN_DIR) + "/TestPlugin.kfp";
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto getInterface =
        reinterpret_cast<PluginGetInterfaceProc>(dlsym(library, kPluginGetInterfaceName));
    ASSERT_NE(getInterface, nullptr);
    PluginInterface table{};
    table.size = kPluginInterfaceSize;
    table.version = kPluginInterfaceVersion;
    ASSERT_EQ(getInterface(&table), 1);
    EXPECT_EQ(table.size, 24);
    EXPECT_EQ(table.version, 1);
    ASSERT_NE(table.pfnCleanUp, nullptr);
    EXPECT_EQ(getInterface(nullptr), 0);

    auto* result = static_cast<PluginResult*>(std::calloc(1, sizeof(PluginResult)));
    result->count = 3;
    EXPECT_EQ(table.pfnCleanUp(result), 1);
    EXPECT_EQ(table.pfnCleanUp(nullptr), 1);
    const auto control =
        reinterpret_cast<TestPluginControlProc>(dlsym(library, kTestPluginControlName));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control()->cleanUps(), 2);
}

} // namespace
