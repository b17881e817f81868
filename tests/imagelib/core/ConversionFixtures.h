#pragma once
// Small image fixtures for the colour conversion and colour matching tests: images are built
// and read pixel by pixel through the exported accessors, rows counted in storage order.

#include "ColorConversion.h"
#include "ImageCreation.h"
#include "PackedPixels.h"

#include <cstdint>
#include <vector>

namespace kfm::test::conversion {

struct Colour {
    int red;
    int green;
    int blue;
    friend bool operator==(const Colour&, const Colour&) = default;
};

// Owns one library image for the scope of a test.
class ScopedImage {
public:
    explicit ScopedImage(KpxHandle handle = 0) : handle_(handle) {}
    ScopedImage(int width, int height, int depth) : handle_(KPXCreateImage(width, height, depth)) {}
    ~ScopedImage() {
        if (handle_)
            KPXDeleteImage(handle_);
    }
    ScopedImage(const ScopedImage&) = delete;
    ScopedImage& operator=(const ScopedImage&) = delete;
    KpxHandle get() const { return handle_; }
    operator KpxHandle() const { return handle_; }

private:
    KpxHandle handle_;
};

inline std::uint8_t* rowOf(KpxHandle image, int y) {
    return KPXGetBits(image) + static_cast<std::size_t>(y) * KPXGetScanBytes(image);
}

inline void setRgb(KpxHandle image, int x, int y, Colour c) {
    std::uint8_t* p = rowOf(image, y) + 3 * x;
    p[0] = static_cast<std::uint8_t>(c.blue);
    p[1] = static_cast<std::uint8_t>(c.green);
    p[2] = static_cast<std::uint8_t>(c.red);
}

inline Colour rgbAt(KpxHandle image, int x, int y) {
    const std::uint8_t* p = rowOf(image, y) + 3 * x;
    return Colour{p[2], p[1], p[0]};
}

// Palette index of pixel x of a stored row of 1, 4 or 8 bits (leftmost pixel in the high bits).
inline void setIndex(KpxHandle image, int x, int y, int index) {
    std::uint8_t* row = rowOf(image, y);
    switch (KPXbpp(image)) {
    case 1: {
        const int bit = 0x80 >> (x & 7);
        row[x >> 3] =
            static_cast<std::uint8_t>((index & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
        break;
    }
    case 4: {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] =
            static_cast<std::uint8_t>((row[x >> 1] & ~(15 << shift)) | (index & 15) << shift);
        break;
    }
    default:
        row[x] = static_cast<std::uint8_t>(index);
    }
}

inline int indexAt(KpxHandle image, int x, int y) {
    const std::uint8_t* row = rowOf(image, y);
    return packedIndexAt(row, x, KPXbpp(image));
}

inline void setTableEntry(KpxHandle image, int i, Colour c) {
    KPXGetBitmapInfoHeader(image)->bmiColors[i] =
        RGBQUAD{static_cast<BYTE>(c.blue), static_cast<BYTE>(c.green), static_cast<BYTE>(c.red), 0};
}

inline Colour tableEntry(KpxHandle image, int i) {
    const RGBQUAD q = KPXGetBitmapInfoHeader(image)->bmiColors[i];
    return Colour{q.rgbRed, q.rgbGreen, q.rgbBlue};
}

// Colour of a pixel of any depth (palette images through their table).
inline Colour colourAt(KpxHandle image, int x, int y) {
    if (KPXbpp(image) == 24)
        return rgbAt(image, x, y);
    return tableEntry(image, indexAt(image, x, y));
}

} // namespace kfm::test::conversion
