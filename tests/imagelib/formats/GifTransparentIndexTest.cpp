#include "GifTransparentIndex.h"
#include "FormatId.h"

#include "FileInfo.h"
#include "FrameChain.h"
#include "ImageCreation.h"
#include "LoadFrontEnd.h"
#include "MultiFrameFiles.h"
#include "SaveFrontEnd.h"
#include "Transparency.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A 4 x 3 GIF whose pixel (x, y) has index x + 4 * y.
std::string writeGif(const kfm::test::TempDir& dir, const char* name) {
    const KpxHandle image = KPXCreateImage(4, 3, 8);
    std::uint8_t* bits = KPXGetBits(image);
    const int stride = KPXGetScanBytes(image);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            bits[(2 - y) * stride + x] = static_cast<std::uint8_t>(x + 4 * y);
    const std::string path = dir.file(name);
    EXPECT_EQ(KPXSaveImage(image, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr), 1);
    KPXDeleteImage(image);
    return path;
}

// The transparent index the file's image carries, or -1.
int transparentIndexOf(const std::string& path) {
    const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
    int count = 0;
    const KpxTransparentEntry* entries = KPXGetImageTransparentData(image, &count);
    const int index = (count == 1 && entries[0].mode == 1) ? entries[0].blue : -1;
    KPXDeleteImage(image);
    return index;
}

TEST(GifTransparentIndex, PointSetsAndClearRemoves) {
    kfm::test::TempDir dir;
    const std::string path = writeGif(dir, "one.gif");
    ASSERT_EQ(KPXSetImageTransparentOrig(path.c_str(), 2, 1, 0), 1);
    EXPECT_EQ(transparentIndexOf(path), 6);
    ASSERT_EQ(KPXSetImageTransparentOrig(path.c_str(), 2, 1, 1), 1);
    EXPECT_EQ(transparentIndexOf(path), -1);
}

TEST(GifTransparentIndex, RefusedRequestsLeaveTheFileAlone) {
    kfm::test::TempDir dir;
    const std::string path = writeGif(dir, "keep.gif");
    const std::vector<char> before = fileBytes(path);
    EXPECT_EQ(KPXSetImageTransparentOrig(path.c_str(), 4, 0, 0), 0) << "x outside";
    EXPECT_EQ(KPXSetImageTransparentOrig(path.c_str(), 0, -1, 0), 0) << "y outside";
    EXPECT_EQ(KPXSetImageTransparentOrig(nullptr, 0, 0, 0), 0);
    EXPECT_EQ(fileBytes(path), before);

    const KpxHandle head = KPXCreateImage(2, 2, 8);
    ASSERT_EQ(KPXAddImageFrame(head, KPXCreateImage(2, 2, 8), -1), 1);
    const std::string animated = dir.file("two.gif");
    ASSERT_EQ(KPXSaveImageFrames(head, animated.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    KPXDeleteImage(head);
    const std::vector<char> animatedBefore = fileBytes(animated);
    EXPECT_EQ(KPXSetImageTransparentOrig(animated.c_str(), 0, 0, 0), 0) << "an animation";
    EXPECT_EQ(fileBytes(animated), animatedBefore);
}

} // namespace
