#pragma once
// Device contexts and the GDI drawing the image library needs: memory DCs over DIB sections,
// DCs over a QPainter (widgets, printers, metafile recorders), brushes, pens, palettes and
// nearest-neighbour stretch blits.
//
// A memory DC draws into the selected DIB section. 16-, 24- and 32-bit targets are painted
// through QPainter on a QImage that views the section's memory (rows bottom-up, so the view is
// upside down and coordinates are flipped). 1-, 4- and 8-bit targets keep palette indices,
// which QPainter cannot, so they are drawn by our own code: indices are copied where source
// and target agree on the colour and otherwise mapped to the nearest entry of the target table.
// Every stretch samples the nearest source pixel (COLORONCOLOR), whatever stretch mode is set.

#include <functional>

#include "types/Export.h"
#include "types/Win32Types.h"

class QImage;
class QPainter;

// GetDeviceCaps indices and TECHNOLOGY values.
constexpr int TECHNOLOGY = 2;
constexpr int BITSPIXEL = 12;
constexpr int DT_RASDISPLAY = 1;
constexpr int DT_RASPRINTER = 2;
constexpr int DT_METAFILE = 5;

// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

// Hatch styles.
constexpr int HS_HORIZONTAL = 0;
constexpr int HS_VERTICAL = 1;
constexpr int HS_FDIAGONAL = 2;
constexpr int HS_BDIAGONAL = 3;
constexpr int HS_CROSS = 4;
constexpr int HS_DIAGCROSS = 5;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int DEFAULT_PALETTE = 15;

constexpr UINT GDI_ERROR = 0xFFFFFFFFu;

namespace kfm::gdi {

enum class DeviceKind {
    RasterDisplay = DT_RASDISPLAY,
    Printer = DT_RASPRINTER,
    Metafile = DT_METAFILE
};

// A DC that draws through a painter the caller owns (a widget, a printer, a picture). The DC
// answers GetDeviceCaps with the given kind and bits per pixel. Free it with DeleteDC; the
// painter stays the caller's.
KFM_PLATFORM_API HDC createPainterDC(QPainter* painter, DeviceKind kind, int bitsPerPixel);

// What a DC has selected, for callers that must restore it and for tests.
KFM_PLATFORM_API HBITMAP currentBitmap(HDC dc);
KFM_PLATFORM_API HBRUSH currentBrush(HDC dc);
KFM_PLATFORM_API HPEN currentPen(HDC dc);
KFM_PLATFORM_API HPALETTE currentPalette(HDC dc);
// Number of entries of a palette (0 for a null handle).
KFM_PLATFORM_API int paletteSize(HPALETTE palette);

// Stretches a rectangle of packed DIB pixels (header, then colour table or bit-field masks at
// colors) into a DC. The source rectangle counts y from the picture's top row. With halftone a
// picture of more than 8 bits drawn into a palette target is averaged over the source area of
// each target pixel before its colour is matched; otherwise the nearest pixel is taken.
KFM_PLATFORM_API BOOL stretchDibToDC(HDC dc, int x, int y, int width, int height,
                                     const BITMAPINFOHEADER* header, const void* colors,
                                     const void* bits, int srcX, int srcY, int srcWidth,
                                     int srcHeight, DWORD rop, bool halftone);

// The pixels of a DIB as a QImage of its rows in stored order (a bottom-up DIB comes out upside
// down). The QImage views the DIB's memory where Qt has the layout (1, 8, 24 and 32 bits, 16 bits
// as 5-5-5 or 5-6-5) and is a 32-bit copy otherwise; a null QImage for an unusable header.
KFM_PLATFORM_API QImage dibStoredRows(const BITMAPINFOHEADER* header, const void* colors,
                                      const void* bits);

// Runs draw with a painter over the DC's surface in the DC's own coordinates (the top row
// first): the painter of a painter DC, or one over the selected 16-, 24- or 32-bit bitmap of a
// memory DC. The painter's state is restored afterwards. False when the DC has no such surface.
KFM_PLATFORM_API bool paintOnDC(HDC dc, const std::function<void(QPainter&)>& draw);

} // namespace kfm::gdi

extern "C" {

// A memory DC compatible with dc (the screen, a 32-bit raster display, for null). It starts
// with a 1 x 1 monochrome bitmap selected. GetDeviceCaps(BITSPIXEL) answers the depth of the
// selected bitmap.
KFM_PLATFORM_API HDC CreateCompatibleDC(HDC dc);
KFM_PLATFORM_API BOOL DeleteDC(HDC dc);
KFM_PLATFORM_API int GetDeviceCaps(HDC dc, int index);
KFM_PLATFORM_API BOOL GdiFlush();
KFM_PLATFORM_API int SetStretchBltMode(HDC dc, int mode);
KFM_PLATFORM_API int GetStretchBltMode(HDC dc);
KFM_PLATFORM_API COLORREF SetBkColor(HDC dc, COLORREF color);

// Selecting objects (typed, as the windowsx.h helpers): each returns the object it replaced,
// null on failure. Only memory DCs take bitmaps.
KFM_PLATFORM_API HBITMAP SelectBitmap(HDC dc, HBITMAP bitmap);
KFM_PLATFORM_API HBRUSH SelectBrush(HDC dc, HBRUSH brush);
KFM_PLATFORM_API HPEN SelectPen(HDC dc, HPEN pen);
KFM_PLATFORM_API HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
// Maps the selected palette into the device: the number of entries mapped on a palette device
// (8 bits per pixel or fewer), 0 on other devices, GDI_ERROR for a null DC.
KFM_PLATFORM_API UINT RealizePalette(HDC dc);

KFM_PLATFORM_API HBRUSH CreateSolidBrush(COLORREF color);
KFM_PLATFORM_API HBRUSH CreateHatchBrush(int style, COLORREF color);
KFM_PLATFORM_API HPEN CreatePen(int style, int width, COLORREF color);
KFM_PLATFORM_API HPALETTE CreatePalette(const LOGPALETTE* palette);
KFM_PLATFORM_API HBRUSH GetStockBrush(int object);
KFM_PLATFORM_API HPEN GetStockPen(int object);
KFM_PLATFORM_API HPALETTE GetStockPalette(int object);
// Deleting a stock object does nothing and succeeds; an object still selected into a DC is
// not deleted (FALSE).
KFM_PLATFORM_API BOOL DeleteBrush(HBRUSH brush);
KFM_PLATFORM_API BOOL DeletePen(HPEN pen);
KFM_PLATFORM_API BOOL DeletePalette(HPALETTE palette);
KFM_PLATFORM_API BOOL UnrealizeObject(HPALETTE palette);

// Outlines the rectangle with the pen and fills its inside with the brush; right and bottom
// edges are excluded.
KFM_PLATFORM_API BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
KFM_PLATFORM_API int FillRect(HDC dc, const RECT* rect, HBRUSH brush);

// Raster operations SRCCOPY, SRCPAINT, SRCAND and SRCINVERT; others fail. Widths and heights
// must be positive. Source pixels outside the source bitmap are not drawn.
KFM_PLATFORM_API BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int srcX,
                             int srcY, DWORD rop);
KFM_PLATFORM_API BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int srcX,
                                 int srcY, int srcWidth, int srcHeight, DWORD rop);
// As StretchBlt from packed DIB pixels. For a bottom-up DIB srcY counts from the bottom row, as
// in GDI. Returns the number of source rows drawn, 0 on failure.
KFM_PLATFORM_API int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY,
                                   int srcWidth, int srcHeight, const void* bits,
                                   const BITMAPINFO* info, UINT usage, DWORD rop);

} // extern "C"
