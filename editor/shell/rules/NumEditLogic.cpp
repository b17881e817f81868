#include "NumEditLogic.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace kfm::shell {

int NumEditLogic::ParseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1; // held: more digits change nothing
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

bool NumEditLogic::SetAutoApply(bool on) {
    const bool previous = autoApply_;
    autoApply_ = on;
    return previous;
}

void NumEditLogic::SuspendAutoApply() {
    if (!autoApply_)
        return;
    savedAutoApply_ = true;
    autoApply_ = false;
}

bool NumEditLogic::ResumeAutoApply() {
    autoApply_ = savedAutoApply_;
    return autoApply_;
}

void NumEditLogic::SetRange(int minimum, int maximum, NumEditField& field) {
    // Only the 16-bit limits themselves mean "no bound"; bounds past them (a loop count's 65535)
    // are bounds like any other.
    if (minimum > kNoLowerBound + 1 || minimum < kNoLowerBound)
        minimum_ = minimum;
    if (maximum < kNoUpperBound - 1 || maximum > kNoUpperBound)
        maximum_ = maximum;
    if (timerRunning_)
        Validate(field, false);
}

void NumEditLogic::Validate(NumEditField& field, bool rewrite) {
    const bool savedAutoApply = autoApply_;
    autoApply_ = false;
    if (mode_ == Integer) {
        const int typed = ParseInt(field.text);
        const int clamped = std::clamp(typed, std::min(minimum_, maximum_), maximum_);
        if (!rewrite) {
            changed_ = clamped != lastValue_ ? 1 : 0;
            lastValue_ = clamped;
        } else if (clamped != typed) {
            field.text = std::to_string(clamped);
            field.selectionStart = 0;
            field.selectionEnd = static_cast<int>(field.text.size());
        }
    } else if (!rewrite) {
        changed_ = field.text != text_ ? 1 : 0;
        text_ = field.text;
    }
    autoApply_ = savedAutoApply;
}

void NumEditLogic::remember(const NumEditField& field) {
    if (mode_ == Integer)
        lastValue_ = ParseInt(field.text);
    else
        text_ = field.text;
}

NumEditActions NumEditLogic::notify(const NumEditField& field) {
    changed_ = 0;
    remember(field);
    NumEditActions actions;
    actions.notify = true;
    return actions;
}

NumEditActions NumEditLogic::OnTextChanged(NumEditField& field) {
    Validate(field, false);
    // The unclamped value: a following rewrite compares against what was typed.
    remember(field);
    NumEditActions actions;
    if (autoApply_) {
        timerRunning_ = true;
        actions.restartTimer = true;
    }
    return actions;
}

NumEditActions NumEditLogic::OnTimer(NumEditField& field) {
    timerRunning_ = false;
    Validate(field, true);
    NumEditActions actions = changed_ == 1 ? notify(field) : NumEditActions{};
    actions.stopTimer = true;
    return actions;
}

NumEditActions NumEditLogic::OnKillFocus(NumEditField& field) {
    Validate(field, true);
    const bool stop = timerRunning_;
    timerRunning_ = false;
    NumEditActions actions = changed_ == 1 ? notify(field) : NumEditActions{};
    actions.stopTimer = stop;
    return actions;
}

NumEditActions NumEditLogic::OnEnter(NumEditField& field) {
    const bool stop = timerRunning_;
    timerRunning_ = false;
    Validate(field, true);
    NumEditActions actions = notify(field);
    actions.stopTimer = stop;
    return actions;
}

void NumEditLogic::OnSetFocus(const NumEditField& field) {
    if (autoApply_)
        return;
    changed_ = 0;
    remember(field);
}

} // namespace kfm::shell
