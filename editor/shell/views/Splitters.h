#pragma once
// The main window's two splitters. The outer one holds the property sheet's column and the
// toggle bar; its bar is drawn flat and cannot be dragged. The toggle bar holds the frame strip
// and the canvas side by side or stacked; a double click on its bar (or a command) flips the
// layout, and each layout keeps the split it had when it was last left.

#include <QSplitter>

#include <functional>

#include "SplitterSizes.h"

namespace kfm::ui {

// Window-frame sizes the pane sizes are computed with.
struct PaneMetrics {
    int arrowWidth = 21; // the width of a scroll-bar arrow
    int frameWidth = 4;  // a sizing frame
    int borderWidth = 1; // a border line
};
PaneMetrics CurrentPaneMetrics(const QWidget* widget);

class CFlatSplitterWnd : public QSplitter {
    Q_OBJECT
public:
    explicit CFlatSplitterWnd(QWidget* parent = nullptr);
    int GetSplitterGap() const { return handleWidth(); }

protected:
    QSplitterHandle* createHandle() override;
};

class CToggleSplitterWnd : public QSplitter {
    Q_OBJECT
public:
    explicit CToggleSplitterWnd(QWidget* parent = nullptr);

    // Stacked: the strip above the canvas (2 rows); else side by side (2 columns). The strip is
    // always the first pane.
    bool IsStacked() const { return orientation() == Qt::Vertical; }
    // Sets a layout without keeping the current split (at creation).
    void SetStacked(bool stacked);
    // The total size the two panes share (the splitter's own size, kept as it changes).
    void SetPaneSizes(int cx, int cy) { total_ = SIZE{cx, cy}; }
    SIZE PaneTotal() const { return total_; }
    // Keeps the current split, flips the layout and applies the new layout's split.
    void ToggleOrientation();
    // The two pane sizes of a layout from the total size and that layout's saved split.
    kfm::shell::PaneSizes CalcPaneSizes(bool stacked) const;
    // The strip's size across the split: its column width side by side, its row height stacked.
    int FirstPaneSize() const;
    void SetFirstPaneSize(int size);
    // The strip's height in the stacked layout (stored as "ToggleBarHorizontalSize").
    int GetStripPaneSize() const;

    // Dragging the bar side by side: the release point, for thumbnails fitted to the strip.
    std::function<void(int releaseX)> stripBarReleased;
    bool StripResizing() const { return stripResize_; }

protected:
    QSplitterHandle* createHandle() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class ToggleHandle;
    void beginStripResize();
    void endStripResize(int releaseX);
    int stripSnapLimit() const;
    void saveCurrentSplit();

    SIZE total_{0, 0};
    SIZE savedSideBySide_{0, 0};
    SIZE savedStacked_{0, 0};
    bool stripResize_ = false;
};

} // namespace kfm::ui
