#include "PaletteGridLayout.h"

#include <algorithm>

namespace kfm::dialogs {

PaletteGridLayout PaletteGridLayout::For(int width, int height) {
    PaletteGridLayout layout;
    layout.cell = std::max(width, 0) / 19;
    layout.gap = layout.cell / 5;
    const int span = kGridColumns * layout.cell + (kGridColumns - 1) * layout.gap;
    layout.xMargin = (width - span) / 2;
    layout.yMargin = (height - span) / 2;
    layout.grid =
        RECT{layout.xMargin, layout.yMargin, layout.xMargin + span, layout.yMargin + span};
    return layout;
}

RECT PaletteGridLayout::CellRect(int index) const {
    const int left = grid.left + Pitch() * (index % kGridColumns);
    const int top = grid.top + Pitch() * (index / kGridColumns);
    return RECT{left, top, left + cell, top + cell};
}

RECT PaletteGridLayout::OutlineRect(int index) const {
    const int left = Pitch() * (index % kGridColumns) + grid.left - 1;
    const int top = Pitch() * (index / kGridColumns) + grid.top - 1;
    return RECT{left, top, left + cell + 3, top + cell + 3};
}

bool PaletteGridLayout::InGrid(int x, int y) const {
    return grid.left <= x && x <= grid.right && grid.top <= y && y <= grid.bottom;
}

int PaletteGridLayout::CellAt(int x, int y, int entryCount) const {
    if (Pitch() <= 0 || !InGrid(x, y))
        return -1;
    const int column = (x - grid.left) / Pitch();
    const int row = (y - grid.top) / Pitch();
    // Without gaps the right and bottom borders lie past the last column and row.
    if (column >= kGridColumns || row >= kGridColumns)
        return -1;
    if ((x - grid.left) % Pitch() >= cell || (y - grid.top) % Pitch() >= cell)
        return -1;
    const int index = row * kGridColumns + column;
    return index < std::min(entryCount, kGridCells) ? index : -1;
}

int PaletteKeyStep(int selected, int step) {
    int result = selected + step;
    if (result < 0)
        result += kGridColumns;
    else if (result >= kGridCells)
        result -= kGridColumns;
    return std::clamp(result, 0, kGridCells - 1);
}

} // namespace kfm::dialogs
