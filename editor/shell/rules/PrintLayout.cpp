#include "PrintLayout.h"

#include <algorithm>
#include <cmath>

namespace kfm::shell {

namespace {

int atLeastOne(double value) {
    return std::isfinite(value) && value >= 1.0 ? static_cast<int>(value) : 1;
}

} // namespace

PrintLayout ComputePrintLayout(const PrintOptions& options, const PrintMeasures& m,
                               int animationWidth, int animationHeight, int frameCount) {
    PrintLayout layout;
    const int screenDpi = m.screenDpiX > 0 ? m.screenDpiX : 96;
    const int dpiX = m.printerDpiX > 0 ? m.printerDpiX : screenDpi;
    const int dpiY = m.printerDpiY > 0 ? m.printerDpiY : dpiX;
    // A printer with another resolution down than across needs as many more pixels down.
    layout.scaleX = static_cast<double>(dpiX) / screenDpi;
    layout.scaleY = static_cast<double>(dpiY) / screenDpi;

    const double printableWidth = m.pageWidth / layout.scaleX - (options.rim ? 2 : 0);
    const double printableHeight =
        m.pageHeight / layout.scaleY - (options.rim ? 22 : 20) - (options.title ? 4 : 0);
    layout.cell.cx = std::min(std::max(animationWidth, 1), atLeastOne(printableWidth));
    layout.cell.cy = std::min(std::max(animationHeight, 1), atLeastOne(printableHeight));

    layout.columnWidth = layout.cell.cx + kPrintColumnGap;
    layout.rowHeight = layout.cell.cy + (options.rim ? 6 : 0) +
                       (options.title ? m.titleHeight + kPrintTitleGap : 0);
    if (options.orderColumns || options.orderRows)
        layout.columns = atLeastOne(m.pageWidth / (layout.columnWidth * layout.scaleX));
    layout.rows = atLeastOne(m.pageHeight / (layout.scaleY * layout.rowHeight));
    const int perPage = layout.framesPerPage();
    layout.pages = frameCount > 0 ? (frameCount + perPage - 1) / perPage : 0;
    return layout;
}

POINT PrintCellOrigin(const PrintLayout& layout, const PrintOptions& options, int indexOnPage) {
    int row = indexOnPage;
    int column = 0;
    if (options.orderRows) {
        row = indexOnPage / layout.columns;
        column = indexOnPage % layout.columns;
    } else if (options.orderColumns) {
        column = indexOnPage / layout.rows;
        row = indexOnPage % layout.rows;
    }
    return POINT{column * layout.columnWidth, row * layout.rowHeight};
}

} // namespace kfm::shell
