#include "SysControlTypes.h"

#include <array>

namespace kfm::syscontrols {

namespace {

constexpr std::array<int, kTypeListRows> kRowTypes = {
    Dialog,   MessageBox, Icon,     PushButton, RadioButton,  CheckBox,   StaticText,
    EditBox,  ListBox,    ComboBox, GroupBox,   HScrollBar,   VScrollBar, Spin,
    Progress, Slider,     Tab,      DateTime,   MonthCalendar};

constexpr std::array<const char*, kLastType + 1> kPrefixes = {
    "",   "GB", "PB", "RB", "HB", "ST", "EB", "LB",  "CB", "SBH", "SBV",
    "SP", "PR", "SL", "TC", "DT", "MC", "IP", "Dlg", "MB", "IC"};

} // namespace

int TypeFromComboIndex(int index) {
    if (index < 0 || index >= kTypeListRows)
        return PushButton;
    return kRowTypes[static_cast<std::size_t>(index)];
}

int ComboIndexFromType(std::int64_t type) {
    if (!IsListedType(type))
        return 0;
    for (std::size_t row = 0; row < kRowTypes.size(); ++row)
        if (kRowTypes[row] == type)
            return static_cast<int>(row);
    return 0;
}

const char* TypePrefix(std::int64_t type) {
    return IsKnownType(type) ? kPrefixes[static_cast<std::size_t>(type)] : "";
}

} // namespace kfm::syscontrols
