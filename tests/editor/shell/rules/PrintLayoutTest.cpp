// The pagination of printed frames: cells, rows, columns, pages and where each cell goes.

#include "PrintLayout.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::shell;

// A page of 8 x 11 inches at 600 dpi, a screen of 96 dpi and a title font 13 pixels high.
PrintMeasures letterAt600() {
    PrintMeasures m;
    m.printerDpiX = 600;
    m.printerDpiY = 600;
    m.pageWidth = 4800;
    m.pageHeight = 6600;
    m.screenDpiX = 96;
    m.titleHeight = 13;
    return m;
}

TEST(PrintLayout, WithoutAnOrderOneColumnOfFramesIsPrintedPerPage) {
    const PrintLayout layout = ComputePrintLayout(PrintOptions{}, letterAt600(), 468, 60, 11);
    EXPECT_DOUBLE_EQ(layout.scaleX, 6.25);
    EXPECT_EQ(layout.cell.cx, 468);
    EXPECT_EQ(layout.cell.cy, 60);
    EXPECT_EQ(layout.columns, 1);
    // A row is the cell, the rim's 6 pixels and the title with its 24: 103 screen pixels, ten
    // of which fit on 1056.
    EXPECT_EQ(layout.rowHeight, 103);
    EXPECT_EQ(layout.rows, 10);
    EXPECT_EQ(layout.pages, 2);
    EXPECT_EQ(ComputePrintLayout(PrintOptions{}, letterAt600(), 468, 60, 10).pages, 1);
    EXPECT_EQ(ComputePrintLayout(PrintOptions{}, letterAt600(), 468, 60, 0).pages, 0);
}

TEST(PrintLayout, GridsFillAcrossOrDownFirst) {
    PrintOptions rows;
    rows.orderRows = true;
    PrintOptions columns;
    columns.orderColumns = true;
    const PrintLayout layout = ComputePrintLayout(rows, letterAt600(), 100, 100, 100);
    // 140 screen pixels a column (cell and gap), 143 a row.
    EXPECT_EQ(layout.columns, 5);
    EXPECT_EQ(layout.rows, 7);
    EXPECT_EQ(layout.pages, 3);
    const struct {
        const char* label;
        const PrintOptions& options;
        int index;
        POINT origin;
    } cases[] = {
        {"rows: first", rows, 0, {0, 0}},
        {"rows: along the first row", rows, 4, {560, 0}},
        {"rows: second row", rows, 6, {140, 143}},
        {"columns: down the first column", columns, 6, {0, 858}},
        {"columns: second column", columns, 7, {140, 0}},
        {"one column", PrintOptions{}, 3, {0, 429}},
    };
    for (const auto& c : cases) {
        const POINT origin = PrintCellOrigin(layout, c.options, c.index);
        EXPECT_EQ(origin.x, c.origin.x) << c.label;
        EXPECT_EQ(origin.y, c.origin.y) << c.label;
    }
}

TEST(PrintLayout, LargeAnimationsAreCutToThePrintableArea) {
    const PrintLayout layout = ComputePrintLayout(PrintOptions{}, letterAt600(), 2000, 3000, 3);
    // 768 - 2 across, 1056 - 22 - 4 down.
    EXPECT_EQ(layout.cell.cx, 766);
    EXPECT_EQ(layout.cell.cy, 1030);
    EXPECT_EQ(layout.rows, 1);
    EXPECT_EQ(layout.pages, 3);
}

TEST(PrintLayout, APageAlwaysHoldsACell) {
    // A title font taller than the page, a page too short for a row, no page at all: the
    // layout still prints one frame a page instead of dividing by zero rows.
    PrintMeasures tallTitle = letterAt600();
    tallTitle.titleHeight = 5000;
    PrintMeasures shortPage = letterAt600();
    shortPage.pageHeight = 300;
    PrintMeasures noPage;
    noPage.pageWidth = 0;
    noPage.pageHeight = 0;
    PrintOptions grid;
    grid.orderRows = true;
    for (const PrintMeasures& m : {tallTitle, shortPage, noPage}) {
        const PrintLayout layout = ComputePrintLayout(grid, m, 468, 60, 7);
        EXPECT_GE(layout.rows, 1);
        EXPECT_GE(layout.columns, 1);
        EXPECT_GE(layout.cell.cx, 1);
        EXPECT_GE(layout.cell.cy, 1);
        EXPECT_EQ(layout.pages, 7);
    }
}

TEST(PrintLayout, APrinterWithAnotherResolutionDownPrintsTheSameCells) {
    PrintMeasures coarse = letterAt600();
    coarse.printerDpiY = 300;
    coarse.pageHeight = 3300;
    const PrintLayout square = ComputePrintLayout(PrintOptions{}, letterAt600(), 468, 2000, 30);
    const PrintLayout tall = ComputePrintLayout(PrintOptions{}, coarse, 468, 2000, 30);
    EXPECT_DOUBLE_EQ(tall.scaleY, 3.125);
    EXPECT_EQ(tall.cell.cy, square.cell.cy);
    EXPECT_EQ(tall.rows, square.rows);
    EXPECT_EQ(tall.pages, square.pages);
}

} // namespace
