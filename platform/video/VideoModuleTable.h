#pragma once
// The functions the clip module offers: the AVIFile stand-in and the media question over FFmpeg,
// built as a module of their own (libKfmVideoFFmpeg.so beside the platform library) so that only
// a program that opens a clip maps FFmpeg's libraries. The module hands out one table of them
// through its single exported function.

#include <cstdint>

#include "video/AviTypes.h"

namespace kfm::video {

// Changes whenever the table's layout or meaning does: a module of another version is refused.
inline constexpr std::uint32_t kVideoModuleVersion = 1;

struct VideoModuleTable {
    std::uint32_t version;
    std::uint32_t size; // sizeof(VideoModuleTable) of the module
    HRESULT (*fileOpen)(PAVIFILE* file, const char* path);
    HRESULT (*fileInfo)(PAVIFILE file, AVIFILEINFOA* info, LONG size);
    HRESULT (*fileGetStream)(PAVIFILE file, PAVISTREAM* stream, DWORD type, LONG index);
    ULONG (*fileRelease)(PAVIFILE file);
    HRESULT (*streamInfo)(PAVISTREAM stream, AVISTREAMINFOA* info, LONG size);
    LONG (*streamStart)(PAVISTREAM stream);
    LONG (*streamLength)(PAVISTREAM stream);
    ULONG (*streamRelease)(PAVISTREAM stream);
    PGETFRAME (*getFrameOpen)(PAVISTREAM stream, const BITMAPINFOHEADER* wanted);
    void* (*getFrame)(PGETFRAME frames, LONG position);
    HRESULT (*getFrameClose)(PGETFRAME frames);
    std::int64_t (*decodedPictureCount)(PGETFRAME frames);
    bool (*canOpenStreamedMedia)();
};

// The name of the module's one exported function, which returns its table.
inline constexpr const char* kVideoModuleEntryName = "kfmVideoModuleTable";
using VideoModuleEntry = const VideoModuleTable* (*)();

} // namespace kfm::video
