#include "ColorPickup.h"

#include "ImageCrop.h"
#include "ImageTable.h"
#include "PixelAccess.h"
#include "PixelConversion.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

bool inside(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    return x >= 0 && x < width && y >= 0 && y < height;
}

bool anyCornerInside(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                     std::int32_t width, std::int32_t height) {
    return inside(x1, y1, width, height) || inside(x2, y1, width, height) ||
           inside(x1, y2, width, height) || inside(x2, y2, width, height);
}

bool readableDepth(int bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 ||
           bitsPerPixel == 24 || bitsPerPixel == 32;
}

} // namespace

int KPXSuckColor(KpxHandle image, int x1, int y1, int x2, int y2) {
    if (!image)
        return -1;
    kpx::ImageLock record(image, kKpxRead);
    if (!kpx::hasWholePixels(record.get()) || !readableDepth(record->bitCount()))
        return -1;
    const std::int32_t width = record->width();
    const std::int32_t height = record->height();
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    if (!anyCornerInside(x1, y1, x2, y2, width, height))
        return -1;
    const kpx::CropRect r = kpx::clampCropRect(x1, y1, x2, y2, width, height);
    const kpx::PixelSurface surface = kpx::surfaceOf(*record.get());
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * 3);
    std::array<std::uint64_t, 3> sums{};
    for (std::int32_t y = r.top; y <= r.bottom; ++y) {
        kpx::expandRowToBgr(surface, height - 1 - y, bgr.data());
        for (std::int32_t x = r.left; x <= r.right; ++x)
            for (int c = 0; c < 3; ++c)
                sums[c] += bgr[static_cast<std::size_t>(x) * 3 + c];
    }
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(r.width()) * static_cast<std::uint64_t>(r.height());
    const auto average = [&](int c) { return static_cast<int>(sums[c] / pixels); };
    return average(2) | average(1) << 8 | average(0) << 16;
}

int KPXSuckColorIndex(KpxHandle image, int x, int y) {
    if (!image)
        return -1;
    kpx::ImageLock record(image, kKpxRead);
    if (!kpx::hasWholePixels(record.get()))
        return -1;
    const int bpp = record->bitCount();
    if ((bpp != 1 && bpp != 4 && bpp != 8) || !inside(x, y, record->width(), record->height()))
        return -1;
    return kpx::indexAt(kpx::pictureRow(*record.get(), y), x, bpp);
}
