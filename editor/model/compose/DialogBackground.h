#pragma once
// The picture the object dialogs (text, system control, rotate) show behind the object they
// edit.

#include "Bitra5.h"

// With renderFrames and real frames: the visible state of the animation up to the frame before
// the last selected one, with that state's rectangle. Otherwise, or when that state gives no
// picture: the selected frames but the current one over the transparency grid, in the canvas's
// selection rectangle. rect receives the picture's place on the animation's screen (right and
// bottom exclusive); 0 when there is no picture. The caller deletes the picture.
KpxHandle CreateObjectDialogBackground(int renderFrames, const RECT& selection, RECT& rect);
