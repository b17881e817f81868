#pragma once
// Turning the editor's frame list into a library frame chain headed by the first frame's image,
// and taking it apart again; tidying the per-frame images and records around a save.

#include "AnimationData.h"

enum class ChainImage { Base = 0, Display = 1 };

// 1 built (or nothing to build), 0 the first frame has no image or a frame could not be chained
// (nothing stays chained), 2 cancelled with Esc. A frame whose image is shared with a frame
// before it gets a copy of its own.
int BuildFramesImage(FrameList& list, int useDisplayImage, int showProgress);
// 0 for an empty list; otherwise unchains the first frame's chain and returns 1.
int SplitFramesImage(FrameList& list, int useDisplayImage);
void DeleteRenderedImages(FrameList& list);
void PutAllFramesInfo(int useRendered);
void ClearNPImageObjects(FrameList& list);
