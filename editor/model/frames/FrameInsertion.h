#pragma once
// The insertion rule for new frames (a new frame, a text or control object, an import): they go
// after the current frame, in order, or before the placeholder when that is current (at the end
// when no entry is current). Every new frame is selected and the first becomes the only current
// frame. Frames without a picture are then removed, the real frames counted again and the views
// refreshed.

#include "AnimationData.h"

// Moves the incoming frames into the program-wide animation; the number of frames inserted.
int InsertFramesAfterCurrent(FrameList& incoming);
