#pragma once
// The delays dialog: the selected frames' delays change by an amount each or by a percentage,
// and the dialog shows the new total.

#include "FrameDialogParts.h"
#include "framework/ResourceDialog.h"

class QLabel;
class QRadioButton;
class QSlider;

namespace kfm::dialogs {

class CDlgAdjustFrames : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kAmountMode = 10109,
        kPercentMode = 10110,
        kAmount = 10119,
        kAmountSpin = 10121,
        kPercent = 10106,
        kPercentSpin = 10107,
        kSlider = 10111,
        kChange = 10104,
        kChangeSpin = 10105,
        kResult = 10108,
        kAmountLabel = 10112,
        kPercentLabel = 10113,
        kPercentMinLabel = 10114,
        kPercentZeroLabel = 10115,
        kPercentMaxLabel = 10116,
        kChangeLabel = 10117,
    };

    // total is the selected frames' summed delay, count their number.
    CDlgAdjustFrames(QWidget* parent, int total, int count);

    // After OK: 0 amount, 1 percentage; the amount and the percentage.
    int GetMode() const { return resultMode_; }
    short GetValue() const { return resultAmount_; }
    short GetPercent() const { return resultPercent_; }
    // The total the dialog shows.
    QString ResultText() const;

public slots:
    void accept() override;

private:
    void setMode(int mode);
    void amountCommitted();
    void percentCommitted();
    void sliderMoved(int value);
    void changeCommitted();
    void showPercent(int percent);
    void showTotal(int total);

    int total_;
    int count_;
    int mode_ = 0;
    NumberField amount_;
    NumberField percent_;
    NumberField change_;
    QSlider* slider_;
    QLabel* result_;
    QRadioButton* amountMode_;
    QRadioButton* percentMode_;
    int resultMode_ = 0;
    short resultAmount_ = 0;
    short resultPercent_ = 0;
};

} // namespace kfm::dialogs
