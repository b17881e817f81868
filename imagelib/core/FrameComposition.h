#pragma once
// Composition of the frames of a chain onto a canvas image exactly as a GIF viewer shows them:
// before a frame is drawn, what the previous frame's disposal method asks for is done to the
// canvas. The composition state (previous disposal, previous rectangle, saved background) lives
// in the chain's first frame, so successive calls for one chain continue where the last stopped.

#include "Bitra5Api.h"

// Draws source onto an 8- or 24-bit canvas with its top-left corner at (x, y) through an
// optional 1-bit mask of the source's size (0 = none). 0 when nothing can be drawn.
BITRA5_API int KPXRenderImageTo(KpxHandle canvas, KpxHandle source, KpxHandle mask, int x, int y);

// Composes frame n of chain onto canvas, the logical screen mapped to the canvas rectangle
// (left, top, right, bottom); n = -1 only applies the pending disposal and records the head's.
// The disposal-2 background is the same area of background (an image of the canvas size) or,
// without one, the colour. The seven arguments after n are not used. Always returns 0.
BITRA5_API int KPXStretchBltFrame(KpxHandle canvas, int left, int top, int right, int bottom,
                                  KpxHandle chain, int n, int unused1, int unused2, int unused3,
                                  int unused4, int unused5, int unused6, int unused7,
                                  COLORREF colour, KpxHandle background);

// Composes frames from..to onto canvas at (x, y) at the screen's own size; from greater than to
// draws frame to alone. When keep is 0 the last frame's disposal is applied at the end.
BITRA5_API int KPXRenderFrames(KpxHandle chain, KpxHandle canvas, int x, int y, int from, int to,
                               COLORREF colour, KpxHandle background, int keep);
