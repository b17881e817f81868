#pragma once
// The options page: the program's display options of the strip and the canvas (animation
// background, the colour around the canvas, the transparency checkerboard's size and colours,
// three thumbnail and canvas options). They are settings of the section "Settings"; changes
// apply at once and are not undoable. The page's area also gives the sheet its size.

#include "PageParts.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace kfm::ui {

class CColorButton;
class CGIFSheet;

class CPageOption : public ResourcePage {
    Q_OBJECT
public:
    static constexpr int kAnimBackground = 10534;
    static constexpr int kThumbFrame = 10535;
    static constexpr int kThumbTransparency = 10536;
    static constexpr int kPageArea = 10538;
    static constexpr int kGridColour = 10539;
    static constexpr int kGridSize = 10540;
    static constexpr int kCanvasColour = 10541;
    static constexpr int kDefaults = 10542;
    static constexpr int kGridColourLabel = 10547;
    static constexpr int kThumbPosition = 10555;

    explicit CPageOption(CGIFSheet& sheet, QWidget* parent = nullptr);

    // Reads every setting into the controls.
    void Refresh();
    void UpdateGridEnabling();
    void EnableControls(bool enable);
    // The size of the page's area (control 10538).
    QSize AreaSize() const;

    // Runs the colour dialog for a start colour; the colour chosen, or the start on Cancel.
    // Tests replace it.
    using ColourChooser = std::function<COLORREF(COLORREF start, QWidget* parent)>;
    void SetColourChooser(ColourChooser chooser) { chooseColour_ = std::move(chooser); }

private:
    void build();
    void onThumbnailCheck(QCheckBox* check, int* setting);
    void onFrameOutlineCheck();
    void onGridSizeChosen(int item);
    void onGridColourChosen(int item);
    void onCanvasColour();
    void onBackgroundColour();
    void onDefaults();
    void repaintCanvas();
    void refreshDocumentViews();

    CGIFSheet& sheet_;
    CColorButton* background_ = nullptr;
    CColorButton* canvasColour_ = nullptr;
    QComboBox* gridSize_ = nullptr;
    QComboBox* gridColour_ = nullptr;
    QCheckBox* position_ = nullptr;
    QCheckBox* outline_ = nullptr;
    QCheckBox* transparency_ = nullptr;
    QPushButton* defaults_ = nullptr;
    QWidget* area_ = nullptr;
    bool previewing_ = false;
    ColourChooser chooseColour_;
};

} // namespace kfm::ui
