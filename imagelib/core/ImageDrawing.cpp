#include "ImageDrawing.h"

#include "ImageCreation.h"
#include "ImageTable.h"
#include "LibraryPalettes.h"
#include "MemoryDC.h"

#include "gdi/DeviceContext.h"
#include "gdi/DibSection.h"
#include "gdi/DrawDib.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace {

constexpr UINT kDrawDibFlags = DDF_HALFTONE | DDF_SAME_HDC; // 4100
constexpr COLORREF kHatchColour = RGB(192, 192, 192);
constexpr int kTileSize = 200;
constexpr int kLargestTile = 1000;
constexpr std::int64_t kPrinterWholeBytes = 5'000'000;
constexpr int kPrinterWholeRatio = 15;

bool isRasterDisplay(HDC dc) {
    return GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY;
}

// Takes the draw permission of an image, first waiting for a free word in 20 ms steps (200 at
// most); the lock itself then waits further as every lock does. Image 0 takes nothing.
class DrawLock {
public:
    explicit DrawLock(KpxHandle image) : image_(image) {
        if (!image)
            return;
        for (int i = 0; i < 200 && KpxGetImagePermission(image, 0) != kKpxFree; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        record_ = KpxLockImage(image, kKpxDraw);
    }
    ~DrawLock() { release(); }
    DrawLock(const DrawLock&) = delete;
    DrawLock& operator=(const DrawLock&) = delete;

    bool failed() const { return image_ && !record_; }
    KpxImageRecord* record() const { return record_; }
    void release() {
        if (record_)
            KpxUnlockImage(record_, 0);
        record_ = nullptr;
    }

private:
    KpxHandle image_;
    KpxImageRecord* record_ = nullptr;
};

using kpx::MemoryDC;

// Rectangle over the rectangle with the diagonal-cross hatch and the black pen; the DC keeps
// the null brush selected afterwards.
void drawPlaceholder(HDC dc, int left, int top, int right, int bottom) {
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, kHatchColour);
    SelectBrush(dc, hatch);
    SelectPen(dc, GetStockPen(BLACK_PEN));
    Rectangle(dc, left, top, right, bottom);
    SelectBrush(dc, GetStockBrush(NULL_BRUSH));
    DeleteBrush(hatch);
}

// Mode 0 of the engine: the clip rectangle hatched, the destination outlined.
void drawHatchedClip(HDC dc, const RECT& clip, const RECT& dest) {
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, kHatchColour);
    FillRect(dc, &clip, hatch);
    const HBRUSH oldBrush = SelectBrush(dc, GetStockBrush(NULL_BRUSH));
    const HPEN oldPen = SelectPen(dc, GetStockPen(BLACK_PEN));
    Rectangle(dc, dest.left, dest.top, dest.right, dest.bottom);
    SelectBrush(dc, oldBrush);
    SelectPen(dc, oldPen);
    DeleteBrush(hatch);
}

struct Geometry {
    int x, y, width, height; // destination
    int srcWidth, srcHeight; // source, from 0, 0
    RECT clip;
};

int drawWhole(const BITMAPINFO* info, const void* bits, HDC dc, const Geometry& g, DWORD rop,
              HBITMAP bitmap, bool drawDib) {
    if (drawDib) {
        HDRAWDIB dd = DrawDibOpen();
        DrawDibBegin(dd, dc, std::abs(g.width), std::abs(g.height), &info->bmiHeader, g.srcWidth,
                     g.srcHeight, kDrawDibFlags);
        const int result = DrawDibDraw(dd, dc, g.x, g.y, g.width, g.height, &info->bmiHeader, bits,
                                       0, 0, g.srcWidth, g.srcHeight, kDrawDibFlags);
        DrawDibEnd(dd);
        DrawDibClose(dd);
        return result;
    }
    if (bitmap) {
        MemoryDC memory(dc, bitmap);
        return StretchBlt(dc, g.x, g.y, g.width, g.height, memory.get(), 0, 0, g.srcWidth,
                          g.srcHeight, rop);
    }
    return StretchDIBits(dc, g.x, g.y, g.width, g.height, 0, 0, g.srcWidth, g.srcHeight, bits, info,
                         DIB_RGB_COLORS, rop);
}

// Edges of n steps of a size: step k starts at k x size / n rounded (adding 0.4999 and
// truncating); the last edge is the size itself.
int edge(int k, int n, int size) {
    const int e = static_cast<int>(k * (static_cast<double>(size) / n) + 0.4999);
    return std::min(e, size);
}

int ceilDiv(int a, int b) {
    return (a + b - 1) / b;
}

// Mode 3: the picture in tiles, each drawn only where it meets the clip rectangle.
int drawTiles(const BITMAPINFO* info, const void* bits, HDC dc, const Geometry& g, DWORD rop,
              HBITMAP bitmap, int tile) {
    int columns, rows;
    if (g.width + g.height < g.srcWidth + g.srcHeight) {
        columns = ceilDiv(g.srcWidth, tile);
        rows = ceilDiv(g.srcHeight, tile);
    } else {
        columns = ceilDiv(g.width, tile);
        rows = ceilDiv(g.height, tile);
    }
    MemoryDC memory(dc, bitmap);
    const int dibHeight = std::abs(info->bmiHeader.biHeight);
    const bool bottomUp = info->bmiHeader.biHeight > 0;
    for (int r = 0; r < rows; ++r) {
        const int dy0 = edge(r, rows, g.height), dy1 = edge(r + 1, rows, g.height);
        const int sy0 = edge(r, rows, g.srcHeight), sy1 = edge(r + 1, rows, g.srcHeight);
        for (int c = 0; c < columns; ++c) {
            const int dx0 = edge(c, columns, g.width), dx1 = edge(c + 1, columns, g.width);
            const int sx0 = edge(c, columns, g.srcWidth), sx1 = edge(c + 1, columns, g.srcWidth);
            if (dx1 <= dx0 || dy1 <= dy0 || sx1 <= sx0 || sy1 <= sy0)
                continue;
            const RECT t{g.x + dx0, g.y + dy0, g.x + dx1, g.y + dy1};
            if (t.right < g.clip.left || t.left > g.clip.right || t.bottom < g.clip.top ||
                t.top > g.clip.bottom)
                continue;
            if (memory.get()) {
                StretchBlt(dc, t.left, t.top, dx1 - dx0, dy1 - dy0, memory.get(), sx0, sy0,
                           sx1 - sx0, sy1 - sy0, rop);
            } else {
                // Without a bitmap the tile comes straight from the DIB's rows, whose source
                // rectangle GDI counts from the bottom row.
                const int srcY = bottomUp ? dibHeight - sy1 : sy0;
                StretchDIBits(dc, t.left, t.top, dx1 - dx0, dy1 - dy0, sx0, srcY, sx1 - sx0,
                              sy1 - sy0, bits, info, DIB_RGB_COLORS, rop);
            }
        }
    }
    return 1;
}

} // namespace

int KPXSet256PaletteToDC(HDC dc, int background) {
    if (!dc || GetDeviceCaps(dc, BITSPIXEL) != 8)
        return 0;
    if (!KPXUseVFW()) {
        UnrealizeObject(GetStockPalette(DEFAULT_PALETTE));
        SelectPalette(dc, KPXGetHPalette(), background);
        return static_cast<int>(RealizePalette(dc));
    }
    HDRAWDIB dd = DrawDibOpen();
    DrawDibSetPalette(dd, KPXGetHPalette());
    DrawDibRealize(dd, dc, background);
    DrawDibClose(dd);
    return 0;
}

short KPXBitmapDrawVFW(KpxHandle image, const BITMAPINFO* info, const void* bits, HDC dc,
                       int destLeft, int destTop, int destRight, int destBottom, int sourceLeft,
                       int sourceTop, int sourceRight, int sourceBottom, int clipLeft, int clipTop,
                       int clipRight, int clipBottom, int mode, DWORD rop, HBITMAP bitmap) {
    if (!dc || !info || !bits)
        return 0;
    DrawLock lock(image);
    if (lock.failed())
        return 0;
    GdiFlush();
    SetStretchBltMode(dc, COLORONCOLOR);

    const Geometry g{destLeft,
                     destTop,
                     destRight - destLeft,
                     destBottom - destTop,
                     sourceRight - sourceLeft,
                     sourceBottom - sourceTop,
                     RECT{clipLeft, clipTop, clipRight, clipBottom}};
    int tile = kTileSize;
    if (g.srcWidth > 0 && g.srcHeight > 0) {
        const int ratio = std::max(g.width / g.srcWidth, g.height / g.srcHeight);
        if (ratio > kTileSize)
            tile = std::min(ratio, kLargestTile);
    }
    const int technology = GetDeviceCaps(dc, TECHNOLOGY);
    const bool drawDib = technology == DT_RASDISPLAY && GetDeviceCaps(dc, BITSPIXEL) <= 8 &&
                         rop == SRCCOPY && mode != 1 && mode != 3 && KPXUseVFW() == 1;
    if (technology != DT_RASDISPLAY) {
        tile *= 2;
        bitmap = nullptr;
    }
    if (mode == 1)
        mode = 3;
    if (technology == DT_METAFILE)
        mode = 2;

    int result = 0;
    if (g.width > 0 && g.height > 0) {
        switch (mode) {
        case 0:
            drawHatchedClip(dc, g.clip, RECT{destLeft, destTop, destRight, destBottom});
            result = 1;
            break;
        case 2:
            if (g.srcWidth > 0 && g.srcHeight > 0)
                result = drawWhole(info, bits, dc, g, rop, bitmap, drawDib);
            break;
        case 3:
            if (g.srcWidth > 0 && g.srcHeight > 0)
                result = drawTiles(info, bits, dc, g, rop, bitmap, tile);
            break;
        default:
            break;
        }
    }
    GdiFlush();
    return static_cast<short>(result);
}

namespace {

// What the drawing of an image needs of its record, read under a short read lock.
struct DrawSource {
    int width = 0, height = 0, rowBytes = 0, rotateAngle = 0;
    const BITMAPINFO* info = nullptr;
    const void* bits = nullptr;
    HBITMAP bitmap = nullptr;
};

bool readDrawSource(KpxHandle image, DrawSource& s) {
    kpx::ImageLock record(image, kKpxRead);
    if (!record || !record->info || !record->bits)
        return false;
    s.width = record->width();
    s.height = record->height();
    s.rowBytes = static_cast<int>(record->rowBytes());
    s.rotateAngle = record->rotateAngle;
    s.info = record->bitmapInfo();
    s.bits = record->bits;
    s.bitmap = record->bitmap;
    return true;
}

// The pixels of the image, whatever its rotate angle, through the drawing engine.
short drawPixels(HDC dc, int left, int top, int right, int bottom, KpxHandle image,
                 const DrawSource& s, int clipLeft, int clipTop, int clipRight, int clipBottom,
                 int mode, DWORD rop) {
    const int width = s.width;
    const int height = s.height;
    const int rowBytes = s.rowBytes;
    if (!isRasterDisplay(dc)) {
        const int w = right - left;
        const int h = bottom - top;
        if (w <= 0 || h <= 0)
            return 0;
        const int ratioX = std::max(w, width) / std::max(1, std::min(w, width));
        const int ratioY = std::max(h, height) / std::max(1, std::min(h, height));
        if (static_cast<std::int64_t>(rowBytes) * height < kPrinterWholeBytes &&
            ratioX < kPrinterWholeRatio && ratioY < kPrinterWholeRatio)
            mode = 2;
    }
    return KPXBitmapDrawVFW(image, s.info, s.bits, dc, left, top, right, bottom, 0, 0, width,
                            height, clipLeft, clipTop, clipRight, clipBottom, mode, rop, s.bitmap);
}

} // namespace

short kpx::stretchImagePixels(HDC dc, int left, int top, int right, int bottom, KpxHandle image,
                              int mode, DWORD rop) {
    DrawSource s;
    if (!dc || !readDrawSource(image, s))
        return 0;
    return drawPixels(dc, left, top, right, bottom, image, s, left, top, right, bottom, mode, rop);
}

short KPXStretchBlt(HDC dc, int left, int top, int right, int bottom, KpxHandle image, int clipLeft,
                    int clipTop, int clipRight, int clipBottom, int mode, DWORD rop) {
    DrawSource s;
    if (!dc || !readDrawSource(image, s))
        return 0;
    if ((mode == 0 && isRasterDisplay(dc)) || s.rotateAngle != 0) {
        drawPlaceholder(dc, left, top, right, bottom);
        return 1;
    }
    return drawPixels(dc, left, top, right, bottom, image, s, clipLeft, clipTop, clipRight,
                      clipBottom, mode, rop);
}

short KPXBitBlt(HDC dc, int left, int top, int right, int bottom, KpxHandle image, int clipLeft,
                int clipTop, int clipRight, int clipBottom, int mode, DWORD rop) {
    if (!image)
        return 0;
    return KPXStretchBlt(dc, left, top, right, bottom, image, clipLeft, clipTop, clipRight,
                         clipBottom, mode, rop);
}

short KPXStretchBltZoom(HDC dc, int left, int top, int right, int bottom, KpxHandle image,
                        int clipLeft, int clipTop, int clipRight, int clipBottom, int mode,
                        DWORD rop, int, int zoom) {
    if (!dc || !image)
        return 0;
    int rotateAngle = 0;
    {
        kpx::ImageLock record(image, kKpxRead);
        if (!record)
            return 0;
        rotateAngle = record->rotateAngle;
    }
    // A rotated image shows the placeholder at every zoom, as KPXStretchBlt draws it.
    if (zoom <= 100 || left > 0 || top > 0 || rotateAngle != 0) {
        const short result = KPXStretchBlt(dc, left, top, right, bottom, image, clipLeft, clipTop,
                                           clipRight, clipBottom, mode, rop);
        if (result)
            return result;
    }
    const int factor = std::max(1, zoom / 100);
    const int columns = ceilDiv(right - left, factor);
    const int rows = ceilDiv(bottom - top, factor);
    BOOL drawn = FALSE;
    {
        DrawLock lock(image);
        if (lock.record() && columns > 0 && rows > 0) {
            MemoryDC memory(dc, lock.record()->bitmap);
            SetStretchBltMode(dc, COLORONCOLOR);
            drawn = StretchBlt(dc, left % factor, top % factor, factor * columns, factor * rows,
                               memory.get(), std::abs(left) / factor, std::abs(top) / factor,
                               columns, rows, rop);
        }
    }
    if (drawn)
        return 1;
    return KPXStretchBlt(dc, left, top, right, bottom, image, clipLeft, clipTop, clipRight,
                         clipBottom, 3, rop);
}

short KPXStretchBltSeparate(HDC dc, int left, int top, int right, int bottom, KpxHandle image,
                            int clipLeft, int clipTop, int clipRight, int clipBottom, int mode,
                            DWORD rop, int plate, int keep) {
    if (plate == 0 || plate == 1)
        return KPXStretchBlt(dc, left, top, right, bottom, image, clipLeft, clipTop, clipRight,
                             clipBottom, mode, rop);
    const KpxHandle separation = KPXCreateImageSeparateColor(image, plate, keep);
    if (!separation)
        return 0;
    const short result = KPXStretchBlt(dc, left, top, right, bottom, separation, clipLeft, clipTop,
                                       clipRight, clipBottom, mode, rop);
    KPXDeleteImage(separation);
    return result;
}

int KPXBitmapDrawVFWWhole(const BITMAPINFO* info, const void* bits, HDC dc, int x, int y, int right,
                          int bottom, int sourceX, int sourceY, HDC memoryDC) {
    if (!info || !bits || !dc)
        return 0;
    const int shiftX = x % 8;
    const int shiftY = y % 4;
    const int alignedX = x - shiftX;
    const int alignedY = y - shiftY;
    const int srcX = sourceX - shiftX;
    const int srcY = sourceY - shiftY;
    int width = std::abs(right - alignedX);
    int height = std::abs(bottom - alignedY);
    const int imageWidth = info->bmiHeader.biWidth;
    const int imageHeight = std::abs(info->bmiHeader.biHeight);
    if (srcX + width > imageWidth)
        width = imageWidth - srcX;
    if (srcY + height > imageHeight)
        height = imageHeight - srcY;
    SetStretchBltMode(dc, COLORONCOLOR);
    if (KPXUseVFW()) {
        if (width <= 0 || height <= 0)
            return 0;
        HDRAWDIB dd = DrawDibOpen();
        DrawDibBegin(dd, dc, width, height, &info->bmiHeader, width, height, kDrawDibFlags);
        const int result = DrawDibDraw(dd, dc, alignedX, alignedY, width, height, &info->bmiHeader,
                                       bits, srcX, srcY, width, height, kDrawDibFlags);
        DrawDibEnd(dd);
        DrawDibClose(dd);
        return result;
    }
    if (!memoryDC || width <= 0 || height <= 0)
        return 0;
    return BitBlt(dc, alignedX, alignedY, width, height, memoryDC, srcX, srcY, SRCCOPY);
}
