// Files written by ImageMagick and gifsicle decode here to what giflib reads from them: every
// frame's place, size, timing, disposal, transparent index, indices and colours.

#include "FormatId.h"
#include "FrameChain.h"
#include "FrameInfoSupport.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "MultiFrameFiles.h"
#include "PackedPixels.h"

#include "TestSupport.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Index of pixel (x, y), counted from the top, of a library image of 1, 4 or 8 bits.
int indexAt(KpxHandle image, int x, int y) {
    const std::uint8_t* row =
        KPXGetBits(image) +
        static_cast<std::size_t>(KPXHeight(image) - 1 - y) * KPXGetScanBytes(image);
    return kfm::test::packedIndexAt(row, x, KPXbpp(image));
}

// giflib's reading of the looping block: the unsigned 16-bit count, -1 without one.
int giflibLoopCount(const GifFileType& gif) {
    if (gif.ImageCount == 0)
        return -1;
    const SavedImage& first = gif.SavedImages[0];
    for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
        const ExtensionBlock& id = first.ExtensionBlocks[i];
        const ExtensionBlock& data = first.ExtensionBlocks[i + 1];
        if (id.Function == APPLICATION_EXT_FUNC_CODE && id.ByteCount == 11 &&
            std::equal(id.Bytes, id.Bytes + 11, "NETSCAPE2.0") &&
            data.Function == CONTINUE_EXT_FUNC_CODE && data.ByteCount == 3 && data.Bytes[0] == 1)
            return data.Bytes[1] | data.Bytes[2] << 8;
    }
    return -1;
}

// The loop count the library keeps for a chain (the short of KPXGetImagesRepeatCycle cannot
// hold counts above 32767).
int libraryLoopCount(KpxHandle chain) {
    AnimateInfo info{};
    if (!KPXGetAnimateInfo(chain, &info))
        return -2;
    std::free(info.comment);
    return info.loopCount;
}

class GifPeerFiles : public ::testing::TestWithParam<std::string> {};

TEST_P(GifPeerFiles, DecodeLikeGiflib) {
    const std::string path = kfm::test::testDataPath("gif/peers/" + GetParam()).string();
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);

    const KpxHandle chain = KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr);
    ASSERT_GT(chain, 0);
    ASSERT_EQ(KPXGetImageFramesNum(chain), gif->ImageCount);
    EXPECT_EQ(KPXWidthFrameScreenReal(chain), gif->SWidth);
    EXPECT_EQ(KPXHeightFrameScreenReal(chain), gif->SHeight);
    EXPECT_EQ(libraryLoopCount(chain), giflibLoopCount(*gif));

    for (int i = 0; i < gif->ImageCount; ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const SavedImage& saved = gif->SavedImages[i];
        const GifImageDesc& d = saved.ImageDesc;
        const KpxHandle frame = KPXGetImageFramesImage(chain, i);
        ASSERT_EQ(KPXWidth(frame), d.Width);
        ASSERT_EQ(KPXHeight(frame), d.Height);

        FrameInfo info{};
        ASSERT_EQ(KPXGetImageFramesInfo(frame, &info), 1);
        EXPECT_EQ(info.left, d.Left);
        EXPECT_EQ(info.top, d.Top);
        GraphicsControlBlock gcb{};
        if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
            EXPECT_EQ(info.delay, gcb.DelayTime);
            EXPECT_EQ(info.disposal, gcb.DisposalMode);
            const std::uint32_t expected =
                gcb.TransparentColor == NO_TRANSPARENT_COLOR
                    ? 0u
                    : kKpxTransparencyIndexFlag | static_cast<std::uint32_t>(gcb.TransparentColor);
            EXPECT_EQ(info.transparency, expected);
        }
        kfm::test::freeFrameInfo(info);

        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        ASSERT_NE(map, nullptr);
        const BITMAPINFO* bmi = KPXGetBitmapInfoHeader(frame);
        for (int y = 0; y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int expected = saved.RasterBits[y * d.Width + x];
                const int index = indexAt(frame, x, y);
                ASSERT_EQ(index, expected) << "pixel " << x << "," << y;
                if (expected < map->ColorCount) {
                    const RGBQUAD c = bmi->bmiColors[index];
                    ASSERT_EQ(c.rgbRed, map->Colors[expected].Red);
                    ASSERT_EQ(c.rgbGreen, map->Colors[expected].Green);
                    ASSERT_EQ(c.rgbBlue, map->Colors[expected].Blue);
                }
            }
        }
    }

    // Written again by the library, giflib reads the same colours at every pixel.
    kfm::test::TempDir dir;
    const std::string again = dir.file("again.gif");
    ASSERT_EQ(KPXSaveImageFrames(chain, again.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    GifFileType* copy = DGifOpenFileName(again.c_str(), &error);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(DGifSlurp(copy), GIF_OK);
    ASSERT_EQ(copy->ImageCount, gif->ImageCount);
    EXPECT_EQ(giflibLoopCount(*copy), giflibLoopCount(*gif));
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& a = gif->SavedImages[i];
        const SavedImage& b = copy->SavedImages[i];
        ASSERT_EQ(b.ImageDesc.Width, a.ImageDesc.Width);
        ASSERT_EQ(b.ImageDesc.Height, a.ImageDesc.Height);
        EXPECT_EQ(b.ImageDesc.Left, a.ImageDesc.Left);
        EXPECT_EQ(b.ImageDesc.Top, a.ImageDesc.Top);
        const ColorMapObject* mapA = a.ImageDesc.ColorMap ? a.ImageDesc.ColorMap : gif->SColorMap;
        const ColorMapObject* mapB = b.ImageDesc.ColorMap ? b.ImageDesc.ColorMap : copy->SColorMap;
        const int pixels = a.ImageDesc.Width * a.ImageDesc.Height;
        for (int k = 0; k < pixels; ++k) {
            const int ia = a.RasterBits[k];
            const int ib = b.RasterBits[k];
            if (ia >= mapA->ColorCount)
                continue;
            ASSERT_LT(ib, mapB->ColorCount) << "frame " << i << " pixel " << k;
            ASSERT_EQ(mapB->Colors[ib].Red, mapA->Colors[ia].Red)
                << "frame " << i << " pixel " << k;
            ASSERT_EQ(mapB->Colors[ib].Green, mapA->Colors[ia].Green);
            ASSERT_EQ(mapB->Colors[ib].Blue, mapA->Colors[ia].Blue);
        }
    }
    DGifCloseFile(copy, &error);
    KPXDeleteImage(chain);
    DGifCloseFile(gif, &error);
}

std::vector<std::string> peerFiles() {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(kfm::test::testDataPath("gif/peers")))
        if (entry.path().extension() == ".gif")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Files, GifPeerFiles, ::testing::ValuesIn(peerFiles()),
                         [](const auto& info) {
                             std::string name = info.param.substr(0, info.param.size() - 4);
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
