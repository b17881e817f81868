#pragma once
// A stand-in for the DrawDib functions of Video for Windows: draws DIB pixels into a device
// context, stretching them, and on palette targets optionally halftoning pictures of more than
// 8 bits (averaging the source area of each target pixel before matching its colour).

#include "types/Export.h"
#include "types/Win32Types.h"

struct HDRAWDIB__;
using HDRAWDIB = HDRAWDIB__*;

constexpr UINT DDF_SAME_HDC = 0x0004;
constexpr UINT DDF_SAME_DRAW = 0x0008;
constexpr UINT DDF_HALFTONE = 0x1000;

extern "C" {

KFM_PLATFORM_API HDRAWDIB DrawDibOpen();
KFM_PLATFORM_API BOOL DrawDibClose(HDRAWDIB drawDib);
// Prepares drawing of pictures like header (followed by its colour table) from a source size to
// a target size; the flags are kept for the following draws.
KFM_PLATFORM_API BOOL DrawDibBegin(HDRAWDIB drawDib, HDC dc, int targetWidth, int targetHeight,
                                   const BITMAPINFOHEADER* header, int sourceWidth,
                                   int sourceHeight, UINT flags);
// Draws a source rectangle (y counted from the picture's top row) into a target rectangle. A
// size of -1 takes the size given to DrawDibBegin.
KFM_PLATFORM_API BOOL DrawDibDraw(HDRAWDIB drawDib, HDC dc, int x, int y, int width, int height,
                                  const BITMAPINFOHEADER* header, const void* bits, int srcX,
                                  int srcY, int srcWidth, int srcHeight, UINT flags);
KFM_PLATFORM_API BOOL DrawDibEnd(HDRAWDIB drawDib);
KFM_PLATFORM_API BOOL DrawDibSetPalette(HDRAWDIB drawDib, HPALETTE palette);
// Selects the palette set with DrawDibSetPalette into dc and realises it: the number of entries
// mapped (0 without a palette).
KFM_PLATFORM_API UINT DrawDibRealize(HDRAWDIB drawDib, HDC dc, BOOL background);

} // extern "C"
