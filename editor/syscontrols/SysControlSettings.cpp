#include "SysControlSettings.h"

#include "SysControlTypes.h"

namespace kfm::syscontrols {

SysControlSettings PreviewStartSettings() {
    SysControlSettings s;
    s[word::Type] = PushButton;
    s[word::LBCurSel] = -1;
    s[word::CBCurSel] = -1;
    s[word::TCCurSel] = -1;
    s[word::DTYear] = 2000;
    s[word::DTMonth] = 1;
    s[word::DTDay] = 1;
    s[word::DTHour] = 1;
    s[word::DTMinute] = 1;
    s[word::DTSecond] = 1;
    s[word::MCYear] = s[word::MCSelYear] = 2000;
    s[word::MCMonth] = s[word::MCSelMonth] = 1;
    s[word::MCDay] = s[word::MCSelDay] = 1;
    return s;
}

SizeWords SizeWordsOfType(std::int64_t type) {
    switch (type) {
    case GroupBox:
        return {word::GBWidth, word::GBHeight};
    case PushButton:
        return {word::PBWidth, word::PBHeight};
    case RadioButton:
        return {word::RBWidth, word::RBHeight};
    case CheckBox:
        return {word::HBWidth, word::HBHeight};
    case StaticText:
        return {word::STWidth, word::STHeight};
    case EditBox:
        return {word::EBWidth, word::EBHeight};
    case ListBox:
        return {word::LBWidth, word::LBHeight};
    case ComboBox:
        return {word::CBWidth, word::CBHeight};
    case HScrollBar:
        return {word::SBHWidth, word::SBHHeight};
    case VScrollBar:
        return {word::SBVWidth, word::SBVHeight};
    case Spin:
        return {word::SPWidth, word::SPHeight};
    case Progress:
        return {word::PRWidth, word::PRHeight};
    case Slider:
        return {word::SLWidth, word::SLHeight};
    case Tab:
        return {word::TCWidth, word::TCHeight};
    case Dialog:
        return {word::DlgWidth, word::DlgHeight};
    case MessageBox:
        return {word::MBWidth, word::MBHeight};
    case Icon:
        return {word::ICWidth, word::ICHeight};
    default:
        return {};
    }
}

FixedSize FixedSizeOfType(std::int64_t type) {
    switch (type) {
    case DateTime:
        return {100, 24};
    case MonthCalendar:
        return {183, 153};
    case IPAddress:
        return {200, 24};
    default:
        return {};
    }
}

int SelectionWordOfType(std::int64_t type) {
    switch (type) {
    case ListBox:
        return word::LBCurSel;
    case ComboBox:
        return word::CBCurSel;
    case Tab:
        return word::TCCurSel;
    default:
        return -1;
    }
}

} // namespace kfm::syscontrols
