#pragma once
// The vector size dialog: the pixel size at which a drawing being inserted, imported or pasted
// is rendered, keeping its proportions or not, with or without anti-aliasing.

#include "FrameDialogParts.h"
#include "framework/ResourceDialog.h"

class QCheckBox;
class QLabel;

namespace kfm::dialogs {

class ProportionalSize;

class CDlgSizeVector : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kWidth = 10406,
        kWidthSpin = 10407,
        kHeight = 10403,
        kHeightSpin = 10404,
        kProportions = 10405,
        kAntialias = 10400,
        kPicture = 10401,
        kText = 10402,
    };

    // The rectangle (edges included) gives only the drawing's proportions; text is shown above
    // the fields.
    CDlgSizeVector(QWidget* parent, int left, int top, int right, int bottom, const QString& text);

    // After OK: (0, 0, width - 1, height - 1).
    void GetRect(RECT& out) const { out = result_; }
    int GetAntialiasing() const;

public slots:
    void accept() override;

private:
    NumberField width_;
    NumberField height_;
    QCheckBox* proportions_;
    QCheckBox* antialias_;
    ProportionalSize* size_;
    RECT result_{0, 0, 0, 0};
};

} // namespace kfm::dialogs
