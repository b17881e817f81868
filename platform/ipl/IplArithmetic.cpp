#include "ipl/IplArithmetic.h"

#include "ipl/MatView.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace kfm::ipl {

namespace {

using detail::guarded;
using detail::MatView;
using detail::Use;

bool sameSize(const Image& a, const Image& b) {
    const Rect x = workArea(a);
    const Rect y = workArea(b);
    return x.width == y.width && x.height == y.height;
}

bool matchingPair(const Image& src, const Image& dst) {
    return isUsable(src) && isUsable(dst) && sameLayout(src, dst) && sameSize(src, dst);
}

// Unpacked 1-bit pixels are 0 or 255; constants in the 0..1 range of such an image scale with
// them.
double scaledConstant(const Image& image, int value) {
    return image.bitsPerChannel == 1 ? value * 255.0 : value;
}

template <class Operation> Status unary(const Image& src, const Image& dst, Operation operation) {
    if (!matchingPair(src, dst))
        return Status::BadArgument;
    return guarded([&] {
        MatView source(src, Use::Read);
        MatView target(dst, Use::Write);
        const cv::Mat in = detail::independentSource(source, src, dst);
        operation(in, target.mat());
        target.commit();
        return Status::Ok;
    });
}

template <class Operation>
Status binary(const Image& a, const Image& b, const Image& dst, Operation operation) {
    if (!matchingPair(a, dst) || !matchingPair(b, dst))
        return Status::BadArgument;
    return guarded([&] {
        MatView first(a, Use::Read);
        MatView second(b, Use::Read);
        MatView target(dst, Use::Write);
        const cv::Mat x = detail::independentSource(first, a, dst);
        const cv::Mat y = detail::independentSource(second, b, dst);
        operation(x, y, target.mat());
        target.commit();
        return Status::Ok;
    });
}

} // namespace

Status addS(const Image& src, const Image& dst, int value) {
    const double v = scaledConstant(src, value);
    return unary(src, dst,
                 [v](const cv::Mat& in, cv::Mat& out) { cv::add(in, cv::Scalar::all(v), out); });
}

Status subtractS(const Image& src, const Image& dst, int value, SubtractFrom order) {
    const double v = scaledConstant(src, value);
    return unary(src, dst, [v, order](const cv::Mat& in, cv::Mat& out) {
        if (order == SubtractFrom::Value)
            cv::subtract(cv::Scalar::all(v), in, out);
        else
            cv::subtract(in, cv::Scalar::all(v), out);
    });
}

Status multiplyS(const Image& src, const Image& dst, int value) {
    return unary(src, dst, [value](const cv::Mat& in, cv::Mat& out) {
        in.convertTo(out, -1, static_cast<double>(value));
    });
}

Status multiplySScale(const Image& src, const Image& dst, int value) {
    return unary(src, dst, [value](const cv::Mat& in, cv::Mat& out) {
        in.convertTo(out, -1, value / 255.0);
    });
}

Status add(const Image& a, const Image& b, const Image& dst) {
    return binary(a, b, dst,
                  [](const cv::Mat& x, const cv::Mat& y, cv::Mat& out) { cv::add(x, y, out); });
}

Status subtract(const Image& a, const Image& b, const Image& dst) {
    return binary(a, b, dst, [](const cv::Mat& x, const cv::Mat& y, cv::Mat& out) {
        cv::subtract(x, y, out);
    });
}

Status bitwiseAnd(const Image& a, const Image& b, const Image& dst) {
    return binary(a, b, dst, [](const cv::Mat& x, const cv::Mat& y, cv::Mat& out) {
        cv::bitwise_and(x, y, out);
    });
}

Status bitwiseXor(const Image& a, const Image& b, const Image& dst) {
    return binary(a, b, dst, [](const cv::Mat& x, const cv::Mat& y, cv::Mat& out) {
        cv::bitwise_xor(x, y, out);
    });
}

Status bitwiseNot(const Image& src, const Image& dst) {
    return unary(src, dst, [](const cv::Mat& in, cv::Mat& out) { cv::bitwise_not(in, out); });
}

Status threshold(const Image& src, const Image& dst, int level) {
    const double limit = scaledConstant(src, level);
    return unary(src, dst, [limit](const cv::Mat& in, cv::Mat& out) {
        // OpenCV keeps values above the threshold; "reaches level" is "above level - 1".
        if (limit <= 0)
            out.setTo(cv::Scalar::all(255));
        else if (limit > 255)
            out.setTo(cv::Scalar::all(0));
        else
            cv::threshold(in, out, limit - 1, 255, cv::THRESH_BINARY);
    });
}

} // namespace kfm::ipl
