#include "FrameResize.h"

#include "FrameTransparency.h"
#include "ImageUtilities.h"
#include "VectorRender.h"

#include <algorithm>

namespace kfm::model {

namespace {

constexpr int kMaxSide = 9999;

// The vector drawing rendered at the size, with the frame's angle and mirror.
KpxHandle renderedVector(const CObjFrame& f, int width, int height, bool antialias) {
    const RECT rect{0, 0, width - 1, height - 1};
    return static_cast<KpxHandle>(RenderMetafileImage(f.vector.metafile.get(), rect,
                                                      f.GetVectorAngle(), f.vector.interpolation,
                                                      f.IsVectorMirrored(), antialias ? 1 : 0));
}

// An 8-bit plane resampled like the picture.
KpxHandle resizedPlane(KpxHandle plane, int width, int height, int interpolation) {
    ScopedImage out(CreateSolidImage(width, height, 0));
    if (!out.get() || !IPLResize(plane, out.get(), width, height, interpolation))
        return 0;
    return out.release();
}

struct Resampled {
    ScopedImage image;
    bool softAlpha = false;
    bool keepsIndex = false;
};

Resampled resampledPicture(const CObjFrame& f, KpxHandle source, int width, int height,
                           int interpolation) {
    Resampled result;
    ScopedImage converted;
    KpxHandle picture = source;
    ScopedImage plane; // 255 transparent
    if (const KpxHandle own = explicitTransparencyOf(source))
        plane.reset(KPXCreateImageFrom(own, 0));
    if (interpolation != kResampleNearest && KPXbpp(source) == 8) {
        converted.reset(KPXColorConvert(source, 24, 0, 0, 0, nullptr, nullptr));
        if (!converted.get())
            return result;
        picture = converted.get();
        if (!plane.get() && KPXIsImageTransparent(source)) {
            const ScopedImage mask(KPXGetImageTransparentImage(source));
            if (mask.get())
                plane.reset(KPXbpp(mask.get()) == 1 ? greyOfMask(mask.get())
                                                    : KPXCreateImageFrom(mask.get(), 0));
        }
    }
    const int depth = KPXbpp(picture);
    ScopedImage target(KPXCreateImage(width, height, depth));
    if (!target.get())
        return result;
    if (depth == 8) {
        std::copy_n(KPXGetBitmapInfoHeader(picture)->bmiColors, 256,
                    KPXGetBitmapInfoHeader(target.get())->bmiColors);
        KPXFillDIBColorTable(target.get());
    }
    if (!IPLResize(picture, target.get(), width, height, interpolation))
        return result;
    if (depth == 8 && hasTransparentIndex(f)) {
        SetImageTransparent(static_cast<short>(target.get()), transparentIndex(f));
        result.keepsIndex = true;
    }
    if (plane.get()) {
        const KpxHandle resized = resizedPlane(plane.get(), width, height, interpolation);
        if (!resized)
            return result;
        attachExplicit(target.get(), resized);
        result.softAlpha = true;
    }
    result.image = std::move(target);
    return result;
}

} // namespace

bool FrameResizeCopy(const CObjFrame& frame, int width, int height, int interpolation,
                     bool antialias, CObjFrame& out) {
    const auto source = static_cast<KpxHandle>(frame.GetImage());
    if (!source)
        return false;
    width = std::clamp(width, 1, kMaxSide);
    height = std::clamp(height, 1, kMaxSide);
    if (interpolation < kResampleNearest || interpolation > kResampleArea)
        interpolation = kResampleNearest;
    CObjFrame copy(frame);
    if (frame.hasVector) {
        ScopedImage image(renderedVector(frame, width, height, antialias));
        if (!image.get())
            return false;
        copy.vector.width = width;
        copy.vector.height = height;
        copy.vector.antialias = antialias ? 1 : 0;
        copy.width = KPXWidth(image.get());
        copy.height = KPXHeight(image.get());
        if (const std::uint16_t old = copy.SetImage(static_cast<std::uint16_t>(image.release())))
            KPXDeleteImage(static_cast<KpxHandle>(old));
    } else {
        Resampled resampled = resampledPicture(frame, source, width, height, interpolation);
        if (!resampled.image.get())
            return false;
        if (KPXbpp(resampled.image.get()) != 8 || !resampled.keepsIndex)
            copy.transparency = KPXbpp(resampled.image.get()) == 8 ? frame.transparency : 0;
        copy.softAlpha = resampled.softAlpha ? 1 : 0;
        copy.width = width;
        copy.height = height;
        if (const std::uint16_t old =
                copy.SetImage(static_cast<std::uint16_t>(resampled.image.release())))
            KPXDeleteImage(static_cast<KpxHandle>(old));
    }
    if (const std::uint16_t rendered = copy.SetRenderedImage(0))
        KPXDeleteImage(static_cast<KpxHandle>(rendered));
    copy.PutFrameInfo(0);
    out = copy;
    return true;
}

} // namespace kfm::model
