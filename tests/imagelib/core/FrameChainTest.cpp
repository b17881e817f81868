#include "FrameChain.h"
#include "FrameInfoSupport.h"
#include "PixelHelpers.h"
#include "Transparency.h"
#include "gdi/DeviceContext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

using kfm::test::OwnedImage;

namespace {

// A chain of n frames of 4 x 3 pixels whose delays are 10, 11, 12 ...; the test owns the head.
KpxHandle makeChain(int n, int screenWidth = 20, int screenHeight = 10) {
    const KpxHandle head = KPXCreateImage(4, 3, 8);
    AnimateInfo animation{screenWidth, screenHeight, 0, 0, nullptr};
    KPXSetAnimateInfo(head, &animation);
    for (int i = 0; i < n; ++i) {
        const KpxHandle frame = i == 0 ? head : KPXCreateImage(4, 3, 8);
        kpx::ImageLock(frame, kKpxWrite)->delay = 10 + i;
        if (i > 0) {
            EXPECT_EQ(KPXAddImageFrame(head, frame, -1), 1);
        }
    }
    return head;
}

std::vector<KpxHandle> framesOf(KpxHandle chain) {
    std::vector<KpxHandle> frames;
    for (int i = 0; i < KPXGetImageFramesNum(chain); ++i)
        frames.push_back(KPXGetImageFramesImage(chain, i));
    return frames;
}

std::int32_t firstFrameOf(KpxHandle frame) {
    return kpx::ImageLock(frame, kKpxRead)->firstFrame;
}

HENHMETAFILE smallMetafile() {
    std::vector<BYTE> bytes(88, 0);
    bytes[0] = 1;
    bytes[4] = 88;
    const std::uint32_t signature = 0x464D4520u;
    std::memcpy(bytes.data() + 40, &signature, 4);
    return SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
}

} // namespace

TEST(FrameChain, AppendInsertAndPrependKeepTheChainWhole) {
    OwnedImage owner(makeChain(1));
    KpxHandle head = owner.get();
    const KpxHandle second = KPXCreateImage(4, 3, 8);
    ASSERT_EQ(KPXAddImageFrame(head, second, -1), 1);
    EXPECT_EQ(framesOf(head), (std::vector<KpxHandle>{head, second}));

    const KpxHandle middle = KPXCreateImage(4, 3, 8);
    ASSERT_EQ(KPXAddImageFrame(head, middle, 1), 1);
    EXPECT_EQ(framesOf(head), (std::vector<KpxHandle>{head, middle, second}));

    const KpxHandle newHead = KPXCreateImage(2, 2, 8);
    ASSERT_EQ(KPXAddImageFrame(head, newHead, 0), 1);
    owner.release();
    OwnedImage newOwner(newHead);
    EXPECT_EQ(framesOf(newHead), (std::vector<KpxHandle>{newHead, head, middle, second}));
    for (KpxHandle f : framesOf(newHead)) {
        EXPECT_EQ(firstFrameOf(f), newHead);
        EXPECT_EQ(KPXWidthFrameScreenReal(f), 20);
        EXPECT_EQ(KPXHeightFrameScreenReal(f), 10);
    }
    EXPECT_EQ(KPXGetImageFramesNum(newHead), 4);
    EXPECT_EQ(KPXGetImageFramesImage(newHead, 4), 0);
    EXPECT_EQ(KPXGetImageFramesImage(newHead, -1), 0);
    EXPECT_EQ(KPXGetImageFramesNum(middle), 2);
}

TEST(FrameChain, RefusedInsertionsLeaveTheChainAsItWas) {
    OwnedImage head(makeChain(3));
    const std::vector<KpxHandle> before = framesOf(head);
    OwnedImage stray(KPXCreateImage(4, 3, 8));
    EXPECT_EQ(KPXAddImageFrame(head, stray, 4), 0);
    EXPECT_EQ(KPXAddImageFrame(head, stray, -2), 0);
    EXPECT_EQ(KPXAddImageFrame(head, before[1], -1), 0);
    EXPECT_EQ(KPXAddImageFrame(head, head, 0), 0);
    EXPECT_EQ(KPXAddImageFrame(head, 0, -1), 0);
    EXPECT_EQ(KPXAddImageFrame(0, stray, -1), 0);
    EXPECT_EQ(KPXAddImageFrame(head, 23456, -1), 0);
    EXPECT_EQ(framesOf(head), before);
    {
        kpx::ImageLock r(stray, kKpxRead);
        EXPECT_EQ(r->nextFrame, 0);
    }
    // Position 3 of a three-frame chain is the end itself.
    EXPECT_EQ(KPXAddImageFrame(head, stray.release(), 3), 1);
    EXPECT_EQ(KPXGetImageFramesNum(head), 4);
}

TEST(FrameChain, QueriesOfDelaysLoopsAndScreens) {
    OwnedImage head(makeChain(3));
    int delays[5] = {};
    EXPECT_EQ(KPXGetImageFramesDelay(head, delays, 2), 2);
    EXPECT_EQ(delays[1], 11);
    EXPECT_EQ(KPXGetImageFramesDelay(head, delays, 5), 3);
    EXPECT_EQ(delays[2], 12);
    EXPECT_EQ(KPXGetImageFramesDelay(head, nullptr, 5), 0);
    EXPECT_EQ(KPXGetImagesRepeatCycle(head), 0);
    EXPECT_EQ(KPXGetImagesRepeatCycle(0), -1);
    EXPECT_EQ(KPXGetImageFramesNum(0), 0);
    EXPECT_EQ(KPXWidthFrameScreen(0), 0);

    const KpxHandle last = KPXGetImageFramesImage(head, 2);
    EXPECT_EQ(KPXWidthFrameScreen(head), 20);
    EXPECT_EQ(KPXWidthFrameScreen(last), 4); // no next frame, not marked
    kpx::ImageLock(last, kKpxWrite)->frameOfAnimation = 1;
    EXPECT_EQ(KPXHeightFrameScreen(last), 10);
}

TEST(FrameChain, SplitMakesEveryFrameItsOwnFirstFrame) {
    const KpxHandle head = makeChain(3);
    const std::vector<KpxHandle> frames = framesOf(head);
    OwnedImage background(KPXCreateImage(2, 2, 24));
    kpx::ImageLock(frames[1], kKpxWrite)->savedBackground = background.release();
    ASSERT_EQ(KPXSplitAllImageFrame(head), 1);
    for (KpxHandle f : frames) {
        EXPECT_EQ(firstFrameOf(f), f);
        EXPECT_EQ(KPXGetImageFramesNum(f), 1);
        EXPECT_EQ(kpx::ImageLock(f, kKpxRead)->savedBackground, 0);
        KPXDeleteImage(f);
    }
    EXPECT_EQ(KPXSplitAllImageFrame(0), 0);
}

TEST(FrameInfoRecord, AttributesAndCommentsRoundTrip) {
    OwnedImage image(KPXCreateImage(7, 5, 8));
    char name[] = "intro";
    char comment[] = "a|b|c";
    FrameInfo in{};
    in.left = -3;
    in.top = 4;
    in.delay = 25;
    in.disposal = 2;
    in.width = 999;
    in.name = name;
    in.comment = comment;
    ASSERT_EQ(KPXSetImageFramesInfo(image, &in), 1);
    EXPECT_STREQ(comment, "a|b|c"); // the caller's own string is left alone

    FrameInfo out{};
    out.keepTransparency = 7;
    ASSERT_EQ(KPXGetImageFramesInfo(image, &out), 1);
    EXPECT_EQ(out.width, 7);
    EXPECT_EQ(out.height, 5);
    EXPECT_EQ(out.left, -3);
    EXPECT_EQ(out.top, 4);
    EXPECT_EQ(out.delay, 25);
    EXPECT_EQ(out.disposal, 2);
    EXPECT_EQ(out.keepTransparency, 0);
    EXPECT_STREQ(out.name, "intro");
    EXPECT_NE(out.name, name);
    EXPECT_STREQ(out.comment, "a]b]c");
    kfm::test::freeFrameInfo(out);

    in.name = nullptr;
    in.comment = nullptr;
    ASSERT_EQ(KPXSetImageFramesInfo(image, &in), 1);
    ASSERT_EQ(KPXGetImageFramesInfo(image, &out), 1);
    EXPECT_EQ(out.name, nullptr);
    EXPECT_EQ(out.comment, nullptr);
}

TEST(FrameInfoRecord, TransparencyWord) {
    OwnedImage image(KPXCreateImage(4, 4, 8));
    FrameInfo in{};
    in.transparency = kKpxTransparencyIndexFlag + 5;
    ASSERT_EQ(KPXSetImageFramesInfo(image, &in), 1);
    int count = 0;
    const KpxTransparentEntry* list = KPXGetImageTransparentData(image, &count);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(list[0].mode, kKpxTransparentIndex);
    EXPECT_EQ(list[0].blue, 5);
    FrameInfo out{};
    KPXGetImageFramesInfo(image, &out);
    EXPECT_EQ(out.transparency, kKpxTransparencyIndexFlag + 5);

    const KpxTransparentEntry two[2] = {list[0], list[0]};
    KPXSetImageTransparent(image, two, 2);
    KPXGetImageFramesInfo(image, &out);
    EXPECT_EQ(out.transparency, 0u);

    // Word 0: the list stays while its combined image is a 1-bit mask, and is cleared when the
    // combined image is an 8-bit one; with keep set nothing is touched.
    in.transparency = 0;
    ASSERT_EQ(KPXSetImageFramesInfo(image, &in), 1);
    EXPECT_NE(KPXGetImageTransparentData(image, &count), nullptr);
    ASSERT_EQ(KPXSetImageTransparentMask(image, KPXCreateImage(4, 4, 8)), 1);
    in.keepTransparency = 1;
    ASSERT_EQ(KPXSetImageFramesInfo(image, &in), 1);
    EXPECT_NE(KPXGetImageTransparentData(image, &count), nullptr);
    in.keepTransparency = 0;
    ASSERT_EQ(KPXSetImageFramesInfo(image, &in), 1);
    EXPECT_EQ(KPXGetImageTransparentData(image, &count), nullptr);
}

TEST(FrameInfoRecord, ObjectRecordsAreCopiesOwnedByTheCaller) {
    OwnedImage image(KPXCreateImage(4, 4, 8));
    TextObjectRecord text;
    text.text = "Hello";
    text.color = RGB(1, 2, 3);
    TextObjectRecord noText;
    ControlObjectRecord control;
    control.caption = "OK";
    VectorObjectRecord vector;
    vector.metafile.reset(smallMetafile());
    ASSERT_TRUE(vector.metafile);
    NPImageObjectRecord np;
    np.pixels8 = {1, 2, 3};
    np.palette = {7, 8};
    np.alpha = {9}; // without 24-bit pixels the alpha array is not carried

    FrameInfo in{};
    in.textObject = &text;
    in.controlObject = &control;
    in.vectorObject = &vector;
    in.npImageObject = &np;
    ASSERT_EQ(KPXSetImageFramesInfo(image, &in), 1);

    FrameInfo out{};
    ASSERT_EQ(KPXGetImageFramesInfo(image, &out), 1);
    ASSERT_NE(out.textObject, nullptr);
    EXPECT_NE(out.textObject, &text);
    EXPECT_EQ(out.textObject->text, "Hello");
    EXPECT_EQ(out.textObject->color, RGB(1, 2, 3));
    ASSERT_NE(out.controlObject, nullptr);
    EXPECT_EQ(out.controlObject->caption, "OK");
    EXPECT_FALSE(out.controlObject->text.has_value());
    ASSERT_NE(out.vectorObject, nullptr);
    EXPECT_NE(out.vectorObject->metafile.get(), vector.metafile.get());
    EXPECT_EQ(GetEnhMetaFileBits(out.vectorObject->metafile.get(), 0, nullptr), 88u);
    ASSERT_NE(out.npImageObject, nullptr);
    EXPECT_EQ(out.npImageObject->pixels8, np.pixels8);
    EXPECT_EQ(out.npImageObject->palette, np.palette);
    EXPECT_TRUE(out.npImageObject->alpha.empty());

    // A second copy is independent of the first.
    FrameInfo again{};
    KPXGetImageFramesInfo(image, &again);
    EXPECT_NE(again.textObject, out.textObject);
    kfm::test::freeFrameInfo(out);
    EXPECT_EQ(again.textObject->text, "Hello");
    kfm::test::freeFrameInfo(again);

    // Records without their essential parts are neither stored nor returned.
    FrameInfo empty{};
    ControlObjectRecord bare;
    NPImageObjectRecord onlyMask;
    onlyMask.maskPixels = {1};
    empty.textObject = &noText;
    empty.controlObject = &bare;
    empty.vectorObject = nullptr;
    empty.npImageObject = &onlyMask;
    ASSERT_EQ(KPXSetImageFramesInfo(image, &empty), 1);
    KPXGetImageFramesInfo(image, &out);
    EXPECT_EQ(out.textObject, nullptr);
    EXPECT_EQ(out.controlObject, nullptr);
    EXPECT_EQ(out.vectorObject, nullptr);
    EXPECT_EQ(out.npImageObject, nullptr);
    {
        kpx::ImageLock r(image, kKpxRead);
        EXPECT_EQ(r->textObject, nullptr);
        EXPECT_EQ(r->npImageObject, nullptr);
    }
}

TEST(FrameInfoRecord, NullRecordsAndBadHandlesGiveZero) {
    OwnedImage image(KPXCreateImage(4, 4, 8));
    FrameInfo info{};
    AnimateInfo animation{};
    EXPECT_EQ(KPXGetImageFramesInfo(image, nullptr), 0);
    EXPECT_EQ(KPXSetImageFramesInfo(image, nullptr), 0);
    EXPECT_EQ(KPXGetImageFramesInfo(0, &info), 0);
    EXPECT_EQ(KPXSetImageFramesInfo(31000, &info), 0);
    EXPECT_EQ(KPXGetAnimateInfo(image, nullptr), 0);
    EXPECT_EQ(KPXSetAnimateInfo(image, nullptr), 0);
    EXPECT_EQ(KPXGetAnimateInfo(0, &animation), 0);
    EXPECT_EQ(KPXSetAnimateInfo(0, &animation), 0);
}

TEST(AnimateInfoRecord, LoopCountAndComment) {
    OwnedImage head(makeChain(3));
    char comment[] = "made|here";
    AnimateInfo in{64, 48, 99, 70000, comment};
    ASSERT_EQ(KPXSetAnimateInfo(head, &in), 1);
    AnimateInfo out{};
    ASSERT_EQ(KPXGetAnimateInfo(head, &out), 1);
    EXPECT_EQ(out.screenWidth, 64);
    EXPECT_EQ(out.screenHeight, 48);
    EXPECT_EQ(out.frameCount, 3);
    EXPECT_EQ(out.loopCount, 4464);
    EXPECT_STREQ(out.comment, "made|here");
    EXPECT_NE(out.comment, comment);
    std::free(out.comment);
    EXPECT_EQ(KPXGetImagesRepeatCycle(head), 4464);

    in.loopCount = -1;
    in.comment = nullptr;
    KPXSetAnimateInfo(head, &in);
    KPXGetAnimateInfo(head, &out);
    EXPECT_EQ(out.loopCount, -1);
    EXPECT_EQ(out.comment, nullptr);
    EXPECT_EQ(KPXGetImagesRepeatCycle(head), -1);
    // Only the given record takes the screen size.
    EXPECT_EQ(KPXWidthFrameScreenReal(KPXGetImageFramesImage(head, 1)), 20);
}

TEST(FrameChain, BitBltFrameDrawsAFrameAtItsScreenPosition) {
    OwnedImage head(makeChain(2));
    const KpxHandle second = KPXGetImageFramesImage(head, 1);
    FrameInfo info{};
    info.left = 2;
    info.top = 1;
    info.transparency = kKpxTransparencyIndexFlag + 9;
    KPXSetImageFramesInfo(second, &info);
    kfm::test::setPaletteEntry(second, 0, RGB(10, 20, 30));
    KPXFillDIBColorTable(second);
    OwnedImage target(KPXCreateImage(8, 6, 24));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP previous = SelectBitmap(dc, KPXGetBitmap(target));
    EXPECT_EQ(KPXBitBltFrame(dc, 1, 0, head, 5, 0, 0, 8, 6, 2, SRCCOPY), 1);
    SelectBitmap(dc, previous);
    DeleteDC(dc);
    EXPECT_EQ(kfm::test::getColor(target, 3, 1), RGB(10, 20, 30));
    EXPECT_EQ(kfm::test::getColor(target, 6, 3), RGB(10, 20, 30));
    EXPECT_EQ(kfm::test::getColor(target, 2, 1), 0u);
    EXPECT_EQ(kfm::test::getColor(target, 7, 4), 0u);
    EXPECT_NE(kpx::ImageLock(second, kKpxRead)->maskImage, 0);
    EXPECT_EQ(KPXBitBltFrame(nullptr, 0, 0, 0, 0, 0, 0, 8, 6, 2, SRCCOPY), 0);
}
