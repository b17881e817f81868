#include "ipl/IplFilters.h"

#include "ipl/MatView.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <vector>

namespace kfm::ipl {

namespace {

using detail::guarded;
using detail::MatView;
using detail::Use;

bool sameSizedPair(const Image& src, const Image& dst) {
    if (!isUsable(src) || !isUsable(dst) || !sameLayout(src, dst))
        return false;
    const Rect from = workArea(src);
    const Rect to = workArea(dst);
    return from.width == to.width && from.height == to.height;
}

// The anchor in the order of the source's stored rows.
cv::Point storedAnchor(const Image& image, const Kernel& kernel) {
    return {kernel.anchorX, image.bottomUp ? kernel.rows - 1 - kernel.anchorY : kernel.anchorY};
}

// Runs one OpenCV filter from the source's work area into the destination's.
template <class Filter> Status filterInto(const Image& src, const Image& dst, Filter filter) {
    return guarded([&] {
        MatView source(src, Use::Read);
        MatView target(dst, Use::Write);
        const cv::Mat in = detail::independentSource(source, src, dst);
        filter(in, target.mat());
        target.commit();
        return Status::Ok;
    });
}

// The median of every kernel-sized neighbourhood, for kernels that OpenCV's median does not
// take (not square, even-sized or with the anchor off centre). Of an even number of cells the
// upper middle value is taken.
void medianOverKernel(const cv::Mat& in, cv::Mat& out, const Kernel& kernel, cv::Point anchor) {
    cv::Mat padded;
    cv::copyMakeBorder(in, padded, anchor.y, kernel.rows - 1 - anchor.y, anchor.x,
                       kernel.cols - 1 - anchor.x, cv::BORDER_REPLICATE);
    const int channels = in.channels();
    std::vector<std::uint8_t> cells(static_cast<std::size_t>(kernel.cols) * kernel.rows);
    const auto middle = cells.begin() + static_cast<std::ptrdiff_t>(cells.size() / 2);
    for (int r = 0; r < in.rows; ++r) {
        auto* row = out.ptr<std::uint8_t>(r);
        for (int c = 0; c < in.cols; ++c)
            for (int ch = 0; ch < channels; ++ch) {
                auto cell = cells.begin();
                for (int kr = 0; kr < kernel.rows; ++kr) {
                    const auto* p = padded.ptr<std::uint8_t>(r + kr) + c * channels + ch;
                    for (int kc = 0; kc < kernel.cols; ++kc, p += channels)
                        *cell++ = *p;
                }
                std::nth_element(cells.begin(), middle, cells.end());
                row[c * channels + ch] = *middle;
            }
    }
}

// Correlation kernels as the picture is seen, with their divisors.
cv::Mat fixedKernel(FixedFilter filter) {
    switch (filter) {
    case FixedFilter::Prewitt3x3Vertical:
        return (cv::Mat_<float>(3, 3) << -1, 0, 1, -1, 0, 1, -1, 0, 1);
    case FixedFilter::Prewitt3x3Horizontal:
        return (cv::Mat_<float>(3, 3) << 1, 1, 1, 0, 0, 0, -1, -1, -1);
    case FixedFilter::Sobel3x3Vertical:
        return (cv::Mat_<float>(3, 3) << -1, 0, 1, -2, 0, 2, -1, 0, 1);
    case FixedFilter::Sobel3x3Horizontal:
        return (cv::Mat_<float>(3, 3) << 1, 2, 1, 0, 0, 0, -1, -2, -1);
    case FixedFilter::Laplacian3x3:
        return (cv::Mat_<float>(3, 3) << -1, -1, -1, -1, 8, -1, -1, -1, -1);
    case FixedFilter::Laplacian5x5:
        return (cv::Mat_<float>(5, 5) << -1, -3, -4, -3, -1, -3, 0, 6, 0, -3, -4, 6, 20, 6, -4, -3,
                0, 6, 0, -3, -1, -3, -4, -3, -1);
    case FixedFilter::Gaussian3x3:
        return (cv::Mat_<float>(3, 3) << 1, 2, 1, 2, 4, 2, 1, 2, 1) / 16.0;
    case FixedFilter::Gaussian5x5:
        return (cv::Mat_<float>(5, 5) << 2, 7, 12, 7, 2, 7, 31, 52, 31, 7, 12, 52, 127, 52, 12, 7,
                31, 52, 31, 7, 2, 7, 12, 7, 2) /
               571.0;
    case FixedFilter::Hipass3x3:
        return (cv::Mat_<float>(3, 3) << -1, -1, -1, -1, 8, -1, -1, -1, -1);
    case FixedFilter::Hipass5x5: {
        cv::Mat k(5, 5, CV_32F, cv::Scalar(-1));
        k.at<float>(2, 2) = 24;
        return k;
    }
    case FixedFilter::Sharpen3x3:
        return (cv::Mat_<float>(3, 3) << -1, -1, -1, -1, 16, -1, -1, -1, -1) / 8.0;
    }
    return {};
}

Status morphology(const Image& src, const Image& dst, int iterations, int operation) {
    if (!sameSizedPair(src, dst) || iterations < 0)
        return Status::BadArgument;
    return filterInto(src, dst, [&](const cv::Mat& in, cv::Mat& out) {
        if (iterations == 0)
            in.copyTo(out);
        else
            cv::morphologyEx(in, out, operation, cv::Mat(), cv::Point(-1, -1), iterations);
    });
}

Status extremeFilter(const Image& src, const Image& dst, const Kernel& kernel, int operation) {
    if (!sameSizedPair(src, dst) || !isKernel(kernel))
        return Status::BadArgument;
    const cv::Mat shape = cv::getStructuringElement(cv::MORPH_RECT, {kernel.cols, kernel.rows});
    return filterInto(src, dst, [&](const cv::Mat& in, cv::Mat& out) {
        cv::morphologyEx(in, out, operation, shape, storedAnchor(src, kernel), 1,
                         cv::BORDER_REPLICATE);
    });
}

} // namespace

bool isKernel(const Kernel& kernel) {
    return kernel.cols >= 1 && kernel.rows >= 1 && kernel.cols <= kMaxKernel &&
           kernel.rows <= kMaxKernel && kernel.anchorX >= 0 && kernel.anchorY >= 0 &&
           kernel.anchorX < kernel.cols && kernel.anchorY < kernel.rows;
}

Status blur(const Image& src, const Image& dst, const Kernel& kernel) {
    if (!sameSizedPair(src, dst) || !isKernel(kernel))
        return Status::BadArgument;
    return filterInto(src, dst, [&](const cv::Mat& in, cv::Mat& out) {
        const cv::Size size(kernel.cols, kernel.rows);
        if (size.area() == 2) {
            // OpenCV 4.6 gets the 8-bit mean of two cells wrong (0 gives 1, 255 gives 0): the
            // sum is taken in 16 bits and halved here.
            cv::Mat sums;
            cv::boxFilter(in, sums, CV_16U, size, storedAnchor(src, kernel), false,
                          cv::BORDER_REPLICATE);
            sums.convertTo(out, CV_8U, 0.5);
            return;
        }
        cv::blur(in, out, size, storedAnchor(src, kernel), cv::BORDER_REPLICATE);
    });
}

Status medianFilter(const Image& src, const Image& dst, const Kernel& kernel) {
    if (!sameSizedPair(src, dst) || !isKernel(kernel))
        return Status::BadArgument;
    const cv::Point anchor = storedAnchor(src, kernel);
    const bool centredSquare = kernel.cols == kernel.rows && kernel.cols % 2 == 1 &&
                               anchor.x == kernel.cols / 2 && anchor.y == kernel.rows / 2;
    return filterInto(src, dst, [&](const cv::Mat& in, cv::Mat& out) {
        if (centredSquare)
            cv::medianBlur(in, out, kernel.cols);
        else
            medianOverKernel(in, out, kernel, anchor);
    });
}

Status minFilter(const Image& src, const Image& dst, const Kernel& kernel) {
    return extremeFilter(src, dst, kernel, cv::MORPH_ERODE);
}

Status maxFilter(const Image& src, const Image& dst, const Kernel& kernel) {
    return extremeFilter(src, dst, kernel, cv::MORPH_DILATE);
}

Status fixedFilter(const Image& src, const Image& dst, FixedFilter filter) {
    if (!sameSizedPair(src, dst))
        return Status::BadArgument;
    cv::Mat kernel = fixedKernel(filter);
    if (kernel.empty())
        return Status::BadArgument;
    if (src.bottomUp)
        cv::flip(kernel, kernel, 0);
    return filterInto(src, dst, [&](const cv::Mat& in, cv::Mat& out) {
        cv::filter2D(in, out, -1, kernel, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);
    });
}

Status erode(const Image& src, const Image& dst, int iterations) {
    return morphology(src, dst, iterations, cv::MORPH_ERODE);
}

Status dilate(const Image& src, const Image& dst, int iterations) {
    return morphology(src, dst, iterations, cv::MORPH_DILATE);
}

} // namespace kfm::ipl
