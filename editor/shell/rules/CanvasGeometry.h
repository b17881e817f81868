#pragma once
// The canvas's geometry, free of widgets: zoom steps and what they allow, the zoomed area and
// where it sits in the pane, the checkerboard cell at a zoom, the mouse and key moves of the
// selection and the limits the edge locks put on them.

#include "EdgeLocks.h"
#include "types/Win32Types.h"

namespace kfm::shell {

// Zoom modes of the zoom commands.
constexpr int kZoomOut = 0;
constexpr int kZoomActual = 1;
constexpr int kZoomIn = 2;

constexpr float kZoomMinimum = 0.25f;
constexpr float kZoomMaximum = 8.0f;

// The zoom after a mode: out halves, actual is 1, in doubles.
float ZoomAfter(float zoom, int mode);
// The scroll position that keeps the same place in view after the mode: halved, divided by the
// old zoom (truncated) or doubled; never negative.
POINT ScrollAfterZoom(POINT scroll, float zoom, int mode);
// Whether a mode is offered at a zoom: in below 8, out above 0.25, actual when not 1.
bool ZoomModeAllowed(float zoom, int mode);

// The animation's size at a zoom, each side truncated.
SIZE ZoomedSize(int width, int height, float zoom);
// The checkerboard cell drawn into the unzoomed background so that cells keep their screen
// size at any zoom (at least one pixel).
int CheckerCellAtZoom(int cell, float zoom);

// The top-left corner of the animation area (the zoomed size plus a one-pixel border each way)
// in the pane: centred where the pane is larger, else at 0; then shifted by the scroll position.
POINT CanvasAreaOrigin(SIZE client, SIZE zoomed, POINT scroll);
// The selection rectangle at a zoom: left and top scaled, width and height scaled and added.
RECT ScaleSelection(const RECT& selection, float zoom);
// The picture position under the mouse for a grab offset inside the selection.
POINT PositionFromMouse(POINT mouse, POINT grab, POINT areaOrigin, float zoom);

// How far a key moves the selection: 10 pixels with Shift, else 1.
int KeyMoveStep(bool shift);

struct MoveLimits {
    int minX = 0;
    int maxX = 0;
    int minY = 0;
    int maxY = 0;
};
// The positions the selection (union `selection`, now at `position`) may take: at least one
// pixel stays on the screen; elastic size and locked edges keep it off the edges they guard.
// All 0 without real frames.
MoveLimits ComputeMoveLimits(const RECT& selection, POINT position,
                             const kfm::model::EdgeLockState& state, int realFrames);
POINT ClampToLimits(POINT wanted, const MoveLimits& limits);

} // namespace kfm::shell
