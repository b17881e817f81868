#include "TextureGenerators.h"

#include "GridEffects.h"
#include "Random.h"
#include "TextureComposer.h"
#include "Truncate.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kfm::patina {

namespace {

using kfm::noise::CGrid;
using kfm::noise::NoiseFlags;
using kfm::noise::detail::truncateToInt;

constexpr std::int32_t kFineFrequency = 5120;
const NoiseFlags kUnsignedNormalised{.normalise = true};

NoiseFlags unsignedNormalised(bool squaredLength) {
    return {.squaredLength = squaredLength, .normalise = true};
}

// The seed of a second noise drawn beside the first: the next seed, except that a running
// generator (-1) keeps running.
int followingSeed(int seed, int offset) {
    return seed == -1 ? -1 : seed + offset;
}

// A copy of the noise grid as it stands.
std::vector<std::int32_t> snapshot(CNoiseCanvas& canvas) {
    const int w = canvas.width();
    const int h = canvas.height();
    std::vector<std::int32_t> cells(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        canvas.noiseGrid().readRow(
            y, std::span<std::int32_t>(cells.data() + static_cast<std::size_t>(y) *
                                                          static_cast<std::size_t>(w),
                                       static_cast<std::size_t>(w)));
    return cells;
}

std::int32_t cellOf(const std::vector<std::int32_t>& cells, int width, int x, int y) {
    return cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                 static_cast<std::size_t>(x)];
}

// The four levels of the cloud noise: 32, 64, 128 and 256 cells square.
std::vector<std::unique_ptr<CGrid>> cloudLevels() {
    std::vector<std::unique_ptr<CGrid>> levels;
    auto seedCells = CGrid::create(16, 16);
    if (!seedCells)
        return levels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            seedCells->set(x, y, kfm::noise::NextRandom() % 192);
    MakeTileableColour(*seedCells, kfm::noise::TileRamp::Cosine, 12);
    auto level = DoubleGridCubic(*seedCells);
    if (!level)
        return levels;
    for (int y = 0; y < level->height(); ++y)
        for (int x = 0; x < level->width(); ++x) {
            const std::int32_t v = level->get(x, y) + 31;
            level->set(x, y, v < 1 ? 0 : v);
        }
    levels.push_back(std::move(level));
    for (int i = 1; i < 4; ++i) {
        auto next = DoubleGridCubic(*levels.back());
        if (!next)
            return {};
        levels.push_back(std::move(next));
    }
    return levels;
}

} // namespace

int CloudGenerator(CNoiseCanvas& canvas, int seed, int cover, double sharpness) {
    seed = kfm::noise::SeedNoise(seed);
    const auto levels = cloudLevels();
    CGrid& noise = canvas.noiseGrid();
    std::array<std::int32_t, 512> table{};
    for (int i = 0; i < 512; ++i)
        table[static_cast<std::size_t>(i)] =
            truncateToInt(255 - std::pow(sharpness, std::max(i - cover, 0)) * 255);
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            std::int32_t sum = 0;
            for (std::size_t i = 0; i < levels.size(); ++i) {
                const int mask = (32 << i) - 1;
                sum += levels[i]->get(x & mask, y & mask) >> (3 - i);
            }
            noise.set(x, y, table[static_cast<std::size_t>(sum & 511)]);
        }
    return seed;
}

int StripeGenerator(CNoiseCanvas& canvas, int seed, int octaves, double d0, bool absolute) {
    seed = canvas.OctaveNoiseAt(seed, canvas.width(), canvas.height(), kFineFrequency, octaves,
                                {.signedValues = true, .absolute = absolute, .normalise = true});
    CGrid& noise = canvas.noiseGrid();
    for (int y = 0; y < canvas.height(); ++y) {
        const int u = (200 * y) / 256;
        double t = 0;
        for (int x = 0; x < canvas.width(); ++x, t += 0.78125) {
            const std::int32_t n = noise.get(x, y);
            const double scaled = 0.2 * n;
            const double a = std::max(std::sin((1.1 * t + scaled) * d0), 0.0);
            const double b = std::max(std::cos((1.1 * u + scaled) * d0), 0.0);
            const double w = std::min(a + b, 1.0);
            const std::int32_t lifted = (n + 255) >> 1;
            noise.set(x, y, truncateToInt((w * (1.0 / 255) + 1.0 / 510) * lifted * 255));
        }
    }
    return seed;
}

int RingGenerator(CNoiseCanvas& canvas, int seed, int octaves, int ringFrequency,
                  bool squaredLength) {
    const int w = canvas.width();
    const int h = canvas.height();
    seed = canvas.OctaveNoiseAt(seed, w, h, 0x28000, 2, unsignedNormalised(squaredLength));
    const std::vector<std::int32_t> a = snapshot(canvas);
    canvas.OctaveNoiseAt(seed, w, h, kFineFrequency, octaves, unsignedNormalised(squaredLength));
    CGrid& noise = canvas.noiseGrid();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double av = cellOf(a, w, x, y);
            const double ux = (x / 128.0 - w / 256.0) * 1.2;
            const double vy = y / 128.0 - h / 256.0;
            const double t = 1.5 * noise.get(x, y) / 255 + std::sqrt(ux * ux + vy * vy);
            const double angle = (kPi / 2) * ringFrequency * t * t - 10 * av / 2550;
            const double balance = 4 * av / 2550 + 0.99 - 0.2;
            double s = SkewedSine(angle, balance);
            if (s > -0.25 && s < 0.25)
                s *= 2;
            noise.set(x, y, truncateToInt((s + 1) * 127));
        }
    return seed;
}

int DisplacedBaseGenerator(CNoiseCanvas& canvas, int seed, int octaves, int baseFunction,
                           int zoom) {
    const int w = canvas.width();
    const int h = canvas.height();
    seed = canvas.OctaveNoiseAt(seed, w, h, kFineFrequency, octaves, kUnsignedNormalised);
    const std::vector<std::int32_t> a = snapshot(canvas);
    canvas.OctaveNoiseAt(followingSeed(seed, 10), w, h, kFineFrequency, octaves,
                         kUnsignedNormalised);
    CGrid& noise = canvas.noiseGrid();
    const CGrid& work = canvas.workGrid();
    const double scale = w / 256.0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int px = x + truncateToInt(0.4 * cellOf(a, w, x, y) * scale);
            const int py = y + truncateToInt(1.5 * noise.get(x, y) * scale);
            // Outside the work grid the base function is computed at the position itself, so
            // its values there are on the same scale as inside.
            noise.set(x, y,
                      work.contains(px, py) ? work.get(px, py)
                                            : BaseFunctionValue(baseFunction, zoom, px, py));
        }
    return seed;
}

int NoisyStripesGenerator(CNoiseCanvas& canvas, int seed, int octaves, int amount,
                          bool squaredLength) {
    seed = canvas.OctaveNoiseAt(seed, canvas.width(), canvas.height(), kFineFrequency, octaves,
                                unsignedNormalised(squaredLength));
    CGrid& noise = canvas.noiseGrid();
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const double moved = x + (noise.get(x, y) - 128.0) * amount / 4;
            noise.set(x, y, truncateToInt((std::sin(moved * 0.03125) + 1) * 100 + 55));
        }
    return seed;
}

int NoisyRingsGenerator(CNoiseCanvas& canvas, int seed, int octaves, int amount,
                        bool squaredLength) {
    seed = canvas.OctaveNoiseAt(seed, canvas.width(), canvas.height(), kFineFrequency, octaves,
                                unsignedNormalised(squaredLength));
    CGrid& noise = canvas.noiseGrid();
    const double cx = canvas.width() / 2.0;
    const double cy = canvas.height() / 2.0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const double r = std::hypot(x - cx, y - cy);
            const double moved = r + (noise.get(x, y) - 128.0) * amount / 4;
            noise.set(x, y, truncateToInt((std::sin(moved * 0.0625) + 1) * 100 + 55));
        }
    return seed;
}

int WaveGenerator(CNoiseCanvas& canvas, int seed, int octaves, int waveFrequency) {
    const int w = canvas.width();
    const int h = canvas.height();
    const NoiseFlags flags{.signedValues = true, .normalise = true};
    seed = canvas.OctaveNoiseAt(seed, w, h, 20480, octaves, flags);
    CGrid& noise = canvas.noiseGrid();
    std::vector<std::int32_t> kept(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double v = static_cast<double>(noise.get(x, y)) + x;
            kept[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                 static_cast<std::size_t>(x)] =
                truncateToInt((std::sin(std::sqrt(0.2 * v * v) * waveFrequency * 0.0625) + 1) *
                              127);
        }
    canvas.OctaveNoiseAt(seed, w, h, 20480, 5, flags);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            noise.set(x, y, (noise.get(x, y) >> 3) + cellOf(kept, w, x, y));
    return seed;
}

int DisplacedNoiseGenerator(CNoiseCanvas& canvas, int seed, int frequency, int octaves) {
    const int w = canvas.width();
    const int h = canvas.height();
    seed = canvas.OctaveNoiseAt(seed, w, h, frequency, octaves, kUnsignedNormalised);
    auto enlarged = CGrid::createCopy(canvas.noiseGrid());
    if (!enlarged ||
        !ResampleColourGrid(*enlarged, 0, 0, w, h, 2 * w, 2 * h, kfm::noise::Sampling::Nearest))
        return seed;
    CGrid& noise = canvas.noiseGrid();
    const CGrid& work = canvas.workGrid();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int b = std::clamp(work.get(x, y), 0, 255);
            noise.set(x, y, enlarged->get(x + b * w / 256, y + b * h / 256));
        }
    return seed;
}

int BlockNoiseGenerator(CNoiseCanvas& canvas, int seed) {
    seed = kfm::noise::SeedNoise(seed);
    auto blocks = CGrid::create(4, 4);
    if (!blocks)
        return seed;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            blocks->set(x, y, kfm::noise::NextRandom() & 127);
    int amplitude = 128;
    const int side = std::max(canvas.width(), canvas.height());
    while (blocks->width() < side) {
        auto doubled = DoubleGridCubic(*blocks);
        if (!doubled)
            return seed;
        blocks = std::move(doubled);
        for (int y = 0; y < blocks->height(); ++y)
            for (int x = 0; x < blocks->width(); ++x) {
                const int perturbation = ((kfm::noise::NextRandom() & 255) - 128) * amplitude / 128;
                blocks->set(x, y, std::clamp(blocks->get(x, y) + perturbation, 0, 255));
            }
        amplitude = std::max(amplitude / 2, 1);
    }
    // Canvases whose sides are not the doubled size take the repeating top-left part.
    CGrid& noise = canvas.noiseGrid();
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            noise.set(x, y, blocks->get(x % blocks->width(), y % blocks->height()));
    return seed;
}

} // namespace kfm::patina
