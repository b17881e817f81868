// The settings' conversions to and from a control frame's record, per type: which words become
// which style bits and numbers, that nothing else of the 104 bytes is written, the texts, and
// what a record of a hostile type does to the settings.

#include "SysControlRecord.h"

#include "ObjectRecordBytes.h"
#include "SysControlTypes.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace kfm::syscontrols;
namespace w = word;

using WordValues = std::vector<std::pair<int, int>>;

struct PackCase {
    const char* name;
    int type;
    WordValues words;        // set before packing
    std::uint32_t style;     // expected at offset 28
    std::vector<int> values; // expected at offsets 32, 36, ...
};

// Every type with each of its words set to a distinct value.
const PackCase kPackCases[] = {
    {"GroupBox", GroupBox, {{w::GBFlat, 1}, {w::GBAlign, 2}}, 1, {2}},
    {"PushButton",
     PushButton,
     {{w::PBPush, 1}, {w::PBDefPush, 0}, {w::PBFlat, 1}, {w::PBMultiline, 1}},
     1 | 4 | 8,
     {}},
    {"RadioButton", RadioButton, {{w::RBCheck, 1}, {w::RBLeftText, 1}}, 1 | 2, {}},
    {"CheckBox", CheckBox, {{w::HBFlat, 1}, {w::HBMultiline, 1}}, 4 | 8, {}},
    {"StaticText",
     StaticText,
     {{w::STCenterVert, 1}, {w::STNoWrap, 1}, {w::STBorder, 1}, {w::STAlign, 1}},
     1 | 4 | 16,
     {1}},
    {"EditBox",
     EditBox,
     {{w::EBMultiline, 1},
      {w::EBLeftScrollBar, 1},
      {w::EBSpin, 1},
      {w::EBSpinNoThousands, 1},
      {w::EBAlign, 2},
      {w::EBSpinOrient, 0},
      {w::EBSpinAlign, 1}},
     1 | 8 | 16 | 64,
     {2, 0, 1}},
    {"ListBox",
     ListBox,
     {{w::LBSort, 1},
      {w::LBMulticolumn, 1},
      {w::LBNoIntegralHeight, 1},
      {w::LBColumnWidth, 40},
      {w::LBCurSel, 2}},
     1 | 4 | 128,
     {40, 2}},
    {"ComboBox",
     ComboBox,
     {{w::CBDisableNoScroll, 1},
      {w::CBShowDropDown, 1},
      {w::CBHeight, 90},
      {w::CBType, 1},
      {w::CBCurSel, 0}},
     2 | 32,
     {90, 1, 0}},
    {"HScrollBar",
     HScrollBar,
     {{w::SBHScrollPos, 7}, {w::SBHMaxScrollPos, 30}, {w::SBHPageSize, 5}},
     7,
     {30, 5}},
    {"VScrollBar",
     VScrollBar,
     {{w::SBVScrollPos, 3}, {w::SBVMaxScrollPos, 12}, {w::SBVPageSize, 4}},
     3,
     {12, 4}},
    {"Spin", Spin, {}, 0, {}},
    {"Progress", Progress, {{w::PRPos, 75}}, 75, {}},
    {"Slider",
     Slider,
     {{w::SLAutoTicks, 1},
      {w::SLBorder, 1},
      {w::SLOrientation, 1},
      {w::SLPoint, 1},
      {w::SLPos, 30},
      {w::SLRange, 80},
      {w::SLTickFreq, 5},
      {w::SLStartSel, 10},
      {w::SLEndSel, 60}},
     2 | 8,
     {1, 1, 30, 80, 5, 10, 60}},
    {"Tab",
     Tab,
     {{w::TCButtons, 1},
      {w::TCHotTrack, 1},
      {w::TCHighlight, 1},
      {w::TCAlign, 2},
      {w::TCCurSel, 1},
      {w::TCHotItem, 2},
      {w::TCHighlightItem, 3}},
     1 | 8 | 64,
     {2, 1, 2, 3}},
    {"DateTime",
     DateTime,
     {{w::DTShowNone, 1},
      {w::DTUpDown, 1},
      {w::DTFormat, 2},
      {w::DTYear, 2004},
      {w::DTMonth, 2},
      {w::DTDay, 29},
      {w::DTHour, 13},
      {w::DTMinute, 14},
      {w::DTSecond, 15}},
     2,
     {2, 2004, 2, 29, 13, 14, 15}},
    {"MonthCalendar",
     MonthCalendar,
     {{w::MCNoTodayCircle, 1},
      {w::MCWeekNumbers, 1},
      {w::MCYear, 2010},
      {w::MCMonth, 5},
      {w::MCDay, 6},
      {w::MCSelYear, 2011},
      {w::MCSelMonth, 7},
      {w::MCSelDay, 8}},
     2 | 8,
     {2010, 5, 6, 2011, 7, 8}},
    {"IPAddress", IPAddress, {{w::IPAddress, 0x0A000001}}, 0x0A000001, {}},
    {"Dialog",
     Dialog,
     {{w::DlgCaption, 1}, {w::DlgSysMenu, 0}, {w::DlgContextHelp, 1}, {w::DlgRTLLayout, 1}},
     1 | 16 | 64,
     {}},
    {"MessageBox", MessageBox, {{w::MBIcon, 3}, {w::MBButtons, 4}, {w::MBDefButton, 2}}, 3, {4, 2}},
    {"Icon", Icon, {{w::ICSunken, 1}, {w::ICBorder, 1}, {w::ICType, 2}}, 2 | 4, {2}},
};

SysControlSettings settingsOf(const PackCase& c) {
    SysControlSettings s;
    s[w::Type] = c.type;
    s.Text = "Label";
    s.Caption = "Message";
    for (const auto& [word, value] : c.words)
        s[word] = value;
    return s;
}

TEST(SysControlRecordTest, EachTypePacksItsWordsAndNothingElse) {
    for (const PackCase& c : kPackCases) {
        SCOPED_TRACE(c.name);
        const ControlObjectRecord record = SettingsToRecord(settingsOf(c), "a\n\nb");
        EXPECT_EQ(record.type, static_cast<std::uint32_t>(c.type));
        EXPECT_EQ(record.styleBits, c.style);
        for (std::size_t i = 0; i < record.values.size(); ++i)
            EXPECT_EQ(record.values[i], i < c.values.size() ? c.values[i] : 0) << "value " << i;
        const auto bytes = kfm::records::writeControlObjectRecord(record);
        for (std::size_t at = 9; at < 28; ++at)
            EXPECT_EQ(bytes[at], 0) << "byte " << at;
        for (std::size_t at = 32 + 4 * c.values.size(); at < bytes.size(); ++at)
            EXPECT_EQ(bytes[at], 0) << "byte " << at;
        ASSERT_TRUE(record.text && record.caption);
        EXPECT_EQ(*record.text, HasItems(c.type) ? "a\n\nb" : "Label");
        EXPECT_EQ(*record.caption, "Message");
    }
}

TEST(SysControlRecordTest, EachTypeUnpacksBackIntoItsWords) {
    for (const PackCase& c : kPackCases) {
        SCOPED_TRACE(c.name);
        const SysControlSettings packed = settingsOf(c);
        const ControlObjectRecord record = SettingsToRecord(packed, "a\n\nb");
        SysControlSettings unpacked;
        RecordToSettings(unpacked, record, 61, 43);
        EXPECT_EQ(unpacked[w::Type], c.type);
        for (const auto& [word, value] : c.words) {
            const int expected = word == w::DTUpDown ? 0 : value; // DTUpDown is not carried
            EXPECT_EQ(unpacked[word], expected) << "word " << word;
        }
        const SizeWords size = SizeWordsOfType(c.type);
        if (size.width >= 0) {
            EXPECT_EQ(unpacked[size.width], 61);
        }
        if (size.height >= 0 && c.type != ListBox && c.type != ComboBox) {
            EXPECT_EQ(unpacked[size.height], 43);
        }
        EXPECT_EQ(unpacked.Text, HasItems(c.type) ? "a\n\nb" : "Label");
        EXPECT_EQ(unpacked.Caption, "Message");
    }
}

TEST(SysControlRecordTest, AnyNonZeroFlagWordPacksAsSet) {
    SysControlSettings s;
    s[w::Type] = PushButton;
    s[w::GeneralClientEdge] = 256; // an edited registry: the low byte is 0
    s[w::GeneralSetFocus] = -1;
    s[w::PBFlat] = 512;
    const ControlObjectRecord record = SettingsToRecord(s, {});
    EXPECT_EQ(record.clientEdge, 1);
    EXPECT_EQ(record.staticEdge, 0);
    EXPECT_EQ(record.setFocus, 1);
    EXPECT_EQ(record.styleBits, 4u);
}

TEST(SysControlRecordTest, TextsArePresentEvenWhenEmpty) {
    SysControlSettings s;
    s[w::Type] = ListBox;
    const ControlObjectRecord record = SettingsToRecord(s, {});
    ASSERT_TRUE(record.text.has_value());
    ASSERT_TRUE(record.caption.has_value());
    EXPECT_TRUE(record.text->empty());
}

TEST(SysControlRecordTest, ListAndComboHeightsAndTheDateFlags) {
    SysControlSettings s;
    s[w::LBHeight] = 77;
    ControlObjectRecord list;
    list.type = ListBox;
    list.styleBits = 4;
    RecordToSettings(s, list, 120, 300);
    EXPECT_EQ(s[w::LBWidth], 120);
    EXPECT_EQ(s[w::LBHeight], 77) << "the list box keeps its remembered height";
    EXPECT_EQ(s[w::LBMulticolumn], 1);

    ControlObjectRecord combo;
    combo.type = ComboBox;
    combo.values[0] = 140;
    RecordToSettings(s, combo, 90, 21);
    EXPECT_EQ(s[w::CBWidth], 90);
    EXPECT_EQ(s[w::CBHeight], 140) << "the combo box's height comes from offset 32";

    ControlObjectRecord picker;
    picker.type = DateTime;
    picker.styleBits = 2;
    s[w::DTUpDown] = 0;
    RecordToSettings(s, picker, 100, 24);
    EXPECT_EQ(s[w::DTShowNone], 1);
    EXPECT_EQ(s[w::DTUpDown], 0);
}

TEST(SysControlRecordTest, HostileTypesSetOnlyTheCommonWords) {
    for (const std::uint32_t type : {0u, 21u, 0x80000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(type);
        SysControlSettings s;
        s[w::PBWidth] = 33;
        ControlObjectRecord record;
        record.type = type;
        record.styleBits = 0xFFFFFFFF;
        record.values.fill(-7);
        record.disabled = 200;
        RecordToSettings(s, record, 5, 6);
        EXPECT_FALSE(IsListedType(s[w::Type]));
        EXPECT_EQ(ComboIndexFromType(s[w::Type]), 0);
        EXPECT_EQ(s[w::GeneralDisabled], 200) << "flag bytes are read unsigned";
        EXPECT_EQ(s[w::PBWidth], 33);
        EXPECT_TRUE(s.Text.empty()) << "a null text is empty";
    }
}

TEST(SysControlTypesTest, TypeListRowsMapBothWays) {
    const int rows[] = {Dialog,   MessageBox, Icon,       PushButton,   RadioButton,
                        CheckBox, StaticText, EditBox,    ListBox,      ComboBox,
                        GroupBox, HScrollBar, VScrollBar, Spin,         Progress,
                        Slider,   Tab,        DateTime,   MonthCalendar};
    for (int row = 0; row < kTypeListRows; ++row) {
        EXPECT_EQ(TypeFromComboIndex(row), rows[row]);
        EXPECT_EQ(ComboIndexFromType(rows[row]), row);
    }
    EXPECT_EQ(TypeFromComboIndex(13), Spin);
    for (const int outside : {-1, 19, 1000, -2147483647 - 1})
        EXPECT_EQ(TypeFromComboIndex(outside), PushButton) << outside;
    for (const std::int64_t type : {0LL, 17LL, 21LL, 2147483648LL, -5LL})
        EXPECT_EQ(ComboIndexFromType(type), 0) << type;
    EXPECT_STREQ(TypePrefix(HScrollBar), "SBH");
    EXPECT_STREQ(TypePrefix(Dialog), "Dlg");
    EXPECT_STREQ(TypePrefix(21), "");
}

} // namespace
