#include "ImageCrop.h"

#include "ImageCreation.h"
#include "ImageTable.h"
#include "PixelAccess.h"
#include "Transparency.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Packed rows: the bits of the span shifted to the start of the target, byte by byte; the
// source byte after the span's last one counts as 0.
void copyPackedSpan(const std::uint8_t* source, std::int32_t first, std::int32_t count,
                    int bitsPerPixel, std::uint8_t* target) {
    const std::size_t firstBit = static_cast<std::size_t>(first) * bitsPerPixel;
    const std::size_t bits = static_cast<std::size_t>(count) * bitsPerPixel;
    const std::size_t lastByte = (firstBit + bits - 1) / 8;
    const std::uint8_t* in = source + firstBit / 8;
    const unsigned shift = firstBit % 8;
    const std::size_t targetBytes = (bits + 7) / 8;
    for (std::size_t k = 0; k < targetBytes; ++k) {
        const std::size_t at = firstBit / 8 + k;
        const unsigned high = static_cast<unsigned>(in[k]) << shift;
        const unsigned low = shift && at + 1 <= lastByte ? in[k + 1] >> (8 - shift) : 0;
        target[k] = static_cast<std::uint8_t>(high | low);
    }
    if (const unsigned tail = bits % 8)
        target[targetBytes - 1] &= static_cast<std::uint8_t>(0xFF00u >> tail);
}

// The transparency that a crop carries with it: the list (its region seeds moved by the crop's
// corner, so each names the same pixel) and the explicit transparency image cropped alike.
void carryTransparency(KpxHandle source, KpxHandle crop, const kpx::CropRect& r) {
    std::int32_t explicitImage = 0;
    {
        kpx::ImageLock from(source, kKpxRead);
        kpx::ImageLock to(crop, kKpxWrite);
        if (!from || !to)
            return;
        to->transparency = from->transparency;
        to->transparencyCount = from->transparencyCount;
        for (KpxTransparentEntry& e : to->transparency)
            if (e.mode == kKpxTransparentRegion) {
                e.seedX -= r.left;
                e.seedY -= r.top;
            }
        explicitImage = from->explicitTransparency;
    }
    if (!explicitImage)
        return;
    const KpxHandle croppedExplicit =
        KPXCropImage(static_cast<KpxHandle>(explicitImage), r.left, r.top, r.right, r.bottom);
    if (croppedExplicit && !KPXSetImageTransparentEx(crop, croppedExplicit))
        KPXDeleteImage(croppedExplicit);
}

} // namespace

kpx::CropRect kpx::clampCropRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                 std::int32_t bottom, std::int32_t width, std::int32_t height) {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    return CropRect{std::clamp(left, 0, width - 1), std::clamp(top, 0, height - 1),
                    std::clamp(right, 0, width - 1), std::clamp(bottom, 0, height - 1)};
}

void kpx::copyPixelSpan(const std::uint8_t* source, std::int32_t first, std::int32_t count,
                        int bitsPerPixel, std::uint8_t* target) {
    if (count <= 0)
        return;
    if (bitsPerPixel < 8) {
        copyPackedSpan(source, first, count, bitsPerPixel, target);
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(bitsPerPixel / 8);
    std::memcpy(target, source + static_cast<std::size_t>(first) * bytes,
                static_cast<std::size_t>(count) * bytes);
}

KpxHandle KPXCropImage(KpxHandle image, int left, int top, int right, int bottom) {
    if (!image)
        return 0;
    kpx::ImageLock source(image, kKpxRead);
    if (!kpx::hasWholePixels(source.get()))
        return 0;
    const int bpp = source->bitCount();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return 0;
    const kpx::CropRect r =
        kpx::clampCropRect(left, top, right, bottom, source->width(), source->height());
    const KpxHandle result = kpx::createImageLike(*source.get(), r.width(), r.height());
    if (!result)
        return 0;
    kpx::ImageLock target(result, kKpxWrite);
    for (std::int32_t y = 0; y < r.height(); ++y)
        kpx::copyPixelSpan(kpx::pictureRow(*source.get(), r.top + y), r.left, r.width(), bpp,
                           kpx::pictureRow(*target.get(), y));
    return result;
}

KpxHandle KPXCropImageEx(KpxHandle image, int left, int top, int right, int bottom,
                         int withTransparency) {
    const KpxHandle crop = KPXCropImage(image, left, top, right, bottom);
    if (!crop || !withTransparency)
        return crop;
    int width = 0, height = 0;
    {
        kpx::ImageLock source(image, kKpxRead);
        if (!source)
            return crop;
        width = source->width();
        height = source->height();
    }
    carryTransparency(image, crop, kpx::clampCropRect(left, top, right, bottom, width, height));
    return crop;
}
