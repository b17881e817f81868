// The IPL wrappers that compose images: the transparent blit, constant-alpha composition, soft
// shadows, fills and colour transforms.

#include "IplImages.h"

#include "ipl/IplArithmetic.h"
#include "ipl/IplCompose.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace {

using kfm::ipl::Rect;
using kpx::ipl::describe;
using kpx::ipl::guarded;
using kpx::ipl::Image;
using kpx::ipl::pixelsChanged;
using kpx::ipl::succeeded;
using kpx::ipl::TemporaryImage;

bool inside(const Rect& rect, const Image& image) {
    return rect.width > 0 && rect.height > 0 && rect.x >= 0 && rect.y >= 0 &&
           rect.x <= image.width - rect.width && rect.y <= image.height - rect.height;
}

// The place in b and the part of a that a blit draws: rectInB normalised and clipped to b, and
// rectInA moved in by what the clipping cut from rectInB's left and top, so that the picture
// keeps its place. Empty areas when nothing is drawn.
struct BlitAreas {
    Rect inA;
    Rect inB;
    bool empty() const { return inA.width <= 0 || inA.height <= 0; }
};

BlitAreas blitAreas(const RECT& rectInB, const Rect& inA, const Image& b) {
    const std::int64_t left = std::min(rectInB.left, rectInB.right);
    const std::int64_t right = std::max(rectInB.left, rectInB.right);
    const std::int64_t top = std::min(rectInB.top, rectInB.bottom);
    const std::int64_t bottom = std::max(rectInB.top, rectInB.bottom);
    const std::int64_t x0 = std::clamp<std::int64_t>(left, 0, b.width);
    const std::int64_t x1 = std::clamp<std::int64_t>(right, 0, b.width);
    const std::int64_t y0 = std::clamp<std::int64_t>(top, 0, b.height);
    const std::int64_t y1 = std::clamp<std::int64_t>(bottom, 0, b.height);
    const std::int64_t cutLeft = x0 - left;
    const std::int64_t cutTop = y0 - top;
    BlitAreas areas;
    if (x1 <= x0 || y1 <= y0 || cutLeft >= inA.width || cutTop >= inA.height)
        return areas;
    areas.inB = {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                 static_cast<int>(y1 - y0)};
    areas.inA = {inA.x + static_cast<int>(cutLeft), inA.y + static_cast<int>(cutTop),
                 inA.width - static_cast<int>(cutLeft), inA.height - static_cast<int>(cutTop)};
    return areas;
}

// An optional one-channel image of a given size with its region set; false when the handle is
// given but does not fit.
bool describePlane(KpxHandle handle, const Image& like, const Rect& area, int bits,
                   std::optional<Image>* out) {
    if (!handle)
        return true;
    *out = describe(handle);
    if (!*out || (*out)->channels != 1 || (bits && (*out)->bitsPerChannel != bits) ||
        (*out)->width != like.width || (*out)->height != like.height)
        return false;
    (*out)->roi = area;
    return true;
}

} // namespace

int IPLTransparentBlt2(KpxHandle a, KpxHandle b, KpxHandle alphaA, KpxHandle alphaB, KpxHandle mask,
                       const RECT* rectInB, const RECT* rectInA) {
    return guarded(0, [&] {
        auto source = describe(a);
        auto target = describe(b);
        if (!source || !target || !kfm::ipl::sameLayout(*source, *target) || !rectInA)
            return 0;
        const Rect partOfA = kpx::ipl::toRect(*rectInA);
        if (!inside(partOfA, *source))
            return 0;
        const RECT wholeB{0, 0, target->width, target->height};
        const BlitAreas areas = blitAreas(rectInB ? *rectInB : wholeB, partOfA, *target);
        std::optional<Image> alphaOfA;
        std::optional<Image> alphaOfB;
        std::optional<Image> maskPlane;
        if (!describePlane(alphaA, *source, areas.inA, 0, &alphaOfA) ||
            !describePlane(alphaB, *target, areas.inB, 0, &alphaOfB))
            return 0;
        if (mask) {
            const auto m = describe(mask);
            const bool likeA = m && m->width == source->width && m->height == source->height;
            if (!describePlane(mask, likeA ? *source : *target, likeA ? areas.inA : areas.inB, 1,
                               &maskPlane))
                return 0;
        }
        if (areas.empty())
            return 1;
        source->roi = areas.inA;
        target->roi = areas.inB;
        kfm::ipl::Status status;
        const Image* maskImage = maskPlane ? &*maskPlane : nullptr;
        if (alphaOfA) {
            kfm::ipl::Composition how;
            how.alphaA = &*alphaOfA;
            how.alphaB = alphaOfB ? &*alphaOfB : nullptr;
            how.mask = maskImage;
            status = kfm::ipl::alphaComposite(*source, *target, *target, how);
        } else {
            // Opaque a over b: a copy of a, through the mask.
            status = kfm::ipl::alphaCompositeC(*source, *target, *target, kfm::ipl::Composite::Over,
                                               255, 0, true, maskImage);
        }
        pixelsChanged(b);
        return succeeded(status);
    });
}

int IPLTransparentBlt(KpxHandle a, KpxHandle b, KpxHandle alphaA, KpxHandle alphaB, KpxHandle mask,
                      const RECT* rectInB) {
    const RECT wholeA{0, 0, KPXWidth(a), KPXHeight(a)};
    return IPLTransparentBlt2(a, b, alphaA, alphaB, mask, rectInB, &wholeA);
}

namespace {

// A 24-bit copy of source at the size asked for (resized when it has another), or 0.
KpxHandle copyAt24Bits(KpxHandle source, int width, int height) {
    TemporaryImage converted(KPXColorConvert(source, 24, 0, 1, 0, nullptr, nullptr));
    if (!converted.get() ||
        (KPXWidth(converted.get()) == width && KPXHeight(converted.get()) == height))
        return converted.release();
    TemporaryImage resized(KPXCreateImage(width, height, 24));
    if (!resized.get() || !IPLResize(converted.get(), resized.get(), width, height, kKpxIplLinear))
        return 0;
    return resized.release();
}

// Writes colour into every pixel of a described image: blue, green and red for 24 bits, the
// low byte into every byte of 8 bits, and for 1 bit every pixel set when that byte is not 0.
void fillDescribed(const Image& image, COLORREF colour) {
    const std::uint8_t low = static_cast<std::uint8_t>(colour & 0xFF);
    const std::uint8_t bgr[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
    for (int row = 0; row < image.height; ++row) {
        std::uint8_t* p = image.data + static_cast<std::size_t>(row) * image.rowBytes;
        if (image.channels == 3) {
            for (int x = 0; x < image.width; ++x, p += 3)
                std::copy(bgr, bgr + 3, p);
        } else if (image.bitsPerChannel == 8) {
            std::fill(p, p + image.width, low);
        } else {
            std::fill(p, p + image.rowBytes, static_cast<std::uint8_t>(low ? 0xFF : 0));
        }
    }
}

// The layer's value for a fraction of the channel range, or nothing when it is out of reach.
std::optional<int> rangeFraction(float factor) {
    if (!std::isfinite(factor) || std::abs(factor) > 256.0f)
        return std::nullopt;
    return static_cast<int>(std::lround(factor * 255.0f));
}

} // namespace

KpxHandle IPLAlphaCompositeC(KpxHandle a, KpxHandle b, int alphaA, int alphaB, int flag) {
    if (!a || !b || alphaA < 0 || alphaA > 255 || alphaB < 0 || alphaB > 255)
        return 0;
    return guarded<KpxHandle>(0, [&]() -> KpxHandle {
        const int width = std::max(KPXWidth(a), KPXWidth(b));
        const int height = std::max(KPXHeight(a), KPXHeight(b));
        if (width <= 0 || height <= 0)
            return 0;
        const TemporaryImage first(copyAt24Bits(a, width, height));
        const TemporaryImage second(copyAt24Bits(b, width, height));
        TemporaryImage result(KPXCreateImage(width, height, 24));
        const auto x = describe(first.get());
        const auto y = describe(second.get());
        const auto to = describe(result.get());
        if (!x || !y || !to ||
            kfm::ipl::alphaCompositeC(*x, *y, *to, kfm::ipl::Composite::Plus, alphaA, alphaB,
                                      flag != 0, nullptr) != kfm::ipl::Status::Ok)
            return 0;
        return result.release();
    });
}

int IPLSoftShadow(COLORREF colour, KpxHandle target, KpxHandle alpha, KpxHandle mask,
                  const RECT* rectInTarget) {
    const RECT whole{0, 0, KPXWidth(alpha), KPXHeight(alpha)};
    return IPLSoftShadow2(colour, target, alpha, mask, rectInTarget, &whole);
}

int IPLSoftShadow2(COLORREF colour, KpxHandle target, KpxHandle alpha, KpxHandle mask,
                   const RECT* rectInTarget, const RECT* rectInShadow) {
    if (!target || !alpha)
        return 0;
    return guarded(0, [&] {
        const TemporaryImage shadow(
            KPXCreateImage(KPXWidth(alpha), KPXHeight(alpha), KPXbpp(target)));
        if (!shadow.get() || !IPLImageFillByColor(shadow.get(), 0, colour))
            return 0;
        return IPLTransparentBlt2(shadow.get(), target, alpha, 0, mask, rectInTarget, rectInShadow);
    });
}

int IPLImageFillByColor(KpxHandle image, KpxHandle mask, COLORREF colour) {
    if (mask)
        return KPXImageFillByColor(image, mask, colour);
    return guarded(0, [&] {
        const auto described = describe(image);
        if (!described)
            return 0;
        fillDescribed(*described, colour);
        pixelsChanged(image);
        return 1;
    });
}

int IPLTransformColor(KpxHandle image, float factor, int flag, int kind) {
    return guarded(0, [&] {
        const auto described = describe(image);
        const auto value = rangeFraction(factor);
        if (!described || !value)
            return 0;
        kfm::ipl::Status status = kfm::ipl::Status::BadArgument;
        if (kind == 0)
            status = kfm::ipl::addS(*described, *described, *value);
        else if (kind == 1)
            status = kfm::ipl::subtractS(*described, *described, *value,
                                         flag ? kfm::ipl::SubtractFrom::Value
                                              : kfm::ipl::SubtractFrom::Source);
        else if (kind == 2)
            status = kfm::ipl::multiplySScale(*described, *described, *value);
        pixelsChanged(image);
        return succeeded(status);
    });
}

int IPLConvertToDIB(KpxHandle src, KpxHandle dst, int dither, int palette) {
    if (!src || !dst)
        return 0;
    return guarded(0, [&] {
        const int depth = KPXbpp(dst);
        if (KPXWidth(src) != KPXWidth(dst) || KPXHeight(src) != KPXHeight(dst) || depth == 0)
            return 0;
        // A fixed conversion maps onto dst's own colour table; otherwise dst takes the table
        // the conversion computes.
        PALETTEENTRY table[256] = {};
        const bool fixed = palette == 0;
        const BITMAPINFO* info = KPXGetBitmapInfoHeader(dst);
        const int entries = depth <= 8 ? 1 << depth : 0;
        for (int i = 0; i < entries && info; ++i)
            table[i] = PALETTEENTRY{info->bmiColors[i].rgbRed, info->bmiColors[i].rgbGreen,
                                    info->bmiColors[i].rgbBlue, 0};
        const TemporaryImage converted(
            KPXColorConvert(src, static_cast<short>(depth), static_cast<short>(dither),
                            fixed ? kKpxPaletteFixed : kKpxPalettePopularity, 0,
                            entries ? table : nullptr, nullptr));
        if (!converted.get() || KPXbpp(converted.get()) != depth)
            return 0;
        const std::size_t bytes = KPXSizeImage(dst);
        if (KPXSizeImage(converted.get()) != bytes)
            return 0;
        std::copy_n(KPXGetBits(converted.get()), bytes, KPXGetBits(dst));
        if (!fixed && entries) {
            const BITMAPINFO* computed = KPXGetBitmapInfoHeader(converted.get());
            std::copy_n(computed->bmiColors, entries, KPXGetBitmapInfoHeader(dst)->bmiColors);
            KPXFillDIBColorTable(dst);
        }
        return 1;
    });
}
