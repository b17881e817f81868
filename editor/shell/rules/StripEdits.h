#pragma once
// The changes that the frame strip and the canvas make to the animation, free of widgets: frames
// dropped into the strip, frames dragged out of it, a frame's label and the move of the selected
// frames. Each change is one undo step; a change that leaves the animation as it was leaves no
// step.

#include <string>

#include "AnimationData.h"
#include "StripGeometry.h"

namespace kfm::shell {

// Frames dragged from this strip: copies of the selected frames that have an image; the
// originals are marked so that a move can remove them afterwards. Empty when none is selected.
FrameList TakeDragFrames();
// The end of a drag from this strip: when the frames were moved into another program, the
// marked originals are removed as one undo step (kind 16). Then every mark is cleared and the
// frame count follows the list. True when frames were removed.
bool FinishDragFrames(bool movedElsewhere);

struct FrameDrop {
    int targetItem = 0;    // the strip item the frames were dropped on
    int mode = kDropAfter; // kDropBefore or kDropAfter
    DropEffect effect = DropEffect::Copy;
    bool fromThisView = false; // dragged out of this strip (their originals are marked)
    int dragSourceItem = -1;   // the item the drag started on
};

// Puts dropped frames into the animation: every frame is deselected, the incoming ones are
// selected and the first becomes current; they go in before the first item (mode 1 on it),
// before the placeholder (dropped on it) or after the target item. A move from this strip
// removes the originals in the same step. One undo step, kind 16 for a move and 18 for a copy.
// Nothing happens for no frames or a move onto its own source item. True when the animation
// changed.
bool DropFrames(FrameList incoming, const FrameDrop& drop);

// A frame made from a dropped picture: the image becomes the frame's, with the image's own
// frame information. The frame owns the image.
CObjFrame FrameFromImage(KpxHandle image);

// Sets the label (comment) of frame index as one undo step (kind 8). False for the placeholder,
// an index outside the list, or an unchanged text.
bool CommitFrameLabel(int index, const std::string& text);

// The always-shown and locked flags of the frame page: frames shown on the canvas when not
// selected, and frames that the canvas may not move.
bool IsFrameAlwaysShown(const CObjFrame& frame);
bool IsFrameLocked(const CObjFrame& frame);

// Moves the selected real frames as a group so that their union starts at (x, y). Nothing
// moves while a selected frame is locked. True when a frame moved.
bool MoveSelectedFramesTo(int x, int y);

} // namespace kfm::shell
