#pragma once
// Where the palette grid puts its 16 x 16 cells inside its window, which cell a point hits, and
// where the arrow keys move the selection. Plain functions, no widgets.

#include "types/Win32Types.h"

namespace kfm::dialogs {

constexpr int kGridColumns = 16;
constexpr int kGridCells = 256;

struct PaletteGridLayout {
    int cell = 0;    // side of one cell
    int gap = 0;     // space between two cells
    int xMargin = 0; // space left of the grid
    int yMargin = 0; // space above the grid
    RECT grid{0, 0, 0, 0};

    // The layout for a client area of width x height: cells of width / 19, gaps of a fifth of
    // a cell, sixteen rows and columns centred.
    static PaletteGridLayout For(int width, int height);

    int Pitch() const { return cell + gap; }
    // The cell's box (right and bottom exclusive); the index is row * 16 + column.
    RECT CellRect(int index) const;
    // The outline drawn around a chosen cell: one pixel outside its box on the left and top,
    // two on the right and bottom.
    RECT OutlineRect(int index) const;
    // Within the grid rectangle, its borders included.
    bool InGrid(int x, int y) const;
    // The index of the cell under the point, or -1 in a gap, outside the grid or at an index
    // that is not below the colour-table size.
    int CellAt(int x, int y, int entryCount) const;
};

// The arrow keys' steps.
constexpr int kStepLeft = -1;
constexpr int kStepRight = 1;
constexpr int kStepUp = -kGridColumns;
constexpr int kStepDown = kGridColumns;

// The selection after an arrow key: a step off the top or bottom stays in its row (a step left
// from the first cell wraps to the end of the first row, one right from the last to the start of
// the last row), and the result always lies in the 256 cells, also when nothing was selected.
// The colour-table size does not limit it.
int PaletteKeyStep(int selected, int step);

} // namespace kfm::dialogs
