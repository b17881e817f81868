#include "Patterns.h"

#include "Grid.h"
#include "Truncate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kfm::noise {

namespace {

constexpr std::int32_t kMortar = 32;
constexpr std::int32_t kFace = 255;
constexpr int kBrickBorder = 2;

// A side that reaches the grid's far edge stops there, a border longer when the brick does not
// start on a multiple of its size.
int cutAtEdge(int start, int size, int gridSize, int border) {
    if (start + size < gridSize)
        return size;
    return gridSize - start + (start % size != 0 ? border : 0);
}

std::int32_t bevel(int i, int border) {
    return detail::truncateToInt(static_cast<double>(i) / (2 * border) * 255);
}

} // namespace

void DrawBrick(CGrid& grid, int x, int y, int w, int h, int b) {
    if (w < 1 || h < 1)
        return;
    b = std::max(b, 1);
    w = cutAtEdge(x, w, grid.width(), b);
    h = cutAtEdge(y, h, grid.height(), b);
    if (b < w - b)
        for (int r = 2 * b; r < h - b; ++r)
            for (int c = b; c < w - b; ++c)
                grid.safeSet(x + c, y + r, kFace);
    for (int r = 0; r < 2 * b; ++r)
        for (int c = b; c < w - b; ++c)
            grid.safeSet(x + c, y + r, bevel(r, b));
    for (int c = 0; c < 2 * b; ++c)
        for (int r = b; r < h - b; ++r)
            grid.safeSet(x + c, y + r, bevel(c, b));
}

void BrickPattern(CGrid& grid, int rowsPer256, int bricksPer256) {
    // The dialog allows counts of 0, which would divide by zero.
    const float bw = 256.0f / static_cast<float>(std::max(bricksPer256, 1));
    const float bh = 256.0f / static_cast<float>(std::max(rowsPer256, 1));
    const auto columns = static_cast<int>(std::ceil(static_cast<float>(grid.width()) / bw));
    const auto rows = static_cast<int>(std::ceil(static_cast<float>(grid.height()) / bh));
    grid.fill(kMortar);
    const int width = detail::truncateToInt(bw);
    const int height = detail::truncateToInt(bh);
    int count = columns + 1;
    for (int r = 0; r < rows; ++r) {
        int offset = 0;
        if (r % 2 == 0) {
            --count;
        } else {
            ++count;
            offset = detail::truncateToInt(bw * -0.5);
        }
        const int top = detail::truncateToInt(static_cast<float>(r) * bh);
        for (int i = 0; i < count; ++i)
            DrawBrick(grid, detail::truncateToInt(static_cast<float>(i) * bw) + offset, top, width,
                      height, kBrickBorder);
    }
}

void InvertPattern(CGrid& pattern) {
    for (int y = 0; y < pattern.height() && !pattern.isUniform(); ++y) {
        std::int32_t* cells = pattern.row(y);
        for (int x = 0; x < pattern.width(); ++x)
            cells[x] = static_cast<std::int32_t>(255u - static_cast<std::uint32_t>(cells[x]));
    }
}

void BlendPattern(CGrid& noise, const CGrid& pattern) {
    if (noise.isUniform())
        return;
    const int w = std::min(noise.width(), pattern.width());
    const int h = std::min(noise.height(), pattern.height());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            noise.set(x, y,
                      static_cast<std::int32_t>(std::clamp<std::int64_t>(
                          (std::int64_t{noise.get(x, y)} + pattern.get(x, y)) >> 1, 0, 255)));
}

} // namespace kfm::noise
