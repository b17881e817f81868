#pragma once
// Creating images in every depth, copies and references, accessors, comparison and deletion.

#include "Bitra5Api.h"

// The special depth that asks for a 16-bit 5-6-5 image with bit-field masks.
constexpr int kKpxDepth565 = 16000;

BITRA5_API KpxHandle KPXCreateImage(int width, int height, int depth);
BITRA5_API KpxHandle KPXCreateImageFast(int width, int height, int depth, int clear);
BITRA5_API KpxHandle KPXCreateImageFromGlobal(HGLOBAL block);
BITRA5_API KpxHandle KPXCreateImageFromBitmap(HBITMAP bitmap, HPALETTE palette);
BITRA5_API KpxHandle KPXCreateImageAttach(HBITMAP bitmap, HPALETTE palette);
BITRA5_API KpxHandle KPXCreateImageFromClipboard(HWND window);
BITRA5_API KpxHandle KPXCreateImageFrom(KpxHandle image, int reference);
BITRA5_API KpxHandle KPXCreateImageSeparateColor(KpxHandle image, int plate, int keep);
BITRA5_API int KPXCopyImageToClipboard(HWND window, KpxHandle image, int format, int empty);
// Drops one reference (freeing the image with the last one); while another thread holds the
// image the drop happens when it lets go. 0 only for handle 0.
BITRA5_API int KPXDeleteImage(KpxHandle image);
// Drops one reference without the bitmap and returns the bitmap; null (nothing dropped) while
// the image is held.
BITRA5_API HBITMAP KPXDeleteImageDetach(KpxHandle image);

BITRA5_API HBITMAP KPXGetBitmap(KpxHandle image);
BITRA5_API short KPXWidth(KpxHandle image);
BITRA5_API short KPXHeight(KpxHandle image);
BITRA5_API short KPXbpp(KpxHandle image);
BITRA5_API DWORD KPXSizeImage(KpxHandle image);
// The record's own BITMAPINFO block. Handing out the pointer drops the cached checksum, since
// the caller may change the colour table through it.
BITRA5_API BITMAPINFO* KPXGetBitmapInfoHeader(KpxHandle image);
// The pixel rows. Handing out the pointer drops the cached checksum, as for the header.
BITRA5_API std::uint8_t* KPXGetBits(KpxHandle image);
BITRA5_API int KPXGetScanBytes(KpxHandle image);
BITRA5_API int KPXCalcScanBytes(int width, int depth);
BITRA5_API HGLOBAL KPXGetGlobalBlock(KpxHandle image);
BITRA5_API int KPXCompareImages(KpxHandle a, KpxHandle b);

// Copies the colour table of the BITMAPINFO block into the DIB section (under the write lock).
BITRA5_API int KPXFillDIBColorTable(KpxHandle image);

// Depth normalisation: below 2 -> 1, 2..4 -> 4, 5..8 -> 8, 9..24 -> 24, above 24 -> 32.
BITRA5_API int KpxNormalizeDepth(int depth);
