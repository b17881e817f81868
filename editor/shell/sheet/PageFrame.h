#pragma once
// The frame page: position, delay, disposal, transparency mode and colour, graded alpha value,
// name and two flags of the selected frames, with their size and kind shown. With one frame
// selected it shows that frame; with several it shows what they share and applies an edit to
// all of them. Every edit is one undo step, except the two flag checks.

#include <functional>
#include <span>

#include "PageParts.h"
#include "SheetEdits.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kfm::ui {

class CColorButton;
class CGIFSheet;

class CPageFrame : public ResourcePage {
    Q_OBJECT
public:
    static constexpr int kName = 10475;
    static constexpr int kAlwaysShown = 10476;
    static constexpr int kDelay = 10478;
    static constexpr int kDelaySpin = 10479;
    static constexpr int kHeightText = 10480;
    static constexpr int kLeft = 10481;
    static constexpr int kLeftSpin = 10482;
    static constexpr int kLocked = 10483;
    static constexpr int kDisposal = 10484;
    static constexpr int kTop = 10493;
    static constexpr int kTopSpin = 10494;
    static constexpr int kAlpha = 10495;
    static constexpr int kAlphaSpin = 10496;
    static constexpr int kTransparency = 10498;
    static constexpr int kTransparentColour = 10499;
    static constexpr int kPickColour = 10500;
    static constexpr int kKindText = 10502;
    static constexpr int kWidthText = 10503;
    // The labels of the alpha field.
    static constexpr int kAlphaLabel = 10497;

    explicit CPageFrame(CGIFSheet& sheet, QWidget* parent = nullptr);

    void ShowFrame(const CObjFrame* frame);
    void ShowFrames(std::span<const int> selected, const CObjFrame* current);
    void SetControlsEnabled(bool enable, int count, bool any24);
    void EnableControls(bool enable);
    void RefreshEnabling();
    void SetPosition(int x, int y);
    void ShowTransparentColor(const CObjFrame* frame);
    // The position fields' limits from the canvas's move limits (the upper ones 9999 with the
    // elastic size).
    void RefreshLimits();
    // The upper limit of the X (horizontal) or Y position.
    int PositionLimit(bool horizontal) const;
    // The position fields show where the selection is now.
    void ShowPositionOfSelection();

    const NumericField& LeftField() const { return left_; }
    const NumericField& TopField() const { return top_; }
    const NumericField& DelayField() const { return delay_; }
    const NumericField& AlphaField() const { return alpha_; }
    bool LockedChecked() const;

    // Runs the palette image dialog on a frame in its transparent-colour mode; true on OK.
    // Tests replace it.
    using ColourPicker = std::function<bool(CObjFrame& frame, QWidget* parent)>;
    void SetColourPicker(ColourPicker picker) { pickColour_ = std::move(picker); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    bool editsAllowed() const;
    bool userCommit() const;
    void onPositionCommitted(bool horizontal);
    void onDelayCommitted();
    void onAlphaCommitted();
    void onDisposalChosen(int item);
    void onModeChosen(int mode);
    void onNameChanged();
    void onFlagClicked(QCheckBox* check, int property);
    void onPickColour();
    void showAgain();
    void redrawChanged(bool canvasOnly);
    void showFlag(QCheckBox* check, bool shared, int value);
    void setKindText(UINT id);

    CGIFSheet& sheet_;
    TypingWatcher* watcher_;
    NumericField left_;
    NumericField top_;
    NumericField delay_;
    NumericField alpha_;
    QComboBox* disposal_ = nullptr;
    QComboBox* mode_ = nullptr;
    QPushButton* pick_ = nullptr;
    CColorButton* colour_ = nullptr;
    QLineEdit* name_ = nullptr;
    QCheckBox* alwaysShown_ = nullptr;
    QCheckBox* locked_ = nullptr;
    QLabel* width_ = nullptr;
    QLabel* height_ = nullptr;
    QLabel* kind_ = nullptr;
    bool updating_ = false;
    bool previewing_ = false;
    bool enabled_ = false;
    int count_ = 0;
    bool any24_ = false;
    bool nameStepPending_ = false;
    bool nameStepOpen_ = false;
    ColourPicker pickColour_;
};

} // namespace kfm::ui
