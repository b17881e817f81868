#pragma once
// Frames that stick out of the animation area: the test, the question before a save, and the
// crop of the frames' images to the area. A GIF cannot place an image left of or above its
// logical screen, so every save road crops such frames first or is not taken.

#include "AnimationData.h"

// 1 when the frame is tested (its has-text flag equals textFlag or its has-vector flag equals
// vectorFlag) and sticks out of the animation area, else 0.
int IsFrameOutsideAnimation(const CObjFrame& frame, int textFlag, int vectorFlag);
// 6 (IDYES) when no plain frame sticks out; otherwise asks whether to crop them: on OK the
// frames are cropped in an undo step of their own and IDOK is returned, else IDCANCEL.
int CheckFramesInsideAnimation();
// Crops the images (and masks) of the plain frames that stick out to the animation area; a
// frame that keeps no pixel is removed and the real-frame count drops by one.
void CropFramesToAnimation();
