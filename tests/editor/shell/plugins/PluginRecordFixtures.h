#pragma once
// Records and pictures for the plug-in host's tests: PluginFrame records with their buffers,
// filled row by row from the top, and library images read and written the same way.

#include "Bitra5.h"
#include "PluginInterface.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

// A record with buffers of its own (freed with it).
struct OwnedRecord {
    PluginFrame frame{};

    OwnedRecord() = default;
    // width x height with image and mask depths (0: no mask), every pixel from pixel(x, y),
    // every mask value from mask(x, y) (8 bits: the byte, 1 bit: 0 or 1); palette entry i is
    // (i, 255 - i, i / 2).
    OwnedRecord(int width, int height, int bits, int maskBits,
                const std::function<std::uint32_t(int, int)>& pixel,
                const std::function<int(int, int)>& mask = {}) {
        AllocPluginFrame(&frame, width, height, bits, maskBits);
        imageBytes_ = static_cast<std::size_t>(frame.image.bmWidthBytes) * height;
        maskBytes_ = maskBits ? static_cast<std::size_t>(frame.mask.bmWidthBytes) * height : 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                setPixel(x, y, pixel(x, y));
        if (frame.palette)
            for (int i = 0; i < 256; ++i)
                frame.palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                                                static_cast<BYTE>(i / 2), 0};
        if (maskBits && mask)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    setMask(x, y, mask(x, y));
    }
    ~OwnedRecord() { FreePluginFrameBuffers(&frame); }
    OwnedRecord(const OwnedRecord&) = delete;
    OwnedRecord& operator=(const OwnedRecord&) = delete;

    std::uint8_t* row(int y) {
        return static_cast<std::uint8_t*>(frame.image.bmBits) +
               static_cast<std::size_t>(frame.image.bmWidthBytes) * y;
    }
    // 24 bits: 0xRRGGBB; 8 bits: the index.
    void setPixel(int x, int y, std::uint32_t value) {
        if (frame.image.bmBitsPixel == 8) {
            row(y)[x] = static_cast<std::uint8_t>(value);
            return;
        }
        row(y)[3 * x] = static_cast<std::uint8_t>(value);
        row(y)[3 * x + 1] = static_cast<std::uint8_t>(value >> 8);
        row(y)[3 * x + 2] = static_cast<std::uint8_t>(value >> 16);
    }
    void setMask(int x, int y, int value) {
        auto* bits = static_cast<std::uint8_t*>(frame.mask.bmBits) +
                     static_cast<std::size_t>(frame.mask.bmWidthBytes) * y;
        if (frame.mask.bmBitsPixel == 8) {
            bits[x] = static_cast<std::uint8_t>(value);
            return;
        }
        const auto bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
        bits[x / 8] = static_cast<std::uint8_t>(value ? bits[x / 8] | bit : bits[x / 8] & ~bit);
    }
    // The colour a pixel shows (palette looked up for 8 bits) as 0xRRGGBB.
    std::uint32_t colourAt(int x, int y) {
        if (frame.image.bmBitsPixel == 24)
            return row(y)[3 * x] | (row(y)[3 * x + 1] << 8) | (row(y)[3 * x + 2] << 16);
        const PALETTEENTRY& e = frame.palette[row(y)[x]];
        return (static_cast<std::uint32_t>(e.peRed) << 16) | (e.peGreen << 8) | e.peBlue;
    }
    // How many bytes the image and mask buffers hold.
    std::size_t imageBytes() const { return frame.image.bmBits ? imageBytes_ : 0; }
    std::size_t maskBytes() const { return frame.mask.bmBits ? maskBytes_ : 0; }

private:
    std::size_t imageBytes_ = 0;
    std::size_t maskBytes_ = 0;
};

// Row y of a library image counted from the top.
inline std::uint8_t* imageRowFromTop(KpxHandle image, int y) {
    return KPXGetBits(image) +
           static_cast<std::size_t>(KPXHeight(image) - 1 - y) * KPXGetScanBytes(image);
}

// A pixel of a 24-bit library image as 0xRRGGBB.
inline std::uint32_t rgbAt(KpxHandle image, int x, int y) {
    const std::uint8_t* p = imageRowFromTop(image, y) + 3 * x;
    return p[0] | (p[1] << 8) | (p[2] << 16);
}

// A pixel of a 1-bit library image.
inline int bitAt(KpxHandle image, int x, int y) {
    return (imageRowFromTop(image, y)[x / 8] >> (7 - x % 8)) & 1;
}

// A new 8-bit image whose pixel (x, y) from the top is value(x, y), with palette entry i
// (i, 255 - i, i / 2).
inline KpxHandle makeIndexedImage(int width, int height,
                                  const std::function<int(int, int)>& value) {
    const KpxHandle image = KPXCreateImage(width, height, 8);
    std::vector<PALETTEENTRY> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[static_cast<std::size_t>(i)] = PALETTEENTRY{
            static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2), 0};
    KPXSetNewPalette(image, palette.data(), 256);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            imageRowFromTop(image, y)[x] = static_cast<std::uint8_t>(value(x, y));
    return image;
}

// A new 24-bit image whose pixel (x, y) from the top is colour(x, y) as 0xRRGGBB.
inline KpxHandle makeTrueColourImage(int width, int height,
                                     const std::function<std::uint32_t(int, int)>& colour) {
    const KpxHandle image = KPXCreateImage(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = imageRowFromTop(image, y) + 3 * x;
            const std::uint32_t c = colour(x, y);
            p[0] = static_cast<std::uint8_t>(c);
            p[1] = static_cast<std::uint8_t>(c >> 8);
            p[2] = static_cast<std::uint8_t>(c >> 16);
        }
    return image;
}

// The palette entry i of makeIndexedImage and OwnedRecord as 0xRRGGBB.
inline std::uint32_t testPaletteColour(int i) {
    return (static_cast<std::uint32_t>(i) << 16) | (static_cast<std::uint32_t>(255 - i) << 8) |
           static_cast<std::uint32_t>(i / 2);
}
