#pragma once
// The optimiser: makes the animation smaller before it is saved as a GIF. It flattens object
// frames into plain 8-bit images, converts the frames to one common palette, turns pixels that
// do not change from one frame to the next into a transparent colour and crops every frame to
// the rectangle that still holds visible pixels. Also the two size measurements behind the
// optimisation page's download-time estimate.
//
// Everything works on the program-wide animation. A run can be cancelled with Esc through the
// progress protocol; the work done so far then stays in the animation and the caller undoes
// the step it opened around the run.

#include <string>

#include "AnimationData.h"
#include "PaletteRender.h"

// Results of OptimizeAnimation and RemoveRedundantPixels.
constexpr int kOptimizeCancelled = 2;

// Runs the optimiser with the options: 2 when the user cancelled (the caller undoes its step),
// any other value when it completed.
int OptimizeAnimation(OptimizeOptions options);
// The difference method: every frame becomes a full-canvas 8-bit image at 0,0 with disposal 1
// in which the pixels equal to the picture shown before carry a transparent index. 0 when the
// frame chain cannot be built (nothing changed), 1 done, 2 cancelled.
int RemoveRedundantPixels();
// Crops transparent borders: with fromSecondFrame every frame from the second on is a
// candidate, else only the selected frames. A wholly transparent frame after a frame of
// disposal 1 is merged into it (its delay added).
void CropFramesToOptimalRect(int fromSecondFrame);

// The size in bytes of the file at path, 0 when there is none.
int GetFileSizeOnDisk(const std::string& path);
