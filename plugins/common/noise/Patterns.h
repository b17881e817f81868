#pragma once
// The background patterns of the texture generator drawn into a scalar grid (bricks; the stones
// come from cellular noise, see CNoiseCanvas), and the two ways a pattern meets the noise.

namespace kfm::noise {

class CGrid;

// Rows of bricks on mortar of value 32: bricks of 256 / bricksPer256 x 256 / rowsPer256 pixels
// (counts below 1 count as 1), every odd row shifted half a brick to the left, each brick a
// face of 255 with bevels rising from 0 at its top and left edges. The defaults 8 and 4 give
// bricks of 64 x 32.
void BrickPattern(CGrid& grid, int rowsPer256, int bricksPer256);

// One brick at (x, y) of w x h with a border of b (below 1 counts as 1): the face from row 2b
// and column b to b before the far edges, then the top bevel over rows 0..2b-1 and the left one
// over columns 0..2b-1, rising as 255 · i / (2b). A brick that reaches the grid's right (lower)
// edge is cut there, keeping a border's width more when it does not start on a multiple of its
// width (height). Writes outside the grid are dropped; a brick under a pixel wide or high draws
// nothing.
void DrawBrick(CGrid& grid, int x, int y, int w, int h, int b);

// Every cell v becomes 255 - v.
void InvertPattern(CGrid& pattern);

// Every noise cell becomes clamp((noise + pattern) >> 1, 0, 255) (over the part both cover).
void BlendPattern(CGrid& noise, const CGrid& pattern);

} // namespace kfm::noise
