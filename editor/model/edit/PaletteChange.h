#pragma once
// Carrying a palette edit of one frame to others. The palette dialog edits a copy of the current
// frame's image; the entries that differ between that copy before and after the edit are applied
// to the target frames, each of which gets a copy of its image the first time it changes (the
// undo history's snapshots share the old images).

#include "Bitra5.h"

constexpr int kPaletteApplyByIndex = 1;
constexpr int kPaletteApplyByColour = 2;

// Compares every entry that both palettes have. Mode 1 (by index): a changed entry i is set to
// its new colour in each target frame that has an entry i. Mode 2 (by colour): in each target
// frame, every entry holding a changed entry's old colour gets its new colour. The targets are
// the selected frames, or the current frame alone with currentOnly; frames without a palette are
// left alone. The number of frames whose image changed.
int ApplyPaletteChange(KpxHandle oldImage, KpxHandle newImage, int mode, bool currentOnly = false);
