#pragma once
// The Win32 scalar types, structures and handle types that the system's interfaces use,
// defined from their documented field lists with this platform's fixed-width integers. The
// library's interface is written in them, so they sit beside it; the platform layer's
// types/Win32Types.h names this header.

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using BOOL = std::int32_t;
using CHAR = char;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using COLORREF = std::uint32_t; // 0x00BBGGRR
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HRESULT = std::int32_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

// Handles are typed pointers to objects of our own platform layer.
#define KFM_DECLARE_HANDLE(name)                                                                   \
    struct name##__;                                                                               \
    using name = name##__*
KFM_DECLARE_HANDLE(HWND);
KFM_DECLARE_HANDLE(HDC);
KFM_DECLARE_HANDLE(HINSTANCE);
KFM_DECLARE_HANDLE(HPALETTE);
KFM_DECLARE_HANDLE(HGLOBAL);
KFM_DECLARE_HANDLE(HKEY);
KFM_DECLARE_HANDLE(HFONT);
KFM_DECLARE_HANDLE(HBRUSH);
KFM_DECLARE_HANDLE(HPEN);
#undef KFM_DECLARE_HANDLE
using HMODULE = HINSTANCE;
using HANDLE = void*;

// A bitmap handle names a DIB section of platform/gdi; an enhanced metafile handle an
// EnhMetafile, a Windows metafile handle a WinMetafile.
namespace kfm::gdi {
struct DibSection;
}
using HBITMAP = kfm::gdi::DibSection*;
namespace kfm::metafile {
class EnhMetafile;
class WinMetafile;
} // namespace kfm::metafile
using HENHMETAFILE = kfm::metafile::EnhMetafile*;
using HMETAFILE = kfm::metafile::WinMetafile*;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) {
    return static_cast<BYTE>(c & 0xFF);
}
constexpr BYTE GetGValue(COLORREF c) {
    return static_cast<BYTE>((c >> 8) & 0xFF);
}
constexpr BYTE GetBValue(COLORREF c) {
    return static_cast<BYTE>((c >> 16) & 0xFF);
}

struct POINT {
    LONG x;
    LONG y;
};
struct SIZE {
    LONG cx;
    LONG cy;
};
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
static_assert(sizeof(RGBQUAD) == 4);

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};
static_assert(sizeof(PALETTEENTRY) == 4);

struct LOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14);

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
};

constexpr int LF_FACESIZE = 32;
struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTA) == 60);

struct XFORM {
    float eM11;
    float eM12;
    float eM21;
    float eM22;
    float eDx;
    float eDy;
};

// Compression values of BITMAPINFOHEADER.
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

// Raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Clipboard formats.
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_ENHMETAFILE = 14;
constexpr UINT CF_METAFILEPICT = 3;
constexpr UINT CF_HDROP = 15;

// The mapping modes whose picture extents are sizes in 0.01 mm.
constexpr LONG MM_ISOTROPIC = 7;
constexpr LONG MM_ANISOTROPIC = 8;

// A Windows metafile with the size it is meant to be shown at: for MM_ISOTROPIC and
// MM_ANISOTROPIC the extents are 0.01 mm, 0 when the picture gives no size.
struct METAFILEPICT {
    LONG mm;
    LONG xExt;
    LONG yExt;
    HMETAFILE hMF;
};

// Window messages the system's own layers use.
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_USER = 0x0400;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
