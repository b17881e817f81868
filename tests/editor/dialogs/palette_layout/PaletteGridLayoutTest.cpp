// The palette grid's cell layout, hit test and arrow-key walk, without windows.

#include "PaletteGridLayout.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::dialogs;

TEST(PaletteGridLayout, CellsAreCentredWithAFifthOfACellBetween) {
    const PaletteGridLayout l = PaletteGridLayout::For(200, 210);
    EXPECT_EQ(l.cell, 10);
    EXPECT_EQ(l.gap, 2);
    EXPECT_EQ(l.xMargin, (200 - 160 - 30) / 2);
    EXPECT_EQ(l.yMargin, (210 - 190) / 2);
    EXPECT_EQ(l.grid.right - l.grid.left, 190);
    const RECT cell = l.CellRect(17); // column 1, row 1
    EXPECT_EQ(cell.left, l.grid.left + 12);
    EXPECT_EQ(cell.top, l.grid.top + 12);
    EXPECT_EQ(cell.right - cell.left, 10);
    const RECT outline = l.OutlineRect(17);
    EXPECT_EQ(outline.left, cell.left - 1);
    EXPECT_EQ(outline.top, cell.top - 1);
    EXPECT_EQ(outline.right, cell.left - 1 + 13);
    EXPECT_EQ(outline.bottom, cell.top - 1 + 13);
}

TEST(PaletteGridLayout, HitTestFindsCellsButNotGapsBordersOrMissingEntries) {
    const PaletteGridLayout l = PaletteGridLayout::For(200, 200);
    const int x0 = l.grid.left;
    const int y0 = l.grid.top;
    const struct {
        int x, y, entries, expected;
    } cases[] = {
        {x0, y0, 256, 0},
        {x0 + 9, y0 + 9, 256, 0},
        {x0 + 10, y0, 256, -1}, // the gap after cell 0
        {x0 + 11, y0, 256, -1},
        {x0 + 12, y0, 256, 1},
        {x0 + 12, y0 + 12, 256, 17},
        {x0 - 1, y0, 256, -1},
        {l.grid.right - 1, l.grid.bottom - 1, 256, 255},
        {l.grid.right, l.grid.bottom, 256, -1},
        {x0 + 12, y0 + 12, 16, -1}, // a 16-colour table has one row
        {x0 + 12 * 15, y0, 16, 15},
    };
    for (const auto& c : cases)
        EXPECT_EQ(l.CellAt(c.x, c.y, c.entries), c.expected) << c.x - x0 << "," << c.y - y0;
}

TEST(PaletteGridLayout, TinyGridsHitNothingOutsideTheirCells) {
    // Narrower than 19 pixels: no cells at all, and no division by a zero pitch.
    const PaletteGridLayout none = PaletteGridLayout::For(10, 10);
    EXPECT_EQ(none.Pitch(), 0);
    for (int x = -2; x < 12; ++x)
        EXPECT_EQ(none.CellAt(x, 5, 256), -1) << x;
    // Cells without gaps: the right and bottom borders belong to no cell (not to the next row).
    const PaletteGridLayout tight = PaletteGridLayout::For(76, 76);
    ASSERT_EQ(tight.gap, 0);
    EXPECT_EQ(tight.CellAt(tight.grid.right, tight.grid.top, 256), -1);
    EXPECT_EQ(tight.CellAt(tight.grid.right - 1, tight.grid.top, 256), 15);
    EXPECT_EQ(tight.CellAt(tight.grid.left, tight.grid.bottom, 256), -1);
}

TEST(PaletteKeyStep, StaysInItsRowAtTheEdges) {
    const struct {
        int selected, step, expected;
    } cases[] = {
        {0, kStepLeft, 15},    {3, kStepUp, 3},      {255, kStepRight, 240}, {250, kStepDown, 250},
        {3, kStepDown, 19},    {19, kStepRight, 20}, {17, kStepLeft, 16},    {16, kStepUp, 0},
        {240, kStepDown, 240}, {-1, kStepRight, 0},  {-1, kStepLeft, 14},    {-1, kStepDown, 15},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PaletteKeyStep(c.selected, c.step), c.expected) << c.selected << " " << c.step;
}

TEST(PaletteKeyStep, NeverLeavesThe256Cells) {
    // From every cell, from no selection and from selections outside the grid, every key
    // lands inside.
    for (int selected = -40; selected < 300; ++selected)
        for (const int step : {kStepLeft, kStepRight, kStepUp, kStepDown}) {
            const int result = PaletteKeyStep(selected, step);
            EXPECT_GE(result, 0) << selected << " " << step;
            EXPECT_LT(result, kGridCells) << selected << " " << step;
        }
    EXPECT_EQ(PaletteKeyStep(-1, kStepUp), 0);
}

} // namespace
