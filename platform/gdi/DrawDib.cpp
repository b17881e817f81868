#include "DrawDib.h"

#include "DeviceContext.h"

#include <cstdint>
#include <new>

struct HDRAWDIB__ {
    bool begun = false;
    int targetWidth = 0;
    int targetHeight = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    UINT flags = 0;
    HPALETTE palette = nullptr;
};

HDRAWDIB DrawDibOpen() {
    return new (std::nothrow) HDRAWDIB__;
}

BOOL DrawDibClose(HDRAWDIB drawDib) {
    if (!drawDib)
        return FALSE;
    delete drawDib;
    return TRUE;
}

BOOL DrawDibBegin(HDRAWDIB drawDib, HDC, int targetWidth, int targetHeight,
                  const BITMAPINFOHEADER* header, int sourceWidth, int sourceHeight, UINT flags) {
    if (!drawDib || !header)
        return FALSE;
    drawDib->begun = true;
    drawDib->targetWidth = targetWidth;
    drawDib->targetHeight = targetHeight;
    drawDib->sourceWidth = sourceWidth;
    drawDib->sourceHeight = sourceHeight;
    drawDib->flags = flags;
    return TRUE;
}

BOOL DrawDibDraw(HDRAWDIB drawDib, HDC dc, int x, int y, int width, int height,
                 const BITMAPINFOHEADER* header, const void* bits, int srcX, int srcY, int srcWidth,
                 int srcHeight, UINT flags) {
    if (!drawDib || !dc || !header || !bits)
        return FALSE;
    if (width == -1)
        width = drawDib->targetWidth;
    if (height == -1)
        height = drawDib->targetHeight;
    if (srcWidth == -1)
        srcWidth = drawDib->sourceWidth;
    if (srcHeight == -1)
        srcHeight = drawDib->sourceHeight;
    const bool halftone = ((flags | (drawDib->begun ? drawDib->flags : 0)) & DDF_HALFTONE) != 0;
    const auto* colors = reinterpret_cast<const std::uint8_t*>(header) + header->biSize;
    return kfm::gdi::stretchDibToDC(dc, x, y, width, height, header, colors, bits, srcX, srcY,
                                    srcWidth, srcHeight, SRCCOPY, halftone);
}

BOOL DrawDibEnd(HDRAWDIB drawDib) {
    if (!drawDib)
        return FALSE;
    drawDib->begun = false;
    return TRUE;
}

BOOL DrawDibSetPalette(HDRAWDIB drawDib, HPALETTE palette) {
    if (!drawDib)
        return FALSE;
    drawDib->palette = palette;
    return TRUE;
}

UINT DrawDibRealize(HDRAWDIB drawDib, HDC dc, BOOL background) {
    if (!drawDib || !dc || !drawDib->palette)
        return 0;
    SelectPalette(dc, drawDib->palette, background);
    const UINT mapped = RealizePalette(dc);
    return mapped == GDI_ERROR ? 0 : mapped;
}
