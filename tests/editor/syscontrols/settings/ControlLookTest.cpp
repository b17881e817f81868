// The look worked out from the settings: a table of settings and what the live control must
// show, hostile index words included (they select nothing rather than index past a table).

#include "ControlLook.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace kfm::syscontrols;
namespace w = word;

struct LookCase {
    const char* name;
    int type;
    std::function<void(SysControlSettings&)> set;
    std::function<void(const ControlLook&)> check;
};

const std::vector<std::string> kItems = {"one", "two", "three"};

void expectLook(const LookCase& c) {
    SCOPED_TRACE(c.name);
    SysControlSettings s;
    s[w::Type] = c.type;
    s[w::Width] = 80;
    s[w::Height] = 30;
    s.Text = "Text";
    s.Caption = "Caption";
    if (c.set)
        c.set(s);
    const ControlLook look = LookFromSettings(s, kItems);
    c.check(look);
}

TEST(ControlLookTest, SettingsToLookTable) {
    const LookCase cases[] = {
        {"general edges", PushButton,
         [](auto& s) {
             s[w::GeneralClientEdge] = 1;
             s[w::GeneralStaticEdge] = 256;
             s[w::GeneralModalFrame] = 1;
             s[w::GeneralDisabled] = 1;
             s[w::GeneralSetFocus] = 1;
         },
         [](const ControlLook& l) {
             EXPECT_EQ(l.type, PushButton);
             EXPECT_EQ(l.width, 80);
             EXPECT_TRUE(l.clientEdge && l.staticEdge && l.modalFrame && l.disabled && l.focus);
             EXPECT_TRUE(l.items.empty()) << "only the list types take items";
         }},
        {"push button", PushButton,
         [](auto& s) {
             s[w::PBPush] = 1;
             s[w::PBDefPush] = 1;
             s[w::PBMultiline] = 1;
         },
         [](const ControlLook& l) {
             EXPECT_TRUE(l.pushed && l.isDefault && l.multiline && !l.flat);
         }},
        {"check box", CheckBox, [](auto& s) { s[w::HBLeftText] = 1; },
         [](const ControlLook& l) { EXPECT_TRUE(l.leftText && !l.checked); }},
        {"static sunken", StaticText,
         [](auto& s) {
             s[w::STSunken] = 1;
             s[w::STAlign] = 7;
         },
         [](const ControlLook& l) {
             EXPECT_TRUE(l.sunken && l.staticEdge);
             EXPECT_EQ(l.align, 0) << "an unknown alignment is the first";
         }},
        {"edit spin", EditBox,
         [](auto& s) {
             s[w::EBSpin] = 1;
             s[w::EBSpinOrient] = 0;
             s[w::EBSpinAlign] = 0;
         },
         [](const ControlLook& l) {
             EXPECT_TRUE(l.spin && l.clientEdge && l.spinHorizontal && l.spinLeft);
         }},
        {"list third item", ListBox, [](auto& s) { s[w::LBCurSel] = 2; },
         [](const ControlLook& l) {
             EXPECT_EQ(l.items, kItems);
             EXPECT_EQ(l.selection, 2);
             EXPECT_TRUE(l.integralHeight);
         }},
        {"list selection beyond the items", ListBox,
         [](auto& s) {
             s[w::LBCurSel] = 3;
             s[w::LBExtendedSel] = 1;
         },
         [](const ControlLook& l) { EXPECT_EQ(l.selection, -1); }},
        {"list without integral height drops its scroll bars", ListBox,
         [](auto& s) {
             s[w::LBNoIntegralHeight] = 1;
             s[w::LBVScrollBar] = 1;
         },
         [](const ControlLook& l) { EXPECT_FALSE(l.vScroll || l.integralHeight); }},
        {"combo", ComboBox,
         [](auto& s) {
             s[w::CBType] = 5;
             s[w::CBCurSel] = -7;
             s[w::GeneralClientEdge] = 1;
         },
         [](const ControlLook& l) {
             EXPECT_EQ(l.comboKind, 0);
             EXPECT_EQ(l.selection, -1);
             EXPECT_FALSE(l.clientEdge) << "the combo box draws its own edge";
         }},
        {"scroll bar", VScrollBar,
         [](auto& s) {
             s[w::SBVMaxScrollPos] = 20;
             s[w::SBVPageSize] = -3;
             s[w::SBVScrollPos] = 4;
         },
         [](const ControlLook& l) {
             EXPECT_TRUE(l.vertical);
             EXPECT_EQ(l.maximum, 20);
             EXPECT_EQ(l.page, 0);
             EXPECT_EQ(l.position, 4);
         }},
        {"progress", Progress,
         [](auto& s) {
             s[w::PRPos] = 150;
             s[w::GeneralClientEdge] = 1;
         },
         [](const ControlLook& l) {
             EXPECT_EQ(l.position, 100);
             EXPECT_FALSE(l.clientEdge) << "no general edges on a progress bar";
         }},
        {"slider", Slider,
         [](auto& s) {
             s[w::SLOrientation] = 1;
             s[w::SLPoint] = 1;
             s[w::SLRange] = 50;
             s[w::SLPos] = 80;
             s[w::SLTickFreq] = 0;
             s[w::SLStartSel] = 10;
             s[w::SLEndSel] = 70;
         },
         [](const ControlLook& l) {
             EXPECT_TRUE(l.vertical);
             EXPECT_EQ(l.tickSide, 1);
             EXPECT_EQ(l.maximum, 50);
             EXPECT_EQ(l.position, 50);
             EXPECT_EQ(l.tickFrequency, 1);
             EXPECT_EQ(l.selectionEnd, 70) << "the stored selection is not clamped";
         }},
        {"tab hot and highlighted", Tab,
         [](auto& s) {
             s[w::TCHotTrack] = 1;
             s[w::TCHotItem] = 2;
             s[w::TCHighlight] = 1;
             s[w::TCHighlightItem] = 1;
             s[w::TCCurSel] = 0;
         },
         [](const ControlLook& l) {
             EXPECT_EQ(l.hotTab, 1);
             EXPECT_EQ(l.highlightTab, 0);
             EXPECT_EQ(l.selection, 0);
         }},
        {"tab numbers beyond the tabs", Tab,
         [](auto& s) {
             s[w::TCHotTrack] = 1;
             s[w::TCHotItem] = 4;
             s[w::TCHighlight] = 1;
             s[w::TCHighlightItem] = -2147483647 - 1;
         },
         [](const ControlLook& l) {
             EXPECT_EQ(l.hotTab, -1);
             EXPECT_EQ(l.highlightTab, -1);
         }},
        {"tab numbers without their flags", Tab, [](auto& s) { s[w::TCHotItem] = 2; },
         [](const ControlLook& l) { EXPECT_EQ(l.hotTab, -1); }},
        {"date", DateTime,
         [](auto& s) {
             s[w::DTFormat] = 2;
             s[w::DTYear] = 2004;
             s[w::DTMonth] = 2;
             s[w::DTDay] = 29;
             s[w::DTHour] = 23;
             s[w::DTMinute] = 59;
             s[w::DTSecond] = 59;
         },
         [](const ControlLook& l) {
             EXPECT_EQ(l.dateFormat, 2);
             ASSERT_TRUE(l.date && l.time);
             EXPECT_EQ(*l.date, (CalendarDate{2004, 2, 29}));
             EXPECT_EQ(*l.time, (ClockTime{23, 59, 59}));
         }},
        {"impossible date and time", DateTime,
         [](auto& s) {
             s[w::DTYear] = 2003;
             s[w::DTMonth] = 2;
             s[w::DTDay] = 29;
             s[w::DTHour] = 24;
         },
         [](const ControlLook& l) { EXPECT_FALSE(l.date || l.time); }},
        {"calendar month 0", MonthCalendar,
         [](auto& s) {
             s[w::MCYear] = 2000;
             s[w::MCMonth] = 0;
             s[w::MCDay] = 1;
             s[w::MCSelYear] = 2000;
             s[w::MCSelMonth] = 12;
             s[w::MCSelDay] = 31;
         },
         [](const ControlLook& l) {
             EXPECT_FALSE(l.today);
             ASSERT_TRUE(l.selectedDate);
             EXPECT_EQ(l.selectedDate->day, 31);
         }},
        {"dialog", Dialog,
         [](auto& s) {
             s[w::DlgCaption] = 1;
             s[w::DlgToolWindow] = 1;
         },
         [](const ControlLook& l) { EXPECT_TRUE(l.hasCaption && l.toolWindow && !l.sysMenu); }},
        {"message box", MessageBox,
         [](auto& s) {
             s[w::MBButtons] = 4;
             s[w::MBDefButton] = 2;
             s[w::MBIcon] = 3;
         },
         [](const ControlLook& l) {
             EXPECT_EQ(l.buttons, (std::vector<int>{ButtonYes, ButtonNo, ButtonCancel}));
             EXPECT_EQ(l.defaultButton, 2);
             EXPECT_EQ(l.icon, 3);
             EXPECT_EQ(l.caption, "Caption") << "the message";
             EXPECT_EQ(l.text, "Text") << "the title";
         }},
        {"message box default beyond the set", MessageBox,
         [](auto& s) {
             s[w::MBButtons] = 0;
             s[w::MBDefButton] = 2;
         },
         [](const ControlLook& l) {
             EXPECT_EQ(l.buttons.size(), 1u);
             EXPECT_EQ(l.defaultButton, 0);
         }},
        {"message box beyond the tables", MessageBox,
         [](auto& s) {
             s[w::MBButtons] = 6;
             s[w::MBIcon] = 4;
         },
         [](const ControlLook& l) {
             EXPECT_TRUE(l.buttons.empty());
             EXPECT_EQ(l.icon, -1);
         }},
        {"icon beyond the set", Icon, [](auto& s) { s[w::ICType] = 4; },
         [](const ControlLook& l) { EXPECT_EQ(l.icon, -1); }},
        {"icon sunken", Icon,
         [](auto& s) {
             s[w::ICType] = 3;
             s[w::ICSunken] = 1;
             s[w::ICBorder] = 1;
         },
         [](const ControlLook& l) {
             EXPECT_EQ(l.icon, 3);
             EXPECT_TRUE(l.sunken && l.staticEdge && l.border);
         }},
    };
    for (const LookCase& c : cases)
        expectLook(c);
}

TEST(ControlLookTest, TypesThatMakeNoControlGiveAnEmptyLook) {
    for (const int type : {0, int{IPAddress}, 21, -1, 2147483647}) {
        SysControlSettings s;
        s[w::Type] = type;
        s[w::Width] = 10;
        EXPECT_EQ(LookFromSettings(s, kItems), ControlLook{}) << type;
    }
}

TEST(ControlLookTest, ButtonSetsAndDates) {
    EXPECT_EQ(MessageBoxButtons(2), (std::vector<int>{ButtonRetryOfSet2, ButtonCancel}));
    EXPECT_EQ(MessageBoxButtons(5), (std::vector<int>{ButtonAbort, ButtonRetry, ButtonIgnore}));
    EXPECT_TRUE(MessageBoxButtons(-1).empty());
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
    EXPECT_FALSE(IsValidDate(1900, 2, 29));
    EXPECT_FALSE(IsValidDate(2000, 13, 1));
    EXPECT_FALSE(IsValidDate(2000, 1, 32));
    EXPECT_FALSE(IsValidDate(10000, 1, 1));
    EXPECT_TRUE(IsValidTime(0, 0, 0));
    EXPECT_FALSE(IsValidTime(0, 60, 0));
}

} // namespace
