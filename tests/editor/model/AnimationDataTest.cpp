#include "ModelTestSupport.h"

#include "FrameAlignment.h"

namespace {

class AnimationDataTest : public ModelTest {};

TEST_F(AnimationDataTest, NewAnimationHoldsOnlyThePlaceholder) {
    EXPECT_EQ(animation().frames.size(), 1u);
    EXPECT_EQ(animation().RealFrameCount(), 0);
    EXPECT_EQ(animation().AnimationWidth, 468);
    EXPECT_EQ(animation().AnimationHeight, 60);
    EXPECT_EQ(animation().OptimizeBandwidth, 14400);
}

TEST_F(AnimationDataTest, DeletingTheSelectedLastFrameSelectsTheNewLast) {
    for (int i = 0; i < 3; ++i)
        addFrame(0, 0, 4, 4);
    SelectFrame(2);
    EXPECT_EQ(DeleteSelFrames(), 1);
    EXPECT_EQ(animation().frameCount, 2);
    EXPECT_EQ(GetCurrentFrameIndex(), 1);
    EXPECT_EQ(IsFrameSelected(1), 1);
    EXPECT_EQ(GetSelFramesCount(), 1);
}

TEST_F(AnimationDataTest, DeletingWithNothingSelectedChangesNothing) {
    addFrame(0, 0, 4, 4);
    EXPECT_EQ(DeleteSelFrames(), 0);
    EXPECT_EQ(animation().frames.size(), 2u);
}

TEST_F(AnimationDataTest, PlaceholderIsSelectedButNeverRetimedOrDeleted) {
    addFrame(0, 0, 4, 4).delay = 10;
    SelectAllFrames();
    EXPECT_EQ(animation().frames.back().selected, 1);
    AddSelFramesDelay(5);
    EXPECT_EQ(frameAt(0).delay, 15);
    EXPECT_EQ(animation().frames.back().delay, 0);
    DeleteSelFrames();
    EXPECT_EQ(animation().frames.size(), 1u);
}

TEST_F(AnimationDataTest, ScaleDelayTruncatesTowardZero) {
    addFrame(0, 0, 4, 4).delay = 7;
    SelectFrame(0);
    ScaleSelFramesDelay(-50);
    EXPECT_EQ(frameAt(0).delay, 4);
}

TEST_F(AnimationDataTest, ReverseKeepsUnselectedFramesInPlace) {
    for (int i = 1; i <= 4; ++i)
        addFrame(i, 0, 4, 4);
    SelectFrame(1);
    SelectFrame(3);
    ReverseSelFrames();
    std::vector<int> order;
    for (int i = 0; i < 4; ++i)
        order.push_back(frameAt(i).left);
    EXPECT_EQ(order, (std::vector<int>{1, 4, 3, 2}));
    EXPECT_EQ(animation().frameCount, 4);
}

TEST_F(AnimationDataTest, DeleteEmptyFramesWarnsOnce) {
    addFrame(0, 0, 4, 4);
    auto& frames = animation().frames;
    frames.emplace(std::prev(frames.end())); // a frame without an image
    frames.emplace(frames.begin());
    animation().UpdateFrameCount();
    EXPECT_EQ(DeleteEmptyFrames(), 0);
    EXPECT_EQ(animation().frameCount, 1);
    EXPECT_EQ(shellFake.boxes.size(), 1u);
    EXPECT_EQ(DeleteEmptyFrames(), 1);
}

TEST_F(AnimationDataTest, SelectionQueries) {
    for (int i = 0; i < 3; ++i)
        addFrame(10 * i, i, 5, 5).delay = 10 + i;
    EXPECT_EQ(GetFirstSelFrameIndex(), 3) << "the placeholder when nothing is selected";
    EXPECT_EQ(GetLastSelFrameIndex(), 0);
    SelectFrame(0);
    SelectFrame(2);
    EXPECT_EQ(GetSelFramesArray(), (std::vector<int>{0, 2, -1}));
    EXPECT_EQ(GetSelFramesDuration(), 22);
    RECT bounds{};
    GetSelFramesBounds(bounds);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.right, 25);
    EXPECT_EQ(bounds.bottom, 7);
    RECT overlap{};
    EXPECT_EQ(GetSelFramesIntersection(overlap), 1);
    EXPECT_EQ(overlap.left, 20);
    EXPECT_EQ(overlap.right, 5);
    SetCurrentFrame(1);
    EXPECT_EQ(GetCurrentFrameIndex(), 1);
    SetCurrentFrame(99);
    EXPECT_EQ(GetCurrentFrameIndex(), 3) << "no current frame: the last node";
}

TEST_F(AnimationDataTest, AlignLeftKeepsOneColumnOnScreen) {
    CObjFrame& reference = addFrame(-60, 0, 100, 10);
    CObjFrame& moved = addFrame(5, 5, 50, 10);
    SetCurrentFrame(0);
    SelectFrame(1);
    EXPECT_EQ(AlignLeft(&reference), 1);
    EXPECT_EQ(moved.left, -49);
}

TEST_F(AnimationDataTest, AlignRightClampsToTheScreen) {
    animation().AnimationWidth = 100;
    CObjFrame& reference = addFrame(90, 0, 50, 10);
    CObjFrame& moved = addFrame(0, 0, 20, 10);
    SetCurrentFrame(0);
    SelectFrame(1);
    EXPECT_EQ(AlignFrames(3), 1);
    EXPECT_EQ(moved.left, 99);
    EXPECT_EQ(AlignCheckLock(&reference, 3), 0);
}

TEST_F(AnimationDataTest, CenteringAnAlreadyCentredSelectionMovesNothing) {
    animation().AnimationWidth = 100;
    addFrame(40, 0, 20, 10);
    SelectFrame(0);
    EXPECT_EQ(AlignFrames(5), 0);
    EXPECT_EQ(frameAt(0).left, 40);
}

TEST_F(AnimationDataTest, SpacingSpreadsTheInnerFrame) {
    addFrame(0, 0, 10, 10);
    addFrame(5, 0, 10, 10);
    addFrame(100, 0, 10, 10);
    for (int i = 0; i < 3; ++i)
        SelectFrame(i);
    EXPECT_EQ(SpaceAcross(RECT{0, 0, 110, 10}, 3), 1);
    EXPECT_EQ(frameAt(0).left, 0);
    EXPECT_EQ(frameAt(1).left, 50);
    EXPECT_EQ(frameAt(2).left, 100);
}

TEST_F(AnimationDataTest, SpacingKeepsListOrderOfInnerFrames) {
    addFrame(0, 0, 10, 10);
    addFrame(60, 0, 10, 10); // listed before the frame at 30, so it is placed first
    addFrame(30, 0, 10, 10);
    addFrame(100, 0, 10, 10);
    for (int i = 0; i < 4; ++i)
        SelectFrame(i);
    SpaceAcross(RECT{0, 0, 110, 10}, 4);
    EXPECT_LT(frameAt(1).left, frameAt(2).left);
}

} // namespace
