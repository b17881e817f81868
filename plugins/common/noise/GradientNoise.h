#pragma once
// 2-D gradient noise computed row by row in integer fixed point, and sums of octaves of it,
// written into a grid. Reproducible bit for bit from a seed.
//
// Coordinates are unsigned 32-bit fixed-point numbers: bits 22 and up (modulo 256) are the
// lattice cell, bits 14..21 the 8-bit fraction.

#include <array>
#include <cstdint>

namespace kfm::noise {

class CGrid;

// The two plug-ins use the noise in two forms of the same code.
enum class NoiseForm {
    // The texture generator: lattice step (frequency << 8) / 256 per pixel, the tile flag makes
    // the grid tileable, and cellular noise is made on a 256 x 256 tile repeated over the grid.
    Texture,
    // The distortion effect: lattice step (frequency & 0xFFFFFF) x 256 / row length, so the
    // pattern has the same number of lattice cells across any width; no tiling; cellular noise
    // is made over the grid's real size.
    Distortion,
};

struct Gradient {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Gradient&) const = default;
};

// The permutation and gradient tables (256 entries used, then a repeat so that a permutation
// entry plus a cell index never needs a wrap) and the last noise value computed.
struct NoiseTables {
    std::array<std::int32_t, 514> permutation{};
    std::array<Gradient, 514> gradient{};
    std::int32_t lastValue = 0;
};

// How a noise call computes and stores its values.
struct NoiseFlags {
    // -256..256 instead of 0..256.
    bool signedValues = false;
    // |v| (with signedValues only).
    bool absolute = false;
    // Gradients divided by their squared length instead of their length (longer gradients).
    bool squaredLength = false;
    // Accumulated octaves are divided by (1 + weight).
    bool normalise = false;
    // Octave k weighs 0.5^(k-1) (signed) or 0.5^k (unsigned) instead of 0.5.
    bool weighting = false;
    // The grid is made tileable afterwards (texture form only).
    bool tile = false;
};

enum class GradientLength { Unit, Squared };

// Fills the tables from the seed rule (SeedNoise) and returns the seed in force. Gradient i is
// (truncate(gx x 255 / L), truncate(gy x 255 / L)) for two draws gx, gy in -1..1 and L their
// length (or squared length); a gradient whose draws are both 0 has length 0 and is (0, 0).
int InitNoiseTables(NoiseTables& tables, int seed, GradientLength length);

// The fixed-point path of one row: the start point, the steps per pixel and their increments
// (x += dx + ddx, dx += 4·ddx per pixel, the same for y).
struct NoisePath {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t dx = 0;
    std::uint32_t dy = 0;
    std::uint32_t ddx = 0;
    std::uint32_t ddy = 0;
};

enum class RowStore { Replace, Accumulate };

// The noise value (before its mode) at one fixed-point position, roughly -256..256.
std::int32_t GradientNoiseAt(const NoiseTables& tables, std::uint32_t x, std::uint32_t y);

// Computes count pixels of one grid row along the path (at most the grid's width). Replace
// stores the value; Accumulate adds it with the weight: truncate(v·w + cell), over (w + 1) with
// normalise; a weight of exactly 0.5 adds v >> 1 (times 0.6666666666666666 with normalise).
void NoiseRow(NoiseTables& tables, CGrid& grid, int row, const NoisePath& path, int count,
              RowStore store, float weight, const NoiseFlags& flags);

// The lattice step per pixel for a frequency, in either form (rowLength: the pixel count).
std::uint32_t LatticeStep(NoiseForm form, std::int32_t frequency, int rowLength);

// Sums octaveCount octaves (low 16 bits; 0 and 1 compute the first octave only) of gradient
// noise into rows 0..rowCount-1, columns 0..pixelCount-1 of the grid (limited to its size);
// each octave doubles the lattice step and the y step. Seed -1 rebuilds the tables from the
// running generator before every row. Returns the seed in force.
int OctaveNoise(NoiseTables& tables, CGrid& grid, NoiseForm form, int seed, std::uint32_t xOrigin,
                std::uint32_t yOrigin, std::int32_t frequency, std::uint32_t yStep, int pixelCount,
                int rowCount, int octaveCount, const NoiseFlags& flags);

// The origin of OctaveNoiseAt on both axes: lattice cell 5, fraction 0.
inline constexpr std::uint32_t kNoiseOrigin = 0x1400000;

// OctaveNoise from (kNoiseOrigin, kNoiseOrigin) with y step 0.
int OctaveNoiseAt(NoiseTables& tables, CGrid& grid, NoiseForm form, int seed, int pixelCount,
                  int rowCount, std::int32_t frequency, int octaveCount, const NoiseFlags& flags);

} // namespace kfm::noise
