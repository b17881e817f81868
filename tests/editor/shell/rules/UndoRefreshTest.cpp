// What an undo refreshes, by the kind of the undone step.

#include "UndoRefresh.h"

#include "UndoHistory.h"

#include <gtest/gtest.h>

namespace {

using kfm::shell::UndoRefresh;
using kfm::shell::UndoRefreshForKind;

TEST(UndoRefresh, EachKindRefreshesWhatItsStepChanged) {
    const struct {
        int kind;
        bool rebuildStrip, repaintStrip, framePage, commonValues, optimiser, views, fit;
    } cases[] = {
        {kUndoKindAnimationSize, true, false, true, false, false, false, true},
        {kUndoKindElasticSize, true, false, true, false, false, false, true},
        {kUndoKindMove, true, false, true, true, false, true, true},
        {kUndoKindCut, true, false, true, false, true, true, true},
        {kUndoKindImport, true, false, true, false, true, true, true},
        {kUndoKindMergeFrames, true, false, true, false, true, true, true},
        {kUndoKindMirrorHorizontally, false, true, false, false, false, true, false},
        {kUndoKindMirrorVertically, false, true, false, false, false, true, false},
        {kUndoKindDelay, true, false, true, false, false, true, false},
        {kUndoKindMoveFrames, true, false, true, false, false, true, false},
        {kUndoKindPalette, true, false, true, false, false, true, false},
        {kUndoKindDuplicateFrames, true, false, true, false, false, true, false},
        {kUndoKindRenderStates, true, false, true, false, false, true, false},
        {kUndoKindSaveAndPreview, false, false, false, false, false, false, false},
    };
    for (const auto& c : cases) {
        const UndoRefresh r = UndoRefreshForKind(c.kind);
        EXPECT_EQ(r.rebuildStrip, c.rebuildStrip) << c.kind;
        EXPECT_EQ(r.repaintStrip, c.repaintStrip) << c.kind;
        EXPECT_EQ(r.framePage, c.framePage) << c.kind;
        EXPECT_EQ(r.framePageCommonValues, c.commonValues) << c.kind;
        EXPECT_EQ(r.optimiserControls, c.optimiser) << c.kind;
        EXPECT_EQ(r.documentViews, c.views) << c.kind;
        EXPECT_EQ(r.fitColumnOnResize, c.fit) << c.kind;
    }
}

} // namespace
