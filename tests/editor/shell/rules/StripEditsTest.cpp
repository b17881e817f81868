// The changes the strip and the canvas make to the animation: each one undo step, undone to the
// animation as it was, and nothing at all when nothing changes.

#include "StripEdits.h"

#include "ShellServices.h"
#include "UndoHistory.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace {

using namespace kfm::shell;

// The shell as the undo history needs it: a main window with a document.
class QuietShell : public ShellServices {
public:
    std::string loadString(UINT) override { return {}; }
    int messageBox(const std::string&, UINT) override { return IDOK; }
    bool hasMainWindow() override { return true; }
    LRESULT sendToMainWindow(UINT, WPARAM, LPARAM) override { return 0; }
    bool escapePressed() override { return false; }
    void setWaitCursor(bool) override {}
    bool hasActiveDocument() override { return true; }
    void setDocumentModified(bool) override {}
    void refreshStripView() override {}
    void redrawViews(int, int) override {}
    void updateAnimationPage() override {}
    void updateOptimizeState() override {}
};

CObjFrame makeFrame(int left, const char* comment) {
    CObjFrame frame;
    frame.SetImage(static_cast<std::uint16_t>(KPXCreateImage(4, 4, 8)));
    frame.width = 4;
    frame.height = 4;
    frame.left = left;
    frame.comment = comment;
    return frame;
}

class StripEditsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setShellServices(&shell_);
        CreateProgramAnimation();
        TheUndoHistory().Reset();
        TheUndoHistory().SetSize(10);
        g_pAnimationData->ResetFrames();
        for (const char* name : {"a", "b", "c"})
            frames().insert(std::prev(frames().end()), makeFrame(0, name));
        g_pAnimationData->UpdateFrameCount();
    }
    void TearDown() override {
        TheUndoHistory().Reset();
        DestroyProgramAnimation();
        setShellServices(nullptr);
    }

    static FrameList& frames() { return g_pAnimationData->frames; }
    // The labels of the real frames in list order.
    static std::vector<std::string> labels() {
        std::vector<std::string> out;
        for (auto it = frames().begin(); it != std::prev(frames().end()); ++it)
            out.push_back(it->comment);
        return out;
    }
    static CObjFrame& at(int i) { return *std::next(frames().begin(), i); }
    static FrameList incoming(std::initializer_list<const char*> names) {
        FrameList list;
        for (const char* name : names)
            list.push_back(makeFrame(0, name));
        return list;
    }

    QuietShell shell_;
};

using Labels = std::vector<std::string>;

TEST_F(StripEditsTest, DroppedFramesGoWhereTheDropSaysAsOneUndoStep) {
    const struct {
        const char* label;
        int item;
        int mode;
        Labels after;
    } cases[] = {
        {"before the first", 0, kDropBefore, {"x", "y", "a", "b", "c"}},
        {"after the first", 0, kDropAfter, {"a", "x", "y", "b", "c"}},
        {"after a middle frame", 1, kDropAfter, {"a", "b", "x", "y", "c"}},
        {"on the placeholder", 3, kDropBefore, {"a", "b", "c", "x", "y"}},
    };
    for (const auto& c : cases) {
        FrameDrop drop;
        drop.targetItem = c.item;
        drop.mode = c.mode;
        at(0).selected = at(0).current = 1;
        ASSERT_TRUE(DropFrames(incoming({"x", "y"}), drop)) << c.label;
        EXPECT_EQ(labels(), c.after) << c.label;
        EXPECT_EQ(g_pAnimationData->frameCount, 5) << c.label;
        EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindPaste) << c.label;
        // Only the dropped frames are selected, the first of them current.
        EXPECT_EQ(GetSelFramesCount(), 2) << c.label;
        EXPECT_EQ(GetCurrentFrame()->comment, "x") << c.label;
        ASSERT_EQ(TheUndoHistory().Undo(), 1) << c.label;
        EXPECT_EQ(labels(), (Labels{"a", "b", "c"})) << c.label;
        EXPECT_FALSE(TheUndoHistory().CanUndo()) << c.label;
    }
}

TEST_F(StripEditsTest, MovingFramesInsideTheStripIsOneStepAndUndoesWhole) {
    at(0).selected = 1;
    FrameList dragged = TakeDragFrames();
    ASSERT_EQ(dragged.size(), 1u);
    EXPECT_EQ(at(0).marked, 1);
    FrameDrop drop;
    drop.targetItem = 2;
    drop.mode = kDropAfter;
    drop.effect = DropEffect::Move;
    drop.fromThisView = true;
    drop.dragSourceItem = 0;
    ASSERT_TRUE(DropFrames(std::move(dragged), drop));
    EXPECT_FALSE(FinishDragFrames(false));
    EXPECT_EQ(labels(), (Labels{"b", "c", "a"}));
    EXPECT_EQ(g_pAnimationData->frameCount, 3);
    EXPECT_EQ(GetCurrentFrame()->comment, "a");
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindMoveFrames);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(labels(), (Labels{"a", "b", "c"}));
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(StripEditsTest, ACopyInsideTheStripKeepsTheOriginals) {
    at(1).selected = 1;
    FrameDrop drop;
    drop.targetItem = 3;
    drop.mode = kDropBefore;
    drop.fromThisView = true;
    drop.dragSourceItem = 1;
    ASSERT_TRUE(DropFrames(TakeDragFrames(), drop));
    FinishDragFrames(false);
    EXPECT_EQ(labels(), (Labels{"a", "b", "c", "b"}));
    for (const CObjFrame& f : frames())
        EXPECT_EQ(f.marked, 0);
}

TEST_F(StripEditsTest, DropsThatChangeNothingLeaveNoStep) {
    at(1).selected = 1;
    FrameDrop ontoItself;
    ontoItself.targetItem = 1;
    ontoItself.effect = DropEffect::Move;
    ontoItself.fromThisView = true;
    ontoItself.dragSourceItem = 1;
    EXPECT_FALSE(DropFrames(TakeDragFrames(), ontoItself));
    FinishDragFrames(false);
    // Nothing that is not a frame (an empty drop) changes anything either.
    EXPECT_FALSE(DropFrames(FrameList{}, FrameDrop{}));
    // The placeholder alone is nothing to drag.
    DeselectAllFrames();
    SelectFrame(3);
    EXPECT_TRUE(TakeDragFrames().empty());
    EXPECT_EQ(labels(), (Labels{"a", "b", "c"}));
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    EXPECT_EQ(at(1).marked, 0);
}

TEST_F(StripEditsTest, FramesMovedIntoAnotherProgramLeaveAsOneStep) {
    at(0).selected = 1;
    at(2).selected = 1;
    ASSERT_EQ(TakeDragFrames().size(), 2u);
    EXPECT_TRUE(FinishDragFrames(true));
    EXPECT_EQ(labels(), (Labels{"b"}));
    EXPECT_EQ(g_pAnimationData->frameCount, 1);
    ASSERT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindMoveFrames);
    TheUndoHistory().Undo();
    EXPECT_EQ(labels(), (Labels{"a", "b", "c"}));
}

TEST_F(StripEditsTest, LabelsAreOneStepEach) {
    EXPECT_TRUE(CommitFrameLabel(1, "new"));
    EXPECT_EQ(at(1).comment, "new");
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindFrameLabel);
    // An unchanged label, the placeholder and a place outside the list leave no step.
    EXPECT_FALSE(CommitFrameLabel(1, "new"));
    EXPECT_FALSE(CommitFrameLabel(3, "placeholder"));
    EXPECT_FALSE(CommitFrameLabel(-1, "x"));
    TheUndoHistory().Undo();
    EXPECT_EQ(at(1).comment, "b");
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(StripEditsTest, TheSelectionMovesAsAGroupUnlessAFrameIsLocked) {
    at(0).left = 10;
    at(0).top = 5;
    at(2).left = 30;
    at(2).top = 0;
    at(0).selected = at(2).selected = 1;
    EXPECT_TRUE(MoveSelectedFramesTo(12, 3));
    EXPECT_EQ(at(0).left, 12);
    EXPECT_EQ(at(0).top, 8);
    EXPECT_EQ(at(2).left, 32);
    EXPECT_EQ(at(2).top, 3);
    EXPECT_EQ(at(1).left, 0);
    EXPECT_FALSE(MoveSelectedFramesTo(12, 3));
    at(2).reserved2 = 1;
    EXPECT_TRUE(IsFrameLocked(at(2)));
    EXPECT_FALSE(MoveSelectedFramesTo(0, 0));
    EXPECT_EQ(at(0).left, 12);
}

TEST_F(StripEditsTest, APictureBecomesAFrameOfItsSize) {
    const KpxHandle image = KPXCreateImage(7, 3, 24);
    const CObjFrame frame = FrameFromImage(image);
    EXPECT_EQ(frame.GetImage(), image);
    EXPECT_EQ(frame.width, 7);
    EXPECT_EQ(frame.height, 3);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.disposal, 1);
}

} // namespace
