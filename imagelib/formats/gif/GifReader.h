#pragma once
// Reading GIF files: the info routine (the block scan), the frame loader and the details list.
//
// The whole file is read once into memory and scanned once; the scan remembers where every
// image and its extensions start. While a multi-frame load holds a GifFileCacheScope, the bytes
// and the index stay cached between the per-frame calls (checked against the file's size and
// time), so loading every frame of a file reads and scans it only once.

#include <cstdint>

#include "CodecContext.h"
#include "ImageRecord.h"

// One block of a GIF file, as KPXGetGifDetails lists it (72 bytes).
struct KpxGifBlockInfo {
    std::int32_t kind; // 0 other extension, 1 header, 2 global table, 3 comment, 4 application,
                       // 5 graphic control, 6 local table, 7 image, 8 plain text
    std::int32_t offset;
    std::int32_t size;
    std::int32_t width;
    std::int32_t height;
    std::int32_t bits;
    char text[48];
};
static_assert(sizeof(KpxGifBlockInfo) == 72);

// Scans the file into the context (and the list, at most capacity entries); count receives the
// number of entries written.
BITRA5_API KpxResult KpxScanGifBlocks(KpxCodecContext* context, const char* path,
                                      std::int32_t offset, KpxGifBlockInfo* list,
                                      std::int32_t capacity, std::int32_t* count);
// The info routine of the format table.
BITRA5_API KpxResult KpxGifGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                                   KpxTransparentEntry* transparent, std::int32_t* count);
// The load routine: decodes the image whose index the context's frame number names.
BITRA5_API KpxResult KpxGifLoadFrame(KpxCodecContext* context, const char* path,
                                     std::int32_t offset, KpxProgressProc progress,
                                     KpxTransparentEntry* transparent, std::int32_t* count);
// Lists the blocks of the file into the caller's array of `capacity` entries; returns the
// number of entries written (never more than capacity), 0 when the scan fails.
BITRA5_API int KPXGetGifDetails(const char* path, KpxGifBlockInfo* list, int capacity);

namespace kpx::gif {

// Keeps the file read by the GIF routines cached while it lives (scopes nest).
class GifFileCacheScope {
public:
    GifFileCacheScope();
    ~GifFileCacheScope();
    GifFileCacheScope(const GifFileCacheScope&) = delete;
    GifFileCacheScope& operator=(const GifFileCacheScope&) = delete;
};

// How many times the GIF routines have read a file from disk (for tests).
unsigned long fileReadCount();

} // namespace kpx::gif
