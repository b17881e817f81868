#include "ipl/SmoothWarp.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

namespace kfm::ipl::detail {

namespace {

// OpenCV's fixed-point source positions: a whole pixel and a fraction in 1/32 of a pixel.
constexpr int kFractionBits = cv::INTER_BITS;
constexpr int kFractionSteps = cv::INTER_TAB_SIZE;
constexpr int kFractionMask = kFractionSteps - 1;
// Full coverage of a pixel: the product of two whole weights of 32 steps.
constexpr int kWholeCoverage = kFractionSteps * kFractionSteps;

// The source positions of one row of target pixels, for the interpolating methods (whole pixel
// and fraction) or for nearest neighbours (whole pixel, fraction left 0).
struct RowPositions {
    explicit RowPositions(int width)
        : whole(static_cast<std::size_t>(width)), fraction(static_cast<std::size_t>(width)) {}
    std::vector<cv::Vec2s> whole;
    std::vector<std::uint16_t> fraction;
};

short toShort(int value) {
    return cv::saturate_cast<short>(value);
}

void store(RowPositions& row, int x, int fixedX, int fixedY) {
    const auto at = static_cast<std::size_t>(x);
    row.whole[at] = cv::Vec2s(toShort(fixedX >> kFractionBits), toShort(fixedY >> kFractionBits));
    row.fraction[at] = static_cast<std::uint16_t>((fixedY & kFractionMask) * kFractionSteps +
                                                  (fixedX & kFractionMask));
}

// Positions of an affine warp: the inverse of the forward transform, stepped along each row in
// integers of 1/1024 pixel, as warpAffine does.
class AffinePositions {
public:
    AffinePositions(const cv::Mat& forward, int width) {
        const cv::Mat_<double> f(forward);
        double m[6] = {f(0, 0), f(0, 1), f(0, 2), f(1, 0), f(1, 1), f(1, 2)};
        double d = m[0] * m[4] - m[1] * m[3];
        d = d != 0 ? 1. / d : 0;
        const double a11 = m[4] * d;
        const double a22 = m[0] * d;
        m[0] = a11;
        m[1] *= -d;
        m[3] *= -d;
        m[4] = a22;
        const double b1 = -m[0] * m[2] - m[1] * m[5];
        const double b2 = -m[3] * m[2] - m[4] * m[5];
        m[2] = b1;
        m[5] = b2;
        std::copy(std::begin(m), std::end(m), m_);
        xStep_.resize(static_cast<std::size_t>(width));
        yStep_.resize(static_cast<std::size_t>(width));
        for (int x = 0; x < width; ++x) {
            xStep_[static_cast<std::size_t>(x)] = cv::saturate_cast<int>(m_[0] * x * kScale);
            yStep_[static_cast<std::size_t>(x)] = cv::saturate_cast<int>(m_[3] * x * kScale);
        }
    }

    void row(int y, bool nearest, RowPositions& out) const {
        const int delta = nearest ? kScale / 2 : kScale / kFractionSteps / 2;
        const int x0 = cv::saturate_cast<int>((m_[1] * y + m_[2]) * kScale) + delta;
        const int y0 = cv::saturate_cast<int>((m_[4] * y + m_[5]) * kScale) + delta;
        const int width = static_cast<int>(xStep_.size());
        if (nearest) {
            for (int x = 0; x < width; ++x) {
                const auto at = static_cast<std::size_t>(x);
                out.whole[at] = cv::Vec2s(toShort((x0 + xStep_[at]) >> kScaleBits),
                                          toShort((y0 + yStep_[at]) >> kScaleBits));
            }
            return;
        }
        for (int x = 0; x < width; ++x) {
            const auto at = static_cast<std::size_t>(x);
            store(out, x, (x0 + xStep_[at]) >> (kScaleBits - kFractionBits),
                  (y0 + yStep_[at]) >> (kScaleBits - kFractionBits));
        }
    }

private:
    static constexpr int kScaleBits = 10;
    static constexpr int kScale = 1 << kScaleBits;
    double m_[6] = {};
    std::vector<int> xStep_;
    std::vector<int> yStep_;
};

// Positions of a perspective warp: the inverse transform evaluated in doubles from the start of
// each block of columns that warpPerspective works in, as it does.
class PerspectivePositions {
public:
    PerspectivePositions(const cv::Mat& forward, int width, int height) {
        cv::Mat inverse(3, 3, CV_64F, m_);
        forward.convertTo(inverse, inverse.type());
        cv::invert(inverse, inverse);
        constexpr int kBlock = 32;
        const int blockHeight = std::min(kBlock / 2, height);
        blockWidth_ = std::min(kBlock * kBlock / blockHeight, width);
        width_ = width;
    }

    void row(int y, bool nearest, RowPositions& out) const {
        const double steps = nearest ? 1.0 : kFractionSteps;
        for (int start = 0; start < width_; start += blockWidth_) {
            const double x0 = m_[0] * start + m_[1] * y + m_[2];
            const double y0 = m_[3] * start + m_[4] * y + m_[5];
            const double w0 = m_[6] * start + m_[7] * y + m_[8];
            const int end = std::min(start + blockWidth_, width_);
            for (int x = start; x < end; ++x) {
                const int offset = x - start;
                double w = w0 + m_[6] * offset;
                w = w ? steps / w : 0;
                const int fixedX = cv::saturate_cast<int>(std::max(
                    double(INT_MIN), std::min(double(INT_MAX), (x0 + m_[0] * offset) * w)));
                const int fixedY = cv::saturate_cast<int>(std::max(
                    double(INT_MIN), std::min(double(INT_MAX), (y0 + m_[3] * offset) * w)));
                if (nearest)
                    out.whole[static_cast<std::size_t>(x)] =
                        cv::Vec2s(toShort(fixedX), toShort(fixedY));
                else
                    store(out, x, fixedX, fixedY);
            }
        }
    }

private:
    double m_[9] = {};
    int blockWidth_ = 1;
    int width_ = 0;
};

// The weight, in 32 steps, that the source pixels of one axis carry for a position between
// pixel `whole` and the next one `fraction` steps along.
int insideWeight(int whole, int fraction, int size) {
    int weight = 0;
    if (whole >= 0 && whole < size)
        weight += kFractionSteps - fraction;
    if (whole + 1 >= 0 && whole + 1 < size)
        weight += fraction;
    return weight;
}

// How much of a target pixel the picture covers, in 1/1024: the bilinear weight of the source
// pixels that lie inside the picture.
int coverageOf(const cv::Vec2s& whole, std::uint16_t fraction, const cv::Size& size) {
    return insideWeight(whole[0], fraction & kFractionMask, size.width) *
           insideWeight(whole[1], fraction >> kFractionBits, size.height);
}

// The blend of a picture value onto a target value by coverage, computed in floats exactly as
// cv::blendLinear weighs them (the weights are exact multiples of 1/1024).
std::uint8_t blended(std::uint8_t picture, std::uint8_t target, float coverage) {
    const float rest = 1.0f - coverage;
    const float denominator = coverage + rest + 1e-5f;
    return cv::saturate_cast<std::uint8_t>((picture * coverage + target * rest) / denominator);
}

// The columns of a row whose pixels the picture reaches at all, as [first, last).
std::pair<int, int> reachedColumns(const RowPositions& row, const cv::Size& size) {
    const int width = static_cast<int>(row.whole.size());
    int first = 0;
    while (first < width && coverageOf(row.whole[static_cast<std::size_t>(first)],
                                       row.fraction[static_cast<std::size_t>(first)], size) == 0)
        ++first;
    int last = width;
    while (last > first && coverageOf(row.whole[static_cast<std::size_t>(last - 1)],
                                      row.fraction[static_cast<std::size_t>(last - 1)], size) == 0)
        --last;
    return {first, last};
}

class SmoothWarp {
public:
    SmoothWarp(const cv::Mat& in, cv::Mat& out, int method)
        : in_(in), out_(out), method_(method == cv::INTER_AREA ? cv::INTER_LINEAR : method),
          coverage_(out.cols), picturePositions_(method_ == cv::INTER_NEAREST ? out.cols : 0),
          sampled_(1, out.cols, out.type()) {}

    template <class Positions> void run(const Positions& positions) {
        const bool nearest = method_ == cv::INTER_NEAREST;
        for (int y = 0; y < out_.rows; ++y) {
            positions.row(y, false, coverage_);
            const auto [first, last] = reachedColumns(coverage_, in_.size());
            if (first >= last)
                continue;
            if (nearest)
                positions.row(y, true, picturePositions_);
            sample(nearest ? picturePositions_ : coverage_, first, last);
            blendRow(y, first, last);
        }
    }

private:
    // The picture at the row's positions from first to last, into the start of sampled_.
    void sample(RowPositions& positions, int first, int last) {
        const int count = last - first;
        const cv::Mat whole(1, count, CV_16SC2, positions.whole.data() + first);
        cv::Mat picture = sampled_.colRange(0, count);
        if (method_ == cv::INTER_NEAREST) {
            cv::remap(in_, picture, whole, cv::Mat(), method_, cv::BORDER_REPLICATE);
            return;
        }
        const cv::Mat fraction(1, count, CV_16UC1, positions.fraction.data() + first);
        cv::remap(in_, picture, whole, fraction, method_, cv::BORDER_REPLICATE);
    }

    void blendRow(int y, int first, int last) {
        const int channels = out_.channels();
        std::uint8_t* target = out_.ptr<std::uint8_t>(y);
        const std::uint8_t* picture = sampled_.ptr<std::uint8_t>(0);
        const cv::Size size = in_.size();
        int x = first;
        while (x < last) {
            // A run of whole pixels is copied at once.
            int end = x;
            while (end < last && coverageOf(coverage_.whole[static_cast<std::size_t>(end)],
                                            coverage_.fraction[static_cast<std::size_t>(end)],
                                            size) == kWholeCoverage)
                ++end;
            if (end > x) {
                std::copy(picture + (x - first) * channels, picture + (end - first) * channels,
                          target + x * channels);
                x = end;
                continue;
            }
            const int part = coverageOf(coverage_.whole[static_cast<std::size_t>(x)],
                                        coverage_.fraction[static_cast<std::size_t>(x)], size);
            if (part > 0) {
                const float coverage = static_cast<float>(part) / kWholeCoverage;
                for (int c = 0; c < channels; ++c) {
                    std::uint8_t& value = target[x * channels + c];
                    value = blended(picture[(x - first) * channels + c], value, coverage);
                }
            }
            ++x;
        }
    }

    const cv::Mat& in_;
    cv::Mat& out_;
    int method_;
    RowPositions coverage_;
    RowPositions picturePositions_;
    cv::Mat sampled_;
};

} // namespace

void smoothWarpOnto(const cv::Mat& in, cv::Mat& out, const cv::Mat& transform, int method) {
    SmoothWarp warp(in, out, method);
    if (transform.rows == 3)
        warp.run(PerspectivePositions(transform, out.cols, out.rows));
    else
        warp.run(AffinePositions(transform, out.cols));
}

} // namespace kfm::ipl::detail
