#include "GradientNoise.h"

#include "Grid.h"
#include "GridEffects.h"
#include "Random.h"
#include "Truncate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace kfm::noise {

namespace {

// A gradient component from one draw: ((r & 511) - 256) / 256, in -1..1.
double gradientComponent() {
    return ((NextRandom() & 511) - 256) / 256.0;
}

Gradient makeGradient(GradientLength length) {
    const double gx = gradientComponent();
    const double gy = gradientComponent();
    double l = gx * gx + gy * gy;
    if (length == GradientLength::Unit)
        l = std::sqrt(l);
    if (l == 0)
        return {}; // both draws 0: no direction, the zero gradient
    return {detail::truncateToInt(gx * 255 / l), detail::truncateToInt(gy * 255 / l)};
}

// Sum of two cells with the wrap-around of 32-bit arithmetic.
std::int32_t wrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// 3t² - 2t³ in 8-bit fixed point: 0..256 for a fraction 0..255.
inline std::int32_t fade(std::int32_t f) {
    return ((384 - f) * f * f) >> 15;
}

inline std::int32_t lerp8(std::int32_t a, std::int32_t b, std::int32_t s) {
    return a + (((b - a) * s) >> 8);
}

inline std::int32_t noiseAt(const NoiseTables& t, std::uint32_t x, std::uint32_t y) {
    const auto xi = static_cast<std::int32_t>((x >> 22) & 255);
    const auto fx = static_cast<std::int32_t>((x >> 14) & 255);
    const auto yi = static_cast<std::int32_t>((y >> 22) & 255);
    const auto fy = static_cast<std::int32_t>((y >> 14) & 255);
    const std::int32_t a = t.permutation[xi];
    const std::int32_t b = t.permutation[(xi + 1) & 255];
    const std::int32_t yn = (yi + 1) & 255;
    const Gradient& gtl = t.gradient[a + yi];
    const Gradient& gtr = t.gradient[b + yi];
    const Gradient& gbl = t.gradient[a + yn];
    const Gradient& gbr = t.gradient[b + yn];
    const std::int32_t tl = (gtl.x * fx + gtl.y * fy) >> 8;
    const std::int32_t tr = (gtr.x * (fx - 256) + gtr.y * fy) >> 8;
    const std::int32_t bl = (gbl.x * fx + gbl.y * (fy - 256)) >> 8;
    const std::int32_t br = (gbr.x * (fx - 256) + gbr.y * (fy - 256)) >> 8;
    const std::int32_t sx = fade(fx);
    const std::int32_t top = lerp8(tl, tr, sx);
    const std::int32_t bottom = lerp8(bl, br, sx);
    return lerp8(top, bottom, fade(fy));
}

enum class ValueMode { Unsigned, Signed, Absolute };
enum class StoreMode { Replace, AddHalf, AddHalfNormalised, AddWeighted, AddWeightedNormalised };

template <ValueMode mode> inline std::int32_t applyMode(std::int32_t v) {
    if constexpr (mode == ValueMode::Unsigned)
        return (v + 256) >> 1;
    else if constexpr (mode == ValueMode::Absolute)
        return v < 0 ? -v : v;
    else
        return v;
}

template <StoreMode store>
inline std::int32_t combine(std::int32_t v, std::int32_t cell, float weight) {
    if constexpr (store == StoreMode::Replace) {
        return v;
    } else if constexpr (store == StoreMode::AddHalf) {
        return wrappingAdd(v >> 1, cell);
    } else if constexpr (store == StoreMode::AddHalfNormalised) {
        return detail::truncateToInt(static_cast<double>(wrappingAdd(v >> 1, cell)) *
                                     0.6666666666666666);
    } else if constexpr (store == StoreMode::AddWeighted) {
        return detail::truncateToInt(static_cast<float>(v) * weight + static_cast<float>(cell));
    } else {
        return detail::truncateToInt((static_cast<float>(v) * weight + static_cast<float>(cell)) /
                                     (weight + 1));
    }
}

// Returns the last value computed.
template <ValueMode mode, StoreMode store>
std::int32_t computeRow(const NoiseTables& t, std::int32_t* cells, NoisePath p, int count,
                        float weight) {
    std::int32_t v = 0;
    if (p.dy == 0 && p.ddy == 0 && p.ddx == 0) {
        // The path every caller takes: a straight row at one y.
        for (int i = 0; i < count; ++i) {
            v = applyMode<mode>(noiseAt(t, p.x, p.y));
            cells[i] = combine<store>(v, cells[i], weight);
            p.x += p.dx;
        }
        return v;
    }
    for (int i = 0; i < count; ++i) {
        v = applyMode<mode>(noiseAt(t, p.x, p.y));
        cells[i] = combine<store>(v, cells[i], weight);
        p.x += p.dx + p.ddx;
        p.dx += 4 * p.ddx;
        p.y += p.dy + p.ddy;
        p.dy += 4 * p.ddy;
    }
    return v;
}

template <ValueMode mode>
std::int32_t computeRowIn(StoreMode store, const NoiseTables& t, std::int32_t* cells,
                          const NoisePath& p, int count, float weight) {
    switch (store) {
    case StoreMode::Replace:
        return computeRow<mode, StoreMode::Replace>(t, cells, p, count, weight);
    case StoreMode::AddHalf:
        return computeRow<mode, StoreMode::AddHalf>(t, cells, p, count, weight);
    case StoreMode::AddHalfNormalised:
        return computeRow<mode, StoreMode::AddHalfNormalised>(t, cells, p, count, weight);
    case StoreMode::AddWeighted:
        return computeRow<mode, StoreMode::AddWeighted>(t, cells, p, count, weight);
    case StoreMode::AddWeightedNormalised:
        break;
    }
    return computeRow<mode, StoreMode::AddWeightedNormalised>(t, cells, p, count, weight);
}

StoreMode storeModeOf(RowStore store, float weight, bool normalise) {
    if (store == RowStore::Replace)
        return StoreMode::Replace;
    if (weight == 0.5f)
        return normalise ? StoreMode::AddHalfNormalised : StoreMode::AddHalf;
    return normalise ? StoreMode::AddWeightedNormalised : StoreMode::AddWeighted;
}

// Every cell of the region halved (arithmetic shift).
void halveRegion(CGrid& grid, int pixelCount, int rowCount) {
    for (int r = 0; r < rowCount; ++r) {
        std::int32_t* cells = grid.row(r);
        for (int i = 0; i < pixelCount; ++i)
            cells[i] >>= 1;
    }
}

} // namespace

int InitNoiseTables(NoiseTables& tables, int seed, GradientLength length) {
    tables.lastValue = 0;
    const int seedInForce = SeedNoise(seed);
    for (int i = 0; i < 256; ++i) {
        tables.permutation[i] = i;
        tables.gradient[i] = makeGradient(length);
    }
    for (int k = 255; k >= 1; --k)
        std::swap(tables.permutation[k], tables.permutation[NextRandom() & 255]);
    for (int i = 0; i < 258; ++i) {
        tables.permutation[256 + i] = tables.permutation[i];
        tables.gradient[256 + i] = tables.gradient[i];
    }
    return seedInForce;
}

std::int32_t GradientNoiseAt(const NoiseTables& tables, std::uint32_t x, std::uint32_t y) {
    return noiseAt(tables, x, y);
}

void NoiseRow(NoiseTables& tables, CGrid& grid, int row, const NoisePath& path, int count,
              RowStore store, float weight, const NoiseFlags& flags) {
    if (grid.isUniform() || row < 0 || row >= grid.height())
        return;
    count = std::clamp(count, 0, grid.width());
    if (count == 0)
        return;
    std::int32_t* cells = grid.row(row);
    const StoreMode mode = storeModeOf(store, weight, flags.normalise);
    if (!flags.signedValues)
        tables.lastValue =
            computeRowIn<ValueMode::Unsigned>(mode, tables, cells, path, count, weight);
    else if (flags.absolute)
        tables.lastValue =
            computeRowIn<ValueMode::Absolute>(mode, tables, cells, path, count, weight);
    else
        tables.lastValue =
            computeRowIn<ValueMode::Signed>(mode, tables, cells, path, count, weight);
}

std::uint32_t LatticeStep(NoiseForm form, std::int32_t frequency, int rowLength) {
    const auto f = static_cast<std::uint32_t>(frequency);
    if (form == NoiseForm::Texture)
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(f << 8) / 256);
    return (f & 0xFFFFFF) * 256u / static_cast<std::uint32_t>(std::max(rowLength, 1));
}

int OctaveNoise(NoiseTables& tables, CGrid& grid, NoiseForm form, int seed, std::uint32_t xOrigin,
                std::uint32_t yOrigin, std::int32_t frequency, std::uint32_t yStep, int pixelCount,
                int rowCount, int octaveCount, const NoiseFlags& flags) {
    const GradientLength length =
        flags.squaredLength ? GradientLength::Squared : GradientLength::Unit;
    const int seedInForce = InitNoiseTables(tables, seed, length);
    if (grid.isUniform() || pixelCount < 1 || rowCount < 1)
        return seedInForce;
    std::uint32_t step = LatticeStep(form, frequency, pixelCount);
    const int count = std::min(pixelCount, grid.width());
    const int rows = std::min(rowCount, grid.height());

    auto octave = [&](RowStore store, float weight) {
        for (int r = 0; r < rows; ++r) {
            if (seed == -1)
                InitNoiseTables(tables, -1, length);
            const NoisePath path{xOrigin, yOrigin + static_cast<std::uint32_t>(r) * step, step,
                                 yStep};
            NoiseRow(tables, grid, r, path, count, store, weight, flags);
        }
    };

    octave(RowStore::Replace, 0.5f);
    if (flags.weighting && !flags.signedValues)
        halveRegion(grid, count, rows);
    const int octaves = octaveCount & 0xFFFF;
    for (int k = 2; k <= octaves; ++k) {
        step *= 2;
        yStep *= 2;
        const float weight =
            flags.weighting ? std::ldexp(1.0f, flags.signedValues ? -(k - 1) : -k) : 0.5f;
        octave(RowStore::Accumulate, weight);
    }
    if (flags.tile && form == NoiseForm::Texture)
        MakeTileable(grid, TileRamp::Cosine, 12);
    return seedInForce;
}

int OctaveNoiseAt(NoiseTables& tables, CGrid& grid, NoiseForm form, int seed, int pixelCount,
                  int rowCount, std::int32_t frequency, int octaveCount, const NoiseFlags& flags) {
    return OctaveNoise(tables, grid, form, seed, kNoiseOrigin, kNoiseOrigin, frequency, 0,
                       pixelCount, rowCount, octaveCount, flags);
}

} // namespace kfm::noise
