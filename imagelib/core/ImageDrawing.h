#pragma once
// Drawing images into device contexts: whole or in tiles, through DrawDib when it is usable and
// through GDI otherwise, with a hatched placeholder where no picture should be drawn, and the
// library palette for palette devices.
//
// Rectangles are left, top, right, bottom. Modes: 0 placeholder, 1 or 3 tiled, 2 whole. rop is
// a raster operation. Drawing holds the image's permission word in draw mode while it draws.

#include "Bitra5Api.h"

// Selects and realises the library palette in a DC of 8 bits per pixel (otherwise 0). Through
// DrawDib the result is 0; through GDI it is what RealizePalette answers.
BITRA5_API int KPXSet256PaletteToDC(HDC dc, int background);

// Draws the whole image stretched into the rectangle; the clip rectangle names the part of the
// device that needs drawing. A rotated image, and mode 0 on a display, show the placeholder.
BITRA5_API short KPXStretchBlt(HDC dc, int left, int top, int right, int bottom, KpxHandle image,
                               int clipLeft, int clipTop, int clipRight, int clipBottom, int mode,
                               DWORD rop);
// The same operation (0 for a 0 handle).
BITRA5_API short KPXBitBlt(HDC dc, int left, int top, int right, int bottom, KpxHandle image,
                           int clipLeft, int clipTop, int clipRight, int clipBottom, int mode,
                           DWORD rop);
// Draws at a zoom in percent: above 100, with the rectangle's left or top negative (a view
// scrolled into the picture), only the visible part of the image is stretched.
BITRA5_API short KPXStretchBltZoom(HDC dc, int left, int top, int right, int bottom,
                                   KpxHandle image, int clipLeft, int clipTop, int clipRight,
                                   int clipBottom, int mode, DWORD rop, int unused, int zoom);
// Plate 0 or 1 draws the image itself; other plates draw its colour separation.
BITRA5_API short KPXStretchBltSeparate(HDC dc, int left, int top, int right, int bottom,
                                       KpxHandle image, int clipLeft, int clipTop, int clipRight,
                                       int clipBottom, int mode, DWORD rop, int plate, int keep);
// The drawing engine behind the others: the source (of size source right - left, bottom - top,
// always from 0, 0) drawn into the destination rectangle. image 0 draws info and bits unlocked.
BITRA5_API short KPXBitmapDrawVFW(KpxHandle image, const BITMAPINFO* info, const void* bits, HDC dc,
                                  int destLeft, int destTop, int destRight, int destBottom,
                                  int sourceLeft, int sourceTop, int sourceRight, int sourceBottom,
                                  int clipLeft, int clipTop, int clipRight, int clipBottom,
                                  int mode, DWORD rop, HBITMAP bitmap);
// Draws a region unscaled, the destination aligned to 8 pixels across and 4 down.
BITRA5_API int KPXBitmapDrawVFWWhole(const BITMAPINFO* info, const void* bits, HDC dc, int x, int y,
                                     int right, int bottom, int sourceX, int sourceY, HDC memoryDC);
