#include "ModelTestSupport.h"

#include "FrameChain.h"
#include "FrameChainBuild.h"

namespace {

class FrameChainBuildTest : public ModelTest {};

TEST_F(FrameChainBuildTest, PlaceholderOnlyBuildsNothing) {
    EXPECT_EQ(BuildFramesImage(animation().frames, 0, 1), 1);
    EXPECT_EQ(shellFake.countSent(WM_PROGRESS_BEGIN), 1);
    EXPECT_EQ(shellFake.countSent(WM_PROGRESS_END), 1);
}

TEST_F(FrameChainBuildTest, BuildAndSplitRoundTrip) {
    for (int i = 0; i < 3; ++i)
        addFrame(i, 0, 4, 4).delay = 10 * (i + 1);
    animation().loopCount = 5;
    ASSERT_EQ(BuildFramesImage(animation().frames, 0, 0), 1);
    const auto head = static_cast<KpxHandle>(frameAt(0).GetImage());
    EXPECT_EQ(KPXGetImageFramesNum(head), 3);
    EXPECT_EQ(KPXGetImagesRepeatCycle(head), 5);
    EXPECT_EQ(KPXGetImageFramesImage(head, 2), static_cast<KpxHandle>(frameAt(2).GetImage()));
    ASSERT_EQ(SplitFramesImage(animation().frames, 0), 1);
    EXPECT_EQ(KPXGetImageFramesNum(head), 1);
}

TEST_F(FrameChainBuildTest, DisplayImagesChainRenderedObjectFrames) {
    addFrame(0, 0, 4, 4);
    CObjFrame& object = addFrame(0, 0, 4, 4);
    object.hasText = 1;
    object.SetRenderedImage(static_cast<std::uint16_t>(KPXCreateImage(4, 4, 8)));
    ASSERT_EQ(BuildFramesImage(animation().frames, 1, 0), 1);
    const auto head = static_cast<KpxHandle>(frameAt(0).GetImage());
    EXPECT_EQ(KPXGetImageFramesImage(head, 1), static_cast<KpxHandle>(object.GetRenderedImage()));
    SplitFramesImage(animation().frames, 1);
    DeleteRenderedImages(animation().frames);
    EXPECT_EQ(object.GetRenderedImage(), 0);
}

TEST_F(FrameChainBuildTest, CopiesOfAFrameAreEachChainedWithTheirOwnPlaceAndDelay) {
    // A copied frame holds a reference to the original's image (and rendered image).
    for (const int useDisplayImage : {0, 1}) {
        SCOPED_TRACE("display images " + std::to_string(useDisplayImage));
        animation().ResetFrames();
        CObjFrame& original = addFrame(1, 2, 4, 4);
        original.delay = 10;
        CObjFrame& object = addFrame(0, 0, 4, 4);
        object.hasText = 1;
        object.SetRenderedImage(static_cast<std::uint16_t>(KPXCreateImage(4, 4, 8)));
        auto& frames = animation().frames;
        for (const int copied : {0, 1}) {
            CObjFrame& copy = *frames.insert(std::prev(frames.end()), frameAt(copied));
            copy.left = 30 + copied;
            copy.delay = 70 + copied;
        }
        animation().UpdateFrameCount();
        ASSERT_EQ(BuildFramesImage(frames, useDisplayImage, 0), 1);
        const auto head = static_cast<KpxHandle>(frameAt(0).GetImage());
        ASSERT_EQ(KPXGetImageFramesNum(head), 4);
        const int lefts[] = {1, 0, 30, 31};
        const int delays[] = {10, 0, 70, 71};
        for (int i = 0; i < 4; ++i) {
            FrameInfo info{};
            ASSERT_EQ(KPXGetImageFramesInfo(KPXGetImageFramesImage(head, i), &info), 1);
            EXPECT_EQ(info.left, lefts[i]) << "frame " << i;
            EXPECT_EQ(info.delay, delays[i]) << "frame " << i;
            FreeFrameParts(info, 0);
        }
        SplitFramesImage(frames, useDisplayImage);
        DeleteRenderedImages(frames);
    }
}

TEST_F(FrameChainBuildTest, EscapeCancelsAndLeavesNothingChained) {
    for (int i = 0; i < 4; ++i)
        addFrame(0, 0, 4, 4);
    shellFake.escapeAfter = 1;
    EXPECT_EQ(BuildFramesImage(animation().frames, 0, 1), 2);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(KPXGetImageFramesNum(static_cast<KpxHandle>(frameAt(i).GetImage())), 1);
    EXPECT_EQ(shellFake.countSent(WM_PROGRESS_END), 1);
}

TEST_F(FrameChainBuildTest, FirstFrameWithoutImageBuildsNothing) {
    auto& frames = animation().frames;
    frames.emplace(frames.begin());
    addFrame(0, 0, 4, 4);
    EXPECT_EQ(BuildFramesImage(frames, 0, 0), 0);
}

} // namespace
