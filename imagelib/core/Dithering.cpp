#include "Dithering.h"

#include "PackedRows.h"

#include <algorithm>
#include <cstdlib>

namespace kpx {

const std::uint8_t kBayerMatrix[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

namespace {

std::uint8_t clampByte(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

int threshold(int x, int row) {
    return kBayerMatrix[x & 7][row & 7];
}

// 1-bit ordered dither of one grey value.
int orderedBit(int grey, int limit) {
    if (grey > 250)
        return 1;
    if (grey < 5)
        return 0;
    return (grey >> 2) > limit ? 1 : 0;
}

// 8-bit ordered dither: each channel far enough from its palette colour is pushed further away.
int orderedIndex8(std::uint8_t* bgr, int limit, const Palette& palette,
                  const KpxInverseColorTable& inverse) {
    const Rgb& p = palette[inverse.lookup(bgr[2], bgr[1], bgr[0])];
    const int target[3] = {p.blue, p.green, p.red};
    for (int c = 0; c < 3; ++c) {
        const int e = bgr[c] - target[c];
        if (std::abs(e) > limit)
            bgr[c] = clampByte(bgr[c] + e);
    }
    return inverse.lookup(bgr[2], bgr[1], bgr[0]);
}

// 4-bit ordered dither: a pixel far enough from its entry takes the entry's brighter or darker
// neighbour.
int orderedIndex4(const std::uint8_t* bgr, int limit, const Palette& palette,
                  const KpxInverseColorTable& inverse, const Neighbours& neighbours) {
    const int n = inverse.lookup(bgr[2], bgr[1], bgr[0]);
    const Rgb& p = palette[n];
    const int dr = bgr[2] - p.red;
    const int dg = bgr[1] - p.green;
    const int db = bgr[0] - p.blue;
    const int a = (std::abs(dr) + std::abs(dg) + std::abs(db)) / 3;
    if ((a >> 2) <= limit)
        return n;
    return dr + dg + db > 0 ? neighbours.brighter[n] : neighbours.darker[n];
}

struct Tap {
    int dx;
    int dy;
    int weight;
};

struct Kernel {
    int shift;
    std::vector<Tap> taps;
};

Kernel kernelOf(DiffusionKernel k) {
    if (k == DiffusionKernel::FloydSteinberg)
        return {4, {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}};
    return {5, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}}};
}

// Working rows of `channels` bytes per pixel for one diffusion pass.
class DiffusionRows {
public:
    DiffusionRows(const PixelSurface& source, int channels)
        : source_(source), channels_(channels),
          current_(static_cast<std::size_t>(source.width) * channels), next_(current_.size()),
          indices_(static_cast<std::size_t>(source.width)) {}

    void load(std::vector<std::uint8_t>& row, int y) {
        if (channels_ == 1)
            expandRowToGrey(source_, y, row.data());
        else
            expandRowToBgr(source_, y, row.data());
    }
    std::vector<std::uint8_t>& current() { return current_; }
    std::vector<std::uint8_t>& next() { return next_; }
    std::vector<int>& indices() { return indices_; }
    void advance() { current_ = next_; }

private:
    const PixelSurface& source_;
    int channels_;
    std::vector<std::uint8_t> current_;
    std::vector<std::uint8_t> next_;
    std::vector<int> indices_;
};

// Quantises each pixel of the current row in turn, spreading its error to later pixels of
// the row and into the next row; the chosen indices are kept for the mapping.
template <typename Quantise>
void diffuseRow(DiffusionRows& rows, int width, int channels, const Kernel& kernel,
                Quantise quantise) {
    std::uint8_t* rowsOf[2] = {rows.current().data(), rows.next().data()};
    for (int x = 0; x < width; ++x) {
        std::uint8_t* pixel = rowsOf[0] + static_cast<std::size_t>(x) * channels;
        int chosen[3] = {};
        rows.indices()[x] = quantise(pixel, chosen);
        for (int c = 0; c < channels; ++c) {
            const int e = pixel[c] - chosen[c];
            if (e == 0)
                continue;
            for (const Tap& t : kernel.taps) {
                const int to = x + t.dx;
                if (to < 0 || to >= width)
                    continue; // falls into the margin and is dropped
                std::uint8_t& v = rowsOf[t.dy][static_cast<std::size_t>(to) * channels + c];
                v = clampByte(v + ((e * t.weight) >> kernel.shift));
            }
        }
    }
}

} // namespace

Neighbours paletteNeighbours(const Palette& palette) {
    const int n = static_cast<int>(palette.size());
    Neighbours result{std::vector<int>(n), std::vector<int>(n)};
    for (int j = 0; j < n; ++j) {
        int bestBright = 300;
        int bestDark = 300;
        result.brighter[j] = j;
        result.darker[j] = j;
        for (int i = 0; i < n; ++i) {
            if (i == j)
                continue;
            const int dr = palette[i].red - palette[j].red;
            const int dg = palette[i].green - palette[j].green;
            const int db = palette[i].blue - palette[j].blue;
            const int distance = std::abs(dr) + std::abs(dg) + std::abs(db);
            if (distance == 0)
                continue;
            if (dr + dg + db >= 1) {
                if (distance < bestBright) {
                    bestBright = distance;
                    result.brighter[j] = i;
                }
            } else if (distance < bestDark) {
                bestDark = distance;
                result.darker[j] = i;
            }
        }
    }
    return result;
}

void ditherOrdered(const PixelSurface& source, const PixelSurface& target, const Palette& palette,
                   const KpxInverseColorTable& inverse, KpxRowProgress& progress) {
    const int depth = target.bitCount;
    const int w = source.width;
    std::vector<std::uint8_t> work(static_cast<std::size_t>(w) * 3);
    const Neighbours neighbours = depth == 4 ? paletteNeighbours(palette) : Neighbours{};
    for (int y = 0; y < source.height; ++y) {
        std::uint8_t* out = target.row(y);
        if (depth == 1) {
            expandRowToGrey(source, y, work.data());
            for (int x = 0; x < w; ++x)
                setIndexAt(out, x, 1, orderedBit(work[x], threshold(x, y)));
        } else {
            expandRowToBgr(source, y, work.data());
            for (int x = 0; x < w; ++x) {
                std::uint8_t* p = &work[static_cast<std::size_t>(x) * 3];
                const int index =
                    depth == 8 ? orderedIndex8(p, threshold(x, y), palette, inverse)
                               : orderedIndex4(p, threshold(x, y), palette, inverse, neighbours);
                setIndexAt(out, x, depth, index);
            }
        }
        progress.step();
    }
}

void diffuseErrors(const PixelSurface& source, const PixelSurface& target, const Palette& palette,
                   const KpxInverseColorTable& inverse, DiffusionKernel which,
                   KpxRowProgress& progress) {
    const int depth = target.bitCount;
    const int channels = depth == 1 ? 1 : 3;
    const int w = source.width;
    const Kernel kernel = kernelOf(which);
    const auto quantise = [&](const std::uint8_t* pixel, int* chosen) {
        if (channels == 1) {
            const int bit = pixel[0] >= 128 ? 1 : 0;
            chosen[0] = bit ? 255 : 0;
            return bit;
        }
        const int index = inverse.lookup(pixel[2], pixel[1], pixel[0]);
        const Rgb& p = palette[index];
        chosen[0] = p.blue;
        chosen[1] = p.green;
        chosen[2] = p.red;
        return index;
    };

    DiffusionRows rows(source, channels);
    // The first row primes the pass: diffused once into a copy of itself.
    rows.load(rows.current(), 0);
    rows.load(rows.next(), 0);
    diffuseRow(rows, w, channels, kernel, quantise);
    rows.advance();
    for (int y = 0; y < source.height; ++y) {
        if (y + 1 < source.height)
            rows.load(rows.next(), y + 1);
        diffuseRow(rows, w, channels, kernel, quantise);
        std::uint8_t* out = target.row(y);
        for (int x = 0; x < w; ++x)
            setIndexAt(out, x, depth, rows.indices()[x]);
        rows.advance();
        progress.step();
    }
}

} // namespace kpx
