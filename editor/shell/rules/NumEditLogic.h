#pragma once
// What the numeric edit field does, as plain state and functions free of widgets: keeping the
// value in its range, remembering whether an edit changed it, and deciding when the field tells
// its parent (Enter always; leaving the field or the auto-apply wait only after a change).
//
// The widget hands each event over with the field's text and selection (NumEditField) and
// carries out the answer: rewrite the text, restart or stop the 1000 ms timer, notify.

#include <string>
#include <string_view>

namespace kfm::shell {

// The edit's text and selection (character positions) as the logic sees and leaves them.
struct NumEditField {
    std::string text;
    int selectionStart = 0;
    int selectionEnd = 0;
};

struct NumEditActions {
    bool notify = false;       // tell the parent that the value was committed
    bool restartTimer = false; // (re)start the auto-apply wait
    bool stopTimer = false;
};

class NumEditLogic {
public:
    enum Mode { Integer = 1, Text = 2 };
    static constexpr int kNoLowerBound = -32768;
    static constexpr int kNoUpperBound = 32768;
    static constexpr int kAutoApplyMs = 1000;

    void SetMode(Mode mode) { mode_ = mode; }
    Mode GetMode() const { return mode_; }
    // Returns the previous flag.
    bool SetAutoApply(bool on);
    void SuspendAutoApply();
    bool ResumeAutoApply();
    bool AutoApply() const { return autoApply_; }
    // A bound of -32767 or -32768 (minimum), 32767 or 32768 (maximum) leaves that bound as it
    // was; bounds beyond 16 bits are kept as given.
    // While the timer runs, the field is validated at once without rewriting.
    void SetRange(int minimum, int maximum, NumEditField& field);
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }

    // Clamps (integer mode) and records whether the value changed; with rewrite, a value out of
    // range is written back clamped and selected whole.
    void Validate(NumEditField& field, bool rewrite);

    // The events of the field.
    NumEditActions OnTextChanged(NumEditField& field);
    NumEditActions OnTimer(NumEditField& field);
    NumEditActions OnKillFocus(NumEditField& field);
    NumEditActions OnEnter(NumEditField& field);
    void OnSetFocus(const NumEditField& field);

    // -1 not known yet, 1 the last edit changed the value, 0 it did not.
    int Changed() const { return changed_; }
    int LastValue() const { return lastValue_; }
    bool TimerRunning() const { return timerRunning_; }

    // The value of a text as the C library's atoi reads it (leading blanks, a sign, digits up to
    // the first other character), held to the int range instead of overflowing.
    static int ParseInt(std::string_view text);

private:
    NumEditActions notify(const NumEditField& field);
    void remember(const NumEditField& field);

    int minimum_ = kNoLowerBound;
    int maximum_ = kNoUpperBound;
    int lastValue_ = 0;
    int changed_ = -1;
    Mode mode_ = Integer;
    std::string text_;
    bool autoApply_ = false;
    bool savedAutoApply_ = false;
    bool timerRunning_ = false;
};

} // namespace kfm::shell
