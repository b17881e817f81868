#include "SysControlRecord.h"

#include "SysControlTypes.h"

#include <array>
#include <optional>

namespace kfm::syscontrols {

namespace {

namespace w = word;

constexpr int kNone = -1;
constexpr std::size_t kBitCount = 8;
constexpr std::size_t kValueCount = 7;

// How a type's words sit in a record: the word of each bit of the style field at offset 28 (or
// one word as the whole field) and the words of the numbers at offsets 32, 36, ... 56.
struct Packing {
    std::array<int, kBitCount> bits;
    int wholeStyle;
    std::array<int, kValueCount> values;
};

constexpr std::array<int, kBitCount> noBits() {
    return {kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
}
constexpr std::array<int, kValueCount> noValues() {
    return {kNone, kNone, kNone, kNone, kNone, kNone, kNone};
}

std::optional<Packing> packingOf(std::int64_t type) {
    Packing p{noBits(), kNone, noValues()};
    switch (type) {
    case GroupBox:
        p.bits = {w::GBFlat, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
        p.values[0] = w::GBAlign;
        break;
    case PushButton:
        p.bits = {w::PBPush, w::PBDefPush, w::PBFlat, w::PBMultiline, kNone, kNone, kNone, kNone};
        break;
    case RadioButton:
        p.bits = {w::RBCheck, w::RBLeftText, w::RBFlat, w::RBMultiline, kNone, kNone, kNone, kNone};
        break;
    case CheckBox:
        p.bits = {w::HBCheck, w::HBLeftText, w::HBFlat, w::HBMultiline, kNone, kNone, kNone, kNone};
        break;
    case StaticText:
        p.bits = {w::STCenterVert, w::STNoPrefix, w::STNoWrap, w::STSunken,
                  w::STBorder,     kNone,         kNone,       kNone};
        p.values[0] = w::STAlign;
        break;
    case EditBox:
        p.bits = {w::EBMultiline, w::EBHScrollBar,      w::EBVScrollBar,      w::EBLeftScrollBar,
                  w::EBSpin,      w::EBSpinSetBuddyInt, w::EBSpinNoThousands, kNone};
        p.values = {w::EBAlign, w::EBSpinOrient, w::EBSpinAlign, kNone, kNone, kNone, kNone};
        break;
    case ListBox:
        p.bits = {w::LBSort,       w::LBExtendedSel,   w::LBMulticolumn,     w::LBHScrollBar,
                  w::LBVScrollBar, w::LBLeftScrollBar, w::LBDisableNoScroll, w::LBNoIntegralHeight};
        p.values = {w::LBColumnWidth, w::LBCurSel, kNone, kNone, kNone, kNone, kNone};
        break;
    case ComboBox:
        p.bits = {w::CBSort,
                  w::CBDisableNoScroll,
                  w::CBLeftScrollBar,
                  w::CBVScrollBar,
                  w::CBNoIntegralHeight,
                  w::CBShowDropDown,
                  kNone,
                  kNone};
        p.values = {w::CBHeight, w::CBType, w::CBCurSel, kNone, kNone, kNone, kNone};
        break;
    case HScrollBar:
        p.wholeStyle = w::SBHScrollPos;
        p.values = {w::SBHMaxScrollPos, w::SBHPageSize, kNone, kNone, kNone, kNone, kNone};
        break;
    case VScrollBar:
        p.wholeStyle = w::SBVScrollPos;
        p.values = {w::SBVMaxScrollPos, w::SBVPageSize, kNone, kNone, kNone, kNone, kNone};
        break;
    case Spin:
        break;
    case Progress:
        p.wholeStyle = w::PRPos;
        break;
    case Slider:
        p.bits = {w::SLTickMarks, w::SLAutoTicks, w::SLEnableSel, w::SLBorder,
                  kNone,          kNone,          kNone,          kNone};
        p.values = {w::SLOrientation, w::SLPoint,    w::SLPos,   w::SLRange,
                    w::SLTickFreq,    w::SLStartSel, w::SLEndSel};
        break;
    case Tab:
        p.bits = {w::TCButtons, w::TCBorder,   w::TCMultiline, w::TCHotTrack,
                  w::TCBottom,  w::TCVertical, w::TCHighlight, kNone};
        p.values = {w::TCAlign, w::TCCurSel, w::TCHotItem, w::TCHighlightItem, kNone, kNone, kNone};
        break;
    case DateTime:
        // Bit 0 is never used.
        p.bits = {kNone, w::DTShowNone, kNone, kNone, kNone, kNone, kNone, kNone};
        p.values = {w::DTFormat, w::DTYear,   w::DTMonth, w::DTDay,
                    w::DTHour,   w::DTMinute, w::DTSecond};
        break;
    case MonthCalendar:
        p.bits = {
            w::MCDayState, w::MCNoTodayCircle, w::MCNoToday, w::MCWeekNumbers, kNone, kNone, kNone,
            kNone};
        p.values = {w::MCYear,     w::MCMonth,  w::MCDay, w::MCSelYear,
                    w::MCSelMonth, w::MCSelDay, kNone};
        break;
    case IPAddress:
        p.wholeStyle = w::IPAddress;
        break;
    case Dialog:
        p.bits = {w::DlgCaption,     w::DlgSysMenu,    w::DlgMinimizeBox, w::DlgMaximizeBox,
                  w::DlgContextHelp, w::DlgToolWindow, w::DlgRTLLayout,   kNone};
        break;
    case MessageBox:
        p.wholeStyle = w::MBIcon;
        p.values = {w::MBButtons, w::MBDefButton, kNone, kNone, kNone, kNone, kNone};
        break;
    case Icon:
        p.bits = {w::ICCenter, w::ICSunken, w::ICBorder, kNone, kNone, kNone, kNone, kNone};
        p.values[0] = w::ICType;
        break;
    default:
        return std::nullopt;
    }
    return p;
}

std::uint8_t flagByte(const SysControlSettings& s, int w) {
    return s.flag(w) ? 1 : 0;
}

} // namespace

ControlObjectRecord SettingsToRecord(const SysControlSettings& settings,
                                     const std::string& itemsText) {
    ControlObjectRecord record;
    const std::int32_t type = settings[w::Type];
    record.type = static_cast<std::uint32_t>(type);
    record.clientEdge = flagByte(settings, w::GeneralClientEdge);
    record.staticEdge = flagByte(settings, w::GeneralStaticEdge);
    record.modalFrame = flagByte(settings, w::GeneralModalFrame);
    record.disabled = flagByte(settings, w::GeneralDisabled);
    record.setFocus = flagByte(settings, w::GeneralSetFocus);
    record.text = HasItems(type) ? itemsText : settings.Text;
    record.caption = settings.Caption;
    const std::optional<Packing> packing = packingOf(type);
    if (!packing)
        return record;
    if (packing->wholeStyle != kNone)
        record.styleBits = static_cast<std::uint32_t>(settings[packing->wholeStyle]);
    for (std::size_t bit = 0; bit < kBitCount; ++bit)
        if (packing->bits[bit] != kNone && settings.flag(packing->bits[bit]))
            record.styleBits |= 1u << bit;
    for (std::size_t i = 0; i < kValueCount; ++i)
        if (packing->values[i] != kNone)
            record.values[i] = settings[packing->values[i]];
    return record;
}

void RecordToSettings(SysControlSettings& settings, const ControlObjectRecord& record,
                      int frameWidth, int frameHeight) {
    const std::int64_t type = record.type;
    // A type beyond the int range stays out of range: the dialog then opens on its first row.
    settings[w::Type] = IsKnownType(type) ? static_cast<std::int32_t>(type) : 0;
    settings[w::GeneralClientEdge] = record.clientEdge;
    settings[w::GeneralStaticEdge] = record.staticEdge;
    settings[w::GeneralModalFrame] = record.modalFrame;
    settings[w::GeneralDisabled] = record.disabled;
    settings[w::GeneralSetFocus] = record.setFocus;
    settings.Text = record.text.value_or(std::string());
    settings.Caption = record.caption.value_or(std::string());
    const std::optional<Packing> packing = packingOf(type);
    if (!packing)
        return;
    if (packing->wholeStyle != kNone)
        settings[packing->wholeStyle] = static_cast<std::int32_t>(record.styleBits);
    for (std::size_t bit = 0; bit < kBitCount; ++bit)
        if (packing->bits[bit] != kNone)
            settings[packing->bits[bit]] = (record.styleBits >> bit) & 1u;
    for (std::size_t i = 0; i < kValueCount; ++i)
        if (packing->values[i] != kNone)
            settings[packing->values[i]] = record.values[i];
    const SizeWords size = SizeWordsOfType(type);
    if (size.width >= 0)
        settings[size.width] = frameWidth;
    // The list box keeps its remembered height; the combo box's came with the record.
    if (size.height >= 0 && type != ListBox && type != ComboBox)
        settings[size.height] = frameHeight;
}

} // namespace kfm::syscontrols
