#include "FormatId.h"
#include "FrameChain.h"
#include "FrameInfoSupport.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "MultiFrameFiles.h"
#include "ObjectRecordBytes.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A minimal EMF stream: one EMR_HEADER with the " EMF" signature, then EMR_EOF.
std::vector<std::uint8_t> minimalEmf() {
    std::vector<std::uint8_t> bytes(108 + 20, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(bytes.data() + at, &v, 4); };
    put32(0, 1);           // EMR_HEADER
    put32(4, 108);         // record size
    put32(40, 0x464D4520); // " EMF"
    put32(44, 0x10000);    // version
    put32(48, 128);        // file size
    put32(52, 2);          // records
    put32(108, 14);        // EMR_EOF
    put32(112, 20);
    return bytes;
}

KpxHandle frameWithIndices(int width, int height, int seed) {
    const KpxHandle image = KPXCreateImage(width, height, 8);
    std::uint8_t* bits = KPXGetBits(image);
    for (std::size_t i = 0; i < KPXSizeImage(image); ++i)
        bits[i] = static_cast<std::uint8_t>((i * 7 + seed) % 200);
    return image;
}

class GifAnimationRoundTrip : public ::testing::Test {
protected:
    void TearDown() override {
        for (KpxHandle h : {saved, loaded})
            if (h > 0)
                KPXDeleteImage(h);
    }

    // Three frames with comments "a", none and "c"; the first carries every kind of object.
    void makeChain() {
        text.left = 12;
        text.color = 0x0000FF;
        text.font.lfHeight = -24;
        std::strcpy(text.font.lfFaceName, "Liberation Sans");
        text.matrix[1] = 0.25;
        text.text = std::string(256, 'T');
        control.type = 7;
        control.values[3] = -5;
        control.text = std::string(300, 'x'); // longer than one sub-block
        control.caption = std::string("Caption");
        const std::vector<std::uint8_t> emf = minimalEmf();
        vector.unitsPerInch = 1440;
        vector.metafile.reset(SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data()));
        vector.matrix[2] = -1.0;
        npImage.pixels24.assign(700, 0x24);
        npImage.alpha.assign(300, 0xA1);
        npImage.maskPixels.assign(9, 0x22);
        npImage.pixels8.assign(256, 0x88);
        npImage.palette.assign(256, 0x00123456);
        npImage.alphaValue = 50;

        saved = frameWithIndices(5, 4, 0);
        FrameInfo info{};
        info.delay = 10;
        info.disposal = 1;
        info.comment = const_cast<char*>("a");
        info.name = const_cast<char*>("first");
        info.textObject = &text;
        info.controlObject = &control;
        info.vectorObject = &vector;
        info.npImageObject = &npImage;
        ASSERT_EQ(KPXSetImageFramesInfo(saved, &info), 1);
        for (int i = 1; i < 3; ++i) {
            const KpxHandle frame = frameWithIndices(3, 3, i);
            FrameInfo more{};
            more.delay = 10 * (i + 1);
            more.disposal = 2;
            more.left = i;
            more.comment = i == 2 ? const_cast<char*>("c") : nullptr;
            ASSERT_EQ(KPXSetImageFramesInfo(frame, &more), 1);
            ASSERT_EQ(KPXAddImageFrame(saved, frame, -1), 1);
        }
        AnimateInfo animate{5, 4, 3, 2, const_cast<char*>("whole")};
        ASSERT_EQ(KPXSetAnimateInfo(saved, &animate), 1);
    }

    TextObjectRecord text;
    ControlObjectRecord control;
    VectorObjectRecord vector;
    NPImageObjectRecord npImage;
    KpxHandle saved = 0;
    KpxHandle loaded = 0;
    kfm::test::TempDir dir;
};

TEST_F(GifAnimationRoundTrip, ObjectsCommentsAndTimingSurvive) {
    makeChain();
    const std::string path = dir.file("objects.gif");
    ASSERT_EQ(KPXSaveImageFrames(saved, path.c_str(), formatNumber(FormatId::Gif), 0x604, 70,
                                 nullptr, nullptr),
              1);
    loaded = KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr);
    ASSERT_GT(loaded, 0);
    EXPECT_EQ(KPXGetImageFramesNum(loaded), 3);
    EXPECT_EQ(KPXGetImagesRepeatCycle(loaded), 2);

    FrameInfo info{};
    ASSERT_EQ(KPXGetImageFramesInfo(loaded, &info), 1);
    ASSERT_NE(info.textObject, nullptr);
    EXPECT_EQ(kfm::records::writeTextObjectRecord(*info.textObject),
              kfm::records::writeTextObjectRecord(text));
    EXPECT_EQ(info.textObject->text, text.text);
    ASSERT_NE(info.controlObject, nullptr);
    EXPECT_EQ(kfm::records::writeControlObjectRecord(*info.controlObject),
              kfm::records::writeControlObjectRecord(control));
    EXPECT_EQ(info.controlObject->text, std::string(255, 'x')) << "cut where it is written";
    EXPECT_EQ(info.controlObject->caption, std::string("Caption")) << "never corrupted";
    ASSERT_NE(info.vectorObject, nullptr);
    ASSERT_TRUE(info.vectorObject->metafile);
    EXPECT_EQ(info.vectorObject->metafile.get()->bytes(), vector.metafile.get()->bytes());
    EXPECT_EQ(info.vectorObject->unitsPerInch, 1440);
    EXPECT_EQ(info.vectorObject->matrix[2], -1.0);
    ASSERT_NE(info.npImageObject, nullptr);
    EXPECT_EQ(info.npImageObject->pixels24, npImage.pixels24);
    EXPECT_EQ(info.npImageObject->alpha, npImage.alpha);
    EXPECT_EQ(info.npImageObject->maskPixels, npImage.maskPixels);
    EXPECT_EQ(info.npImageObject->pixels8, npImage.pixels8);
    EXPECT_EQ(info.npImageObject->palette, npImage.palette);
    EXPECT_EQ(info.npImageObject->alphaValue, 50);
    EXPECT_STREQ(info.name, "first");
    EXPECT_STREQ(info.comment, "a");
    kfm::test::freeFrameInfo(info);

    const char* comments[] = {"a", nullptr, "c"};
    for (int i = 0; i < 3; ++i) {
        const KpxHandle frame = KPXGetImageFramesImage(loaded, i);
        FrameInfo f{};
        ASSERT_EQ(KPXGetImageFramesInfo(frame, &f), 1);
        EXPECT_EQ(f.delay, 10 * (i + 1));
        if (comments[i])
            EXPECT_STREQ(f.comment, comments[i]);
        else
            EXPECT_EQ(f.comment, nullptr);
        kfm::test::freeFrameInfo(f);
        const KpxHandle original = KPXGetImageFramesImage(saved, i);
        ASSERT_EQ(KPXWidth(frame), KPXWidth(original));
        ASSERT_EQ(KPXHeight(frame), KPXHeight(original));
        const int stride = KPXGetScanBytes(frame);
        for (int y = 0; y < KPXHeight(frame); ++y)
            EXPECT_EQ(std::memcmp(KPXGetBits(frame) + y * stride, KPXGetBits(original) + y * stride,
                                  static_cast<std::size_t>(KPXWidth(frame))),
                      0)
                << "frame " << i << " row " << y;
    }
}

// Loop counts are unsigned 16-bit values from the chain to the file and back; -1 writes no
// looping block.
TEST_F(GifAnimationRoundTrip, LoopCountsKeepAllSixteenBits) {
    makeChain();
    for (const int count : {-1, 0, 1, 32767, 32768, 40000, 65535}) {
        SCOPED_TRACE(count);
        AnimateInfo animate{5, 4, 3, count, nullptr};
        ASSERT_EQ(KPXSetAnimateInfo(saved, &animate), 1);
        const std::string path = dir.file("loop.gif");
        ASSERT_EQ(KPXSaveImageFrames(saved, path.c_str(), formatNumber(FormatId::Gif), 0, 0,
                                     nullptr, nullptr),
                  1);
        const std::vector<std::uint8_t> bytes = kfm::test::readFileBytes(path);
        const std::string netscape = "NETSCAPE2.0";
        const auto at = std::search(bytes.begin(), bytes.end(), netscape.begin(), netscape.end());
        if (count == -1) {
            EXPECT_EQ(at, bytes.end());
        } else {
            ASSERT_LT(at + 14, bytes.end());
            EXPECT_EQ(at[11], 3);
            EXPECT_EQ(at[12], 1);
            EXPECT_EQ(at[13] | at[14] << 8, count);
        }
        loaded = KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr);
        ASSERT_GT(loaded, 0);
        AnimateInfo back{};
        ASSERT_EQ(KPXGetAnimateInfo(loaded, &back), 1);
        std::free(back.comment);
        EXPECT_EQ(back.loopCount, count);
        KPXDeleteImage(loaded);
        loaded = 0;
    }
}

TEST_F(GifAnimationRoundTrip, ProgressStopAtFirstFrameLeavesNothing) {
    makeChain();
    const std::string path = dir.file("stop.gif");
    ASSERT_EQ(KPXSaveImageFrames(saved, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    const int before = KpxLiveImageCount();
    const auto stop = [](KpxHandle, int, void*) { return 1; };
    EXPECT_EQ(KPXLoadImageFramesOffset(path.c_str(), 0, stop, nullptr), -1);
    EXPECT_EQ(KpxLiveImageCount(), before);
}

TEST_F(GifAnimationRoundTrip, BreakRequestStopsBeforeTheNextFrame) {
    makeChain();
    const std::string path = dir.file("break.gif");
    ASSERT_EQ(KPXSaveImageFrames(saved, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    const auto breakAtFirst = [](KpxHandle first, int index, void*) {
        if (index == 0)
            KPXBreakLoadImageFrames(first);
        return 0;
    };
    loaded = KPXLoadImageFramesOffset(path.c_str(), 0, breakAtFirst, nullptr);
    ASSERT_GT(loaded, 0);
    EXPECT_EQ(KPXGetImageFramesNum(loaded), 1);
}

TEST(GifAnimationLoad, ControlWithoutFirstTextIsKept) {
    kfm::test::TempDir dir;
    const KpxHandle image = frameWithIndices(2, 2, 0);
    ControlObjectRecord control;
    control.type = 2;
    control.caption = std::string("Only a caption");
    FrameInfo info{};
    info.controlObject = &control;
    ASSERT_EQ(KPXSetImageFramesInfo(image, &info), 1);
    const std::string path = dir.file("control.gif");
    ASSERT_EQ(KPXSaveImageFrames(image, path.c_str(), formatNumber(FormatId::Gif), 0, 0, nullptr,
                                 nullptr),
              1);
    KPXDeleteImage(image);
    const KpxHandle loaded = KPXLoadImageFramesOffset(path.c_str(), 0, nullptr, nullptr);
    ASSERT_GT(loaded, 0);
    FrameInfo back{};
    ASSERT_EQ(KPXGetImageFramesInfo(loaded, &back), 1);
    ASSERT_NE(back.controlObject, nullptr);
    EXPECT_EQ(back.controlObject->type, 2u);
    EXPECT_EQ(back.controlObject->text.value_or("?"), "");
    EXPECT_EQ(back.controlObject->caption, std::string("Only a caption"));
    kfm::test::freeFrameInfo(back);
    KPXDeleteImage(loaded);
}

TEST(GifAnimationLoad, MissingOrDamagedFilesLoadNothing) {
    kfm::test::TempDir dir;
    EXPECT_EQ(KPXLoadImageFramesOffset(nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(KPXLoadImageFramesOffset(dir.file("none.gif").c_str(), 0, nullptr, nullptr), 0);
}

} // namespace
