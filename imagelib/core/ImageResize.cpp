#include "ImageResize.h"

#include "ImageCreation.h"
#include "ImageDrawing.h"
#include "ImageTable.h"

#include "gdi/DeviceContext.h"

#include <chrono>
#include <thread>

namespace {

// The pause between the two halves of the progress calls, so that a progress bar is seen.
constexpr auto kProgressPause = std::chrono::milliseconds(500);

void callProgress(KpxProgressProc progress, int times) {
    if (!progress)
        return;
    for (int i = 0; i < times; ++i)
        progress();
}

} // namespace

KpxHandle kpx::stretchedCopy(KpxHandle image, std::int64_t width, std::int64_t height) {
    if (!kpx::isImageSize(width, height))
        return 0;
    KpxHandle result = 0;
    {
        kpx::ImageLock source(image, kKpxRead);
        if (!kpx::hasWholePixels(source.get()))
            return 0;
        if (width == source->width() && height == source->height()) {
            source.unlock();
            return KPXCreateImageFrom(image, 0);
        }
        result = kpx::createImageLike(*source.get(), width, height);
    }
    if (!result)
        return 0;
    // The whole picture in one stretch: the engine's tiles round their source edges to whole
    // pixels, which leaves tiles without source (drawn as nothing) when a small picture is
    // enlarged more than the tile size.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP previous = dc ? SelectBitmap(dc, KPXGetBitmap(result)) : nullptr;
    const bool drawn =
        previous && kpx::stretchImagePixels(dc, 0, 0, static_cast<int>(width),
                                            static_cast<int>(height), image, 2, SRCCOPY) != 0;
    if (previous)
        SelectBitmap(dc, previous);
    if (dc)
        DeleteDC(dc);
    if (!drawn) {
        KPXDeleteImage(result);
        return 0;
    }
    return result;
}

namespace {

// The IPL resize into a new image of the source's depth; super-sampling only shrinks, so an
// image that grows is interpolated cubically.
KpxHandle resizeByInterpolation(KpxHandle image, int width, int height, int mode) {
    kpx::ScopedImage result;
    {
        kpx::ImageLock source(image, kKpxRead);
        if (!kpx::hasWholePixels(source.get()))
            return 0;
        if (mode == kKpxResizeSuperSampling &&
            (width > source->width() || height > source->height()))
            mode = kKpxResizeCubic;
        result.reset(kpx::createImageLike(*source.get(), width, height));
    }
    if (!result || !IPLResize(image, result.get(), width, height, mode))
        return 0;
    return result.release();
}

} // namespace

KpxHandle KPXNewSizeImage(KpxHandle image, int width, int height, KpxProgressProc progress) {
    return KPXNewSizeImageEx(image, width, height, kKpxResizeStretchBlt, progress);
}

KpxHandle KPXNewSizeImageEx(KpxHandle image, int width, int height, int mode,
                            KpxProgressProc progress) {
    if (!image || width < 2 || height < 2 || !kpx::isImageSize(width, height) ||
        mode < kKpxResizeStretchBlt || mode > kKpxResizeSuperSampling)
        return 0;
    int sourceWidth = 0, sourceHeight = 0, depth = 0;
    {
        kpx::ImageLock source(image, kKpxRead);
        if (!kpx::hasWholePixels(source.get()))
            return 0;
        sourceWidth = source->width();
        sourceHeight = source->height();
        depth = source->bitCount();
    }
    // The interpolating resize is for 1-bit and true-colour images.
    if (mode != kKpxResizeStretchBlt && (depth == 4 || depth == 8))
        return 0;
    callProgress(progress, height / 2);
    KpxHandle result = 0;
    if (width == sourceWidth && height == sourceHeight)
        result = KPXCreateImageFrom(image, 0);
    else if (mode == kKpxResizeStretchBlt)
        result = kpx::stretchedCopy(image, width, height);
    else
        result = resizeByInterpolation(image, width, height, mode);
    if (result && progress) {
        std::this_thread::sleep_for(kProgressPause);
        callProgress(progress, height - height / 2);
    }
    return result;
}
