// The IPL wrappers that move pixels: resizing, decimation, zoom, rotation, mirroring and the
// rectangle-to-quadrangle warp.

#include "IplImages.h"

#include "ipl/IplArithmetic.h"
#include "ipl/IplGeometry.h"

#include "ImageTable.h"
#include "PixelAccess.h"

#include <algorithm>
#include <cmath>

namespace {

using kpx::ipl::describe;
using kpx::ipl::guarded;
using kpx::ipl::Image;
using kpx::ipl::pixelsChanged;
using kpx::ipl::succeeded;
using kpx::ipl::TemporaryImage;

// Source and destination of one layout, or nothing.
struct Pair {
    Image src;
    Image dst;
};

std::optional<Pair> describePair(KpxHandle src, KpxHandle dst) {
    auto from = describe(src);
    auto to = describe(dst);
    if (!from || !to || !kfm::ipl::sameLayout(*from, *to))
        return std::nullopt;
    return Pair{*from, *to};
}

// Runs one layer call on a source and a destination and marks the destination changed.
template <class Call> int intoDestination(KpxHandle src, KpxHandle dst, Call call) {
    return guarded(0, [&] {
        const auto pair = describePair(src, dst);
        if (!pair)
            return 0;
        const int result = succeeded(call(pair->src, pair->dst));
        pixelsChanged(dst);
        return result;
    });
}

// The smallest rectangle of whole pixels holding the quadrangle, cut to the image.
kfm::ipl::Rect boundingBox(const double quad[4][2], const Image& image) {
    double left = quad[0][0];
    double right = left;
    double top = quad[0][1];
    double bottom = top;
    for (int i = 1; i < 4; ++i) {
        left = std::min(left, quad[i][0]);
        right = std::max(right, quad[i][0]);
        top = std::min(top, quad[i][1]);
        bottom = std::max(bottom, quad[i][1]);
    }
    const double x0 = std::clamp(std::floor(left), 0.0, static_cast<double>(image.width));
    const double x1 = std::clamp(std::ceil(right), 0.0, static_cast<double>(image.width));
    const double y0 = std::clamp(std::floor(top), 0.0, static_cast<double>(image.height));
    const double y1 = std::clamp(std::ceil(bottom), 0.0, static_cast<double>(image.height));
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
            static_cast<int>(y1 - y0)};
}

bool finiteQuad(const double quad[4][2]) {
    for (int i = 0; i < 4; ++i)
        if (!std::isfinite(quad[i][0]) || !std::isfinite(quad[i][1]))
            return false;
    return true;
}

// The opacity of an image as a new 8-bit image of its size (255 opaque): 255 less the level of
// its transparency image (a set bit of a 1-bit image is level 255, an 8-bit image gives its
// values), or 255 everywhere without one.
KpxHandle opacityOf(KpxHandle transparency, int width, int height) {
    TemporaryImage opacity(KPXCreateImage(width, height, 8));
    if (!opacity.get())
        return 0;
    {
        kpx::ImageLock out(opacity.get(), kKpxWrite);
        kpx::ImageLock in(transparency, kKpxRead);
        if (!out)
            return 0;
        const bool levels = in && kpx::hasPixels(in.get()) && in->width() == width &&
                            in->height() == height && (in->bitCount() == 1 || in->bitCount() == 8);
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = kpx::pictureRow(*out.get(), y);
            const std::uint8_t* from = levels ? kpx::pictureRow(*in.get(), y) : nullptr;
            for (int x = 0; x < width; ++x) {
                const int level = from ? kpx::indexAt(from, x, in->bitCount()) : 0;
                row[x] =
                    static_cast<std::uint8_t>(in && in->bitCount() == 1 && level ? 255 : level);
            }
        }
    }
    const auto plane = describe(opacity.get());
    if (!plane || kfm::ipl::subtractS(*plane, *plane, 255, kfm::ipl::SubtractFrom::Value) !=
                      kfm::ipl::Status::Ok)
        return 0;
    return opacity.release();
}

// The warp of a transparent image, or through a mask: a and its opacity are warped into
// temporaries of the quadrangle's bounding box, which are then blended onto b.
int warpThroughAlpha(KpxHandle a, KpxHandle b, KpxHandle mask, KpxHandle transparency,
                     const Pair& pair, const double quad[4][2], int interpolation) {
    const kfm::ipl::Rect box = boundingBox(quad, pair.dst);
    if (box.width <= 0 || box.height <= 0)
        return 0;
    double local[4][2];
    for (int i = 0; i < 4; ++i) {
        local[i][0] = quad[i][0] - box.x;
        local[i][1] = quad[i][1] - box.y;
    }
    const int depth = KPXbpp(b);
    TemporaryImage warped(KPXCreateImage(box.width, box.height, depth));
    TemporaryImage warpedAlpha(KPXCreateImage(box.width, box.height, 8));
    TemporaryImage opacity(opacityOf(transparency, pair.src.width, pair.src.height));
    const auto colour = describe(warped.get());
    const auto alpha = describe(warpedAlpha.get());
    const auto plane = describe(opacity.get());
    if (!colour || !alpha || !plane)
        return 0;
    if (kfm::ipl::warpPerspectiveQ(pair.src, *colour, local, interpolation) !=
            kfm::ipl::Status::Ok ||
        kfm::ipl::warpPerspectiveQ(*plane, *alpha, local, interpolation) != kfm::ipl::Status::Ok)
        return 0;
    const RECT rect{box.x, box.y, box.x + box.width, box.y + box.height};
    return IPLTransparentBlt(warped.get(), b, warpedAlpha.get(), 0, mask, &rect);
}

} // namespace

int IPLResize(KpxHandle src, KpxHandle dst, int xDst, int xSrc, int yDst, int ySrc,
              int interpolation) {
    return intoDestination(src, dst, [&](const Image& from, const Image& to) {
        return kfm::ipl::resize(from, to, xDst, xSrc, yDst, ySrc, interpolation);
    });
}

int IPLResize(KpxHandle src, KpxHandle dst, int xDst, int yDst, int interpolation) {
    return intoDestination(src, dst, [&](const Image& from, const Image& to) {
        return kfm::ipl::resize(from, to, xDst, from.width, yDst, from.height, interpolation);
    });
}

int IPLDecimate(KpxHandle src, KpxHandle dst, int xDen, int yDen, int interpolation) {
    return intoDestination(src, dst, [&](const Image& from, const Image& to) {
        return kfm::ipl::decimate(from, to, to.width, xDen, to.height, yDen, interpolation);
    });
}

int IPLDecimate2(KpxHandle src, KpxHandle dst, const RECT* rectInSrc, const RECT* rectInDst,
                 int interpolation) {
    if (!rectInSrc || !rectInDst)
        return 0;
    return intoDestination(src, dst, [&](Image from, Image to) {
        from.roi = kpx::ipl::toRect(*rectInSrc);
        to.roi = kpx::ipl::toRect(*rectInDst);
        if (!kfm::ipl::isUsable(from) || !kfm::ipl::isUsable(to))
            return kfm::ipl::Status::BadArgument;
        return kfm::ipl::decimate(from, to, to.roi->width, from.roi->width, to.roi->height,
                                  from.roi->height, interpolation);
    });
}

int IPLZoom(KpxHandle src, KpxHandle dst, int xDst, int xSrc, int yDst, int ySrc,
            int interpolation) {
    return intoDestination(src, dst, [&](const Image& from, const Image& to) {
        return kfm::ipl::zoom(from, to, xDst, xSrc, yDst, ySrc, interpolation);
    });
}

int IPLRotate(KpxHandle src, KpxHandle dst, double angle, double xShift, double yShift,
              int interpolation) {
    return intoDestination(src, dst, [&](const Image& from, const Image& to) {
        return kfm::ipl::rotate(from, to, angle, xShift, yShift, interpolation);
    });
}

int IPLRotateCenter(KpxHandle src, KpxHandle dst, double angle, double x, double y,
                    int interpolation) {
    double xShift = 0;
    double yShift = 0;
    kfm::ipl::getRotateShift(x, y, angle, &xShift, &yShift);
    return IPLRotate(src, dst, angle, xShift, yShift, interpolation);
}

int IPLGetRotateShift(double x, double y, double angle, double* xShift, double* yShift) {
    if (!xShift || !yShift)
        return 0;
    kfm::ipl::getRotateShift(x, y, angle, xShift, yShift);
    return 1;
}

int IPLMirror(KpxHandle src, KpxHandle dst, int axis) {
    return intoDestination(src, dst, [&](const Image& from, const Image& to) {
        return kfm::ipl::mirror(from, to, axis);
    });
}

int IPLWarpPerspectiveQ(KpxHandle a, KpxHandle b, KpxHandle mask, const double quad[4][2],
                        int interpolation) {
    return guarded(0, [&] {
        const auto pair = describePair(a, b);
        if (!pair || !quad || !finiteQuad(quad) || !kfm::ipl::isInterpolation(interpolation))
            return 0;
        if (mask && KPXbpp(mask) != 1)
            return 0;
        const TemporaryImage transparency(KPXIsImageTransparent(a) ? KPXGetImageTransparentImage(a)
                                                                   : 0);
        if (!mask && !transparency.get()) {
            const int result =
                succeeded(kfm::ipl::warpPerspectiveQ(pair->src, pair->dst, quad, interpolation));
            pixelsChanged(b);
            return result;
        }
        return warpThroughAlpha(a, b, mask, transparency.get(), *pair, quad, interpolation);
    });
}
