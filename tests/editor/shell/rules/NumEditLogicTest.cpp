// The numeric edit's logic: clamping, the changed flag, and when the parent is told.

#include "NumEditLogic.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using kfm::shell::NumEditActions;
using kfm::shell::NumEditField;
using kfm::shell::NumEditLogic;

// A field being typed into, counting the notifications and timer starts.
struct Typist {
    NumEditLogic logic;
    NumEditField field;
    int notified = 0;
    int timerStarts = 0;

    void apply(const NumEditActions& actions) {
        notified += actions.notify ? 1 : 0;
        timerStarts += actions.restartTimer ? 1 : 0;
    }
    void type(const std::string& text) {
        for (char ch : text) {
            field.text += ch;
            field.selectionStart = field.selectionEnd = static_cast<int>(field.text.size());
            apply(logic.OnTextChanged(field));
        }
    }
    void replace(const std::string& text) {
        field.text = text;
        apply(logic.OnTextChanged(field));
    }
    void enter() { apply(logic.OnEnter(field)); }
    void leave() { apply(logic.OnKillFocus(field)); }
    void timer() { apply(logic.OnTimer(field)); }
};

TEST(NumEditLogic, EnterClampsRewritesSelectsAndNotifiesOnce) {
    Typist t;
    t.logic.SetRange(0, 100, t.field);
    t.logic.OnSetFocus(t.field);
    t.type("250");
    EXPECT_EQ(t.notified, 0);
    t.enter();
    EXPECT_EQ(t.field.text, "100");
    EXPECT_EQ(t.field.selectionStart, 0);
    EXPECT_EQ(t.field.selectionEnd, 3);
    EXPECT_EQ(t.notified, 1);
    EXPECT_EQ(t.logic.LastValue(), 100);
}

TEST(NumEditLogic, EnterAlwaysNotifiesLeavingOnlyAfterAChange) {
    Typist t;
    t.field.text = "40";
    t.logic.OnSetFocus(t.field);
    t.leave();
    EXPECT_EQ(t.notified, 0);
    t.enter();
    EXPECT_EQ(t.notified, 1);
    t.logic.OnSetFocus(t.field);
    t.replace("41");
    t.leave();
    EXPECT_EQ(t.notified, 2);
}

TEST(NumEditLogic, AutoApplyNotifiesOnceAfterTheLastKeystroke) {
    Typist t;
    t.logic.SetAutoApply(true);
    t.type("123");
    EXPECT_EQ(t.timerStarts, 3);
    EXPECT_TRUE(t.logic.TimerRunning());
    EXPECT_EQ(t.notified, 0);
    t.timer();
    EXPECT_EQ(t.notified, 1);
    EXPECT_FALSE(t.logic.TimerRunning());
    // Without auto-apply typing starts no wait.
    Typist quiet;
    quiet.type("5");
    EXPECT_EQ(quiet.timerStarts, 0);
}

TEST(NumEditLogic, KeystrokesThatKeepTheNumberClearTheChangedFlag) {
    for (const std::string after : {"05", "5x"}) {
        SCOPED_TRACE(after);
        Typist t;
        t.logic.OnSetFocus(t.field);
        t.type("5");
        EXPECT_EQ(t.logic.Changed(), 1);
        t.replace(after);
        EXPECT_EQ(t.logic.Changed(), 0);
        t.leave();
        EXPECT_EQ(t.notified, 0);
    }
}

TEST(NumEditLogic, TextModeDoesNotClampAndFollowsTheLastKeystroke) {
    Typist t;
    t.logic.SetMode(NumEditLogic::Text);
    t.logic.SetRange(0, 5, t.field);
    t.type("hello 99");
    t.leave();
    EXPECT_EQ(t.field.text, "hello 99");
    EXPECT_EQ(t.notified, 1);
    t.replace("hello 99"); // the text again: no change
    t.leave();
    EXPECT_EQ(t.notified, 1);
}

TEST(NumEditLogic, RangeBoundsAtTheLimitsKeepThePreviousBounds) {
    struct Case {
        int minimum, maximum, expectMinimum, expectMaximum;
    };
    const Case cases[] = {{-32768, 32768, 10, 20},
                          {-32767, 32767, 10, 20},
                          {-32766, 32766, -32766, 32766},
                          {-5, 32768, -5, 20},
                          // Past 16 bits a bound is a bound (a loop count goes to 65535).
                          {1, 65535, 1, 65535},
                          {-40000, 32768, -40000, 20}};
    for (const Case& c : cases) {
        NumEditLogic logic;
        NumEditField field;
        logic.SetRange(10, 20, field);
        logic.SetRange(c.minimum, c.maximum, field);
        EXPECT_EQ(logic.Minimum(), c.expectMinimum) << c.minimum;
        EXPECT_EQ(logic.Maximum(), c.expectMaximum) << c.maximum;
    }
}

TEST(NumEditLogic, NewRangeWhileWaitingValidatesAtOnceWithoutRewriting) {
    Typist t;
    t.logic.SetAutoApply(true);
    t.type("90");
    t.logic.SetRange(0, 50, t.field);
    EXPECT_EQ(t.field.text, "90");
    EXPECT_EQ(t.logic.LastValue(), 50);
    t.timer();
    EXPECT_EQ(t.field.text, "50");
}

TEST(NumEditLogic, ParsesLikeAtoiWithoutOverflowing) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {{"  -12abc", -12},
                          {"+7", 7},
                          {"abc", 0},
                          {"", 0},
                          {"12 34", 12},
                          {"99999999999", INT_MAX},
                          {"-99999999999", INT_MIN},
                          {"-2147483648", INT_MIN}};
    for (const Case& c : cases)
        EXPECT_EQ(NumEditLogic::ParseInt(c.text), c.value) << c.text;
}

TEST(NumEditLogic, AnInvertedRangeHoldsToTheMaximum) {
    Typist t;
    t.logic.SetRange(10, 5, t.field);
    t.type("7");
    t.enter();
    EXPECT_EQ(t.field.text, "5");
}

} // namespace
