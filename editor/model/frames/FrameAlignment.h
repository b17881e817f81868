#pragma once
// Moving frames of the program-wide animation on the logical screen: edges to a reference frame,
// centring and equal spacing of the selection. Each returns whether something moved.

#include "FrameObject.h"

int AlignLeft(CObjFrame* reference);
int AlignTop(CObjFrame* reference);
int AlignRight(CObjFrame* reference);
int AlignBottom(CObjFrame* reference);
// 0 when aligning the selection to side 1..4 of the reference would push a frame off the screen.
int AlignCheckLock(CObjFrame* reference, int side);
int CenterHoriz(RECT selection);
int CenterVert(RECT selection);
int SpaceAcross(RECT bounds, int count);
int SpaceDown(RECT bounds, int count);
