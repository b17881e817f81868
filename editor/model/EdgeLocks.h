#pragma once
// The frames' bounding box, the edge-lock check and the transparency checkerboard settings.

#include "AnimationData.h"

// Union of the rectangles of every node of the list (null = the program-wide list), the
// placeholder included; all edges 0 for an empty list.
void GetFramesBounds(RECT& out, const FrameList* list);
// 1 when no locked edge of the animation is crossed (or the size is elastic). Otherwise asks the
// user (string 10688, OK/Cancel): Cancel gives 0, OK clears the violated locks and gives 1. The
// tested rectangle is rect when given, else the bounds of list.
int CheckEdgeLocks(const FrameList* list, const RECT* rect);
// The checkerboard: cell size in pixels (0 = none) and its two colours.
void GetTransparencyGrid(int& cell, COLORREF& colour1, COLORREF& colour2);
