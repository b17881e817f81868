#pragma once
// A frame at another size: a vector frame's drawing is rendered again at that size, any other
// frame's picture is resampled with its transparency.

#include "AnimationData.h"

namespace kfm::model {

// Resampling of FrameResizeCopy: nearest neighbour keeps an 8-bit frame 8-bit with its palette
// and transparent index; the others make it 24-bit with its transparency as graded alpha.
enum FrameResampling : int { kResampleNearest = 0, kResampleLinear, kResampleCubic, kResampleArea };

// A copy of the frame at width x height (each held to 1..9999). interpolation is one of the
// resampling codes (others mean nearest neighbour); antialias applies to vector frames. False,
// with out untouched, when the frame has no picture or no image could be made.
bool FrameResizeCopy(const CObjFrame& frame, int width, int height, int interpolation,
                     bool antialias, CObjFrame& out);

} // namespace kfm::model
