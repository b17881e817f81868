#include "ImageUtilities.h"

#include "Bitra5.h"

#include "gdi/DeviceContext.h"

#include <cstdio>
#include <cstring>

int FileExists(const char* path) {
    if (!path || !*path)
        return 0;
    std::FILE* file = std::fopen(path, "r");
    if (!file)
        return 0;
    std::fclose(file);
    return 1;
}

KpxHandle CreateSolidImage(int width, int height, int index) {
    if (index < 0 || index > 255)
        return 0;
    const KpxHandle image = KPXCreateImage(width, height, 8);
    if (!image)
        return 0;
    BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
    std::uint8_t* bits = KPXGetBits(image);
    if (!info || !bits) {
        KPXDeleteImage(image);
        return 0;
    }
    RGBQUAD* colors = info->bmiColors; // 256 entries behind the header
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<BYTE>(i);
        colors[i] = RGBQUAD{level, level, level, 0};
    }
    const auto rowBytes = static_cast<std::size_t>(KPXGetScanBytes(image));
    std::memset(bits, index, rowBytes * static_cast<std::size_t>(KPXHeight(image)));
    KPXFillDIBColorTable(image);
    return image;
}

void DrawImageStretched(KpxHandle source, KpxHandle target, int left, int top, int right,
                        int bottom) {
    HBITMAP bitmap = KPXGetBitmap(target);
    if (!source || !bitmap)
        return;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return;
    HBITMAP previous = SelectBitmap(dc, bitmap);
    KPXStretchBlt(dc, left, top, right, bottom, source, left, top, right, bottom, 2, SRCCOPY);
    SelectBitmap(dc, previous);
    DeleteDC(dc);
}

void DrawImageInRect(KpxHandle source, KpxHandle target, int x, int y) {
    DrawImageStretched(source, target, x, y, x + KPXWidth(source), y + KPXHeight(source));
}

KpxHandle CreateThresholdMask(KpxHandle image, int level) {
    if (KPXbpp(image) != 8)
        return 0;
    const KpxHandle levels = KPXCreateImage(KPXWidth(image), KPXHeight(image), 8);
    if (!levels)
        return 0;
    // Pixel values at or above the level become 255 (white), the others 0 (black); the 1-bit
    // conversion then marks the white ones.
    KpxHandle mask = 0;
    if (IPLThreshold(image, levels, level))
        mask = KPXColorConvert(levels, 1, 0, kKpxPaletteFixed, 0, nullptr, nullptr);
    KPXDeleteImage(levels);
    return mask;
}

int GetHighestGreyLevel(KpxHandle image) {
    KpxIndexHistogramEntry histogram[256] = {};
    int useTransparency = 0;
    const int entries = KPXGenerateHistogramIndexImage(image, histogram, &useTransparency);
    int highest = 0;
    for (int i = 1; i < entries && i < 256; ++i)
        if (histogram[i].count > 0 && histogram[i].red > highest)
            highest = histogram[i].red;
    return highest;
}
