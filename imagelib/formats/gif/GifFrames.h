#pragma once
// Multi-frame load and save: a GIF file to a frame chain and a frame chain to a GIF file (or to
// a file of another format, frame by frame), and the break table through which another thread
// stops a running multi-frame load.

#include <cstdint>

#include "Bitra5Api.h"

// Progress of multi-frame loads and saves: called after each frame with the first frame's
// handle and the frame's index; 1 stops the operation.
using KpxFramesProgress = int (*)(KpxHandle firstFrame, int frameIndex, void* userData);

// Save flags of KPXSaveImageFrames.
constexpr std::int32_t kKpxSaveInterlaced = 0x80;
constexpr std::int32_t kKpxSaveFrameByFrame = 0x200;
constexpr std::int32_t kKpxSaveFewestCodeBits = 0x400;

// Asks the multi-frame load whose first frame is handle to stop. Returns 0 for a handle of 0 or
// less, else 1 (also when the table is full and the request is dropped).
BITRA5_API int KPXBreakLoadImageFrames(KpxHandle handle);
// Loads every frame of the GIF file at offset into a new chain: the first frame's handle, 0
// when nothing could be loaded, -1 when the progress function stopped the load.
BITRA5_API KpxHandle KPXLoadImageFramesOffset(const char* path, std::int32_t offset,
                                              KpxFramesProgress progress, void* userData);
// Writes the chain. 1 on success, 0 when a frame could not be written (or the handle is 0), -1
// when the progress function stopped the save. The file at path is replaced only when the
// whole save succeeded; otherwise it stays as it was.
BITRA5_API int KPXSaveImageFrames(KpxHandle firstFrame, const char* path, std::int32_t formatId,
                                  std::int32_t flags, std::int32_t option2,
                                  KpxFramesProgress progress, void* userData);
