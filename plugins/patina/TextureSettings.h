#pragma once
// The settings of one texture: background pattern, base function, texture family with its
// parameters, colour function and the 256-entry colour ramp, with the last composed colour grid.

#include "Grid.h"

#include <array>
#include <cstdint>
#include <memory>

namespace kfm::patina {

using kfm::noise::CGrid;

// The highest texture family and base function that have a generator.
inline constexpr std::uint32_t kMaxFamily = 4;
inline constexpr int kMaxBaseFunction = 7;

struct TextureSettings {
    // Colour for each value 0..255, 0x00BBGGRR, copied from the gradient control before every
    // composition.
    std::array<std::uint32_t, 256> ramp{};
    // 0 none, 1 bricks, 2 stones, 3 broken stones, 4 flat stones.
    int patternType = 0;
    int invertPattern = 0;
    int rowsPer256 = 8;
    int bricksPer256 = 4;
    // 0..7 (see BaseFunctionValue).
    int baseFunction = 4;
    // The coordinate factor of the base function.
    int zoom = 255;
    // 0 off, 1 or 2 (see Warp).
    int warpMode = 0;
    // -1 keeps the running generator; otherwise the seed given to the composition is used.
    int seedMode = 0;
    std::uint32_t family = 0;
    int variant = 0;
    std::array<double, 4> d{};
    // The divisor k of the colour functions.
    int colourSpeed = 2;
    // 0..6 (see ApplyColourFunction).
    int colourFunction = 0;
    // The last composed colour grid.
    std::unique_ptr<CGrid> output;
};

// Sets the family, its variant and parameters, clamped per family, and turns the warp off:
//   family 0: variant 0..9, d0 1..8 (octaves), d1 1..64, d2 at least 0;
//   family 1: variant 0, d0 0..255, d1 0..1, d2 0;
//   family 2: variant 0..1, d0 0..2, d1 and d2 0;
//   family 3: variant 0..4, d0 1..8, d1 1..32, d2 at least 0;
//   family 4: variant 0..1, the four doubles are the cellular coefficients, kept as given.
// Families above 4 become 4. A parameter that is not a finite number takes its lower bound (0
// where there is none).
void SetTexture(TextureSettings& settings, std::uint32_t family, int variant, double d0, double d1,
                double d2, double d3);

// The background pattern and the brick counts (kept within 1..100).
void SetPattern(TextureSettings& settings, int type, bool invert, int rowsPer256, int bricksPer256);

// The base function, its zoom, the colour speed k and the colour function.
void SetColouring(TextureSettings& settings, int baseFunction, int zoom, int colourSpeed,
                  int colourFunction);

// The brick counts of the dialog and of preset files.
inline constexpr int kMinBrickCount = 1;
inline constexpr int kMaxBrickCount = 100;

} // namespace kfm::patina
