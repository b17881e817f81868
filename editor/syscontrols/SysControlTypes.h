#pragma once
// The twenty kinds of system control a control frame can picture, and their rows in the
// dialog's type list. The IP address type has settings and a record layout but no row: nothing
// can choose it.

#include <cstdint>

namespace kfm::syscontrols {

enum SysControlType : std::int32_t {
    GroupBox = 1,
    PushButton = 2,
    RadioButton = 3,
    CheckBox = 4,
    StaticText = 5,
    EditBox = 6,
    ListBox = 7,
    ComboBox = 8,
    HScrollBar = 9,
    VScrollBar = 10,
    Spin = 11,
    Progress = 12,
    Slider = 13,
    Tab = 14,
    DateTime = 15,
    MonthCalendar = 16,
    IPAddress = 17,
    Dialog = 18,
    MessageBox = 19,
    Icon = 20,
};

inline constexpr int kFirstType = GroupBox;
inline constexpr int kLastType = Icon;
// Rows of the type list: Dialog, MessageBox, Icon, PushButton, RadioButton, CheckBox, StaticText,
// EditBox, ListBox, ComboBox, GroupBox, HScrollBar, VScrollBar, Spin, Progress, Slider, Tab,
// DateTime, MonthCalendar.
inline constexpr int kTypeListRows = 19;

// A type id of 1..20 (the IP address type included).
constexpr bool IsKnownType(std::int64_t type) {
    return type >= kFirstType && type <= kLastType;
}
// A type the dialog can show: a known type with a row in the type list.
constexpr bool IsListedType(std::int64_t type) {
    return IsKnownType(type) && type != IPAddress;
}

// The type of a row of the type list; a row outside 0..18 (-1: nothing chosen) gives PushButton.
int TypeFromComboIndex(int index);
// The row of a type; unknown types and the IP address type give row 0 (Dialog).
int ComboIndexFromType(std::int64_t type);
// The part of the registry value names of a type's block ("PB", "SBH" ...); empty for unknown
// types.
const char* TypePrefix(std::int64_t type);

} // namespace kfm::syscontrols
