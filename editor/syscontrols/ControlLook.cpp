#include "ControlLook.h"

#include <algorithm>

namespace kfm::syscontrols {

namespace {

namespace w = word;

// An index word that names one of count entries; -1 (none) otherwise.
int entryOrNone(std::int64_t value, std::size_t count) {
    return value >= 0 && static_cast<std::uint64_t>(value) < count ? static_cast<int>(value) : -1;
}

// An index word of a choice of count options; the first option otherwise.
int choiceOrFirst(std::int64_t value, int count) {
    return value >= 0 && value < count ? static_cast<int>(value) : 0;
}

std::optional<CalendarDate> dateOf(const SysControlSettings& s, int yearWord, int monthWord,
                                   int dayWord) {
    if (!IsValidDate(s[yearWord], s[monthWord], s[dayWord]))
        return std::nullopt;
    return CalendarDate{s[yearWord], s[monthWord], s[dayWord]};
}

void generalStyles(ControlLook& look, const SysControlSettings& s) {
    look.modalFrame = s.flag(w::GeneralModalFrame);
    look.staticEdge = s.flag(w::GeneralStaticEdge);
    look.clientEdge = s.flag(w::GeneralClientEdge);
    look.disabled = s.flag(w::GeneralDisabled);
    look.focus = s.flag(w::GeneralSetFocus);
}

void buttonLook(ControlLook& look, const SysControlSettings& s, int check, int leftText, int flat,
                int multiline) {
    look.checked = s.flag(check);
    look.leftText = s.flag(leftText);
    look.flat = s.flag(flat);
    look.multiline = s.flag(multiline);
}

void listBoxLook(ControlLook& look, const SysControlSettings& s) {
    look.selection = entryOrNone(s[w::LBCurSel], look.items.size());
    look.sort = s.flag(w::LBSort);
    look.extendedSelection = s.flag(w::LBExtendedSel);
    look.multicolumn = s.flag(w::LBMulticolumn);
    look.columnWidth = s[w::LBColumnWidth];
    look.leftScrollBar = s.flag(w::LBLeftScrollBar);
    look.disableNoScroll = s.flag(w::LBDisableNoScroll);
    look.integralHeight = !s.flag(w::LBNoIntegralHeight);
    // Scroll bars come only with the integral height.
    look.hScroll = look.integralHeight && s.flag(w::LBHScrollBar);
    look.vScroll = look.integralHeight && s.flag(w::LBVScrollBar);
}

void comboBoxLook(ControlLook& look, const SysControlSettings& s) {
    look.selection = entryOrNone(s[w::CBCurSel], look.items.size());
    look.comboKind = choiceOrFirst(s[w::CBType], 3);
    look.sort = s.flag(w::CBSort);
    look.disableNoScroll = s.flag(w::CBDisableNoScroll);
    look.leftScrollBar = s.flag(w::CBLeftScrollBar);
    look.integralHeight = !s.flag(w::CBNoIntegralHeight);
    look.vScroll = look.disableNoScroll || (look.integralHeight && s.flag(w::CBVScrollBar));
    look.showDropDown = s.flag(w::CBShowDropDown);
    // The combo box draws its own sunken edge whatever the client-edge setting says.
    look.clientEdge = false;
}

void scrollBarLook(ControlLook& look, const SysControlSettings& s, int position, int maximum,
                   int page) {
    look.minimum = 0;
    look.maximum = std::max(0, s[maximum]);
    look.page = std::max(0, s[page]);
    look.position = s[position];
}

void sliderLook(ControlLook& look, const SysControlSettings& s) {
    look.vertical = s[w::SLOrientation] == 1;
    look.tickSide = s[w::SLPoint] == 0 ? 0 : s[w::SLPoint] == 1 ? 1 : 2;
    look.tickMarks = s.flag(w::SLTickMarks);
    look.autoTicks = s.flag(w::SLAutoTicks);
    look.selectionRange = s.flag(w::SLEnableSel);
    look.border = s.flag(w::SLBorder);
    look.minimum = 0;
    look.maximum = std::max(0, s[w::SLRange]);
    look.tickFrequency = std::max(1, s[w::SLTickFreq]);
    look.position = std::clamp(s[w::SLPos], look.minimum, look.maximum);
    look.selectionStart = s[w::SLStartSel];
    look.selectionEnd = s[w::SLEndSel];
}

void tabLook(ControlLook& look, const SysControlSettings& s) {
    look.selection = entryOrNone(s[w::TCCurSel], look.items.size());
    look.tabAlign = choiceOrFirst(s[w::TCAlign], 3);
    look.tabButtons = s.flag(w::TCButtons);
    look.border = s.flag(w::TCBorder);
    look.tabMultiline = s.flag(w::TCMultiline);
    look.hotTrack = s.flag(w::TCHotTrack);
    look.tabsBottom = s.flag(w::TCBottom);
    look.tabsVertical = s.flag(w::TCVertical);
    // The two tab numbers count from 1.
    if (look.hotTrack)
        look.hotTab = entryOrNone(std::int64_t{s[w::TCHotItem]} - 1, look.items.size());
    if (s.flag(w::TCHighlight))
        look.highlightTab = entryOrNone(std::int64_t{s[w::TCHighlightItem]} - 1, look.items.size());
}

void dateTimeLook(ControlLook& look, const SysControlSettings& s) {
    look.dateFormat = choiceOrFirst(s[w::DTFormat], 3);
    look.upDown = s.flag(w::DTUpDown);
    look.showNone = s.flag(w::DTShowNone);
    look.date = dateOf(s, w::DTYear, w::DTMonth, w::DTDay);
    if (IsValidTime(s[w::DTHour], s[w::DTMinute], s[w::DTSecond]))
        look.time = ClockTime{s[w::DTHour], s[w::DTMinute], s[w::DTSecond]};
}

void monthCalendarLook(ControlLook& look, const SysControlSettings& s) {
    look.today = dateOf(s, w::MCYear, w::MCMonth, w::MCDay);
    look.selectedDate = dateOf(s, w::MCSelYear, w::MCSelMonth, w::MCSelDay);
    look.dayState = s.flag(w::MCDayState);
    look.noTodayCircle = s.flag(w::MCNoTodayCircle);
    look.noToday = s.flag(w::MCNoToday);
    look.weekNumbers = s.flag(w::MCWeekNumbers);
}

void dialogLook(ControlLook& look, const SysControlSettings& s) {
    look.hasCaption = s.flag(w::DlgCaption);
    look.sysMenu = s.flag(w::DlgSysMenu);
    look.minimizeBox = s.flag(w::DlgMinimizeBox);
    look.maximizeBox = s.flag(w::DlgMaximizeBox);
    look.contextHelp = s.flag(w::DlgContextHelp);
    look.toolWindow = s.flag(w::DlgToolWindow);
    look.rightToLeft = s.flag(w::DlgRTLLayout);
}

void messageBoxLook(ControlLook& look, const SysControlSettings& s) {
    look.hasCaption = true;
    look.sysMenu = true;
    look.buttons = MessageBoxButtons(s[w::MBButtons]);
    // A default button beyond the set makes the first one the default.
    const int chosen = entryOrNone(s[w::MBDefButton], look.buttons.size());
    look.defaultButton = chosen >= 0 ? chosen : 0;
    look.icon = entryOrNone(s[w::MBIcon], kMessageBoxIconCount);
}

void iconLook(ControlLook& look, const SysControlSettings& s, int iconCount) {
    look.icon = entryOrNone(s[w::ICType], static_cast<std::size_t>(std::max(0, iconCount)));
    look.centreVertically = s.flag(w::ICCenter);
    look.sunken = s.flag(w::ICSunken);
    look.border = s.flag(w::ICBorder);
    look.staticEdge = look.staticEdge || look.sunken;
}

} // namespace

std::vector<int> MessageBoxButtons(std::int64_t set) {
    switch (set) {
    case 0:
        return {ButtonOk};
    case 1:
        return {ButtonOk, ButtonCancel};
    case 2:
        return {ButtonRetryOfSet2, ButtonCancel};
    case 3:
        return {ButtonYes, ButtonNo};
    case 4:
        return {ButtonYes, ButtonNo, ButtonCancel};
    case 5:
        return {ButtonAbort, ButtonRetry, ButtonIgnore};
    default:
        return {};
    }
}

bool IsValidDate(int year, int month, int day) {
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int days = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= days;
}

bool IsValidTime(int hour, int minute, int second) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

ControlLook LookFromSettings(const SysControlSettings& s, const std::vector<std::string>& items,
                             int iconCount) {
    ControlLook look;
    const std::int32_t type = s[w::Type];
    if (!IsListedType(type))
        return look;
    look.type = type;
    look.width = s[w::Width];
    look.height = s[w::Height];
    look.text = s.Text;
    look.caption = s.Caption;
    if (HasItems(type))
        look.items = items;
    generalStyles(look, s);
    switch (type) {
    case GroupBox:
        look.align = choiceOrFirst(s[w::GBAlign], 3);
        look.flat = s.flag(w::GBFlat);
        break;
    case PushButton:
        look.pushed = s.flag(w::PBPush);
        look.isDefault = s.flag(w::PBDefPush);
        look.flat = s.flag(w::PBFlat);
        look.multiline = s.flag(w::PBMultiline);
        break;
    case RadioButton:
        buttonLook(look, s, w::RBCheck, w::RBLeftText, w::RBFlat, w::RBMultiline);
        break;
    case CheckBox:
        buttonLook(look, s, w::HBCheck, w::HBLeftText, w::HBFlat, w::HBMultiline);
        break;
    case StaticText:
        look.align = choiceOrFirst(s[w::STAlign], 3);
        look.centreVertically = s.flag(w::STCenterVert);
        look.noPrefix = s.flag(w::STNoPrefix);
        look.noWrap = s.flag(w::STNoWrap);
        look.sunken = s.flag(w::STSunken);
        look.staticEdge = look.staticEdge || look.sunken;
        look.border = s.flag(w::STBorder);
        break;
    case EditBox:
        look.align = choiceOrFirst(s[w::EBAlign], 3);
        look.multiline = s.flag(w::EBMultiline);
        look.hScroll = s.flag(w::EBHScrollBar);
        look.vScroll = s.flag(w::EBVScrollBar);
        look.leftScrollBar = s.flag(w::EBLeftScrollBar);
        look.spin = s.flag(w::EBSpin);
        look.clientEdge = look.clientEdge || look.spin;
        look.spinHorizontal = s[w::EBSpinOrient] == 0;
        look.spinLeft = s[w::EBSpinAlign] == 0;
        look.spinSetsNumber = s.flag(w::EBSpinSetBuddyInt);
        look.spinNoThousands = s.flag(w::EBSpinNoThousands);
        break;
    case ListBox:
        listBoxLook(look, s);
        break;
    case ComboBox:
        comboBoxLook(look, s);
        break;
    case HScrollBar:
        scrollBarLook(look, s, w::SBHScrollPos, w::SBHMaxScrollPos, w::SBHPageSize);
        break;
    case VScrollBar:
        scrollBarLook(look, s, w::SBVScrollPos, w::SBVMaxScrollPos, w::SBVPageSize);
        look.vertical = true;
        break;
    case Progress:
        // The general edges are not applied to the progress bar.
        look.modalFrame = look.staticEdge = look.clientEdge = false;
        look.minimum = 0;
        look.maximum = 100;
        look.position = std::clamp(s[w::PRPos], 0, 100);
        break;
    case Slider:
        sliderLook(look, s);
        break;
    case Tab:
        tabLook(look, s);
        break;
    case DateTime:
        dateTimeLook(look, s);
        break;
    case MonthCalendar:
        monthCalendarLook(look, s);
        break;
    case Dialog:
        dialogLook(look, s);
        break;
    case MessageBox:
        messageBoxLook(look, s);
        break;
    case Icon:
        iconLook(look, s, iconCount);
        break;
    default: // Spin: nothing of its own
        break;
    }
    return look;
}

} // namespace kfm::syscontrols
