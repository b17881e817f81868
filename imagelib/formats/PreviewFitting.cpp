#include "PreviewFitting.h"

#include "ImageCreation.h"
#include "ImageTable.h"

#include "gdi/DeviceContext.h"
#include "gdi/DibSection.h"

#include <cmath>
#include <cstdint>

namespace {

// Below this many bytes of 24-bit pixels a source is resampled with area averaging; larger
// palette pictures are stretched by the platform, which needs no 24-bit copy of them.
constexpr std::int64_t kLargestAveragedBytes = 0x800001;

struct FittedSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The box's height (or width) and the other side in proportion, truncated.
FittedSize fitInto(std::int32_t width, std::int32_t height, int boxWidth, int boxHeight) {
    const double sx = static_cast<double>(boxWidth) / width;
    const double sy = static_cast<double>(boxHeight) / height;
    if (sx >= sy)
        return {static_cast<std::int64_t>(std::trunc(width * sy)), boxHeight};
    return {boxWidth, static_cast<std::int64_t>(std::trunc(height * sx))};
}

bool averageResample(KpxHandle source, int depth, KpxHandle target) {
    const kpx::ScopedImage converted(
        depth == 24
            ? 0
            : KPXColorConvert(source, 24, kKpxDitherNone, kKpxPaletteFixed, 0, nullptr, nullptr));
    if (depth != 24 && !converted)
        return false;
    const KpxHandle from = depth == 24 ? source : converted.get();
    return IPLResize(from, target, KPXWidth(target), KPXHeight(target), kKpxIplSuper) != 0;
}

bool platformStretch(KpxHandle source, KpxHandle target) {
    kpx::ImageLock from(source, kKpxRead);
    if (!kpx::hasWholePixels(from.get()))
        return false;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return false;
    HBITMAP previous = SelectBitmap(dc, KPXGetBitmap(target));
    const bool drawn = previous && StretchDIBits(dc, 0, 0, KPXWidth(target), KPXHeight(target), 0,
                                                 0, from->width(), from->height(), from->bits,
                                                 from->bitmapInfo(), DIB_RGB_COLORS, SRCCOPY) != 0;
    if (previous)
        SelectBitmap(dc, previous);
    DeleteDC(dc);
    return drawn;
}

} // namespace

KpxHandle BitraNormalizePreviewSize(KpxHandle image, int boxWidth, int boxHeight,
                                    int deleteSource) {
    kpx::ScopedImage dropped(deleteSource ? image : 0);
    std::int32_t width = 0, height = 0, depth = 0;
    {
        kpx::ImageLock source(image, kKpxRead);
        if (!kpx::hasWholePixels(source.get()))
            return 0;
        width = source->width();
        height = source->height();
        depth = source->bitCount();
    }
    const FittedSize size = fitInto(width, height, boxWidth, boxHeight);
    if (size.width <= 0 || size.height <= 0)
        return 0;
    kpx::ScopedImage fitted(
        kpx::isImageSize(size.width, size.height)
            ? KPXCreateImage(static_cast<int>(size.width), static_cast<int>(size.height), 24)
            : 0);
    if (!fitted) {
        // Nothing to fit into: the picture as it is.
        dropped.release();
        return image;
    }
    const bool averaged =
        depth > 8 || static_cast<std::int64_t>(width) * height * 3 < kLargestAveragedBytes;
    const bool done = averaged ? averageResample(image, depth, fitted.get())
                               : platformStretch(image, fitted.get());
    return done ? fitted.release() : 0;
}
