#include "ipl/IplCompose.h"

#include "ipl/MatView.h"

#include <opencv2/core.hpp>

#include <algorithm>
#include <optional>
#include <vector>

namespace kfm::ipl {

namespace {

using detail::guarded;
using detail::MatView;
using detail::Use;

// The alpha of one image: a plane of 0..1 values or one value for every pixel.
struct Alpha {
    cv::Mat plane; // CV_32F, or empty for the constant
    double constant = 1.0;
    cv::Mat scaled(const cv::Mat& factor) const {
        return plane.empty() ? cv::Mat(factor * constant) : cv::Mat(factor.mul(plane));
    }
    cv::Mat complement(const cv::Size& size) const {
        return plane.empty() ? cv::Mat(size, CV_32F, cv::Scalar(1.0 - constant))
                             : cv::Mat(1.0 - plane);
    }
};

bool oneChannel(const Image* image) {
    return !image || (isUsable(*image) && image->channels == 1);
}

bool covers(const Image* image, const cv::Size& size) {
    if (!image)
        return true;
    const Rect area = workArea(*image);
    return area.width >= size.width && area.height >= size.height;
}

Rect cornerOf(const Image& image, const cv::Size& size) {
    const Rect area = workArea(image);
    return {area.x, area.y, size.width, size.height};
}

cv::Mat readPart(const Image& image, const cv::Size& size) {
    MatView view(image, cornerOf(image, size), Use::Read);
    return view.mat().clone();
}

Alpha alphaOf(const Image* image, const cv::Size& size, int constant) {
    Alpha alpha;
    if (!image) {
        alpha.constant = constant / 255.0;
        return alpha;
    }
    readPart(*image, size).convertTo(alpha.plane, CV_32F, 1.0 / 255.0);
    return alpha;
}

// The factors of the two sources' own alphas for each operator.
void factors(Composite operation, const Alpha& a, const Alpha& b, const cv::Size& size, cv::Mat* fa,
             cv::Mat* fb) {
    const cv::Mat one(size, CV_32F, cv::Scalar(1.0));
    const cv::Mat zero(size, CV_32F, cv::Scalar(0.0));
    switch (operation) {
    case Composite::Over:
        *fa = one;
        *fb = a.complement(size);
        break;
    case Composite::In:
        *fa = b.scaled(one);
        *fb = zero;
        break;
    case Composite::Out:
        *fa = b.complement(size);
        *fb = zero;
        break;
    case Composite::Atop:
        *fa = b.scaled(one);
        *fb = a.complement(size);
        break;
    case Composite::Xor:
        *fa = b.complement(size);
        *fb = a.complement(size);
        break;
    case Composite::Plus:
        *fa = one;
        *fb = one;
        break;
    }
}

cv::Mat perChannel(const cv::Mat& plane, int channels) {
    if (channels == 1)
        return plane;
    cv::Mat out;
    cv::merge(std::vector<cv::Mat>(static_cast<std::size_t>(channels), plane), out);
    return out;
}

Status compose(const Image& a, const Image& b, const Image& dst, Composite operation,
               const Image* alphaA, int constantA, const Image* alphaB, int constantB, bool divide,
               const Image* mask) {
    if (!isUsable(a) || !isUsable(b) || !isUsable(dst) || !sameLayout(a, b) ||
        !sameLayout(a, dst) || !oneChannel(alphaA) || !oneChannel(alphaB) || !oneChannel(mask))
        return Status::BadArgument;
    if (operation < Composite::Over || operation > Composite::Plus)
        return Status::BadArgument;
    const Rect ra = workArea(a);
    const Rect rb = workArea(b);
    const Rect rd = workArea(dst);
    const cv::Size size(std::min({ra.width, rb.width, rd.width}),
                        std::min({ra.height, rb.height, rd.height}));
    if (!covers(alphaA, size) || !covers(alphaB, size) || !covers(mask, size))
        return Status::BadArgument;
    return guarded([&] {
        const Alpha first = alphaOf(alphaA, size, constantA);
        const Alpha second = alphaOf(alphaB, size, constantB);
        cv::Mat fa;
        cv::Mat fb;
        factors(operation, first, second, size, &fa, &fb);
        const cv::Mat weightA = first.scaled(fa);
        const cv::Mat weightB = second.scaled(fb);
        const int channels = a.channels;
        cv::Mat colourA;
        cv::Mat colourB;
        readPart(a, size).convertTo(colourA, CV_32F);
        readPart(b, size).convertTo(colourB, CV_32F);
        cv::Mat result =
            colourA.mul(perChannel(weightA, channels)) + colourB.mul(perChannel(weightB, channels));
        if (divide) {
            cv::Mat total = weightA + weightB;
            // Where nothing is left the colour is 0; elsewhere the straight colour.
            cv::Mat safe;
            cv::max(total, 1e-6, safe);
            cv::divide(result, perChannel(safe, channels), result);
            result.setTo(0, total <= 1e-6);
        }
        cv::Mat bytes;
        result.convertTo(bytes, CV_8U);
        MatView target(dst, cornerOf(dst, size), mask ? Use::ReadWrite : Use::Write);
        if (mask) {
            MatView where(*mask, cornerOf(*mask, size), Use::Read);
            bytes.copyTo(target.mat(), where.mat());
        } else {
            bytes.copyTo(target.mat());
        }
        target.commit();
        return Status::Ok;
    });
}

} // namespace

Status alphaComposite(const Image& a, const Image& b, const Image& dst, const Composition& how) {
    return compose(a, b, dst, how.operation, how.alphaA, 255, how.alphaB, 255, how.divide,
                   how.mask);
}

Status alphaCompositeC(const Image& a, const Image& b, const Image& dst, Composite operation,
                       int alphaA, int alphaB, bool divide, const Image* mask) {
    if (alphaA < 0 || alphaA > 255 || alphaB < 0 || alphaB > 255)
        return Status::BadArgument;
    return compose(a, b, dst, operation, nullptr, alphaA, nullptr, alphaB, divide, mask);
}

} // namespace kfm::ipl
