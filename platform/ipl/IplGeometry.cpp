#include "ipl/IplGeometry.h"

#include "ipl/MatView.h"
#include "ipl/WarpSpans.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kfm::ipl {

namespace {

using detail::guarded;
using detail::MatView;
using detail::Use;

// Coordinates farther out than this are refused rather than handed to the warps.
constexpr double kMaxCoordinate = 16.0 * kMaxSide;

// Between picture coordinates of an area (y from the top, pixel centres at whole numbers) and
// coordinates of its stored rows. The flip is its own inverse.
cv::Matx33d storageFlip(const Image& image, int areaHeight) {
    if (!image.bottomUp)
        return cv::Matx33d::eye();
    return cv::Matx33d(1, 0, 0, 0, -1, areaHeight - 1, 0, 0, 1);
}

cv::Mat affinePart(const cv::Matx33d& m) {
    return (cv::Mat_<double>(2, 3) << m(0, 0), m(0, 1), m(0, 2), m(1, 0), m(1, 1), m(1, 2));
}

bool finiteAndBounded(double value) {
    return std::isfinite(value) && std::abs(value) <= kMaxCoordinate;
}

bool usablePair(const Image& src, const Image& dst) {
    return isUsable(src) && isUsable(dst) && sameLayout(src, dst);
}

// The scaled size of a side, computed without overflow.
std::int64_t scaledSide(int side, int numerator, int denominator) {
    return static_cast<std::int64_t>(side) * numerator / denominator;
}

// The part of a scaled picture that fits the destination, computed by an affine warp that maps
// each destination pixel centre to the same source point as a resize would.
Status resizeIntoPart(const Image& src, const Image& dst, const Rect& visible, double xScale,
                      double yScale, int interpolation) {
    MatView source(src, Use::Read);
    MatView target(dst, visible, Use::Write);
    const cv::Mat from = detail::independentSource(source, src, dst);
    const double sx = 1.0 / xScale;
    const double sy = 1.0 / yScale;
    const cv::Matx33d toSource(sx, 0, 0.5 * sx - 0.5, 0, sy, 0.5 * sy - 0.5, 0, 0, 1);
    const cv::Matx33d map =
        storageFlip(src, from.rows) * toSource * storageFlip(dst, visible.height);
    cv::warpAffine(from, target.mat(), affinePart(map), target.mat().size(),
                   detail::cvInterpolation(interpolation) | cv::WARP_INVERSE_MAP,
                   cv::BORDER_REPLICATE);
    target.commit();
    return Status::Ok;
}

// Warps in onto out by a forward transform (3 x 3 perspective or 2 x 3 affine); pixels of out
// that the picture does not reach keep their values. With the smooth-edge flag the picture is
// blended onto out by how much of each pixel it covers, so that its edges do not step.
void warpOnto(const cv::Mat& in, cv::Mat& out, const cv::Mat& transform, int interpolation) {
    detail::warpOntoReached(in, out, transform, detail::cvInterpolation(interpolation),
                            (interpolation & kSmoothEdge) != 0);
}

bool notCollinear(const cv::Point2d& a, const cv::Point2d& b, const cv::Point2d& c) {
    const double cross = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    return std::abs(cross) > 1e-9;
}

bool properQuadrangle(const cv::Point2d p[4]) {
    return notCollinear(p[0], p[1], p[2]) && notCollinear(p[1], p[2], p[3]) &&
           notCollinear(p[2], p[3], p[0]) && notCollinear(p[3], p[0], p[1]);
}

} // namespace

bool isInterpolation(int interpolation) {
    const int method = interpolation & ~kSmoothEdge;
    return method >= kNearest && method <= kSuper;
}

Status resize(const Image& src, const Image& dst, int xDst, int xSrc, int yDst, int ySrc,
              int interpolation) {
    if (!usablePair(src, dst) || xDst <= 0 || xSrc <= 0 || yDst <= 0 || ySrc <= 0 ||
        !isInterpolation(interpolation))
        return Status::BadArgument;
    const Rect from = workArea(src);
    const Rect to = workArea(dst);
    const std::int64_t width = scaledSide(from.width, xDst, xSrc);
    const std::int64_t height = scaledSide(from.height, yDst, ySrc);
    if (width <= 0 || height <= 0)
        return Status::BadArgument;
    return guarded([&] {
        if (width != to.width || height != to.height) {
            const Rect visible{to.x, to.y,
                               static_cast<int>(std::min<std::int64_t>(width, to.width)),
                               static_cast<int>(std::min<std::int64_t>(height, to.height))};
            return resizeIntoPart(src, dst, visible, static_cast<double>(xDst) / xSrc,
                                  static_cast<double>(yDst) / ySrc, interpolation);
        }
        MatView source(src, Use::Read);
        MatView target(dst, Use::Write);
        const cv::Mat in = detail::independentSource(source, src, dst);
        cv::resize(in, target.mat(), target.mat().size(), 0, 0,
                   detail::cvInterpolation(interpolation));
        target.commit();
        return Status::Ok;
    });
}

Status decimate(const Image& src, const Image& dst, int xDst, int xSrc, int yDst, int ySrc,
                int interpolation) {
    if (xDst > xSrc || yDst > ySrc)
        return Status::BadArgument;
    return resize(src, dst, xDst, xSrc, yDst, ySrc, interpolation);
}

Status zoom(const Image& src, const Image& dst, int xDst, int xSrc, int yDst, int ySrc,
            int interpolation) {
    if (xDst < xSrc || yDst < ySrc)
        return Status::BadArgument;
    return resize(src, dst, xDst, xSrc, yDst, ySrc, interpolation);
}

Status mirror(const Image& src, const Image& dst, int axis) {
    if (!usablePair(src, dst) || axis < -1 || axis > 1)
        return Status::BadArgument;
    const Rect from = workArea(src);
    const Rect to = workArea(dst);
    if (from.width != to.width || from.height != to.height)
        return Status::BadArgument;
    return guarded([&] {
        MatView source(src, Use::Read);
        MatView target(dst, Use::Write);
        const cv::Mat in = detail::independentSource(source, src, dst);
        // Upside down and left to right are the same operations on stored rows.
        cv::flip(in, target.mat(), axis);
        target.commit();
        return Status::Ok;
    });
}

Status warpPerspectiveQ(const Image& src, const Image& dst, const double quad[4][2],
                        int interpolation) {
    if (!usablePair(src, dst) || !quad || !isInterpolation(interpolation))
        return Status::BadArgument;
    for (int i = 0; i < 4; ++i)
        if (!finiteAndBounded(quad[i][0]) || !finiteAndBounded(quad[i][1]))
            return Status::BadArgument;
    const Rect from = workArea(src);
    const Rect to = workArea(dst);
    // Corners of pixels in picture coordinates become pixel-centre coordinates of stored rows.
    auto stored = [](const Image& image, const Rect& area, double x, double y) {
        const double down = y - area.y;
        return cv::Point2d(x - area.x - 0.5,
                           image.bottomUp ? area.height - down - 0.5 : down - 0.5);
    };
    const cv::Point2d corners[4] = {stored(src, from, from.x, from.y),
                                    stored(src, from, from.x + from.width, from.y),
                                    stored(src, from, from.x + from.width, from.y + from.height),
                                    stored(src, from, from.x, from.y + from.height)};
    cv::Point2d points[4];
    for (int i = 0; i < 4; ++i)
        points[i] = stored(dst, to, quad[i][0], quad[i][1]);
    if (!properQuadrangle(points))
        return Status::BadArgument;
    return guarded([&] {
        cv::Point2f a[4];
        cv::Point2f b[4];
        for (int i = 0; i < 4; ++i) {
            a[i] = cv::Point2f(static_cast<float>(corners[i].x), static_cast<float>(corners[i].y));
            b[i] = cv::Point2f(static_cast<float>(points[i].x), static_cast<float>(points[i].y));
        }
        const cv::Mat transform = cv::getPerspectiveTransform(a, b);
        const double det = cv::determinant(transform);
        if (!std::isfinite(det) || std::abs(det) < 1e-12)
            return Status::BadArgument;
        MatView source(src, Use::Read);
        MatView target(dst, Use::ReadWrite);
        const cv::Mat in = detail::independentSource(source, src, dst);
        warpOnto(in, target.mat(), transform, interpolation);
        target.commit();
        return Status::Ok;
    });
}

Status rotate(const Image& src, const Image& dst, double angle, double xShift, double yShift,
              int interpolation) {
    if (!usablePair(src, dst) || !isInterpolation(interpolation) || !std::isfinite(angle) ||
        !finiteAndBounded(xShift) || !finiteAndBounded(yShift))
        return Status::BadArgument;
    const double radians = angle * CV_PI / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const cv::Matx33d turn(c, s, xShift, -s, c, yShift, 0, 0, 1);
    return guarded([&] {
        MatView source(src, Use::Read);
        MatView target(dst, Use::ReadWrite);
        const cv::Mat in = detail::independentSource(source, src, dst);
        const cv::Matx33d map =
            storageFlip(dst, target.mat().rows) * turn * storageFlip(src, in.rows);
        warpOnto(in, target.mat(), affinePart(map), interpolation);
        target.commit();
        return Status::Ok;
    });
}

void getRotateShift(double x, double y, double angle, double* xShift, double* yShift) {
    const double radians = angle * CV_PI / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    if (xShift)
        *xShift = x - (x * c + y * s);
    if (yShift)
        *yShift = y - (-x * s + y * c);
}

} // namespace kfm::ipl
