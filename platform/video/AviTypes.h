#pragma once
// The AVIFile stand-in's records, result codes and handles (AviFile.h has its functions).

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
// No handler for clips: the video module (VideoModule.h) is missing or unusable.
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);

struct AviFileHandle;
struct AviStreamHandle;
struct AviFrameDecoder;
using PAVIFILE = AviFileHandle*;
using PAVISTREAM = AviStreamHandle*;
using PGETFRAME = AviFrameDecoder*;
