#pragma once
// What the AVI and FLIC import dialogs share: the preview with its transport buttons and
// position slider (the chosen range painted as a band on it), the start, count and divisor
// edits, the position, time and length texts, the all-frames and merge checks, and the 200 ms
// timer that follows the preview's position. The two dialogs differ in their template, their
// control ids, their preview and the sound check only the AVI dialog has.
//
// The range counts start .. start + count - 1 in both dialogs, and its length text counts both
// ends.

#include <QSlider>

#include <memory>

#include "ClipRange.h"
#include "framework/ResourceDialog.h"

class QAbstractButton;
class QCheckBox;
class QGridLayout;
class QLabel;

namespace kfm::ui {
class CNumEdit;
class CUpDown;
} // namespace kfm::ui

namespace kfm::dialogs {

class ClipPreview;

// The choices the dialogs show at the start and hand back on OK (frames counted from 1; a
// count of -1 means the caller has none yet).
struct ClipChoiceValues {
    bool loop = false;
    bool sound = false;
    int start = 1;
    int count = -1;
    bool allFrames = false;
    int divisor = 1;
    bool merge = false;
};

// The control ids of one of the two templates.
struct ClipDialogIds {
    int start, startSpin, count, countSpin, divisor, divisorSpin;
    int slider, position, positionTime, rangeStartTime, rangeLength;
    int clipFrames, clipLength, limitText, previewHost;
    int rangeStartLabel, rangeCountLabel;
    int sound; // 0: none
    int merge, allFrames, loop;
    bool loopIsButton; // the AVI dialog's loop toggle is a transport button, the FLIC's a check
    int play, stop, toStart, previous, next, toEnd, playRange, setRangeStart, setRangeEnd;
};

// The position slider: 1..clip frames, with the chosen range painted as a band under the
// groove.
class RangeSlider : public QSlider {
    Q_OBJECT
public:
    explicit RangeSlider(QWidget* parent = nullptr);
    void SetSelection(int first, int last);
    int SelectionStart() const { return first_; }
    int SelectionEnd() const { return last_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int first_ = 0;
    int last_ = 0;
};

class ClipFilterDialog : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    // Milliseconds between two looks at the preview's position.
    static constexpr int kPositionTimerMs = 200;

    // preview is an opened clip, taken over by the dialog; limit is the import limit.
    ClipFilterDialog(QWidget* parent, UINT templateId, const ClipDialogIds& ids,
                     ClipPreview* preview, const QString& path, int limit,
                     const ClipChoiceValues& values);
    ~ClipFilterDialog() override;

    // The smaller of the clip's frame count and the import limit.
    int GetFrameCount() const;
    // The choices on OK (before: the values shown).
    const ClipChoiceValues& Values() const { return values_; }
    const ClipRange& Range() const { return range_; }
    ClipPreview* Preview() const { return preview_; }
    RangeSlider* Slider() const { return slider_; }
    const ClipDialogIds& Ids() const { return ids_; }
    // Reads the preview's position now, as the timer does.
    void FollowPosition();

public slots:
    void accept() override;
    void reject() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void buildControls(const QString& path);
    QWidget* buildTransport();
    QAbstractButton* transportButton(int id, int icon, UINT tip, QWidget* parent);
    // An edit with its up-down and caption in a row of the grid; the up-down goes to spin.
    kfm::ui::CNumEdit* numberField(int id, int spinId, int maximum, QGridLayout* grid, int row,
                                   kfm::ui::CUpDown*& spin);
    void connectControls();
    void showRange();
    void showPosition(int position, bool force);
    void showTimes(bool force);
    void enableControls();
    void startEdited();
    void countEdited();
    void sliderMoved(int value);
    void playRange();
    void setRangeStart();
    void setRangeEnd();
    void play();
    QLabel* label(int id) const;

    const ClipDialogIds ids_;
    ClipPreview* preview_;
    ClipRange range_;
    ClipChoiceValues values_;
    RangeSlider* slider_ = nullptr;
    kfm::ui::CNumEdit* startEdit_ = nullptr;
    kfm::ui::CNumEdit* countEdit_ = nullptr;
    kfm::ui::CNumEdit* divisorEdit_ = nullptr;
    kfm::ui::CUpDown* startSpin_ = nullptr;
    kfm::ui::CUpDown* countSpin_ = nullptr;
    kfm::ui::CUpDown* divisorSpin_ = nullptr;
    QCheckBox* allFrames_ = nullptr;
    QAbstractButton* loop_ = nullptr;
    int shownPosition_ = -1;
    int shownSeconds_ = -1;
    int shownRangeSeconds_ = -1;
    int shownLengthSeconds_ = -1;
    bool updating_ = false;
    int timerId_ = 0;
};

} // namespace kfm::dialogs
