#include "TransparentBlit.h"

#include "ImageCreation.h"
#include "ImageCrop.h"
#include "ImageResize.h"
#include "ImageRotation.h"
#include "ImageTable.h"
#include "PixelAccess.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

namespace {

constexpr int kFirstSeparation = 2; // cyan; 3 magenta, 4 yellow, 5 black
constexpr int kLastSeparation = 5;

// The colour table of a palette source, padded with black to 256 entries.
std::array<RGBQUAD, 256> paddedTable(const KpxImageRecord& source) {
    std::array<RGBQUAD, 256> table{};
    std::copy_n(source.colors(), std::min<std::uint32_t>(source.colorCount(), 256), table.begin());
    return table;
}

// One pixel writer per source depth, with and without a plane, chosen before the loops.
template <int Bits, bool WithPlane>
void composeRows(const kpx::DibRows& target, const KpxImageRecord& source,
                 const KpxImageRecord& mask, const KpxImageRecord* plane,
                 const kpx::BlitPlacement& at) {
    std::array<RGBQUAD, 256> table{};
    if constexpr (Bits <= 8)
        table = paddedTable(source);
    for (std::int32_t y = 0; y < at.height; ++y) {
        const std::uint8_t* in = kpx::pictureRow(source, at.sourceY + y);
        const std::uint8_t* bitsOfMask = kpx::pictureRow(mask, at.sourceY + y);
        const std::uint8_t* alpha = WithPlane ? kpx::pictureRow(*plane, at.sourceY + y) : nullptr;
        std::uint8_t* out = target.row(at.y + y) + static_cast<std::size_t>(at.x) * 3;
        for (std::int32_t x = 0; x < at.width; ++x, out += 3) {
            const std::int32_t sx = at.sourceX + x;
            if (kpx::maskBit(bitsOfMask, sx))
                continue;
            std::uint8_t bgr[3];
            if constexpr (Bits == 24) {
                std::copy_n(in + static_cast<std::size_t>(sx) * 3, 3, bgr);
            } else {
                const RGBQUAD& c = table[static_cast<std::size_t>(kpx::indexAt(in, sx, Bits))];
                bgr[0] = c.rgbBlue;
                bgr[1] = c.rgbGreen;
                bgr[2] = c.rgbRed;
            }
            for (int c = 0; c < 3; ++c) {
                if constexpr (WithPlane)
                    out[c] = static_cast<std::uint8_t>(
                        kpx::blendChannel(out[c], bgr[c], alpha[sx], Bits == 8));
                else
                    out[c] = bgr[c];
            }
        }
    }
}

template <bool WithPlane>
bool composeByDepth(const kpx::DibRows& target, const KpxImageRecord& source,
                    const KpxImageRecord& mask, const KpxImageRecord* plane,
                    const kpx::BlitPlacement& at) {
    switch (source.bitCount()) {
    case 1:
        composeRows<1, WithPlane>(target, source, mask, plane, at);
        return true;
    case 4:
        composeRows<4, WithPlane>(target, source, mask, plane, at);
        return true;
    case 8:
        composeRows<8, WithPlane>(target, source, mask, plane, at);
        return true;
    case 24:
        composeRows<24, WithPlane>(target, source, mask, plane, at);
        return true;
    default:
        return false;
    }
}

// The destination rectangle, put in order; coordinates are 64-bit so that no difference of
// two caller values can overflow.
struct Rect64 {
    std::int64_t left, top, right, bottom;
    std::int64_t width() const { return right - left; }
    std::int64_t height() const { return bottom - top; }
};

// The images composed: the source, its mask and its plane, with the temporaries this call made.
struct Layers {
    KpxHandle source = 0;
    KpxHandle mask = 0;
    KpxHandle plane = 0;
    kpx::ScopedImage ownSource, ownMask, ownPlane;

    void replaceSource(KpxHandle image) {
        ownSource.reset(image);
        source = image;
    }
    void replaceMask(KpxHandle image) {
        ownMask.reset(image);
        mask = image;
    }
    void replacePlane(KpxHandle image) {
        ownPlane.reset(image);
        plane = image;
    }
};

struct Size {
    std::int32_t width = 0, height = 0, bitCount = 0;
};

std::optional<Size> sizeOf(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    if (!kpx::hasWholePixels(record.get()))
        return std::nullopt;
    return Size{record->width(), record->height(), record->bitCount()};
}

// Steps 2 to 4: the picture (the rotated copy of a turned image, or its colour separation), the
// mask (the caller's, or the image's own transparency) and the plane. False when any is missing.
bool gatherLayers(KpxHandle image, int useExplicit, KpxHandle plane, KpxHandle mask, int separation,
                  int separationFlag, Layers& layers) {
    const int angle = KPXGetImageRotateAngle(image);
    layers.source = angle ? KPXGetImageRotateImage(image) : image;
    if (!layers.source)
        return false;
    if (separation >= kFirstSeparation && separation <= kLastSeparation) {
        layers.replaceSource(
            KPXCreateImageSeparateColor(layers.source, separation, separationFlag));
        if (!layers.source)
            return false;
    }
    layers.replaceMask(mask ? KPXCreateImageFrom(mask, 1) : KPXGetImageTransparentImage(image));
    if (!layers.mask)
        return false;
    layers.plane = plane;
    if (!plane && useExplicit) {
        // The explicit transparency of a turned image is turned with it, as its masks are.
        const KpxHandle own = KPXGetImageTransparentImageEx(image);
        layers.plane = own && angle ? kpx::rotatedMaskOf(own, angle) : own;
    }
    return true;
}

// Step 5: a 1-bit mask and an 8-bit plane, both of the source's size.
bool layersFit(const Layers& layers, Size& source) {
    const auto s = sizeOf(layers.source);
    const auto m = sizeOf(layers.mask);
    if (!s || !m || m->bitCount != 1 || m->width != s->width || m->height != s->height)
        return false;
    if (layers.plane) {
        const auto p = sizeOf(layers.plane);
        if (!p || p->bitCount != 8 || p->width != s->width || p->height != s->height)
            return false;
    }
    source = *s;
    return true;
}

// Crops (when a part is given) and stretches every layer to width x height.
bool reshapeLayers(Layers& layers, const std::optional<kpx::CropRect>& part, std::int64_t width,
                   std::int64_t height) {
    const auto reshape = [&](KpxHandle image) -> KpxHandle {
        if (!part)
            return kpx::stretchedCopy(image, width, height);
        const kpx::ScopedImage cropped(
            KPXCropImage(image, part->left, part->top, part->right, part->bottom));
        return cropped ? kpx::stretchedCopy(cropped.get(), width, height) : 0;
    };
    const bool withPlane = layers.plane != 0;
    layers.replaceSource(reshape(layers.source));
    layers.replaceMask(reshape(layers.mask));
    if (withPlane)
        layers.replacePlane(reshape(layers.plane));
    return layers.source && layers.mask && (layers.plane || !withPlane);
}

// The source column (or row) where the visible destination offset begins, in a stretch by
// scale.
std::int32_t sourceOffset(std::int64_t destination, double scale) {
    return static_cast<std::int32_t>(
        std::trunc((static_cast<double>(destination) + 0.4999) / scale));
}

bool compose(const kpx::DibRows& target, const Layers& layers, const kpx::BlitPlacement& at) {
    kpx::ImageLock source(layers.source, kKpxRead);
    kpx::ImageLock mask(layers.mask, kKpxRead);
    std::optional<kpx::ImageLock> plane;
    if (layers.plane)
        plane.emplace(layers.plane, kKpxRead);
    if (!kpx::hasWholePixels(source.get()) || !kpx::hasWholePixels(mask.get()) ||
        (plane && !kpx::hasWholePixels(plane->get())))
        return false;
    return kpx::composeThroughMask(target, *source.get(), *mask.get(),
                                   plane ? plane->get() : nullptr, at);
}

} // namespace

int kpx::blendChannel(int target, int source, int a, bool eightBitSource) {
    const int weight = 255 - a;
    const int value = eightBitSource ? target + (source - target) * weight / 255
                                     : target + ((source - target) * weight >> 8);
    return std::clamp(value, 0, 255);
}

bool kpx::composeThroughMask(const DibRows& target, const KpxImageRecord& source,
                             const KpxImageRecord& mask, const KpxImageRecord* plane,
                             const BlitPlacement& at) {
    return plane ? composeByDepth<true>(target, source, mask, plane, at)
                 : composeByDepth<false>(target, source, mask, nullptr, at);
}

int KPXStretchBltTransparent(int, const BITMAPINFOHEADER* header, std::uint8_t* bits, int left,
                             int top, int right, int bottom, KpxHandle image, int useExplicit,
                             KpxHandle plane, KpxHandle mask, int separation, int separationFlag) {
    Rect64 rect{std::min(left, right), std::min(top, bottom), std::max(left, right),
                std::max(top, bottom)};
    if (rect.width() == 0 || rect.height() == 0 || !header || !bits || !image)
        return 0;
    // Only bottom-up 24-bit DIBs are composed onto.
    if (header->biPlanes * header->biBitCount != 24 || header->biCompression != BI_RGB ||
        header->biWidth <= 0 || header->biHeight <= 0)
        return 0;
    const kpx::DibRows target{bits, header->biWidth, header->biHeight,
                              kpx::dibRowBytes(header->biWidth, 24)};
    if (rect.left >= target.width || rect.top >= target.height || rect.right <= 0 ||
        rect.bottom <= 0)
        return 0;

    Layers layers;
    Size source;
    if (!gatherLayers(image, useExplicit, plane, mask, separation, separationFlag, layers) ||
        !layersFit(layers, source))
        return 0;

    const double scaleX = static_cast<double>(rect.width()) / source.width;
    const double scaleY = static_cast<double>(rect.height()) / source.height;
    const bool stretched = scaleX != 1.0 || scaleY != 1.0;
    // The visible part of the rectangle, in destination pixels from its top-left corner.
    const std::int64_t firstX = std::max<std::int64_t>(0, -rect.left);
    const std::int64_t firstY = std::max<std::int64_t>(0, -rect.top);
    const std::int64_t endX = rect.width() - std::max<std::int64_t>(0, rect.right - target.width);
    const std::int64_t endY =
        rect.height() - std::max<std::int64_t>(0, rect.bottom - target.height);
    const bool wholeInside =
        firstX == 0 && firstY == 0 && endX == rect.width() && endY == rect.height();
    kpx::BlitPlacement at{static_cast<std::int32_t>(rect.left + firstX),
                          static_cast<std::int32_t>(rect.top + firstY),
                          0,
                          0,
                          static_cast<std::int32_t>(endX - firstX),
                          static_cast<std::int32_t>(endY - firstY)};
    if (stretched) {
        // Stretched once, on whole images: the visible part of the source, then its size.
        std::optional<kpx::CropRect> part;
        if (!wholeInside) {
            const std::int32_t lastX =
                std::max(sourceOffset(endX, scaleX) - 1, sourceOffset(firstX, scaleX));
            const std::int32_t lastY =
                std::max(sourceOffset(endY, scaleY) - 1, sourceOffset(firstY, scaleY));
            part = kpx::CropRect{sourceOffset(firstX, scaleX), sourceOffset(firstY, scaleY), lastX,
                                 lastY};
        }
        if (!reshapeLayers(layers, part, at.width, at.height))
            return 0;
    } else {
        at.sourceX = static_cast<std::int32_t>(firstX);
        at.sourceY = static_cast<std::int32_t>(firstY);
    }
    return compose(target, layers, at) ? 1 : 0;
}
