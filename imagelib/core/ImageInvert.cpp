#include "ImageInvert.h"

#include "ImageTable.h"

void kpx::invertBytes(std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
}

void kpx::invertColorTable(RGBQUAD* colors, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        colors[i].rgbRed = static_cast<BYTE>(255 - colors[i].rgbRed);
        colors[i].rgbGreen = static_cast<BYTE>(255 - colors[i].rgbGreen);
        colors[i].rgbBlue = static_cast<BYTE>(255 - colors[i].rgbBlue);
    }
}

int KPXInvert(KpxHandle image) {
    if (!image)
        return 0;
    bool tableChanged = false;
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (!kpx::hasWholePixels(record.get()))
            return 0;
        const int bpp = record->bitCount();
        if (bpp == 4 || bpp == 8) {
            kpx::invertColorTable(record->colors(), record->colorCount());
            tableChanged = true;
        } else if (bpp == 1 || bpp == 16 || bpp == 24 || bpp == 32) {
            // Whole rows, padding included: 16- and 32-bit pixels invert channel by channel.
            kpx::invertBytes(record->bits, static_cast<std::size_t>(record->rowBytes()) *
                                               static_cast<std::size_t>(record->height()));
        } else {
            return 0;
        }
    }
    if (tableChanged)
        KPXFillDIBColorTable(image);
    return 1;
}
