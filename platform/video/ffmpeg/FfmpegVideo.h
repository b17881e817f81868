#pragma once
// The video module's own functions over FFmpeg, which its table (VideoModuleTable.h) hands out:
// the AVIFile stand-in's calls, with the meanings AviFile.h gives them, and the media question of
// MediaSupport.h.

#include <cstdint>

#include "video/AviFile.h"

namespace kfm::video::ffmpeg {

HRESULT fileOpen(PAVIFILE* file, const char* path);
HRESULT fileInfo(PAVIFILE file, AVIFILEINFOA* info, LONG size);
HRESULT fileGetStream(PAVIFILE file, PAVISTREAM* stream, DWORD type, LONG index);
ULONG fileRelease(PAVIFILE file);
HRESULT streamInfo(PAVISTREAM stream, AVISTREAMINFOA* info, LONG size);
LONG streamStart(PAVISTREAM stream);
LONG streamLength(PAVISTREAM stream);
ULONG streamRelease(PAVISTREAM stream);
PGETFRAME getFrameOpen(PAVISTREAM stream, const BITMAPINFOHEADER* wanted);
void* getFrame(PGETFRAME frames, LONG position);
HRESULT getFrameClose(PGETFRAME frames);
std::int64_t decodedPictureCount(PGETFRAME frames);

bool canOpenStreamedMedia();

} // namespace kfm::video::ffmpeg
