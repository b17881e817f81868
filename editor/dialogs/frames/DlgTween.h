#pragma once
// The tween dialog: the user picks frames A and B, how many frames to make and where they go,
// and OK makes them in the current animation (see Tween.h). It stays open with a message when
// the choice makes no frames; the settings are stored whenever it closes, Cancel included.

#include "FrameDialogMessages.h"
#include "Tween.h"
#include "framework/ResourceDialog.h"

#include "FrameDialogParts.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace kfm::dialogs {

class CDlgTween : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kFirst = 10570,
        kFirstSpin = 10571,
        kSecond = 10563,
        kSecondSpin = 10564,
        kCount = 10567,
        kCountSpin = 10568,
        kDelay = 10561,
        kDelaySpin = 10562,
        kPictures = 10565,
        kPosition = 10569,
        kTransparency = 10572,
        kInsert = 10566,
        kUpdateBetween = 10573,
        kUpdateSelected = 10574,
    };

    // first and second are frame numbers counted from 1.
    CDlgTween(QWidget* parent, int first, int second);

    // The request that the controls describe (frames counted from 0).
    kfm::model::TweenRequest Request() const;
    void SetMessageSink(MessageSink sink) { message_ = std::move(sink); }

public slots:
    void accept() override;
    void done(int result) override;

private:
    void readSettings();
    void writeSettings() const;
    void enableByTransparency();
    kfm::model::TweenPlacement placement() const;

    NumberField first_;
    NumberField second_;
    NumberField count_;
    NumberField delay_;
    QComboBox* pictures_;
    QCheckBox* position_;
    QCheckBox* transparency_;
    QRadioButton* insert_;
    QRadioButton* updateBetween_;
    QRadioButton* updateSelected_;
    MessageSink message_ = ShowWarning;
    bool settingsWritten_ = false;
};

} // namespace kfm::dialogs
