#pragma once
// What the views show again after an undo, chosen by the kind of the step that was undone:
// property edits refresh the pages, list changes rebuild the strip, mirrors repaint.

namespace kfm::shell {

struct UndoRefresh {
    // The strip's items are made again from the frame list (otherwise only repainted).
    bool rebuildStrip = false;
    bool repaintStrip = false;
    bool animationPage = false;
    // The frame page shows the selection; with several frames their common values.
    bool framePage = false;
    bool framePageCommonValues = false;
    bool frameControls = false;
    bool optimiserControls = false;
    // The document's views (canvas) are redrawn.
    bool documentViews = false;
    // The strip's column is fitted to the thumbnails when the animation's size changed.
    bool fitColumnOnResize = false;
};

// The refresh after undoing a step of kind.
UndoRefresh UndoRefreshForKind(int kind);

} // namespace kfm::shell
