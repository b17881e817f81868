#pragma once
// The bounds within which the GIF fuzz targets decode and load an input, so that one input costs
// at most a few megabytes and milliseconds.

#include <cstddef>

#include "GifBlocks.h"

namespace gif_fuzz {

constexpr std::size_t kMaxFrames = 64;
constexpr std::size_t kMaxPixels = 512 * 512;

// Inputs whose frames all pass the decode bounds may go through the library's loads.
inline bool withinLoadBounds(const kpx::gif::GifFileIndex& index) {
    if (index.frames.empty() || index.frames.size() > kMaxFrames)
        return false;
    for (const kpx::gif::FrameLocation& frame : index.frames)
        if (std::size_t{frame.width} * frame.height > kMaxPixels)
            return false;
    return true;
}

} // namespace gif_fuzz
