#include "ModelTestSupport.h"

#include "EdgeLocks.h"
#include "ImageTable.h"
#include "UndoHistory.h"

namespace {

class UndoHistoryTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        history = std::make_unique<CUndoHistory>();
        history->SetSize(10);
        history->Reset();
    }
    void TearDown() override {
        history.reset();
        ModelTest::TearDown();
    }

    // One committed step that appends a frame of the given width.
    void addFrameStep(int width) {
        history->BeginStep(23);
        addFrame(0, 0, width, 4);
        ASSERT_EQ(history->EndStep(0), 1);
    }

    std::unique_ptr<CUndoHistory> history;
};

TEST_F(UndoHistoryTest, UnchangedStepIsDroppedUnlessForced) {
    history->BeginStep(2);
    EXPECT_EQ(history->EndStep(0), 0);
    EXPECT_FALSE(history->CanUndo());
    history->BeginStep(2);
    EXPECT_EQ(history->EndStep(1), 1);
    EXPECT_TRUE(history->CanUndo());
}

TEST_F(UndoHistoryTest, UndoOfTheOnlyStepRestoresAndClearsModified) {
    addFrameStep(4);
    EXPECT_TRUE(shellFake.modified);
    ASSERT_EQ(history->Undo(), 1);
    EXPECT_EQ(animation().frames.size(), 1u);
    EXPECT_FALSE(history->CanUndo());
    EXPECT_FALSE(shellFake.modified);
    EXPECT_EQ(history->Undo(), 0);
}

TEST_F(UndoHistoryTest, RingKeepsOnlyItsLength) {
    history->SetSize(3);
    for (int i = 0; i < 4; ++i)
        addFrameStep(4 + i);
    int undone = 0;
    while (history->Undo())
        ++undone;
    EXPECT_EQ(undone, 3);
    EXPECT_EQ(animation().frames.size(), 2u) << "the first step was lost";
}

TEST_F(UndoHistoryTest, ShrinkingKeepsTheNewestSteps) {
    for (int i = 0; i < 5; ++i)
        addFrameStep(10 + i);
    history->SetSize(2);
    ASSERT_EQ(history->Undo(), 1);
    EXPECT_EQ(animation().frames.size(), 5u);
    ASSERT_EQ(history->Undo(), 1);
    EXPECT_EQ(animation().frames.size(), 4u);
    EXPECT_EQ(history->Undo(), 0);
}

TEST_F(UndoHistoryTest, UndoingToTheBottomClearsModifiedOnlyWhenNoStepWasDropped) {
    const struct {
        int steps;
        int newSize;
        bool modifiedAtBottom;
    } cases[] = {{5, 2, true}, {3, 5, false}, {3, 3, false}, {4, 3, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE("steps " + std::to_string(c.steps) + ", size " + std::to_string(c.newSize));
        history = std::make_unique<CUndoHistory>();
        history->SetSize(10);
        history->Reset();
        animation().ResetFrames();
        for (int i = 0; i < c.steps; ++i)
            addFrameStep(10 + i);
        history->SetSize(c.newSize);
        while (history->Undo())
            ;
        EXPECT_EQ(shellFake.modified, c.modifiedAtBottom);
    }
}

TEST_F(UndoHistoryTest, ShorterEqualFrameListsCompareEqual) {
    addFrame(0, 0, 4, 4);
    history->BeginStep(2);
    addFrame(0, 0, 4, 4); // the new frame goes before the placeholder: the lists differ
    EXPECT_EQ(history->EndStep(0), 1);
    CAnimationData shorter;
    shorter.AnimationWidth = animation().AnimationWidth;
    shorter.AnimationHeight = animation().AnimationHeight;
    shorter.loopCount = animation().loopCount;
    shorter.frames.clear();
    shorter.frames.push_back(animation().frames.front());
    EXPECT_EQ(CUndoHistory::IsSnapshotEqual(shorter, animation()), 1);
}

TEST_F(UndoHistoryTest, StepTextNamesTheActionAndSizeChange) {
    EXPECT_EQ(history->GetStepText(0), "[10781]  [10782]");
    animation().AnimationWidth = 300;
    history->BeginStep(10);
    animation().AnimationWidth = 200;
    ASSERT_EQ(history->EndStep(0), 1);
    EXPECT_EQ(history->GetUndoMenuText(), "[10781] [10952][10950] [10782]");
}

TEST_F(UndoHistoryTest, UndoAsksAboutLockedEdges) {
    animation().AnimationStateElasticSize = 0;
    animation().AnimationStateLockRight = 1;
    animation().AnimationWidth = 50;
    addFrame(0, 0, 60, 4);
    history->BeginStep(2);
    frameAt(0).delay = 9;
    ASSERT_EQ(history->EndStep(0), 1);
    shellFake.answers = {IDCANCEL};
    EXPECT_EQ(history->Undo(), 0);
    EXPECT_EQ(frameAt(0).delay, 9);
    shellFake.answers = {IDOK};
    EXPECT_EQ(history->Undo(), 1);
    EXPECT_EQ(frameAt(0).delay, 0);
    EXPECT_EQ(animation().AnimationStateLockRight, 0);
}

TEST_F(UndoHistoryTest, SnapshotsShareImagesAndLeakNothing) {
    for (int i = 0; i < 20; ++i)
        addFrame(0, 0, 16, 16);
    const int live = KpxLiveImageCount();
    for (int step = 0; step < 40; ++step) {
        history->BeginStep(2);
        frameAt(step % 20).delay += 1;
        ASSERT_EQ(history->EndStep(0), 1);
    }
    EXPECT_EQ(KpxLiveImageCount(), live) << "snapshots hold references, not copies";
    for (int i = 0; i < 5; ++i)
        history->Undo();
    animation().ResetFrames();
    history.reset();
    EXPECT_EQ(KpxLiveImageCount(), live - 20);
}

TEST_F(UndoHistoryTest, StepsGivenUpKeepNoImagesOfTheirFrames) {
    // Once a step can no longer be undone, its snapshot must not keep the frames' images alive:
    // a new or opened animation would otherwise carry the images of the one before it.
    static const auto changeStep = [](CUndoHistory& h) {
        h.BeginStep(2);
        g_pAnimationData->frames.front().delay = 7;
        ASSERT_EQ(h.EndStep(0), 1);
    };
    const struct {
        const char* road;
        void (*giveUp)(CUndoHistory&);
    } cases[] = {
        {"reset",
         [](CUndoHistory& h) {
             changeStep(h);
             h.Reset();
         }},
        {"undo",
         [](CUndoHistory& h) {
             changeStep(h);
             ASSERT_EQ(h.Undo(), 1);
         }},
        {"unchanged step",
         [](CUndoHistory& h) {
             h.BeginStep(2);
             ASSERT_EQ(h.EndStep(0), 0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.road);
        CUndoHistory steps;
        steps.Reset();
        animation().ResetFrames();
        const int before = KpxLiveImageCount();
        addFrame(0, 0, 8, 8);
        c.giveUp(steps);
        animation().ResetFrames();
        EXPECT_EQ(KpxLiveImageCount(), before);
    }
}

} // namespace
