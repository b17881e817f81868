#pragma once
// Moving frames of the program-wide animation on the logical screen: edges to a reference frame,
// centring and equal spacing of the selection. Each returns whether something moved.

#include "AnimationData.h"

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
// Moves every node of list so that their union rectangle starts at 0,0.
void NormalizeFramesOrigin(FrameList& list);
// The alignment commands' dispatcher: 1..4 edges to the current frame, 5 and 6 centring,
// 7 and 8 spacing of the selection.
int AlignFrames(int mode);

// The alignment command: AlignFrames(mode) as one undo step (kind 1). When frames moved past a
// locked edge and the user refuses to release it, the step is undone at once.
enum class AlignOutcome { NothingMoved, Aligned, Undone };
AlignOutcome AlignFramesStep(int mode);
