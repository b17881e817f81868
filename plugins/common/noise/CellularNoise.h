#pragma once
// Cellular (feature-point) noise: random points in the four quadrants of a tile, and for every
// pixel a weighted sum of the distances to its four nearest points, written into a grid.

#include "GradientNoise.h"

#include <cstdint>
#include <vector>

namespace kfm::noise {

class CGrid;

struct FeaturePoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const FeaturePoint&) const = default;
};

// -1, 0 or 1 as a's y is below, equal to or above b's.
int ComparePointsByY(const FeaturePoint& a, const FeaturePoint& b);

// The weights of the distances to the nearest, second, third and fourth nearest point.
struct CellCoefficients {
    double c1 = 0;
    double c2 = 0;
    double c3 = 0;
    double c4 = 0;
};

// Wrapped, every point also gets copies shifted by the tile size towards the sides its quadrant
// does not touch, so the pattern repeats seamlessly.
enum class CellWrap { Off, On };

// The number of points of a quadrant for u = draw / 32767: 0 for u = 0, else the smallest n with
// u <= P(1) + ... + P(n), P(k) = 4^k / (e^4 k!); a draw beyond P(1) + ... + P(11) (about 2 % of
// them) gives 11, where the table ends.
int QuadrantPointCount(double u);

// The feature points of one call, unsorted: quadrants 4, 3, 2, 1 of a tile of the given size,
// each with its own points and then (with wrap) its three shifted copies.
std::vector<FeaturePoint> MakeFeaturePoints(int tileWidth, int tileHeight, CellWrap wrap);

// Seeds by the seed rule and writes the noise over the whole grid: value = truncate(scale ·
// (c1·√F1 + c2·√F2 + c3·√F3 + c4·√F4)), F1 <= .. <= F4 the four smallest squared distances from
// (x + 1, y) and scale 256 over the half diagonal of the tile. The texture form makes its points
// on a 256 x 256 tile and repeats it over the grid; the distortion form uses the grid's own size
// as the tile. Returns the seed in force.
int CellularNoise(CGrid& grid, NoiseForm form, int seed, const CellCoefficients& coefficients,
                  CellWrap wrap);

} // namespace kfm::noise
