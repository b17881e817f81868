#pragma once
// The texture generator's canvas: the noise tables and working grids of one texture
// composition, with the noise functions in their texture form writing into its noise grid, and
// the background patterns.

#include "CellularNoise.h"
#include "GradientNoise.h"
#include "Grid.h"

#include <array>
#include <cstdint>
#include <memory>

namespace kfm::noise {

// The background pattern types of ApplyBackgroundPattern; other values draw no pattern.
enum class BackgroundPattern { None = 0, Bricks = 1, Stones = 2, BrokenStones = 3, FlatStones = 4 };

// How StonePattern turns the cellular value v into the pattern: Flat gives 255 where v > 0 and
// keeps v elsewhere; Raised gives -v where v < 0 and 0 elsewhere.
enum class StoneMode { Flat = 1, Raised = 2 };

class CNoiseCanvas {
public:
    // A canvas whose three grids are width x height (the caller keeps the sides in range; the
    // texture composer clamps them to 32..2048); null when a side is below 1 or memory runs out.
    static std::unique_ptr<CNoiseCanvas> create(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    NoiseTables& tables() { return tables_; }
    // The canvas's first grid: it holds the background pattern while a texture is composed,
    // and the composer makes its output from the noise grid at the end.
    CGrid& patternGrid() { return pattern_; }
    // The displacement amounts (the base function).
    CGrid& workGrid() { return work_; }
    // The grid the noise functions write into.
    CGrid& noiseGrid() { return noise_; }

    // The modes of the last gradient-noise call.
    bool signedNoise() const { return signedNoise_; }
    bool absoluteNoise() const { return absoluteNoise_; }
    // Whether a background pattern was drawn.
    bool hasPattern() const { return hasPattern_; }

    // 256 colours 0x00BBGGRR (the composer's colour ramp).
    std::array<std::uint32_t, 256>& colourTable() { return colours_; }

    // The noise functions of GradientNoise.h and CellularNoise.h in their texture form, on this
    // canvas's tables and noise grid; each returns the seed in force.
    int InitNoiseTables(int seed, GradientLength length);
    int OctaveNoise(int seed, std::uint32_t xOrigin, std::uint32_t yOrigin, std::int32_t frequency,
                    std::uint32_t yStep, int pixelCount, int rowCount, int octaveCount,
                    const NoiseFlags& flags);
    int OctaveNoiseAt(int seed, int pixelCount, int rowCount, std::int32_t frequency,
                      int octaveCount, const NoiseFlags& flags);
    int CellularNoise(int seed, const CellCoefficients& coefficients, CellWrap wrap);

    // Draws the pattern of the type into the pattern grid and sets the pattern flag (type 0 and
    // unknown types clear it): 1 bricks, 2 stones (Raised, variant 0), 3 broken stones (Raised,
    // variant 1), 4 flat stones (Flat, variant 0). With invert every pattern cell becomes
    // 255 - v.
    void ApplyBackgroundPattern(int type, int seed, bool invert, int rowsPer256, int bricksPer256);
    // Cellular noise with wrap on the noise grid (coefficients (1.5, -1.46, 0, 0) for variant 0,
    // (0, 0, 1.5, -1.47) for variant 1), turned into the pattern grid by the mode.
    void StonePattern(int seed, StoneMode mode, int variant);
    // With a pattern, every noise cell becomes clamp((noise + pattern) >> 1, 0, 255).
    void BlendPattern();

private:
    CNoiseCanvas() = default;

    NoiseTables tables_;
    CGrid pattern_;
    CGrid work_;
    CGrid noise_;
    bool signedNoise_ = false;
    bool absoluteNoise_ = false;
    bool hasPattern_ = false;
    std::array<std::uint32_t, 256> colours_{};
    int width_ = 0;
    int height_ = 0;
};

} // namespace kfm::noise
