#pragma once
// Small helpers of the image core tests: pixels by (x, y) from the top-left, owned handles.

#include "ImageCreation.h"
#include "ImageTable.h"
#include "PixelAccess.h"

#include <cstdint>

namespace kfm::test {

// Deletes an image handle at the end of the scope.
class OwnedImage {
public:
    explicit OwnedImage(KpxHandle h = 0) : handle_(h) {}
    ~OwnedImage() {
        if (handle_)
            KPXDeleteImage(handle_);
    }
    OwnedImage(const OwnedImage&) = delete;
    OwnedImage& operator=(const OwnedImage&) = delete;
    KpxHandle get() const { return handle_; }
    operator KpxHandle() const { return handle_; }
    KpxHandle release() {
        const KpxHandle h = handle_;
        handle_ = 0;
        return h;
    }

private:
    KpxHandle handle_;
};

inline void setIndex(KpxHandle image, int x, int y, int index) {
    kpx::ImageLock r(image, kKpxWrite);
    std::uint8_t* row = kpx::pictureRow(*r.get(), y);
    switch (r->bitCount()) {
    case 1:
        kpx::setMaskBit(row, x, index != 0);
        break;
    case 4: {
        std::uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | index)
                    : static_cast<std::uint8_t>((b & 0x0F) | (index << 4));
        break;
    }
    default:
        row[x] = static_cast<std::uint8_t>(index);
    }
}

inline int getIndex(KpxHandle image, int x, int y) {
    kpx::ImageLock r(image, kKpxRead);
    return kpx::indexAt(kpx::pictureRow(*r.get(), y), x, r->bitCount());
}

inline void setColor(KpxHandle image, int x, int y, COLORREF c) {
    kpx::ImageLock r(image, kKpxWrite);
    std::uint8_t* p = kpx::pictureRow(*r.get(), y) + 3 * x;
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
}

inline COLORREF getColor(KpxHandle image, int x, int y) {
    kpx::ImageLock r(image, kKpxRead);
    const std::uint8_t* p = kpx::pictureRow(*r.get(), y) + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

inline void fillColor(KpxHandle image, COLORREF c) {
    for (int y = 0; y < KPXHeight(image); ++y)
        for (int x = 0; x < KPXWidth(image); ++x)
            setColor(image, x, y, c);
}

inline void setPaletteEntry(KpxHandle image, int index, COLORREF c) {
    kpx::ImageLock r(image, kKpxWrite);
    r->colors()[index] = RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
}

inline bool maskAt(KpxHandle mask, int x, int y) {
    return getIndex(mask, x, y) != 0;
}

} // namespace kfm::test
