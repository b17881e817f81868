#include "TextureComposer.h"

#include "GridEffects.h"
#include "Profiles.h"
#include "Random.h"
#include "TextureGenerators.h"
#include "Truncate.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kfm::patina {

namespace {

using kfm::noise::NoiseFlags;
using kfm::noise::detail::truncateToInt;

int truncateParameter(double value) {
    return truncateToInt(value);
}

double wrapAngle(double a) {
    if (!std::isfinite(a))
        return 0;
    a -= std::trunc(a / kTwoPi) * kTwoPi;
    if (a < 0)
        a += kTwoPi;
    return a;
}

double sineEntry(double scaledAngle) {
    const auto& table = kfm::noise::SineTable();
    const double index = std::isfinite(scaledAngle) ? std::trunc(100 * scaledAngle) : 0.0;
    return table[static_cast<std::size_t>(
        std::clamp(index, 0.0, static_cast<double>(kfm::noise::kSineTableSize - 1)))];
}

// The flags of the plain noise variants of family 0 (5 and 9 have generators of their own).
NoiseFlags noiseVariantFlags(int variant) {
    switch (variant) {
    case 0:
        return {.normalise = true};
    case 1:
        return {.signedValues = true, .normalise = true};
    case 2:
        return {.signedValues = true, .absolute = true};
    case 3:
        return {.squaredLength = true};
    case 4:
        return {.squaredLength = true, .normalise = true};
    case 6:
        return {.signedValues = true, .weighting = true};
    case 7:
        return {.signedValues = true, .absolute = true, .weighting = true};
    default:
        return {.weighting = true};
    }
}

int noiseFamily(TextureSettings& s, CNoiseCanvas& canvas, int seed) {
    const int octaves = truncateParameter(s.d[0]);
    const auto frequency =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(truncateParameter(s.d[1])) << 13);
    if (s.variant == 5)
        seed = DisplacedNoiseGenerator(canvas, seed, frequency, octaves);
    else if (s.variant == 9)
        seed = BlockNoiseGenerator(canvas, seed);
    else
        seed = canvas.OctaveNoiseAt(seed, canvas.width(), canvas.height(), frequency, octaves,
                                    noiseVariantFlags(s.variant));
    if (s.warpMode != 0)
        Warp(canvas, s.warpMode);
    return seed;
}

int familyThree(TextureSettings& s, CNoiseCanvas& canvas, int seed) {
    const int octaves = truncateParameter(s.d[0]);
    const int frequency = truncateParameter(s.d[1]);
    const bool squared = truncateParameter(s.d[2]) != 0;
    switch (s.variant) {
    case 0:
        return RingGenerator(canvas, seed, octaves, frequency, squared);
    case 1:
        return DisplacedBaseGenerator(canvas, seed, octaves, s.baseFunction, s.zoom);
    case 2:
        return NoisyStripesGenerator(canvas, seed, octaves, frequency, squared);
    case 3:
        return NoisyRingsGenerator(canvas, seed, octaves, frequency, squared);
    default:
        return WaveGenerator(canvas, seed, octaves, frequency);
    }
}

// Runs the family's generator; the colour function may be changed for this composition.
int runFamily(TextureSettings& s, CNoiseCanvas& canvas, int seed, int& colourFunction) {
    switch (s.family) {
    case 0:
        return noiseFamily(s, canvas, seed);
    case 1:
        colourFunction = 0;
        return CloudGenerator(canvas, seed, truncateParameter(s.d[0]), s.d[1]);
    case 2:
        colourFunction = 0;
        return StripeGenerator(canvas, seed, 4, s.d[0], s.variant == 1);
    case 3:
        return familyThree(s, canvas, seed);
    default:
        seed =
            canvas.CellularNoise(seed, {s.d[0], s.d[1], s.d[2], s.d[3]}, kfm::noise::CellWrap::On);
        if (s.warpMode != 0)
            Warp(canvas, s.warpMode);
        if (s.variant == 1 && colourFunction != 6)
            ApplyColourFunction(canvas, s.colourSpeed, colourFunction);
        return seed;
    }
}

std::int32_t colourFunctionValue(int function, std::int32_t n, std::int32_t b, int speed,
                                 bool signedNoise, bool absoluteNoise) {
    const double s = 15.0 * n + 10.0 * b;
    const double k = speed;
    switch (function) {
    case 0:
        return signedNoise && !absoluteNoise ? (n + 255) >> 1 : n;
    case 1:
        return 127 + truncateToInt(63 * (SkewedSine(kPi * s / k, 0.5) + SkewedSine(s / k, 0.5)));
    case 2:
        return 127 + truncateToInt(127 * SkewedSine(kPi * s / k, 0.5));
    case 3:
        return truncateToInt(s * 0.04);
    case 4:
        return truncateToInt((1 - std::exp(-0.0002 * s)) * 255);
    case 5:
        return kfm::noise::RingProfile(truncateToInt(s) / 3);
    default:
        return n;
    }
}

} // namespace

double SkewedSine(double angle, double balance) {
    const double a = wrapAngle(angle);
    if (balance == 0.5)
        return sineEntry(a);
    const double split = kTwoPi * balance;
    const double skewed = a < split ? a * 0.5 / balance : 0.5 / (1 - balance) * (a - split) + kPi;
    return sineEntry(skewed);
}

std::int32_t BaseFunctionValue(int function, int zoom, int x, int y) {
    const double f = zoom;
    const double dx = x;
    const double dy = y;
    double raw = 0;
    switch (function) {
    case 0:
        raw = std::sqrt((dy * dy + dx * dx) * f) * 256;
        break;
    case 1:
        raw = (dx - dy) * f * 256;
        break;
    case 2:
        raw = (dy - 128) * (dx - 128) * f;
        break;
    case 3:
        raw = dy * dx * f;
        break;
    case 5:
        return truncateToInt(dy * 0.498046875);
    case 6: {
        const double s = SkewedSine(f * dx * 0.083333336, 0.37);
        return s < 0 ? 0 : truncateToInt(s * 255);
    }
    case 7:
        return truncateToInt(
            (std::sin(wrapAngle(f * dx * 0.01)) + std::sin(wrapAngle(f * dy * 0.01))) * 63.5 + 127);
    default:
        break;
    }
    return truncateToInt((SkewedSine(kPi * raw / 32768, 0.5) + 1) * 127);
}

void BaseFunction(CGrid& work, int function, int zoom) {
    for (int y = 0; y < work.height(); ++y)
        for (int x = 0; x < work.width(); ++x)
            work.set(x, y, BaseFunctionValue(function, zoom, x, y));
}

void ApplyColourFunction(CNoiseCanvas& canvas, int speed, int function) {
    CGrid& noise = canvas.noiseGrid();
    const CGrid& work = canvas.workGrid();
    CGrid& pattern = canvas.patternGrid();
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            std::int64_t value =
                colourFunctionValue(function, noise.get(x, y), work.get(x, y), speed,
                                    canvas.signedNoise(), canvas.absoluteNoise());
            if (canvas.hasPattern())
                value = (pattern.get(x, y) + value) >> 1;
            noise.set(x, y, static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, 255)));
        }
}

void Displace(CNoiseCanvas& canvas) {
    CGrid& noise = canvas.noiseGrid();
    const CGrid& work = canvas.workGrid();
    const int w = canvas.width();
    const int h = canvas.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int o = std::clamp(work.get(x, y), 0, 255) >> 3;
            noise.set(x, y, noise.get(std::min(x + o, w - 1), std::min(y + o, h - 1)));
        }
}

void Warp(CNoiseCanvas& canvas, int mode) {
    if ((mode != 1 && mode != 2) || (canvas.signedNoise() && !canvas.absoluteNoise()))
        return;
    CGrid& noise = canvas.noiseGrid();
    const int w = canvas.width();
    const int h = canvas.height();
    const int r = (3 * w * 80) / 256;
    std::vector<std::int32_t> dx(256);
    std::vector<std::int32_t> dy(256);
    for (int i = 0; i < 256; ++i) {
        dx[i] = truncateToInt(std::sin(i * 0.005) * -r);
        dy[i] = truncateToInt(std::cos(i * 0.005) * r);
    }
    const auto wrap = [](std::int64_t v, int size) {
        return static_cast<int>(((v % size) + size) % size);
    };
    std::vector<std::int32_t> warped(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::int32_t n = noise.get(x, y);
            std::int32_t value = 0;
            if (mode == 1) {
                value = truncateToInt(n * (std::sin(static_cast<double>(n) + x) + 1) * 0.5);
            } else {
                const auto index = static_cast<std::size_t>(
                    (n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n)) &
                    255u);
                value = noise.get(wrap(std::int64_t{x} + dx[index], w),
                                  wrap(std::int64_t{y} + dy[index], h));
            }
            warped[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                   static_cast<std::size_t>(x)] = value;
        }
    for (int y = 0; y < h; ++y)
        noise.writeRow(
            y, std::span<const std::int32_t>(warped.data() + static_cast<std::size_t>(y) *
                                                                 static_cast<std::size_t>(w),
                                             static_cast<std::size_t>(w)));
}

void MapThroughRamp(CGrid& noise, const std::array<std::uint32_t, 256>& ramp) {
    for (int y = 0; y < noise.height() && !noise.isUniform(); ++y) {
        std::int32_t* cells = noise.row(y);
        for (int x = 0; x < noise.width(); ++x) {
            const std::uint32_t v = std::min(static_cast<std::uint32_t>(cells[x]), 255u);
            cells[x] = static_cast<std::int32_t>(ramp[v]);
        }
    }
}

int ComposeTexture(TextureSettings& s, int width, int height, int seed,
                   const TextureEffects& effects) {
    s.output.reset();
    width = std::clamp(width, kMinTextureSide, kMaxTextureSide);
    height = std::clamp(height, kMinTextureSide, kMaxTextureSide);
    seed = s.seedMode == -1 ? -1 : seed;
    if (seed == 0)
        seed = kfm::noise::ClockSeed();
    const auto canvas = CNoiseCanvas::create(width, height);
    if (!canvas)
        return seed;
    canvas->colourTable() = s.ramp;

    canvas->ApplyBackgroundPattern(s.patternType, seed, s.invertPattern != 0, s.rowsPer256,
                                   s.bricksPer256);
    BaseFunction(canvas->workGrid(), s.baseFunction, s.zoom);
    int colourFunction = s.colourFunction;
    runFamily(s, *canvas, seed, colourFunction);
    if (colourFunction == 6)
        Displace(*canvas);
    else
        ApplyColourFunction(*canvas, s.colourSpeed, colourFunction);
    canvas->BlendPattern();
    MapThroughRamp(canvas->noiseGrid(), canvas->colourTable());

    auto output = CGrid::createCopy(canvas->noiseGrid());
    if (!output)
        return seed;
    using kfm::noise::TileRamp;
    const bool done = (!effects.tile || MakeTileableColour(*output, TileRamp::Cosine, 12)) &&
                      (!effects.kaleidoscope || Kaleidoscope(*output)) &&
                      (!effects.relief || ApplyRelief(*output));
    if (done)
        s.output = std::move(output);
    return seed;
}

int RenderPreview(TextureSettings& s, QImage& image, int width, int height, int seed,
                  const TextureEffects& effects) {
    seed = ComposeTexture(s, width, height, seed, effects);
    if (s.output)
        s.output->paint(image);
    s.output.reset();
    return seed;
}

bool RenderTextureToFrame(TextureSettings& s, const FrameRows& frame, int seed,
                          const TextureEffects& effects, bool stretch) {
    if (!frame.bits || frame.width < 1 || frame.height < 1)
        return false;
    if (stretch) {
        ComposeTexture(s, 256, 256, seed, effects);
        if (s.output && !ResampleColourGrid(*s.output, 0, 0, 256, 256, frame.width, frame.height,
                                            kfm::noise::Sampling::Bilinear))
            s.output.reset();
    } else {
        ComposeTexture(s, frame.width, frame.height, seed, effects);
    }
    if (!s.output)
        return false;
    const CGrid& grid = *s.output;
    for (int y = 0; y < frame.height; ++y) {
        std::uint8_t* out = frame.bits + static_cast<std::ptrdiff_t>(y) * frame.rowBytes;
        const int gy = y % grid.height();
        for (int x = 0; x < frame.width; ++x) {
            const auto c = static_cast<std::uint32_t>(grid.get(x % grid.width(), gy));
            out[3 * x] = static_cast<std::uint8_t>(c >> 16);
            out[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
            out[3 * x + 2] = static_cast<std::uint8_t>(c);
        }
    }
    s.output.reset();
    return true;
}

} // namespace kfm::patina
