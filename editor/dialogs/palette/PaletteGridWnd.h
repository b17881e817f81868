#pragma once
// The palette grid: the colour table of one image as sixteen rows of sixteen square cells, with
// a cross on each entry that no pixel uses. The user chooses an entry with a click or the arrow
// keys and opens it with a double click or the space bar; the grid names the entry under the
// mouse in a tooltip and tells its dialog about hovering, choosing and opening through signals.

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

#include "Bitra5.h"
#include "PaletteDialogParts.h"
#include "PaletteGridLayout.h"

namespace kfm::dialogs {

class CPaletteGridWnd : public QWidget {
    Q_OBJECT
public:
    explicit CPaletteGridWnd(QWidget* parent = nullptr);

    // Shows the image's colour table (not owned; 0 shows nothing and ignores the mouse), lays the
    // cells out for the current size and counts the pixels of each entry. Returns the number of
    // entries in use.
    int SetImage(KpxHandle image);
    KpxHandle Image() const { return image_; }
    // Chooses a cell; an index outside the 256 cells means no choice (-1).
    void SetSelection(int index);
    int Selection() const { return selected_; }
    void InvalidateSelection();
    // Changes the colour of the chosen entry in the image's colour table (other indices are
    // ignored); its usage stays as counted.
    void SetEntryColor(int index, COLORREF colour);
    // Sets the pixel count of an entry other than the chosen one; 0 crosses the cell.
    void SetUsage(int index, int value);
    int Usage(int index) const;
    int UsedColourCount() const { return usedCount_; }
    // The number of entries of the image's colour table (at most 256).
    int EntryCount() const;
    const PaletteGridLayout& Layout() const { return layout_; }
    // The text of the last tooltip shown.
    const QString& TipText() const { return tipText_; }

    QSize sizeHint() const override;

signals:
    // The mouse moved: over a cell (its index and colour) or off the cells (-1, 0).
    void hovered(int index, bool overCell, unsigned colour);
    // A click chose another cell, or an arrow key moved the choice.
    void selected(int index);
    // A double click or the space bar.
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void drawCell(QPainter& painter, int index) const;
    void drawCross(QPainter& painter, const RECT& box, COLORREF grey, COLORREF white) const;
    void updateOutline(int index);
    void showTip(const QPoint& local, int index, COLORREF colour);

    KpxHandle image_ = 0;
    int selected_ = -1;
    PaletteGridLayout layout_;
    int usedCount_ = 0;
    std::array<std::int32_t, kGridCells> usage_{};
    QString tipText_;
    int tipIndex_ = -1;
    COLORREF tipColour_ = 0xFFFFFFFF;
};

// Asks for a new colour of the grid's chosen entry, starting at start, and puts it into the
// grid's image; the colour, or nothing when the index is no entry of the table or the user
// cancels.
std::optional<COLORREF> ChangeEntryColour(const ColourChooser& chooser, CPaletteGridWnd& grid,
                                          int index, COLORREF start, QWidget* parent);

} // namespace kfm::dialogs
