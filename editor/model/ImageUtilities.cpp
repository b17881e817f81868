#include "ImageUtilities.h"

#include "ImageCreation.h"

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
