#pragma once
// Composition of the frames of a chain onto a canvas image exactly as a GIF viewer shows them:
// before a frame is drawn, what the previous frame's disposal method asks for is done to the
// canvas. The composition state (previous disposal, previous rectangle, saved background) lives
// in the chain's first frame, so successive calls for one chain continue where the last stopped.

#include "Bitra5.h"
