#pragma once
// The palette image dialog: works on a copy of one frame's 8-bit image, shown beside its palette
// grid. Mode 0 picks the frame's transparent colour (with an eyedropper in the image or the
// grid), may turn all pixels of an entry transparent and bring an entry's pixels back from the
// frame's image; OK writes the image and the transparent index into the frame. Mode 1 edits an
// entry's colour with the colour chooser; OK writes the image into the frame and keeps the
// choice of whether and how the other selected frames follow (registry "Dlgs\PaletteImage").
// Cancel leaves the frame unchanged.

#include <QObject>

#include "PaletteDialogParts.h"
#include "framework/ResourceDialog.h"

class CObjFrame;
class QAbstractButton;
class QCheckBox;
class QLabel;
class QRadioButton;
class QToolButton;

namespace kfm::ui {
class CColorButton;
class CColorSwatch;
} // namespace kfm::ui

namespace kfm::dialogs {

class CPaletteGridWnd;
class CPaletteImageWnd;
class EntryFields;

class CDlgPaletteImage : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Mode : int { kModeTransparentColour = 0, kModePaletteColour = 1 };
    // Control ids of the template.
    enum Control : int {
        kSwatch = 10169,
        kColourButton = 10153,
        kZoomOut = 10175,
        kZoom = 10174,
        kEyedropper = 10161,
        kMakeTransparent = 10163,
        kRestore = 10162,
        kApplySelection = 10157,
        kApplyLabel = 10158,
        kMethodIndex = 10159,
        kMethodColour = 10160,
        kImageWindow = 10173,
        kImageFrame = 10164,
        kGrid = 10167,
        kUsedCount = 10166,
        kTableCount = 10165,
        kChosenIndex = 10155,
        kChosenRed = 10156,
        kChosenGreen = 10154,
        kChosenBlue = 10152,
        kHoverIndex = 10171,
        kHoverRed = 10172,
        kHoverGreen = 10170,
        kHoverBlue = 10168,
        kReset = 10252,
    };

    // The frame is not owned; it changes only when the dialog is accepted.
    CDlgPaletteImage(QWidget* parent, CObjFrame* frame, int mode);
    ~CDlgPaletteImage() override;

    int GetApplySelection() const { return applySelection_ ? 1 : 0; }
    int GetApplyMethod() const { return method_ == 1 ? 1 : 2; }
    int ChosenIndex() const { return chosen_; }
    void SetColourChooser(ColourChooser chooser) { chooser_ = std::move(chooser); }

    CPaletteGridWnd* Grid() const { return grid_; }
    CPaletteImageWnd* ImageWindow() const { return imageWnd_; }
    kfm::ui::CColorButton* ColourButton() const { return button_; }
    KpxHandle WorkImage() const { return work_; }

public slots:
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void connectControls();
    void startOver();
    void showCounts();
    void showChosen();
    void applyMode();
    void readControls();
    void enableMethods();
    void choose(int index);
    void pick(int index);
    void showHover(int index, bool over, unsigned colour);
    void editColour();
    void onEyedropper();
    void onToggle(QToolButton* toggle, QToolButton* other, int tool);
    // Checks the button of the image window's tool: the zoom tool or the eyedropper.
    void showTool();
    void trackModifiers(QEvent* event);
    bool frameTransparent() const;

    CObjFrame* frame_;
    const int mode_;
    KpxHandle work_ = 0;
    int chosen_ = -1;
    bool applySelection_ = false;
    int method_ = 1;
    bool keyHeld_ = false;
    ColourChooser chooser_ = ChooseColourWithDialog;

    kfm::ui::CColorSwatch* swatch_ = nullptr;
    kfm::ui::CColorButton* button_ = nullptr;
    CPaletteImageWnd* imageWnd_ = nullptr;
    CPaletteGridWnd* grid_ = nullptr;
    QToolButton* zoomOut_ = nullptr;
    QToolButton* zoom_ = nullptr;
    QToolButton* eyedropper_ = nullptr;
    QToolButton* makeTransparent_ = nullptr;
    QToolButton* restore_ = nullptr;
    QCheckBox* apply_ = nullptr;
    QLabel* applyLabel_ = nullptr;
    QRadioButton* methodIndex_ = nullptr;
    QRadioButton* methodColour_ = nullptr;
    QLabel* usedCount_ = nullptr;
    QLabel* tableCount_ = nullptr;
    std::unique_ptr<EntryFields> chosenFields_;
    std::unique_ptr<EntryFields> hoverFields_;
};

} // namespace kfm::dialogs
