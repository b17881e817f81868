#pragma once
// The corner control's geometry: an inner rectangle inside the control with one clickable
// 15 x 15 mark in the middle of each side (the four edge locks), and which mark a point hits.

#include "types/Win32Types.h"

namespace kfm::shell {

// Side bits of the corner control.
enum CornerSide : int { kSideLeft = 1, kSideTop = 2, kSideRight = 4, kSideBottom = 8 };
constexpr int kAllSides = kSideLeft | kSideTop | kSideRight | kSideBottom;

struct CornerGeometry {
    int innerLeft = 0;
    int innerTop = 0;
    int innerRight = 0;
    int innerBottom = 0;
    int centreX = 0;
    int centreY = 0;
};

// The geometry of a control whose client area is width x height.
CornerGeometry CornerGeometryFor(int width, int height);
// The centre of a side's mark (side one of the four side bits).
POINT CornerMarkCentre(const CornerGeometry& geometry, int side);
// The square of a side's mark, right and bottom exclusive.
RECT CornerMarkRect(const CornerGeometry& geometry, int side);
// The enabled mark under the client point (bounds exclusive), or 0. Where two marks' areas
// overlap the later of left, top, bottom, right wins.
int CornerMarkAt(const CornerGeometry& geometry, int enabledMarks, int x, int y);

} // namespace kfm::shell
