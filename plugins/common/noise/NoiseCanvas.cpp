#include "NoiseCanvas.h"

#include "Patterns.h"
#include "Profiles.h"

#include <new>
#include <utility>

namespace kfm::noise {

std::unique_ptr<CNoiseCanvas> CNoiseCanvas::create(int width, int height) {
    std::unique_ptr<CNoiseCanvas> canvas(new (std::nothrow) CNoiseCanvas);
    if (!canvas)
        return nullptr;
    for (CGrid* grid : {&canvas->pattern_, &canvas->work_, &canvas->noise_}) {
        auto made = CGrid::create(width, height);
        if (!made)
            return nullptr;
        *grid = std::move(*made);
    }
    canvas->width_ = width;
    canvas->height_ = height;
    SineTable(); // the texture generators read it
    return canvas;
}

int CNoiseCanvas::InitNoiseTables(int seed, GradientLength length) {
    return noise::InitNoiseTables(tables_, seed, length);
}

int CNoiseCanvas::OctaveNoise(int seed, std::uint32_t xOrigin, std::uint32_t yOrigin,
                              std::int32_t frequency, std::uint32_t yStep, int pixelCount,
                              int rowCount, int octaveCount, const NoiseFlags& flags) {
    signedNoise_ = flags.signedValues;
    absoluteNoise_ = flags.absolute;
    return noise::OctaveNoise(tables_, noise_, NoiseForm::Texture, seed, xOrigin, yOrigin,
                              frequency, yStep, pixelCount, rowCount, octaveCount, flags);
}

int CNoiseCanvas::OctaveNoiseAt(int seed, int pixelCount, int rowCount, std::int32_t frequency,
                                int octaveCount, const NoiseFlags& flags) {
    return OctaveNoise(seed, kNoiseOrigin, kNoiseOrigin, frequency, 0, pixelCount, rowCount,
                       octaveCount, flags);
}

int CNoiseCanvas::CellularNoise(int seed, const CellCoefficients& coefficients, CellWrap wrap) {
    return noise::CellularNoise(noise_, NoiseForm::Texture, seed, coefficients, wrap);
}

void CNoiseCanvas::ApplyBackgroundPattern(int type, int seed, bool invert, int rowsPer256,
                                          int bricksPer256) {
    switch (static_cast<BackgroundPattern>(type)) {
    case BackgroundPattern::Bricks:
        BrickPattern(pattern_, rowsPer256, bricksPer256);
        break;
    case BackgroundPattern::Stones:
        StonePattern(seed, StoneMode::Raised, 0);
        break;
    case BackgroundPattern::BrokenStones:
        StonePattern(seed, StoneMode::Raised, 1);
        break;
    case BackgroundPattern::FlatStones:
        StonePattern(seed, StoneMode::Flat, 0);
        break;
    default:
        hasPattern_ = false;
        return;
    }
    hasPattern_ = true;
    if (invert)
        InvertPattern(pattern_);
}

void CNoiseCanvas::StonePattern(int seed, StoneMode mode, int variant) {
    const CellCoefficients stones =
        variant == 1 ? CellCoefficients{0, 0, 1.5, -1.47} : CellCoefficients{1.5, -1.46, 0, 0};
    CellularNoise(seed, stones, CellWrap::On);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const std::int32_t v = noise_.get(x, y);
            if (mode == StoneMode::Flat)
                pattern_.set(x, y, v > 0 ? 255 : v);
            else
                pattern_.set(x, y,
                             v < 0 ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(v))
                                   : 0);
        }
}

void CNoiseCanvas::BlendPattern() {
    if (hasPattern_)
        noise::BlendPattern(noise_, pattern_);
}

} // namespace kfm::noise
