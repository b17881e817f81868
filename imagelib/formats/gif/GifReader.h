#pragma once
// Reading GIF files: the info routine (the block scan), the frame loader and the details list.
//
// The whole file is read once into memory and scanned once; the scan remembers where every
// image and its extensions start. While a multi-frame load holds a GifFileCacheScope, the bytes
// and the index stay cached between the per-frame calls (checked against the file's size and
// time), so loading every frame of a file reads and scans it only once.

#include <cstdint>

#include "Bitra5.h"
#include "Bitra5Testing.h"
#include "CodecContext.h"
#include "ImageRecord.h"

namespace kpx::gif {

// Keeps the file read by the GIF routines cached while it lives (scopes nest).
class GifFileCacheScope {
public:
    GifFileCacheScope();
    ~GifFileCacheScope();
    GifFileCacheScope(const GifFileCacheScope&) = delete;
    GifFileCacheScope& operator=(const GifFileCacheScope&) = delete;
};

} // namespace kpx::gif
