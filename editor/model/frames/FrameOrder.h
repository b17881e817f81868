#pragma once
// Changes of the frame list's order that keep every frame whole: duplicating the selection and
// moving it one place earlier or later. Moving splices the list's nodes, so ids, images and
// object records stay with their frames.

#include "AnimationData.h"

// Appends copies of the selected real frames, in list order, after the last real frame. Each
// copy gets an id of its own; the copies become the selection, the first of them current. The
// number of copies.
int CopyFramesList();

// Moves the selected real frames, in their order, in front of the entry before the first
// selected one. 1 when something moved; 0 when nothing is selected, the first entry is selected
// or the placeholder is.
int MoveSelectedFramesEarlier();
// Moves the selected real frames, in their order, behind the entry after the last selected one.
// 1 when something moved; 0 when nothing is selected, the last real frame or the placeholder is.
int MoveSelectedFramesLater();

// The commands over these, each one undo step: duplicate (kind 37) and the moves (kind 16, frames
// without a picture removed). 1 when the step changed the animation.
int CopyFramesListStep();
int MoveSelectedFramesStep(bool earlier);

// Makes the entry before (step -1) or after (step 1) the current one the only selected and
// current entry; the placeholder counts, so the last real frame's next is the placeholder. The
// new current index, or -1 when there is no current entry or the step leaves the list.
int SelectNeighbourFrame(int step);
