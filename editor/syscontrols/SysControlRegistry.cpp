#include "SysControlRegistry.h"

#include "SysControlTypes.h"
#include "gdi/SystemLook.h"
#include "registry/RegistryHelpers.h"

#include <chrono>
#include <ctime>
#include <iterator>
#include <limits>
#include <optional>

namespace kfm::syscontrols {

namespace {

using K = StoredKind;
using D = DefaultFrom;

constexpr StoredWord integer(int w, const char* name, int value) {
    return {w, name, K::Integer, D::Value, value};
}
constexpr StoredWord integerFrom(int w, const char* name, DefaultFrom from) {
    return {w, name, K::Integer, from, 0};
}
constexpr StoredWord flag(int w, const char* name, int value = 0) {
    return {w, name, K::Flag, D::Value, value};
}

namespace w = word;

constexpr StoredWord kStored[] = {
    integer(w::Type, "scType", Dialog),
    integer(w::Left, "scLeft", 0),
    integer(w::Top, "scTop", 0),
    flag(w::GeneralClientEdge, "scGeneralClientEdge"),
    flag(w::GeneralStaticEdge, "scGeneralStaticEdge"),
    flag(w::GeneralModalFrame, "scGeneralModalFrame"),
    flag(w::GeneralDisabled, "scGeneralDisabled"),
    flag(w::GeneralSetFocus, "scGeneralSetFocus"),
    integer(w::PBWidth, "scPBWidth", 0),
    integer(w::PBHeight, "scPBHeight", 0),
    flag(w::PBPush, "scPBPush"),
    flag(w::PBDefPush, "scPBDefPush"),
    flag(w::PBFlat, "scPBFlat"),
    flag(w::PBMultiline, "scPBMultiline"),
    integer(w::RBWidth, "scRBWidth", 0),
    integer(w::RBHeight, "scRBHeight", 0),
    flag(w::RBCheck, "scRBCheck"),
    flag(w::RBLeftText, "scRBLeftText"),
    flag(w::RBFlat, "scRBFlat"),
    flag(w::RBMultiline, "scRBMultiline"),
    integer(w::HBWidth, "scHBWidth", 0),
    integer(w::HBHeight, "scHBHeight", 0),
    flag(w::HBCheck, "scHBCheck"),
    flag(w::HBLeftText, "scHBLeftText"),
    flag(w::HBFlat, "scHBFlat"),
    flag(w::HBMultiline, "scHBMultiline"),
    integerFrom(w::GBWidth, "scGBWidth", D::AnimationWidth),
    integerFrom(w::GBHeight, "scGBHeight", D::AnimationHeight),
    integer(w::GBAlign, "scGBAlign", 0),
    flag(w::GBFlat, "scGBFlat"),
    integerFrom(w::STWidth, "scSTWidth", D::AnimationWidth),
    integerFrom(w::STHeight, "scSTHeight", D::AnimationHeight),
    integer(w::STAlign, "scSTAlign", 0),
    flag(w::STCenterVert, "scSTCenterVert"),
    flag(w::STNoPrefix, "scSTNoPrefix"),
    flag(w::STNoWrap, "scSTNoWrap"),
    flag(w::STSunken, "scSTSunken"),
    flag(w::STBorder, "scSTBorder"),
    integer(w::ICWidth, "scICWidth", 32),
    integer(w::ICHeight, "scICHeight", 32),
    integer(w::ICType, "scICType", 0),
    flag(w::ICCenter, "scICCenter"),
    flag(w::ICSunken, "scICSunken"),
    flag(w::ICBorder, "scICBorder"),
    integer(w::EBWidth, "scEBWidth", 90),
    integer(w::EBHeight, "scEBHeight", 17),
    integer(w::EBAlign, "scEBAlign", 0),
    flag(w::EBMultiline, "scEBMultiline"),
    flag(w::EBHScrollBar, "scEBHScrollBar"),
    flag(w::EBVScrollBar, "scEBVScrollBar"),
    flag(w::EBLeftScrollBar, "scEBLeftScrollBar"),
    flag(w::EBSpin, "scEBSpin"),
    integer(w::EBSpinOrient, "scEBSpinOrient", 1),
    integer(w::EBSpinAlign, "scEBSpinAlign", 1),
    flag(w::EBSpinSetBuddyInt, "scEBSpinSetBuddyInt"),
    flag(w::EBSpinNoThousands, "scEBSpinNoThousands"),
    integerFrom(w::LBWidth, "scLBWidth", D::AnimationWidth),
    integerFrom(w::LBHeight, "scLBHeight", D::AnimationHeight),
    integerFrom(w::LBColumnWidth, "scLBColumnWidth", D::AnimationWidth),
    flag(w::LBSort, "scLBSort"),
    flag(w::LBExtendedSel, "scLBExtendedSel"),
    flag(w::LBMulticolumn, "scLBMulticolumn"),
    flag(w::LBHScrollBar, "scLBHScrollBar"),
    flag(w::LBVScrollBar, "scLBVScrollBar"),
    flag(w::LBLeftScrollBar, "scLBLeftScrollBar"),
    flag(w::LBDisableNoScroll, "scLBDisableNoScroll"),
    flag(w::LBNoIntegralHeight, "scLBNoIntegralHeight"),
    integerFrom(w::CBWidth, "scCBWidth", D::AnimationWidth),
    integerFrom(w::CBHeight, "scCBHeight", D::AnimationHeight),
    integer(w::CBType, "scCBType", 0),
    flag(w::CBSort, "scCBSort"),
    flag(w::CBDisableNoScroll, "scCBDisableNoScroll"),
    flag(w::CBLeftScrollBar, "scCBLeftScrollBar"),
    flag(w::CBVScrollBar, "scCBVScrollBar"),
    flag(w::CBNoIntegralHeight, "scCBNoIntegralHeight"),
    flag(w::CBShowDropDown, "scCBShowDropDown"),
    integer(w::SBHWidth, "scSBHWidth", 100),
    integerFrom(w::SBHHeight, "scSBHHeight", D::HScrollHeight),
    integer(w::SBHScrollPos, "scSBHScrollPos", 0),
    integer(w::SBHMaxScrollPos, "scSBHMaxScrollPos", 10),
    integer(w::SBHPageSize, "scSBHPageSize", 2),
    integerFrom(w::SBVWidth, "scSBVWidth", D::VScrollWidth),
    integer(w::SBVHeight, "scSBVHeight", 100),
    integer(w::SBVScrollPos, "scSBVScrollPos", 0),
    integer(w::SBVMaxScrollPos, "scSBVMaxScrollPos", 10),
    integer(w::SBVPageSize, "scSBVPageSize", 2),
    integer(w::SPWidth, "scSPWidth", 16),
    integer(w::SPHeight, "scSPHeight", 23),
    integer(w::PRWidth, "scPRWidth", 100),
    integer(w::PRHeight, "scPRHeight", 20),
    integer(w::PRPos, "scPRPos", 50),
    integer(w::SLWidth, "scSLWidth", 100),
    integer(w::SLHeight, "scSLHeight", 20),
    integer(w::SLOrientation, "scSLOrientation", 0),
    integer(w::SLPoint, "scSLPoint", 0),
    flag(w::SLTickMarks, "scSLTickMarks"),
    flag(w::SLAutoTicks, "scSLAutoTicks"),
    flag(w::SLEnableSel, "scSLEnableSel"),
    flag(w::SLBorder, "scSLBorder"),
    integer(w::SLPos, "scSLPos", 0),
    integer(w::SLRange, "scSLRange", 100),
    integer(w::SLTickFreq, "scSLTickFreq", 10),
    integer(w::SLStartSel, "scSLStartSel", 0),
    integer(w::SLEndSel, "scSLEndSel", 0),
    integerFrom(w::TCWidth, "scTCWidth", D::AnimationWidth),
    integerFrom(w::TCHeight, "scTCHeight", D::AnimationHeight),
    integer(w::TCAlign, "scTCAlign", 0),
    flag(w::TCButtons, "scTCButtons"),
    flag(w::TCBorder, "scTCBorder"),
    flag(w::TCMultiline, "scTCMultiline"),
    flag(w::TCHotTrack, "scTCHotTrack"),
    flag(w::TCBottom, "scTCBottom"),
    flag(w::TCVertical, "scTCVertical"),
    flag(w::TCHighlight, "scTCHighlight"),
    integer(w::DTFormat, "scDTFormat", 0),
    integerFrom(w::DTYear, "scDTYear", D::UtcYear),
    integerFrom(w::DTMonth, "scDTMonth", D::UtcMonth),
    integerFrom(w::DTDay, "scDTDay", D::UtcDay),
    integerFrom(w::DTHour, "scDTHour", D::UtcHour),
    integerFrom(w::DTMinute, "scDTMinute", D::UtcMinute),
    integerFrom(w::DTSecond, "scDTSecond", D::UtcSecond),
    flag(w::DTShowNone, "scDTShowNone"),
    integerFrom(w::MCYear, "scMCYear", D::UtcYear),
    integerFrom(w::MCMonth, "scMCMonth", D::UtcMonth),
    integerFrom(w::MCDay, "scMCDay", D::UtcDay),
    integerFrom(w::MCSelYear, "scMCSelYear", D::UtcYear),
    integerFrom(w::MCSelMonth, "scMCSelMonth", D::UtcMonth),
    integerFrom(w::MCSelDay, "scMCSelDay", D::UtcDay),
    flag(w::MCDayState, "scMCDayState"),
    flag(w::MCNoTodayCircle, "scMCNoTodayCircle"),
    flag(w::MCNoToday, "scMCNoToday"),
    flag(w::MCWeekNumbers, "scMCWeekNumbers"),
    integer(w::IPAddress, "scIPAddress", 0),
    integerFrom(w::DlgWidth, "scDlgWidth", D::AnimationWidth),
    integerFrom(w::DlgHeight, "scDlgHeight", D::AnimationHeight),
    flag(w::DlgCaption, "scDlgCaption", 1),
    flag(w::DlgSysMenu, "scDlgSysMenu", 1),
    flag(w::DlgMinimizeBox, "scDlgMinimizeBox"),
    flag(w::DlgMaximizeBox, "scDlgMaximizeBox"),
    flag(w::DlgContextHelp, "scDlgContextHelp"),
    flag(w::DlgToolWindow, "scDlgToolWindow"),
    flag(w::DlgRTLLayout, "scDlgRTLLayout"),
    integerFrom(w::MBWidth, "scMBWidth", D::AnimationWidth),
    integerFrom(w::MBHeight, "scMBHeight", D::AnimationHeight),
    integer(w::MBButtons, "scMBButtons", 0),
    integer(w::MBIcon, "scMBIcon", 0),
    integer(w::MBDefButton, "scMBDefButton", 0),
};
static_assert(std::size(kStored) == kStoredWordCount);

// The one value that is deleted with the others although nothing reads or writes it.
constexpr const char* kUpDownName = "scDTUpDown";

int defaultOf(const StoredWord& stored, const LoadContext& context, const UtcDateTime& now) {
    switch (stored.from) {
    case D::Value:
        return stored.value;
    case D::AnimationWidth:
        return context.animationWidth;
    case D::AnimationHeight:
        return context.animationHeight;
    case D::HScrollHeight:
        return GetSystemMetrics(SM_CYHSCROLL);
    case D::VScrollWidth:
        return GetSystemMetrics(SM_CXVSCROLL);
    case D::UtcYear:
        return now.year;
    case D::UtcMonth:
        return now.month;
    case D::UtcDay:
        return now.day;
    case D::UtcHour:
        return now.hour;
    case D::UtcMinute:
        return now.minute;
    case D::UtcSecond:
        return now.second;
    }
    return 0;
}

} // namespace

UtcDateTime SystemUtcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    return {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec};
}

std::span<const StoredWord> StoredWords() {
    return kStored;
}

namespace {

// The stored value of a word, or nothing. A value equal to the first probe is asked again
// with another, so every number can be stored.
std::optional<int> readStored(const char* name) {
    constexpr int kProbe = std::numeric_limits<int>::min();
    const int value = ReadRegInt(kSysControlSection, name, kProbe, 0, 0);
    if (value != kProbe)
        return value;
    const int again = ReadRegInt(kSysControlSection, name, kProbe + 1, 0, 0);
    if (again == kProbe)
        return kProbe;
    return std::nullopt;
}

} // namespace

int LoadSettings(SysControlSettings& settings, const LoadContext& context, StoredValues* stored) {
    const UtcDateTime now = context.clock ? context.clock() : SystemUtcNow();
    settings.Text = "System Control";
    settings.Caption.clear();
    settings[word::LBCurSel] = -1;
    settings[word::CBCurSel] = -1;
    settings[word::TCCurSel] = -1;
    settings[word::TCHotItem] = 1;
    settings[word::TCHighlightItem] = 1;
    settings[word::DTUpDown] = 0;
    if (stored)
        *stored = StoredValues{};
    // The type is read last: what the dialog shows first depends on everything else.
    for (const StoredWord& entry : kStored) {
        if (entry.word == word::Type)
            continue;
        // Flags and integers are both stored as numbers and read back as they are.
        const std::optional<int> value = readStored(entry.name);
        settings[entry.word] = value ? *value : defaultOf(entry, context, now);
        if (stored && value) {
            stored->present[static_cast<std::size_t>(entry.word)] = true;
            stored->values[entry.word] = *value;
        }
    }
    const std::optional<int> type = readStored("scType");
    settings[word::Type] = type ? *type : int{Dialog};
    if (stored && type) {
        stored->present[word::Type] = true;
        stored->values[word::Type] = *type;
    }
    return settings[word::Type];
}

void SaveSettings(const SysControlSettings& settings, const StoredValues* stored) {
    for (const StoredWord& entry : kStored) {
        const int value = settings[entry.word];
        if (stored && stored->present[static_cast<std::size_t>(entry.word)] &&
            stored->values[entry.word] == value)
            continue;
        if (entry.kind == K::Flag)
            WriteRegBool(kSysControlSection, entry.name, value);
        else
            WriteRegInt(kSysControlSection, entry.name, value);
    }
}

void DeleteSysControlSettings() {
    for (const StoredWord& stored : kStored)
        DeleteRegValue(kSysControlSection, stored.name);
    DeleteRegValue(kSysControlSection, kUpDownName);
}

} // namespace kfm::syscontrols
