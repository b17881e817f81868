#pragma once
// Whole animations between files and frame chains: the multi-frame load and save and the table
// of loads asked to stop.

#include <cstdint>
#include <vector>

#include "Bitra5Api.h"

// Progress of multi-frame loads and saves: (first frame, frame index, user data); 1 stops.
using KpxFramesProgress = int (*)(KpxHandle firstFrame, int frameIndex, void* userData);

// Save flags.
constexpr std::int32_t kKpxSaveInterlaced = 0x80;
constexpr std::int32_t kKpxSaveFrameByFrame = 0x200;
constexpr std::int32_t kKpxSaveFewestCodeBits = 0x400;

// Asks the multi-frame load whose first frame is handle to stop. 0 for handles of 0 or less.
BITRA5_API int KPXBreakLoadImageFrames(KpxHandle handle);
// Every frame of the GIF at offset as a new chain: the first frame's handle, 0 when nothing
// loaded, -1 when the progress function stopped the load (no image is left then).
BITRA5_API KpxHandle KPXLoadImageFramesOffset(const char* path, std::int32_t offset,
                                              KpxFramesProgress progress, void* userData);
// What the calling thread's last KPXLoadImageFramesOffset could not deliver. A frame that fails
// to load is left out of the chain (the frames after it move up); a frame whose image data
// cannot be decoded in full is kept, the pixels the data did not give showing the background
// index. When the first image fails the load gives 0.
struct KpxFramesLoadReport {
    int imagesInFile = 0;
    std::vector<int> lostImages;    // images of the file (from 0) missing from the chain
    std::vector<int> damagedFrames; // chain positions (from 0) of frames decoded only in part
    bool complete() const { return lostImages.empty() && damagedFrames.empty(); }
};
BITRA5_API KpxFramesLoadReport KPXGetFramesLoadReport();

// Writes the chain: 1 on success, 0 when a frame could not be written, -1 when the progress
// function stopped the save. The file at path is replaced only by a complete save.
BITRA5_API int KPXSaveImageFrames(KpxHandle firstFrame, const char* path, std::int32_t formatId,
                                  std::int32_t flags, std::int32_t option2,
                                  KpxFramesProgress progress, void* userData);

namespace kpx {
// Code bits that cover n palette entries: n < 3 gives 1, < 5 gives 2 ... else 8.
int codeBitsForEntries(int n);
} // namespace kpx
