#pragma once
// A stand-in for the AVIFile functions of Video for Windows over FFmpeg (libavformat,
// libavcodec, libswscale), which the video module (VideoModule.h) holds: it is loaded when the
// first file is opened, and these functions hand the calls on to it. AVI files open with their
// streams; the frames of a video stream are decoded in order and handed out as packed bottom-up
// 24-bit DIBs.
//
// Positions count the frames of a stream from 0, one for every frame interval of its rate and
// scale; a frame the file leaves out (an empty chunk) shows the picture before it. Asking for
// the frames in order decodes the clip once: the decoder only seeks, to the key frame at or
// before the position asked for, when that position lies behind the last picture decoded or
// beyond a key frame that has not been reached yet.

#include <cstdint>

#include "types/Export.h"
#include "video/AviTypes.h"

// Nothing to set up or tear down; kept for the callers' pairs.
KFM_PLATFORM_API void AVIFileInit();
KFM_PLATFORM_API void AVIFileExit();

// Opens an AVI file for reading (files of other kinds are refused with AVIERR_BADFORMAT, a file
// that cannot be read with AVIERR_FILEOPEN, every file with REGDB_E_CLASSNOTREG when the video
// module cannot be loaded). The handler argument is ignored.
KFM_PLATFORM_API HRESULT AVIFileOpenA(PAVIFILE* file, const char* path, UINT mode, void* handler);
// Fills at most size bytes of the information.
KFM_PLATFORM_API HRESULT AVIFileInfoA(PAVIFILE file, AVIFILEINFOA* info, LONG size);
// The index-th stream (from 0) of a type (0: any type); AVIERR_NODATA when there is none.
KFM_PLATFORM_API HRESULT AVIFileGetStream(PAVIFILE file, PAVISTREAM* stream, DWORD type,
                                          LONG index);
KFM_PLATFORM_API ULONG AVIFileRelease(PAVIFILE file);

KFM_PLATFORM_API HRESULT AVIStreamInfoA(PAVISTREAM stream, AVISTREAMINFOA* info, LONG size);
// The stream's first position and its number of frames.
KFM_PLATFORM_API LONG AVIStreamStart(PAVISTREAM stream);
KFM_PLATFORM_API LONG AVIStreamLength(PAVISTREAM stream);
KFM_PLATFORM_API ULONG AVIStreamRelease(PAVISTREAM stream);

// A decoder of a video stream's frames into 24-bit DIBs of the stream's size (the wanted format
// must be null or ask for that); null for other streams or when no decoder opens.
KFM_PLATFORM_API PGETFRAME AVIStreamGetFrameOpen(PAVISTREAM stream, const BITMAPINFOHEADER* wanted);
// The frame at a position as a BITMAPINFOHEADER followed by its rows, valid until the next call
// or the close; null when the position lies outside the stream or cannot be decoded.
KFM_PLATFORM_API void* AVIStreamGetFrame(PGETFRAME frames, LONG position);
KFM_PLATFORM_API HRESULT AVIStreamGetFrameClose(PGETFRAME frames);

namespace kfm::video {

// How many pictures the decoder has decoded so far, those not handed out included.
KFM_PLATFORM_API std::int64_t decodedPictureCount(PGETFRAME frames);

} // namespace kfm::video
