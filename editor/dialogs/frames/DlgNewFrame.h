#pragma once
// The new frame dialog: size, fill colour (an entry of the fine palette) and transparency of a
// blank frame, taken from the user's own values, the caller's or the animation's size.

#include "FinePaletteImage.h"
#include "FrameDialogParts.h"
#include "framework/ResourceDialog.h"

class QCheckBox;
class QComboBox;

namespace kfm::ui {
class CColorButton;
}

namespace kfm::dialogs {

struct NewFrameValues {
    int width = 1;
    int height = 1;
    COLORREF colour = 0;
    int index = 0;
    bool transparent = false;
};

class CDlgNewFrame : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kSource = 10526,
        kWidth = 10150,
        kWidthSpin = 10151,
        kHeight = 10142,
        kHeightSpin = 10143,
        kColour = 10141,
        kTransparent = 10149,
    };
    // The sources of the values in the combo.
    enum Source : int { kCustom = 0, kCaller = 1, kAnimation = 2 };

    // caller: the values the command offers (a side below 1 becomes the animation's); custom:
    // the user's own stored values; source: the combo's choice at the start.
    CDlgNewFrame(QWidget* parent, const NewFrameValues& caller, const NewFrameValues& custom,
                 int source);

    // After OK: the values shown and the source chosen.
    NewFrameValues Result() const { return result_; }
    int ResultSource() const { return resultSource_; }
    // The user's own values as they stand (kept when another source is chosen).
    const NewFrameValues& CustomValues() const { return custom_; }
    void SetPaletteChooser(PaletteChooser chooser) { chooser_ = std::move(chooser); }

public slots:
    void accept() override;

private:
    NewFrameValues shown() const;
    void show(const NewFrameValues& values, bool withColour);
    void setColour(COLORREF colour, int index);
    void sourceChanged(int source);
    void chooseColour();

    NewFrameValues caller_;
    NewFrameValues custom_;
    int source_;
    ScopedImage colourImage_;
    QComboBox* sources_;
    NumberField width_;
    NumberField height_;
    kfm::ui::CColorButton* colour_;
    QCheckBox* transparent_;
    PaletteChooser chooser_ = ChooseWithPaletteDialog;
    NewFrameValues result_;
    int resultSource_ = 0;
};

} // namespace kfm::dialogs
