#include "CellularNoise.h"

#include "Grid.h"
#include "Random.h"
#include "Truncate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

namespace kfm::noise {

namespace {

// The texture form's tile.
constexpr int kTextureTile = 256;
constexpr int kLargestQuadrantCount = 11;

// P(1) + ... + P(k) for k = 1..11.
std::array<double, kLargestQuadrantCount> cumulativePoisson() {
    std::array<double, kLargestQuadrantCount> sums{};
    double factorial = 1;
    double sum = 0;
    for (int k = 1; k <= kLargestQuadrantCount; ++k) {
        factorial *= k;
        sum += std::pow(4.0, k) / (std::exp(4.0) * factorial);
        sums[k - 1] = sum;
    }
    return sums;
}

// One coordinate of a point: origin + floor(draw · half / 32767), x drawn before y.
std::int32_t pointCoordinate(int origin, int half) {
    return origin +
           static_cast<std::int32_t>(static_cast<std::int64_t>(NextRandom()) * half / 32767);
}

struct Shift {
    int dx; // in tile widths
    int dy; // in tile heights
};

// The three copies of a quadrant's points, towards the sides the quadrant does not touch.
std::array<Shift, 3> copyShifts(int quadrant) {
    switch (quadrant) {
    case 1:
        return {{{-1, 0}, {0, 1}, {-1, 1}}};
    case 2:
        return {{{1, 0}, {0, 1}, {1, 1}}};
    case 3:
        return {{{0, -1}, {1, 0}, {1, -1}}};
    default:
        return {{{-1, 0}, {0, -1}, {-1, -1}}};
    }
}

// A window point: its squared distance from the pixel before the current one, and what that
// distance grows by at the next step to the right.
struct Distance {
    std::int64_t d;
    std::int64_t e;
};

// The four smallest distances of the window, each entry taken once; count tells how many the
// window had (up to 4).
struct Nearest {
    std::array<std::int64_t, 4> f{};
    int count = 0;

    void offer(std::int64_t d) {
        int i = 3;
        if (count < 4)
            i = count++;
        else if (d >= f[3])
            return;
        while (i > 0 && f[i - 1] > d) {
            f[i] = f[i - 1];
            --i;
        }
        f[i] = d;
    }
};

class CellRowMaker {
public:
    CellRowMaker(const CellCoefficients& c, double scale) : c_(c), scale_(scale) {}

    // Writes columns 0..columns-1 of one row at y from the window's points.
    void makeRow(std::span<const FeaturePoint> window, int y, std::int32_t* out, int columns) {
        distances_.clear();
        for (const FeaturePoint& p : window) {
            const std::int64_t dy = static_cast<std::int64_t>(y) - p.y;
            distances_.push_back({dy * dy + static_cast<std::int64_t>(p.x) * p.x,
                                  1 - 2 * static_cast<std::int64_t>(p.x)});
        }
        for (int x = 0; x < columns; ++x) {
            Nearest nearest;
            for (Distance& w : distances_) {
                w.d += w.e;
                w.e += 2;
                nearest.offer(w.d);
            }
            out[x] = value(nearest);
        }
    }

private:
    std::int32_t value(const Nearest& n) const {
        // A window of fewer than four points leaves the missing distances out of the sum.
        auto root = [&](int i) {
            return i < n.count ? std::sqrt(static_cast<double>(n.f[i])) : 0.0;
        };
        return detail::truncateToInt(
            scale_ * (c_.c1 * root(0) + c_.c2 * root(1) + c_.c3 * root(2) + c_.c4 * root(3)));
    }

    CellCoefficients c_;
    double scale_;
    std::vector<Distance> distances_;
};

// The run of sorted points with lo <= y < hi, moved forward from where it stood.
struct Window {
    std::size_t start = 0;
    std::size_t end = 0;

    void advance(const std::vector<FeaturePoint>& points, std::int64_t lo, std::int64_t hi) {
        while (start < points.size() && points[start].y < lo)
            ++start;
        end = std::max(end, start);
        while (end < points.size() && points[end].y < hi)
            ++end;
    }
};

CellCoefficients coefficientsFor(const CellCoefficients& c, std::size_t pointCount) {
    CellCoefficients used = c;
    if (pointCount < 4)
        used.c4 = 0;
    if (pointCount < 3)
        used.c3 = 0;
    if (pointCount < 2)
        used.c2 = 0;
    return used;
}

} // namespace

int ComparePointsByY(const FeaturePoint& a, const FeaturePoint& b) {
    return a.y < b.y ? -1 : (a.y > b.y ? 1 : 0);
}

int QuadrantPointCount(double u) {
    static const std::array<double, kLargestQuadrantCount> sums = cumulativePoisson();
    if (u == 0)
        return 0;
    for (int n = 1; n <= kLargestQuadrantCount; ++n)
        if (u - sums[n - 1] <= 0)
            return n;
    return kLargestQuadrantCount;
}

std::vector<FeaturePoint> MakeFeaturePoints(int tileWidth, int tileHeight, CellWrap wrap) {
    const int halfW = tileWidth / 2;
    const int halfH = tileHeight / 2;
    struct Quadrant {
        int number;
        int ox;
        int oy;
    };
    const Quadrant quadrants[] = {{4, halfW, halfH}, {3, 0, halfH}, {2, 0, 0}, {1, halfW, 0}};
    std::vector<FeaturePoint> points;
    points.reserve(4 * 4 * kLargestQuadrantCount);
    for (const Quadrant& q : quadrants) {
        const int n = QuadrantPointCount(NextRandom() / 32767.0);
        const std::size_t first = points.size();
        for (int j = 0; j < n; ++j) {
            const std::int32_t x = pointCoordinate(q.ox, halfW);
            const std::int32_t y = pointCoordinate(q.oy, halfH);
            points.push_back({x, y});
        }
        if (wrap == CellWrap::Off)
            continue;
        for (const Shift& s : copyShifts(q.number))
            for (int j = 0; j < n; ++j) {
                const FeaturePoint p = points[first + j];
                points.push_back({p.x + s.dx * tileWidth, p.y + s.dy * tileHeight});
            }
    }
    return points;
}

int CellularNoise(CGrid& grid, NoiseForm form, int seed, const CellCoefficients& coefficients,
                  CellWrap wrap) {
    const int seedInForce = SeedNoise(seed);
    const bool texture = form == NoiseForm::Texture;
    const int tileW = texture ? kTextureTile : grid.width();
    const int tileH = texture ? kTextureTile : grid.height();
    std::vector<FeaturePoint> points = MakeFeaturePoints(tileW, tileH, wrap);
    if (grid.isUniform())
        return seedInForce;
    // Points of equal y may come in any order: the window and the four nearest depend on the
    // y values and the distances alone.
    std::sort(points.begin(), points.end(), [](const FeaturePoint& a, const FeaturePoint& b) {
        return ComparePointsByY(a, b) < 0;
    });

    const double halfW = tileW / 2;
    const double halfH = tileH / 2;
    // A 1 x 1 grid has no half diagonal; it counts as 1.
    const double diagonal = std::max(std::sqrt(halfW * halfW + halfH * halfH), 1.0);
    CellRowMaker rows(coefficientsFor(coefficients, points.size()), 256 / diagonal);

    const int width = grid.width();
    Window window;
    for (int y = 0; y < grid.height(); ++y) {
        std::int32_t* out = grid.row(y);
        if (texture) {
            // Rows repeat the tile: every 256 rows the window starts again.
            const int ym = y % kTextureTile;
            if (ym == 0)
                window = {};
            window.advance(points, ym - kTextureTile, ym + kTextureTile);
            const int columns = std::min(width, kTextureTile);
            rows.makeRow(std::span(points).subspan(window.start, window.end - window.start), ym,
                         out, columns);
            for (int x = columns; x < width; ++x)
                out[x] = out[x % kTextureTile];
        } else {
            const int reach = tileH / 2 + 2;
            window.advance(points, static_cast<std::int64_t>(y) - reach,
                           static_cast<std::int64_t>(y) + reach);
            rows.makeRow(std::span(points).subspan(window.start, window.end - window.start), y, out,
                         width);
        }
    }
    return seedInForce;
}

} // namespace kfm::noise
