#include "GridEffects.h"

#include "Grid.h"
#include "Truncate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

namespace kfm::noise {

namespace {

using detail::truncateToInt;

enum class Cells { Scalar, Colour };

constexpr int kChannelShifts[] = {0, 8, 16};

inline double channel(std::int32_t colour, int shift) {
    return static_cast<double>((static_cast<std::uint32_t>(colour) >> shift) & 255);
}

// The cell computed by f, which is given a reader of the value f works on: the cell itself, or
// each colour channel in turn (the results truncated separately and put together).
template <Cells kind, typename F> std::int32_t evaluate(F&& f) {
    if constexpr (kind == Cells::Scalar) {
        return truncateToInt(f([](std::int32_t cell) { return static_cast<double>(cell); }));
    } else {
        std::uint32_t colour = 0;
        for (const int shift : kChannelShifts) {
            const std::int32_t v =
                truncateToInt(f([shift](std::int32_t cell) { return channel(cell, shift); }));
            colour |= (static_cast<std::uint32_t>(std::clamp(v, 0, 255))) << shift;
        }
        return static_cast<std::int32_t>(colour);
    }
}

// truncate((1 - w)·far + w·near): at w = 0 the far strip alone, at 1 the near one.
template <Cells kind> std::int32_t blendCells(std::int32_t far, std::int32_t near, double w) {
    return evaluate<kind>([&](auto value) { return (1 - w) * value(far) + w * value(near); });
}

// The n weights of the tiling blend, at t = i / (n - 1) advanced by a float step. One weight
// stands at t = 0: there is no step to divide by.
std::vector<double> tileWeights(TileRamp ramp, int n) {
    std::vector<double> weights(static_cast<std::size_t>(std::max(n, 0)));
    const float step = n > 1 ? 1.0f / static_cast<float>(n - 1) : 0.0f;
    float t = 0;
    for (double& w : weights) {
        const double u = t;
        if (ramp == TileRamp::Cosine)
            w = u <= 0.5 ? 0.5 - 0.5 * std::sin((0.5 - u) * std::numbers::pi)
                         : 0.5 + 0.5 * std::sin((u - 0.5) * std::numbers::pi);
        else
            w = std::sin(u * std::numbers::pi / 2);
        t += step;
    }
    return weights;
}

int clampIndex(int i, int size) {
    return std::clamp(i, 0, size - 1);
}

// Samples the source rectangle into the target's top-left nw x nh cells.
template <Cells kind>
void resampleInto(const CGrid& source, CGrid& target, int x0, int y0, int x1, int y1, int nw,
                  int nh, Sampling sampling) {
    const int sw = source.width();
    const int sh = source.height();
    x1 = std::min(x1, sw);
    y1 = std::min(y1, sh);
    nw = std::min(nw, target.width());
    nh = std::min(nh, target.height());
    if (nw < 1 || nh < 1 || sw < 1 || sh < 1)
        return;
    const double sx = static_cast<double>(x1 - 1) / nw;
    const double sy = static_cast<double>(y1 - 1) / nh;
    for (int j = 0; j < nh; ++j) {
        // Positions outside the source (an origin beyond it) read its nearest edge.
        const double py = std::clamp(y0 + j * sy, 0.0, static_cast<double>(sh - 1));
        const int iy = static_cast<int>(py);
        const double fy = py - iy;
        const int iy1 = clampIndex(iy + 1, sh);
        for (int i = 0; i < nw; ++i) {
            const double px = std::clamp(x0 + i * sx, 0.0, static_cast<double>(sw - 1));
            const int ix = static_cast<int>(px);
            if (sampling == Sampling::Nearest) {
                target.set(i, j, source.get(ix, iy));
                continue;
            }
            const double fx = px - ix;
            const int ix1 = clampIndex(ix + 1, sw);
            const std::int32_t a = source.get(ix, iy);
            const std::int32_t b = source.get(ix1, iy);
            const std::int32_t c = source.get(ix, iy1);
            const std::int32_t d = source.get(ix1, iy1);
            target.set(i, j, evaluate<kind>([&](auto value) {
                           const double top = value(a) * (1 - fx) + value(b) * fx;
                           const double bottom = value(c) * (1 - fx) + value(d) * fx;
                           return top * (1 - fy) + bottom * fy;
                       }));
        }
    }
}

template <Cells kind> bool makeTileable(CGrid& grid, TileRamp ramp, int percent) {
    if (grid.isUniform())
        return true;
    const int width = grid.width();
    const int height = grid.height();
    const int n = truncateToInt(width * 0.01 * std::clamp(percent, 1, 50));
    const int nx = n;
    // The same n serves the rows, but never more than half the height.
    const int ny = std::min(n, height / 2);
    const auto copy = CGrid::createCopy(grid);
    if (!copy)
        return false;
    CGrid& s = *copy;

    const std::vector<double> wx = tileWeights(ramp, nx);
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < nx; ++i)
            grid.set(i, y, blendCells<kind>(s.get(width - nx + i, y), s.get(i, y), wx[i]));
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < nx; ++i)
            s.set(i, y, grid.get(i, y));

    const std::vector<double> wy = tileWeights(ramp, ny);
    for (int i = 0; i < ny; ++i)
        for (int x = 0; x < width; ++x)
            grid.set(x, i, blendCells<kind>(s.get(x, height - ny + i), s.get(x, i), wy[i]));

    // The copy has the grid's size, so taking the blended grid allocates nothing.
    s.assign(grid);
    resampleInto<kind>(s, grid, 0, 0, width - nx, height - ny, width, height, Sampling::Bilinear);
    return true;
}

template <Cells kind>
bool resample(CGrid& grid, int x0, int y0, int x1, int y1, int nw, int nh, Sampling sampling) {
    if (grid.isUniform())
        return true;
    const auto source = CGrid::createCopy(grid);
    if (!source)
        return false;
    if (kind == Cells::Colour && (nw > grid.width() || nh > grid.height())) {
        auto larger = CGrid::create(nw, nh);
        if (!larger)
            return false;
        grid = std::move(*larger);
    }
    resampleInto<kind>(*source, grid, x0, y0, x1, y1, nw, nh, sampling);
    return true;
}

bool isPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

// The cubic through p0..p3 (at -1, 0, 1, 2) at 0.5.
std::int32_t cubicMidpoint(std::int64_t p0, std::int64_t p1, std::int64_t p2, std::int64_t p3) {
    const std::int64_t a = (p3 - p2) - (p0 - p1);
    const std::int64_t b = (p0 - p1) - a;
    return truncateToInt(static_cast<double>(b) / 4 + static_cast<double>(p2 - p0) / 2 +
                         static_cast<double>(a) / 8 + static_cast<double>(p1));
}

} // namespace

bool MakeTileable(CGrid& grid, TileRamp ramp, int percent) {
    return makeTileable<Cells::Scalar>(grid, ramp, percent);
}

bool MakeTileableColour(CGrid& grid, TileRamp ramp, int percent) {
    return makeTileable<Cells::Colour>(grid, ramp, percent);
}

bool ResampleGrid(CGrid& grid, int x0, int y0, int x1, int y1, int nw, int nh, Sampling sampling) {
    return resample<Cells::Scalar>(grid, x0, y0, x1, y1, nw, nh, sampling);
}

bool ResampleColourGrid(CGrid& grid, int x0, int y0, int x1, int y1, int nw, int nh,
                        Sampling sampling) {
    return resample<Cells::Colour>(grid, x0, y0, x1, y1, nw, nh, sampling);
}

bool Kaleidoscope(CGrid& grid) {
    if (grid.isUniform())
        return true;
    const int w = grid.width();
    const int h = grid.height();
    auto mirrored = CGrid::create(w, h);
    if (!mirrored)
        return false;
    for (int y = 0; y < h; y += 2)
        for (int x = 0; x < w; x += 2) {
            const std::int32_t a = grid.safeGet(x, y);
            const std::int32_t b = grid.safeGet(x + 1, y);
            const std::int32_t c = grid.safeGet(x, y + 1);
            const std::int32_t d = grid.safeGet(x + 1, y + 1);
            const std::int32_t v = evaluate<Cells::Colour>([&](auto value) {
                const double top = truncateToInt((value(a) + value(b)) * 0.5);
                const double bottom = truncateToInt((value(c) + value(d)) * 0.5);
                return (top + bottom) * 0.5;
            });
            const int left = x / 2;
            const int top = y / 2;
            mirrored->set(left, top, v);
            mirrored->set(w - left - 1, h - top - 1, v);
            mirrored->set(w - left - 1, top, v);
            mirrored->set(left, h - top - 1, v);
        }
    grid = std::move(*mirrored);
    return true;
}

bool ApplyRelief(CGrid& grid) {
    if (grid.isUniform())
        return true;
    const int w = grid.width();
    const int h = grid.height();
    auto relief = CGrid::create(w, h);
    if (!relief)
        return false;
    for (int y = 0; y < h; ++y) {
        const int up = (y + h - 1) % h;
        const int down = (y + 1) % h;
        for (int x = 0; x < w; ++x) {
            const int columns[] = {(x + w - 1) % w, x, (x + 1) % w};
            std::uint32_t colour = 0;
            for (const int shift : kChannelShifts) {
                double sum = 128;
                for (const int c : columns)
                    sum += channel(grid.get(c, down), shift) - channel(grid.get(c, up), shift);
                colour |= static_cast<std::uint32_t>(std::clamp(sum, 0.0, 255.0)) << shift;
            }
            relief->set(x, y, static_cast<std::int32_t>(colour));
        }
    }
    grid = std::move(*relief);
    return true;
}

std::unique_ptr<CGrid> DoubleGridCubic(const CGrid& source) {
    const int w = source.width();
    const int h = source.height();
    if (source.isUniform() || !isPowerOfTwo(w) || !isPowerOfTwo(h) || w > (1 << 29) ||
        h > (1 << 29))
        return nullptr;
    const int w2 = 2 * w;
    const int h2 = 2 * h;
    auto doubled = CGrid::create(w2, h2);
    if (!doubled)
        return nullptr;
    CGrid& g = *doubled;
    const int maskX = w2 - 1;
    const int maskY = h2 - 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            g.set(2 * x, 2 * y, source.get(x, y));
    for (int y = 0; y < h2; y += 2)
        for (int x = 1; x < w2; x += 2)
            g.set(x, y,
                  cubicMidpoint(g.get((x - 3) & maskX, y), g.get((x - 1) & maskX, y),
                                g.get((x + 1) & maskX, y), g.get((x + 3) & maskX, y)));
    for (int y = 1; y < h2; y += 2)
        for (int x = 0; x < w2; ++x)
            g.set(x, y,
                  cubicMidpoint(g.get(x, (y - 3) & maskY), g.get(x, (y - 1) & maskY),
                                g.get(x, (y + 1) & maskY), g.get(x, (y + 3) & maskY)));
    return doubled;
}

} // namespace kfm::noise
