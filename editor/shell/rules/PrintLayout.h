#pragma once
// The pagination of printed frames, free of printers: how large a cell is, how many cells fit on
// a page and where each goes. Everything is in screen pixels; the printer side scales by the
// ratio of printer and screen resolution, across and down.

#include "types/Win32Types.h"

namespace kfm::shell {

// The print settings of the "Settings" section.
struct PrintOptions {
    bool rim = true;
    bool title = true;
    bool orderColumns = false;
    bool orderRows = false;
};

struct PrintMeasures {
    int printerDpiX = 600;
    int printerDpiY = 600;
    int pageWidth = 0;  // printable page, printer pixels
    int pageHeight = 0; // printable page, printer pixels
    int screenDpiX = 96;
    int titleHeight = 0; // height of the title font, screen pixels
};

struct PrintLayout {
    double scaleX = 1.0; // printer pixels per screen pixel, across
    double scaleY = 1.0; // printer pixels per screen pixel, down
    SIZE cell{0, 0};     // the printed animation area
    int columns = 1;
    int rows = 1;
    int pages = 0;
    int rowHeight = 0;   // screen pixels from one row of cells to the next
    int columnWidth = 0; // screen pixels from one column of cells to the next
    int framesPerPage() const { return rows * columns; }
};

// The gap between columns of cells and the room a title takes below its cell.
constexpr int kPrintColumnGap = 40;
constexpr int kPrintTitleGap = 24;
// The width of the rim's pen in screen pixels.
constexpr int kPrintRimPen = 3;

// The layout for frameCount frames of an animation of the given size. A page always holds at
// least one cell, however large the animation or the title font.
PrintLayout ComputePrintLayout(const PrintOptions& options, const PrintMeasures& measures,
                               int animationWidth, int animationHeight, int frameCount);

// The cell of the n-th frame of a page (0-based) in screen pixels from the page's top left:
// down one column, across then down (rows order) or down then across (columns order).
POINT PrintCellOrigin(const PrintLayout& layout, const PrintOptions& options, int indexOnPage);

} // namespace kfm::shell
