#pragma once
// The index change as an edit of the animation (see imagelib/core/README.md for the shape every
// edit follows). The undo snapshots share the frames' images by reference, so the edit never
// changes a frame's image in place: it changes a copy and gives the copy to the frame, and the
// snapshot keeps the image as it was.

#include "AnimationData.h"

// Changes index from to index to (with swap: trades the two) in a copy of the frame's image and
// puts the copy in the frame. 1, or 0 when the frame has no image, the change does not apply to
// the image (depth, indices) or the copy cannot be made; the frame is then unchanged.
int ChangeFrameIndex(CObjFrame& frame, int from, int to, int swap);
// The change on every selected frame of the animation in one undo step of kind Palette; the
// number of frames changed.
int ChangeIndexInSelectedFrames(int from, int to, int swap);
