#pragma once
// The live tab control: a strip of tabs over a raised panel, drawn the classic way with what
// Qt's tab bar cannot do: rows of tabs (stretched to the width unless ragged), tabs of one
// width, tabs below the panel or down its left side, tabs as push buttons, the hot tab's text
// and the highlighted tab. A click on a tab selects it.

#include <QRect>
#include <QWidget>

#include <functional>
#include <vector>

#include "ControlLook.h"

namespace kfm::syscontrols {

// Where each tab stands in a strip laid out along the top of a width x height area (the left
// side of a vertical control is laid out as the top of its transposed area).
struct TabStrip {
    std::vector<QRect> tabs; // in item order; the selected one not yet enlarged
    int rows = 0;
    int stripHeight = 0; // the band the rows take
};
// textWidths: each tab's text width; the tab adds its padding. With multiline the tabs wrap
// into rows (stretched to the full width unless ragged) and the row of the selected tab comes
// next to the panel.
TabStrip LayOutTabs(const std::vector<int>& textWidths, int width, int tabHeight, bool multiline,
                    bool fixedWidth, bool ragged, bool buttons, int selected);

class CSysControlTab : public QWidget {
public:
    using SelectionChanged = std::function<void(int index)>;

    CSysControlTab(const ControlLook& look, QWidget* parent);
    void OnSelectionChanged(SelectionChanged report) { report_ = std::move(report); }
    int CurrentIndex() const { return selected_; }
    const std::vector<std::string>& Items() const { return items_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TabStrip strip() const;
    // The tab rectangles in widget coordinates.
    std::vector<QRect> placedTabs(const TabStrip& strip) const;
    QRect panelRect(const TabStrip& strip) const;
    void drawTab(QPainter& painter, const QRect& tab, int index) const;
    void drawLabel(QPainter& painter, const QRect& tab, int index) const;

    std::vector<std::string> items_;
    int selected_;
    int hot_;
    int highlighted_;
    bool buttons_;
    bool multiline_;
    bool bottom_;
    bool vertical_;
    bool fixedWidth_;
    bool ragged_;
    bool focus_;
    SelectionChanged report_;
};

} // namespace kfm::syscontrols
