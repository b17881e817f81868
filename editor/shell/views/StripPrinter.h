#pragma once
// Printing the frames of the strip: each frame in a cell of the animation's size (cut to the
// page), with a rim and a numbered title when the settings ask for them, one column or a grid
// of cells a page. With "PrintRendered" each cell shows the animation as it stands at that frame;
// object frames are rendered for it inside an internal undo step that the printer undoes at its
// end, so the objects stay editable.

#include <QFont>
#include <QImage>

#include "Bitra5Api.h"
#include "PrintLayout.h"

class QPainter;
class QPrinter;
class QWidget;

namespace kfm::ui {

class StripPrinter {
public:
    explicit StripPrinter(QWidget& parent);
    ~StripPrinter();
    StripPrinter(const StripPrinter&) = delete;
    StripPrinter& operator=(const StripPrinter&) = delete;

    // Renders the object frames, asks for the printer and prints.
    void Run();
    // Renders the object frames and prints on printer; the number of pages printed (0 when
    // rendering was cancelled or there is nothing to print).
    int PrintTo(QPrinter& printer);

    // The layout for a printer as it is set up now.
    kfm::shell::PrintLayout LayoutFor(QPrinter& printer) const;

private:
    bool prepare();
    int printPages(QPrinter& printer);
    void finish();
    void printCell(QPainter& painter, int frameIndex, const QRect& cell);
    void printTitle(QPainter& painter, int frameIndex, const QRect& cell);
    void composeUpTo(int frameIndex);

    QWidget& parent_;
    kfm::shell::PrintOptions options_;
    bool rendered_ = false;
    bool prepared_ = false;
    bool chained_ = false;
    QFont titleFont_;
    int titleHeight_ = 0;
    KpxHandle canvas_ = 0;
    int composed_ = -1;
    QSize cell_;
};

} // namespace kfm::ui
