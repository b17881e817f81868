#pragma once
// A stand-in for the AVIFile functions of Video for Windows over FFmpeg (libavformat,
// libavcodec, libswscale). AVI files open with their streams; the frames of a video stream are
// decoded in order and handed out as packed bottom-up 24-bit DIBs.
//
// Positions count the frames of a stream from 0, one for every frame interval of its rate and
// scale; a frame the file leaves out (an empty chunk) shows the picture before it. Asking for
// the frames in order decodes the clip once: the decoder only seeks, to the key frame at or
// before the position asked for, when that position lies behind the last picture decoded or
// beyond a key frame that has not been reached yet.

#include <cstdint>

#include "types/Win32Types.h"

using ULONG = std::uint32_t;

struct AVIFILEINFOA {
    DWORD dwMaxBytesPerSec;
    DWORD dwFlags;
    DWORD dwCaps;
    DWORD dwStreams;
    DWORD dwSuggestedBufferSize;
    DWORD dwWidth; // of the first video stream, as are the values below
    DWORD dwHeight;
    DWORD dwScale; // dwRate / dwScale frames a second
    DWORD dwRate;
    DWORD dwLength; // frames
    DWORD dwEditCount;
    char szFileType[64];
};
static_assert(sizeof(AVIFILEINFOA) == 108);

struct AVISTREAMINFOA {
    DWORD fccType;
    DWORD fccHandler;
    DWORD dwFlags;
    DWORD dwCaps;
    WORD wPriority;
    WORD wLanguage;
    DWORD dwScale;
    DWORD dwRate;
    DWORD dwStart;
    DWORD dwLength;
    DWORD dwInitialFrames;
    DWORD dwSuggestedBufferSize;
    DWORD dwQuality;
    DWORD dwSampleSize;
    RECT rcFrame;
    DWORD dwEditCount;
    DWORD dwFormatChangeCount;
    char szName[64];
};
static_assert(sizeof(AVISTREAMINFOA) == 140);

constexpr DWORD kfmFourCC(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<std::uint8_t>(a)) |
           static_cast<DWORD>(static_cast<std::uint8_t>(b)) << 8 |
           static_cast<DWORD>(static_cast<std::uint8_t>(c)) << 16 |
           static_cast<DWORD>(static_cast<std::uint8_t>(d)) << 24;
}
constexpr DWORD streamtypeVIDEO = kfmFourCC('v', 'i', 'd', 's');
constexpr DWORD streamtypeAUDIO = kfmFourCC('a', 'u', 'd', 's');
constexpr DWORD streamtypeTEXT = kfmFourCC('t', 'x', 't', 's');

constexpr UINT OF_READ = 0;

constexpr HRESULT AVIERR_OK = 0;
constexpr HRESULT AVIERR_BADFORMAT = static_cast<HRESULT>(0x80044066);
constexpr HRESULT AVIERR_MEMORY = static_cast<HRESULT>(0x80044067);
constexpr HRESULT AVIERR_NODATA = static_cast<HRESULT>(0x8004406F);
constexpr HRESULT AVIERR_FILEOPEN = static_cast<HRESULT>(0x80044074);
constexpr HRESULT AVIERR_BADPARAM = static_cast<HRESULT>(0x8004406A);

struct AviFileHandle;
struct AviStreamHandle;
struct AviFrameDecoder;
using PAVIFILE = AviFileHandle*;
using PAVISTREAM = AviStreamHandle*;
using PGETFRAME = AviFrameDecoder*;

// Nothing to set up or tear down; kept for the callers' pairs.
void AVIFileInit();
void AVIFileExit();

// Opens an AVI file for reading (files of other kinds are refused with AVIERR_BADFORMAT, a file
// that cannot be read with AVIERR_FILEOPEN). The handler argument is ignored.
HRESULT AVIFileOpenA(PAVIFILE* file, const char* path, UINT mode, void* handler);
// Fills at most size bytes of the information.
HRESULT AVIFileInfoA(PAVIFILE file, AVIFILEINFOA* info, LONG size);
// The index-th stream (from 0) of a type (0: any type); AVIERR_NODATA when there is none.
HRESULT AVIFileGetStream(PAVIFILE file, PAVISTREAM* stream, DWORD type, LONG index);
ULONG AVIFileRelease(PAVIFILE file);

HRESULT AVIStreamInfoA(PAVISTREAM stream, AVISTREAMINFOA* info, LONG size);
// The stream's first position and its number of frames.
LONG AVIStreamStart(PAVISTREAM stream);
LONG AVIStreamLength(PAVISTREAM stream);
ULONG AVIStreamRelease(PAVISTREAM stream);

// A decoder of a video stream's frames into 24-bit DIBs of the stream's size (the wanted format
// must be null or ask for that); null for other streams or when no decoder opens.
PGETFRAME AVIStreamGetFrameOpen(PAVISTREAM stream, const BITMAPINFOHEADER* wanted);
// The frame at a position as a BITMAPINFOHEADER followed by its rows, valid until the next call
// or the close; null when the position lies outside the stream or cannot be decoded.
void* AVIStreamGetFrame(PGETFRAME frames, LONG position);
HRESULT AVIStreamGetFrameClose(PGETFRAME frames);

namespace kfm::video {

// How many pictures the decoder has decoded so far, those not handed out included.
std::int64_t decodedPictureCount(PGETFRAME frames);

} // namespace kfm::video
