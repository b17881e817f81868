// The IPL wrappers of neighbourhood filters: the new-image median, extreme, fixed and
// morphology filters, and the box blur into a destination.

#include "IplImages.h"

#include "ipl/IplFilters.h"

namespace {

using kfm::ipl::Status;
using kpx::ipl::describe;
using kpx::ipl::guarded;
using kpx::ipl::Image;
using kpx::ipl::pixelsChanged;
using kpx::ipl::TemporaryImage;
using kpx::ipl::WorkingSource;

// A wrapper that makes a new image: the filter runs from the working source (a 24-bit copy of
// sources of other depths than 1 and 24) into a new image of its size and depth.
template <class Filter> KpxHandle intoNewImage(KpxHandle src, Filter filter) {
    return guarded<KpxHandle>(0, [&]() -> KpxHandle {
        const WorkingSource source(src);
        if (!source.image())
            return 0;
        TemporaryImage result(kpx::ipl::createLike(source));
        const auto target = describe(result.get());
        if (!target || filter(*source.image(), *target) != Status::Ok)
            return 0;
        return result.release();
    });
}

template <class Filter>
KpxHandle kernelIntoNewImage(KpxHandle src, const kfm::ipl::Kernel& kernel, Filter filter) {
    if (!src || !kfm::ipl::isKernel(kernel))
        return 0;
    return intoNewImage(
        src, [&](const Image& from, const Image& to) { return filter(from, to, kernel); });
}

} // namespace

KpxHandle IPLMedianFilter(KpxHandle src, int cols, int rows, int anchorX, int anchorY) {
    return kernelIntoNewImage(src, {cols, rows, anchorX, anchorY}, kfm::ipl::medianFilter);
}

KpxHandle IPLMaxFilter(KpxHandle src, int cols, int rows, int anchorX, int anchorY) {
    return kernelIntoNewImage(src, {cols, rows, anchorX, anchorY}, kfm::ipl::maxFilter);
}

KpxHandle IPLMinFilter(KpxHandle src, int cols, int rows, int anchorX, int anchorY) {
    return kernelIntoNewImage(src, {cols, rows, anchorX, anchorY}, kfm::ipl::minFilter);
}

KpxHandle IPLFixedFilter(KpxHandle src, KPXIplFilter filter) {
    if (!src || filter < kKpxIplPrewitt3x3Vertical || filter > kKpxIplSharpen3x3)
        return 0;
    return intoNewImage(src, [&](const Image& from, const Image& to) {
        return kfm::ipl::fixedFilter(from, to, static_cast<kfm::ipl::FixedFilter>(filter));
    });
}

KpxHandle IPLErode(KpxHandle src, int iterations) {
    if (!src || iterations < 0)
        return 0;
    return intoNewImage(src, [&](const Image& from, const Image& to) {
        return kfm::ipl::erode(from, to, iterations);
    });
}

KpxHandle IPLDilate(KpxHandle src, int iterations) {
    if (!src || iterations < 0)
        return 0;
    return intoNewImage(src, [&](const Image& from, const Image& to) {
        return kfm::ipl::dilate(from, to, iterations);
    });
}

int IPLBlur(KpxHandle src, KpxHandle dst, int cols, int rows, int anchorX, int anchorY) {
    const kfm::ipl::Kernel kernel{cols, rows, anchorX, anchorY};
    if (!src || !dst || !kfm::ipl::isKernel(kernel))
        return 0;
    return guarded(0, [&] {
        const auto from = describe(src);
        const auto to = describe(dst);
        if (!from || !to || !kfm::ipl::sameLayout(*from, *to) || from->width != to->width ||
            from->height != to->height)
            return 0;
        const int result = kpx::ipl::succeeded(kfm::ipl::blur(*from, *to, kernel));
        pixelsChanged(dst);
        return result;
    });
}

int IPLBlurCenter(KpxHandle src, KpxHandle dst, int size) {
    return IPLBlur(src, dst, size, size, size / 2, size / 2);
}
