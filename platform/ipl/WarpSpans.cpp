#include "ipl/WarpSpans.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kfm::ipl::detail {

namespace {

// OpenCV's fixed-point source positions: a whole pixel and a fraction in 1/32 of a pixel.
constexpr int kFractionBits = cv::INTER_BITS;
constexpr int kFractionSteps = cv::INTER_TAB_SIZE;
constexpr int kFractionMask = kFractionSteps - 1;
// Full coverage of a pixel: the product of two whole weights of 32 steps.
constexpr int kWholeCoverage = kFractionSteps * kFractionSteps;

// The columns [first, last) of a target row that the picture may reach.
using Span = std::pair<int, int>;

// Where the source positions of a row's pixels go: pixel x at index x - first of each list
// (the fraction is not written for nearest neighbours).
struct PositionsOut {
    cv::Vec2s* whole;
    std::uint16_t* fraction;
    int first;
};

// The source positions of one row of target pixels, by column: whole pixel and fraction for the
// interpolating methods, whole pixel alone for nearest neighbours.
struct RowPositions {
    explicit RowPositions(int width)
        : whole(static_cast<std::size_t>(width)), fraction(static_cast<std::size_t>(width)) {}
    PositionsOut byColumn() { return PositionsOut{whole.data(), fraction.data(), 0}; }
    std::vector<cv::Vec2s> whole;
    std::vector<std::uint16_t> fraction;
};

short toShort(int value) {
    return cv::saturate_cast<short>(value);
}

void store(const PositionsOut& row, int x, int fixedX, int fixedY) {
    const int at = x - row.first;
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

    void row(int y, const Span& span, bool nearest, const PositionsOut& out) const {
        const int delta = nearest ? kScale / 2 : kScale / kFractionSteps / 2;
        const int x0 = cv::saturate_cast<int>((m_[1] * y + m_[2]) * kScale) + delta;
        const int y0 = cv::saturate_cast<int>((m_[4] * y + m_[5]) * kScale) + delta;
        if (nearest) {
            for (int x = span.first; x < span.second; ++x) {
                const auto at = static_cast<std::size_t>(x);
                out.whole[x - out.first] = cv::Vec2s(toShort((x0 + xStep_[at]) >> kScaleBits),
                                                     toShort((y0 + yStep_[at]) >> kScaleBits));
            }
            return;
        }
        for (int x = span.first; x < span.second; ++x) {
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
        blockWidth_ = std::max(std::min(kBlock * kBlock / blockHeight, width), 1);
    }

    void row(int y, const Span& span, bool nearest, const PositionsOut& out) const {
        const double steps = nearest ? 1.0 : kFractionSteps;
        for (int x = span.first; x < span.second;) {
            const int start = x / blockWidth_ * blockWidth_;
            const int end = std::min(start + blockWidth_, span.second);
            const double x0 = m_[0] * start + m_[1] * y + m_[2];
            const double y0 = m_[3] * start + m_[4] * y + m_[5];
            const double w0 = m_[6] * start + m_[7] * y + m_[8];
#if defined(__SSE2__)
            x = pairs(x, end, start, x0, y0, w0, steps, nearest, out);
#endif
            for (; x < end; ++x) {
                const int offset = x - start;
                double w = w0 + m_[6] * offset;
                w = w ? steps / w : 0;
                const int fixedX = cv::saturate_cast<int>(std::max(
                    double(INT_MIN), std::min(double(INT_MAX), (x0 + m_[0] * offset) * w)));
                const int fixedY = cv::saturate_cast<int>(std::max(
                    double(INT_MIN), std::min(double(INT_MAX), (y0 + m_[3] * offset) * w)));
                if (nearest)
                    out.whole[x - out.first] = cv::Vec2s(toShort(fixedX), toShort(fixedY));
                else
                    store(out, x, fixedX, fixedY);
            }
        }
    }

private:
#if defined(__SSE2__)
    // Two pixels at a time with the same double operations (the division is what costs); the
    // rounding to integers is the processor's, as cv::saturate_cast's is. Returns where it
    // stopped.
    int pairs(int x, int end, int start, double x0, double y0, double w0, double steps,
              bool nearest, const PositionsOut& out) const {
        const __m128d m0 = _mm_set1_pd(m_[0]);
        const __m128d m3 = _mm_set1_pd(m_[3]);
        const __m128d m6 = _mm_set1_pd(m_[6]);
        const __m128d vx0 = _mm_set1_pd(x0);
        const __m128d vy0 = _mm_set1_pd(y0);
        const __m128d vw0 = _mm_set1_pd(w0);
        const __m128d vsteps = _mm_set1_pd(steps);
        const __m128d highest = _mm_set1_pd(double(INT_MAX));
        const __m128d lowest = _mm_set1_pd(double(INT_MIN));
        const __m128d zero = _mm_setzero_pd();
        for (; x + 2 <= end; x += 2) {
            const double offset = x - start;
            const __m128d offsets = _mm_set_pd(offset + 1, offset);
            __m128d w = _mm_add_pd(vw0, _mm_mul_pd(m6, offsets));
            w = _mm_andnot_pd(_mm_cmpeq_pd(w, zero), _mm_div_pd(vsteps, w));
            const __m128d fx = _mm_mul_pd(_mm_add_pd(vx0, _mm_mul_pd(m0, offsets)), w);
            const __m128d fy = _mm_mul_pd(_mm_add_pd(vy0, _mm_mul_pd(m3, offsets)), w);
            const __m128i ix = _mm_cvtpd_epi32(_mm_max_pd(lowest, _mm_min_pd(highest, fx)));
            const __m128i iy = _mm_cvtpd_epi32(_mm_max_pd(lowest, _mm_min_pd(highest, fy)));
            storePair(out, x, _mm_unpacklo_epi32(ix, iy), nearest);
        }
        return x;
    }

    // Stores the positions of pixels x and x + 1 from (x, y, x + 1, y + 1) as store() and the
    // nearest form do: whole pixels saturated to shorts, fractions as y * 32 + x.
    static void storePair(const PositionsOut& out, int x, __m128i fixed, bool nearest) {
        cv::Vec2s* whole = out.whole + (x - out.first);
        if (nearest) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(whole), _mm_packs_epi32(fixed, fixed));
            return;
        }
        const __m128i pixels = _mm_srai_epi32(fixed, kFractionBits);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(whole), _mm_packs_epi32(pixels, pixels));
        const __m128i parts = _mm_and_si128(fixed, _mm_set1_epi32(kFractionMask));
        // Lanes 0 and 2 become x + y * 32 of each pixel.
        const __m128i sums =
            _mm_add_epi32(parts, _mm_srli_si128(_mm_slli_epi32(parts, kFractionBits), 4));
        std::uint16_t* fraction = out.fraction + (x - out.first);
        fraction[0] = static_cast<std::uint16_t>(_mm_cvtsi128_si32(sums));
        fraction[1] = static_cast<std::uint16_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
#endif

    double m_[9] = {};
    int blockWidth_ = 1;
};

// The spans of the target rows that the picture may reach: where the rows cross the picture's
// outline, widened by a margin of source pixels that no interpolation reaches beyond, and by a
// few target pixels for rounding. Whole rows where the outline cannot be trusted (a point at
// or behind the horizon, a flat outline).
std::vector<Span> reachableSpans(const cv::Mat& forward, const cv::Size& source,
                                 const cv::Size& target, double sourceMargin) {
    std::vector<Span> spans(static_cast<std::size_t>(target.height), Span{0, target.width});
    cv::Matx33d t = cv::Matx33d::eye();
    const cv::Mat_<double> f(forward);
    for (int r = 0; r < forward.rows; ++r)
        for (int c = 0; c < 3; ++c)
            t(r, c) = f(r, c);
    const double left = -sourceMargin;
    const double top = -sourceMargin;
    const double right = source.width - 1 + sourceMargin;
    const double bottom = source.height - 1 + sourceMargin;
    const cv::Vec3d corners[4] = {
        {left, top, 1}, {right, top, 1}, {right, bottom, 1}, {left, bottom, 1}};
    cv::Point2d outline[4];
    for (int i = 0; i < 4; ++i) {
        const cv::Vec3d p = t * corners[i];
        if (!(p[2] > 1e-9) || !std::isfinite(p[0] / p[2]) || !std::isfinite(p[1] / p[2]))
            return spans;
        outline[i] = cv::Point2d(p[0] / p[2], p[1] / p[2]);
    }
    double area = 0;
    for (int i = 0; i < 4; ++i) {
        const cv::Point2d& a = outline[i];
        const cv::Point2d& b = outline[(i + 1) % 4];
        area += a.x * b.y - b.x * a.y;
    }
    if (std::abs(area) < 1.0)
        return spans;
    constexpr int kTargetMargin = 2;
    for (int y = 0; y < target.height; ++y) {
        double low = INFINITY;
        double high = -INFINITY;
        for (int i = 0; i < 4; ++i) {
            const cv::Point2d& a = outline[i];
            const cv::Point2d& b = outline[(i + 1) % 4];
            const double y0 = std::min(a.y, b.y) - kTargetMargin;
            const double y1 = std::max(a.y, b.y) + kTargetMargin;
            if (y < y0 || y > y1)
                continue;
            // Rows near a flat edge take the whole edge.
            if (std::abs(b.y - a.y) < 1e-9) {
                low = std::min({low, a.x, b.x});
                high = std::max({high, a.x, b.x});
                continue;
            }
            const double along = std::clamp((y - a.y) / (b.y - a.y), 0.0, 1.0);
            const double x = a.x + along * (b.x - a.x);
            low = std::min(low, x);
            high = std::max(high, x);
        }
        Span& span = spans[static_cast<std::size_t>(y)];
        if (low > high) {
            span = {0, 0};
            continue;
        }
        const double first = std::max(std::floor(low) - kTargetMargin, 0.0);
        const double last = std::min(std::ceil(high) + kTargetMargin + 1, double(target.width));
        span = first < last ? Span{static_cast<int>(first), static_cast<int>(last)} : Span{0, 0};
    }
    return spans;
}

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
int coverageOf(const RowPositions& row, int x, const cv::Size& size) {
    const auto at = static_cast<std::size_t>(x);
    return insideWeight(row.whole[at][0], row.fraction[at] & kFractionMask, size.width) *
           insideWeight(row.whole[at][1], row.fraction[at] >> kFractionBits, size.height);
}

// The blend of a picture value onto a target value by coverage, computed in floats exactly as
// cv::blendLinear weighs them (the weights are exact multiples of 1/1024).
std::uint8_t blended(std::uint8_t picture, std::uint8_t target, float coverage) {
    const float rest = 1.0f - coverage;
    const float denominator = coverage + rest + 1e-5f;
    return cv::saturate_cast<std::uint8_t>((picture * coverage + target * rest) / denominator);
}

// The part of a span whose pixels the picture covers at all.
Span coveredPart(const RowPositions& row, Span span, const cv::Size& size) {
    while (span.first < span.second && coverageOf(row, span.first, size) == 0)
        ++span.first;
    while (span.second > span.first && coverageOf(row, span.second - 1, size) == 0)
        --span.second;
    return span;
}

// One worker's rows: its own position and sample buffers. With smooth edges the covered parts
// of several rows are gathered and sampled by one remap, since each sample depends only on its
// own position; a remap per row costs more than its pixels on small pictures.
template <class Positions> class RowWarper {
public:
    RowWarper(const cv::Mat& in, cv::Mat& out, const Positions& positions, int method)
        : in_(in), out_(out), positions_(positions), method_(method),
          nearest_(method == cv::INTER_NEAREST), coverage_(out.cols),
          gathered_(kBatchPixels + static_cast<std::size_t>(out.cols), nearest_) {}

    // Samples the picture where the row reaches it, leaving the rest of the row alone; the
    // samples may wait for flush(). The row's pixels are gathered with the positions, so that
    // the pixels the picture misses keep their values.
    void warp(int y, const Span& span) {
        const std::size_t start = gathered_.count;
        positions_.row(y, span, nearest_,
                       PositionsOut{gathered_.whole.data() + start,
                                    gathered_.fraction.data() + start, span.first});
        keepTarget_ = true;
        rows_.push_back(GatheredRow{y, span, start});
        gathered_.count += static_cast<std::size_t>(span.second - span.first);
        if (gathered_.count >= kBatchPixels)
            flush();
    }

    // Samples the picture where the row reaches it and blends it by coverage; the blend may
    // wait for flush().
    void warpSmoothly(int y, const Span& reachable) {
        positions_.row(y, reachable, false, coverage_.byColumn());
        const Span span = coveredPart(coverage_, reachable, in_.size());
        if (span.first >= span.second)
            return;
        gather(y, span);
        if (gathered_.count >= kBatchPixels)
            flush();
    }

    // Samples and blends the gathered rows.
    void flush() {
        const int count = static_cast<int>(gathered_.count);
        if (count == 0)
            return;
        if (sampled_.cols < count)
            sampled_.create(1, std::max(count, out_.cols), out_.type());
        cv::Mat samples = sampled_.colRange(0, count);
        if (keepTarget_)
            for (const GatheredRow& row : rows_)
                copyPixels(out_.ptr<std::uint8_t>(row.y), row.span.first, sampled_.ptr(0),
                           static_cast<int>(row.start), row.span.second - row.span.first);
        const int border = keepTarget_ ? cv::BORDER_TRANSPARENT : cv::BORDER_REPLICATE;
        const cv::Mat whole(1, count, CV_16SC2, gathered_.whole.data());
        if (nearest_)
            cv::remap(in_, samples, whole, cv::Mat(), method_, border);
        else
            cv::remap(in_, samples, whole, cv::Mat(1, count, CV_16UC1, gathered_.fraction.data()),
                      method_, border);
        for (const GatheredRow& row : rows_) {
            if (keepTarget_)
                copyPixels(sampled_.ptr(0), static_cast<int>(row.start),
                           out_.ptr<std::uint8_t>(row.y), row.span.first,
                           row.span.second - row.span.first);
            else
                blendRow(row);
        }
        rows_.clear();
        gathered_.clear();
    }

private:
    static constexpr std::size_t kBatchPixels = 4096;

    // The sample positions of the gathered pixels and, for nearest neighbours, the
    // interpolating positions their coverage comes from; room for a batch and one more row.
    struct Gathered {
        Gathered(std::size_t room, bool nearest)
            : whole(room), fraction(room), coverWhole(nearest ? room : 0),
              coverFraction(nearest ? room : 0) {}
        void clear() { count = 0; }
        std::vector<cv::Vec2s> whole;
        std::vector<std::uint16_t> fraction;
        std::vector<cv::Vec2s> coverWhole;
        std::vector<std::uint16_t> coverFraction;
        std::size_t count = 0;
    };

    // A gathered row: its covered columns and where its pixels start in the gathered lists.
    struct GatheredRow {
        int y;
        Span span;
        std::size_t start;
    };

    // Adds the covered part of a row whose coverage positions are computed.
    void gather(int y, const Span& span) {
        const std::size_t start = gathered_.count;
        rows_.push_back(GatheredRow{y, span, start});
        const auto first = static_cast<std::ptrdiff_t>(span.first);
        const auto last = static_cast<std::ptrdiff_t>(span.second);
        const auto at = static_cast<std::ptrdiff_t>(start);
        if (nearest_) {
            positions_.row(y, span, true,
                           PositionsOut{gathered_.whole.data() + start, nullptr, span.first});
            std::copy(coverage_.whole.begin() + first, coverage_.whole.begin() + last,
                      gathered_.coverWhole.begin() + at);
            std::copy(coverage_.fraction.begin() + first, coverage_.fraction.begin() + last,
                      gathered_.coverFraction.begin() + at);
        } else {
            std::copy(coverage_.whole.begin() + first, coverage_.whole.begin() + last,
                      gathered_.whole.begin() + at);
            std::copy(coverage_.fraction.begin() + first, coverage_.fraction.begin() + last,
                      gathered_.fraction.begin() + at);
        }
        gathered_.count += static_cast<std::size_t>(span.second - span.first);
    }

    // How much of gathered pixel i the picture covers, in 1/1024.
    int gatheredCoverage(std::size_t i) const {
        const cv::Vec2s& whole = nearest_ ? gathered_.coverWhole[i] : gathered_.whole[i];
        const std::uint16_t fraction =
            nearest_ ? gathered_.coverFraction[i] : gathered_.fraction[i];
        const cv::Size size = in_.size();
        return insideWeight(whole[0], fraction & kFractionMask, size.width) *
               insideWeight(whole[1], fraction >> kFractionBits, size.height);
    }

    // Copies count pixels from pixel `from` of one row to pixel `to` of another.
    void copyPixels(const std::uint8_t* source, int from, std::uint8_t* target, int to,
                    int count) const {
        const auto size = out_.elemSize();
        std::copy(source + from * size, source + (from + count) * size, target + to * size);
    }

    void blendRow(const GatheredRow& row) {
        const int channels = out_.channels();
        std::uint8_t* target = out_.ptr<std::uint8_t>(row.y) + row.span.first * channels;
        const std::uint8_t* picture =
            sampled_.ptr<std::uint8_t>(0) + row.start * static_cast<std::size_t>(channels);
        const int count = row.span.second - row.span.first;
        int x = 0;
        while (x < count) {
            // A run of whole pixels is copied at once.
            int end = x;
            while (end < count &&
                   gatheredCoverage(row.start + static_cast<std::size_t>(end)) == kWholeCoverage)
                ++end;
            if (end > x) {
                std::copy(picture + x * channels, picture + end * channels, target + x * channels);
                x = end;
                continue;
            }
            const int part = gatheredCoverage(row.start + static_cast<std::size_t>(x));
            if (part > 0) {
                const float coverage = static_cast<float>(part) / kWholeCoverage;
                for (int c = 0; c < channels; ++c) {
                    std::uint8_t& value = target[x * channels + c];
                    value = blended(picture[x * channels + c], value, coverage);
                }
            }
            ++x;
        }
    }

    const cv::Mat& in_;
    cv::Mat& out_;
    const Positions& positions_;
    int method_;
    bool nearest_;
    RowPositions coverage_;
    // True when the warp leaves the pixels the picture misses alone, false when it blends.
    bool keepTarget_ = false;
    Gathered gathered_;
    std::vector<GatheredRow> rows_;
    cv::Mat sampled_;
};

template <class Positions>
void warpRows(const cv::Mat& in, cv::Mat& out, const Positions& positions,
              const std::vector<Span>& spans, int method, bool smoothEdges) {
    cv::parallel_for_(cv::Range(0, out.rows), [&](const cv::Range& rows) {
        RowWarper<Positions> warper(in, out, positions, method);
        for (int y = rows.start; y < rows.end; ++y) {
            const Span& span = spans[static_cast<std::size_t>(y)];
            if (span.first >= span.second)
                continue;
            if (smoothEdges)
                warper.warpSmoothly(y, span);
            else
                warper.warp(y, span);
        }
        warper.flush();
    });
}

} // namespace

void warpOntoReached(const cv::Mat& in, cv::Mat& out, const cv::Mat& transform, int method,
                     bool smoothEdges) {
    if (method == cv::INTER_AREA)
        method = cv::INTER_LINEAR;
    if (in.empty() || out.empty())
        return;
    // Nearest and linear sampling reach one source pixel beyond a position, cubic two; half a
    // pixel more covers the rounding of the positions.
    const double margin = method == cv::INTER_CUBIC ? 3 : 2;
    const std::vector<Span> spans = reachableSpans(transform, in.size(), out.size(), margin);
    if (transform.rows == 3)
        warpRows(in, out, PerspectivePositions(transform, out.cols, out.rows), spans, method,
                 smoothEdges);
    else
        warpRows(in, out, AffinePositions(transform, out.cols), spans, method, smoothEdges);
}

} // namespace kfm::ipl::detail
