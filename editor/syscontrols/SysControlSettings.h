#pragma once
// The working record of the system-control dialog: 158 words holding one block of values for
// every control type at once, so that switching the type keeps what was set for the others.
// Words 5 and 6 are the two texts, kept beside the words as strings of code page 1252 bytes.
// A flag word counts as set when it is not zero; nothing here checks the ranges of the words.

#include <array>
#include <cstdint>
#include <string>

#include "SysControlTypes.h"

namespace kfm::syscontrols {

inline constexpr int kSettingsWordCount = 158;

// The words by their field names (the registry value names without "sc").
namespace word {
enum : int {
    Type = 0,
    Left = 1,
    Top = 2,
    Width = 3, // the current type's size, copied from and back to its own size words
    Height = 4,
    Text = 5,    // the string Text
    Caption = 6, // the string Caption
    GeneralClientEdge = 7,
    GeneralStaticEdge = 8,
    GeneralModalFrame = 9,
    GeneralDisabled = 10,
    GeneralSetFocus = 11,
    PBWidth = 12,
    PBHeight = 13,
    PBPush = 14,
    PBDefPush = 15,
    PBFlat = 16,
    PBMultiline = 17,
    RBWidth = 18,
    RBHeight = 19,
    RBCheck = 20,
    RBLeftText = 21,
    RBFlat = 22,
    RBMultiline = 23,
    HBWidth = 24,
    HBHeight = 25,
    HBCheck = 26,
    HBLeftText = 27,
    HBFlat = 28,
    HBMultiline = 29,
    GBWidth = 30,
    GBHeight = 31,
    GBAlign = 32,
    GBFlat = 33,
    STWidth = 34,
    STHeight = 35,
    STAlign = 36,
    STCenterVert = 37,
    STNoPrefix = 38,
    STNoWrap = 39,
    STSunken = 40,
    STBorder = 41,
    ICWidth = 42,
    ICHeight = 43,
    ICType = 44,
    ICCenter = 45,
    ICSunken = 46,
    ICBorder = 47,
    EBWidth = 48,
    EBHeight = 49,
    EBAlign = 50,
    EBMultiline = 51,
    EBHScrollBar = 52,
    EBVScrollBar = 53,
    EBLeftScrollBar = 54,
    EBSpin = 55,
    EBSpinOrient = 56,
    EBSpinAlign = 57,
    EBSpinSetBuddyInt = 58,
    EBSpinNoThousands = 59,
    LBWidth = 60,
    LBHeight = 61,
    LBColumnWidth = 62,
    LBCurSel = 63,
    LBSort = 64,
    LBExtendedSel = 65,
    LBMulticolumn = 66,
    LBHScrollBar = 67,
    LBVScrollBar = 68,
    LBLeftScrollBar = 69,
    LBDisableNoScroll = 70,
    LBNoIntegralHeight = 71,
    CBWidth = 72,
    CBHeight = 73,
    CBType = 74,
    CBCurSel = 75,
    CBSort = 76,
    CBDisableNoScroll = 77,
    CBLeftScrollBar = 78,
    CBVScrollBar = 79,
    CBNoIntegralHeight = 80,
    CBShowDropDown = 81,
    SBHWidth = 82,
    SBHHeight = 83,
    SBHScrollPos = 84,
    SBHMaxScrollPos = 85,
    SBHPageSize = 86,
    SBVWidth = 87,
    SBVHeight = 88,
    SBVScrollPos = 89,
    SBVMaxScrollPos = 90,
    SBVPageSize = 91,
    Reserved = 92,
    SPWidth = 93,
    SPHeight = 94,
    PRWidth = 95,
    PRHeight = 96,
    PRPos = 97,
    SLWidth = 98,
    SLHeight = 99,
    SLOrientation = 100,
    SLPoint = 101,
    SLTickMarks = 102,
    SLAutoTicks = 103,
    SLEnableSel = 104,
    SLBorder = 105,
    SLPos = 106,
    SLRange = 107,
    SLTickFreq = 108,
    SLStartSel = 109,
    SLEndSel = 110,
    TCWidth = 111,
    TCHeight = 112,
    TCAlign = 113,
    TCCurSel = 114,
    TCHotItem = 115,
    TCHighlightItem = 116,
    TCButtons = 117,
    TCBorder = 118,
    TCMultiline = 119,
    TCHotTrack = 120,
    TCBottom = 121,
    TCVertical = 122,
    TCHighlight = 123,
    DTFormat = 124,
    DTYear = 125,
    DTMonth = 126,
    DTDay = 127,
    DTHour = 128,
    DTMinute = 129,
    DTSecond = 130,
    DTUpDown = 131,
    DTShowNone = 132,
    MCYear = 133,
    MCMonth = 134,
    MCDay = 135,
    MCSelYear = 136,
    MCSelMonth = 137,
    MCSelDay = 138,
    MCDayState = 139,
    MCNoTodayCircle = 140,
    MCNoToday = 141,
    MCWeekNumbers = 142,
    IPAddress = 143,
    DlgWidth = 144,
    DlgHeight = 145,
    DlgCaption = 146,
    DlgSysMenu = 147,
    DlgMinimizeBox = 148,
    DlgMaximizeBox = 149,
    DlgContextHelp = 150,
    DlgToolWindow = 151,
    DlgRTLLayout = 152,
    MBWidth = 153,
    MBHeight = 154,
    MBButtons = 155,
    MBIcon = 156,
    MBDefButton = 157,
};
} // namespace word

struct SysControlSettings {
    std::array<std::int32_t, kSettingsWordCount> words{};
    std::string Text;    // word 5
    std::string Caption; // word 6

    std::int32_t& operator[](int w) { return words.at(static_cast<std::size_t>(w)); }
    std::int32_t operator[](int w) const { return words.at(static_cast<std::size_t>(w)); }
    bool flag(int w) const { return (*this)[w] != 0; }

    bool operator==(const SysControlSettings&) const = default;
};

// The record the preview window starts with before the dialog hands it the loaded one: type
// PushButton, no selection in the list box, combo box and tab, the date 2000-1-1 with the time
// words 1.
SysControlSettings PreviewStartSettings();

// The words holding a type's own width and height; -1 for a type without one (date-time picker,
// month calendar, IP address, unknown types).
struct SizeWords {
    int width = -1;
    int height = -1;
};
SizeWords SizeWordsOfType(std::int64_t type);
// The fixed size of the types without size words (date-time picker 100 x 24, month calendar
// 183 x 153, IP address 200 x 24); 0 x 0 for the others.
struct FixedSize {
    int width = 0;
    int height = 0;
};
FixedSize FixedSizeOfType(std::int64_t type);

// The list box, combo box and tab keep their items in the preview; these are their selection
// words (LBCurSel, CBCurSel, TCCurSel), -1 for the other types.
int SelectionWordOfType(std::int64_t type);
constexpr bool HasItems(std::int64_t type) {
    return type == ListBox || type == ComboBox || type == Tab;
}

} // namespace kfm::syscontrols
