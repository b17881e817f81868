#pragma once
// Dithered row mapping onto a working palette: the ordered 8 x 8 dither and the
// Floyd-Steinberg and Burkes error diffusions.

#include "PixelSurface.h"

namespace kpx {

// The 8 x 8 Bayer thresholds 0..63; a pixel in column x of stored row r uses [x & 7][r & 7].
extern const std::uint8_t kBayerMatrix[8][8];

// Ordered dithering onto a 1-, 4- or 8-bit target.
void ditherOrdered(const PixelSurface& source, const PixelSurface& target, const Palette& palette,
                   const KpxInverseColorTable& inverse, KpxRowProgress& progress);

enum class DiffusionKernel { FloydSteinberg, Burkes };

// Error diffusion onto a 1-, 4- or 8-bit target; rows scanned left to right.
void diffuseErrors(const PixelSurface& source, const PixelSurface& target, const Palette& palette,
                   const KpxInverseColorTable& inverse, DiffusionKernel kernel,
                   KpxRowProgress& progress);

// For each palette entry its nearest brighter and darker neighbour by L1 distance (below 300;
// the lowest index wins ties); an entry without one is its own. Used by the 4-bit ordered dither.
struct Neighbours {
    std::vector<int> brighter;
    std::vector<int> darker;
};
Neighbours paletteNeighbours(const Palette& palette);

} // namespace kpx
