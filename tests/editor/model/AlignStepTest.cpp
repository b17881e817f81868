// The alignment command's undo step: refused edge locks undo it at once, and a step that moved
// nothing leaves the undo item naming the step before it.

#include "FrameAlignment.h"
#include "UndoHistory.h"

#include "ModelTestSupport.h"

#include <gtest/gtest.h>

namespace {

class AlignStepTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        TheUndoHistory().Reset();
        animation().AnimationWidth = 20;
        animation().AnimationHeight = 20;
        animation().AnimationStateElasticSize = 0;
        animation().AnimationStateLockLeft = animation().AnimationStateLockTop = 1;
        animation().AnimationStateLockRight = animation().AnimationStateLockBottom = 1;
        // The reference frame reaches the right edge; the wide frame aligned to its right edge
        // would stick out on the left.
        addFrame(14, 0, 6, 4).selected = 1;
        addFrame(2, 8, 18, 4).selected = 1;
        SetCurrentFrame(0);
    }
    void TearDown() override {
        TheUndoHistory().Reset();
        ModelTest::TearDown();
    }
};

TEST_F(AlignStepTest, RefusingToReleaseALockUndoesTheAlignment) {
    // Left edges to 14: the wide frame then crosses the locked right edge.
    shellFake.answers = {IDCANCEL};
    EXPECT_EQ(AlignFramesStep(1), AlignOutcome::Undone);
    EXPECT_EQ(frameAt(1).left, 2);
    EXPECT_EQ(frameAt(1).top, 8);
    EXPECT_EQ(shellFake.boxes.size(), 1u);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    EXPECT_EQ(animation().AnimationStateLockRight, 1);

    shellFake.answers = {IDOK};
    EXPECT_EQ(AlignFramesStep(1), AlignOutcome::Aligned);
    EXPECT_EQ(frameAt(1).left, 14);
    EXPECT_EQ(animation().AnimationStateLockRight, 0) << "the crossed lock is released";
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindMove);
}

TEST_F(AlignStepTest, AStepThatMovesNothingIsDroppedAndTheItemNamesTheOneBefore) {
    TheUndoHistory().BeginStep(kUndoKindDelay);
    frameAt(0).delay = 40;
    TheUndoHistory().EndStep(0);
    const std::string before = TheUndoHistory().GetUndoMenuText();
    const std::string delayId = std::to_string(CUndoHistory::KindStringId(kUndoKindDelay));
    ASSERT_NE(before.find(delayId), std::string::npos) << before;
    DeselectFrame(1);
    // One frame selected: centring it where it already is moves nothing.
    frameAt(0).left = 7;
    frameAt(0).top = 8;
    TheUndoHistory().BeginStep(kUndoKindDelay);
    TheUndoHistory().EndStep(0);
    EXPECT_EQ(AlignFramesStep(5), AlignOutcome::NothingMoved);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindDelay);
    EXPECT_EQ(TheUndoHistory().GetUndoMenuText(), before);
}

} // namespace
