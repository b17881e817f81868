#pragma once
// The effects the texture composer applies to whole grids: seamless tiling, kaleidoscope,
// stretching, relief and cubic doubling. Scalar forms work on the cell value; colour forms on
// each channel (bits 0-7, 8-15 and 16-23) of a colour 0x00BBGGRR, giving colours with a clear
// top byte. A uniform grid is left as it is.
//
// An effect that needs memory it cannot get returns false and leaves the grid as it was.

#include <memory>

namespace kfm::noise {

class CGrid;

// The weight ramp of the tiling blend: Cosine is (1 - cos(π t)) / 2, QuarterSine sin(t π / 2).
enum class TileRamp { Cosine, QuarterSine };

// Makes the grid repeat seamlessly: a strip of n = truncate(width x 0.01 x percent) columns
// (percent clamped to 1..50) at the left is blended with the strip that follows the right end,
// the same for rows at the top, and the rest is stretched back over the whole grid. A strip of
// one column blends with its one weight at t = 0 (no step to divide by). The rows' strip is at
// most half the height, so a grid much wider than tall never reads above its top.
bool MakeTileable(CGrid& grid, TileRamp ramp, int percent);
bool MakeTileableColour(CGrid& grid, TileRamp ramp, int percent);

// The picture halved into the top-left quarter (2 x 2 averages per channel) and mirrored into
// the other three, so it is symmetric about both centre lines.
bool Kaleidoscope(CGrid& grid);

enum class Sampling { Bilinear, Nearest };

// Stretches the source rectangle from (x0, y0) to (x1, y1) (clamped to the grid) over the
// top-left nw x nh cells, sampling row j at y0 + j (y1 - 1) / nh and column i at
// x0 + i (x1 - 1) / nw. The scalar form keeps the grid's size (nw and nh are clamped to it); the
// colour form enlarges the grid to nw x nh when either exceeds its size.
bool ResampleGrid(CGrid& grid, int x0, int y0, int x1, int y1, int nw, int nh, Sampling sampling);
bool ResampleColourGrid(CGrid& grid, int x0, int y0, int x1, int y1, int nw, int nh,
                        Sampling sampling);

// Per channel: the row below minus the row above (three columns each, neighbours wrapping
// around the edges) plus 128, clamped to 0..255.
bool ApplyRelief(CGrid& grid);

// A grid of twice the width and height: cell (x, y) goes to (2x, 2y) and the cells between are
// the cubic through the four neighbours on their row (then column) at its midpoint, wrapping
// around. Both sides must be powers of two; null for other sizes, a uniform grid or no memory.
std::unique_ptr<CGrid> DoubleGridCubic(const CGrid& source);

} // namespace kfm::noise
