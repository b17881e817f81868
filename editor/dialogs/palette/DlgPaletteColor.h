#pragma once
// The palette colour dialog: the user chooses one entry of an 8-bit image's colour table in the
// palette grid and may change its colour with the colour chooser. The image's table changes in
// place; Cancel puts back the colour of the entry the dialog started with (changes at other
// entries stay) and the chosen index it started with.

#include "PaletteDialogParts.h"
#include "framework/ResourceDialog.h"

namespace kfm::ui {
class CColorButton;
class CColorSwatch;
} // namespace kfm::ui

namespace kfm::dialogs {

class CPaletteGridWnd;
class EntryFields;

class CDlgPaletteColor : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    // Control ids of the template.
    enum Control : int {
        kColourButton = 10177,
        kSwatch = 10185,
        kGrid = 10181,
        kChosenIndex = 10179,
        kChosenRed = 10180,
        kChosenGreen = 10178,
        kChosenBlue = 10176,
        kHoverIndex = 10187,
        kHoverRed = 10188,
        kHoverGreen = 10186,
        kHoverBlue = 10184,
        kUsedCount = 10183,
        kTableCount = 10182,
    };

    // The image is not owned; index is the entry chosen at the start (-1: none).
    CDlgPaletteColor(QWidget* parent, KpxHandle image, int index);
    ~CDlgPaletteColor() override;

    int GetIndex() const { return chosen_; }
    void SetColourChooser(ColourChooser chooser) { chooser_ = std::move(chooser); }

    CPaletteGridWnd* Grid() const { return grid_; }
    kfm::ui::CColorButton* ColourButton() const { return button_; }

public slots:
    void reject() override;

private:
    void choose(int index);
    void showHover(int index, bool overCell, unsigned colour);
    void editColour();
    void showChosen();

    KpxHandle image_;
    int chosen_;
    const int initialIndex_;
    const COLORREF initialColour_;
    ColourChooser chooser_ = ChooseColourWithDialog;
    CPaletteGridWnd* grid_;
    kfm::ui::CColorButton* button_;
    kfm::ui::CColorSwatch* swatch_;
    std::unique_ptr<EntryFields> chosenFields_;
    std::unique_ptr<EntryFields> hoverFields_;
};

} // namespace kfm::dialogs
