#include "ListAndRangePages.h"

#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "SysControlWnd.h"

#include <algorithm>

namespace kfm::syscontrols {

namespace {

namespace w = word;
using namespace kfm5res;

constexpr int kMaxColumnWidth = 500;
constexpr int kMaxScroll = 32767;
constexpr int kMaxHPageSize = 500;
constexpr int kMaxSliderRange = 500;

} // namespace

// -------------------- List box

CDlgSCPageListBox::CDlgSCPageListBox(QWidget* parent, CSysControlWnd* preview,
                                     SysControlPageHost* dialog)
    : CSysControlPage(parent, 10629, preview, dialog) {
    addNumber(kColumnWidth, kColumnWidthUpDown, w::LBColumnWidth, 1, kMaxColumnWidth, 5,
              kColumnWidthLabel);
    addCheck(kSort, w::LBSort);
    addCheck(kExtendedSel, w::LBExtendedSel);
    addCheck(kMulticolumn, w::LBMulticolumn);
    addCheck(kHScrollBar, w::LBHScrollBar);
    addCheck(kVScrollBar, w::LBVScrollBar);
    addCheck(kLeftScrollBar, w::LBLeftScrollBar);
    addCheck(kDisableNoScroll, w::LBDisableNoScroll);
    addCheck(kNoIntegralHeight, w::LBNoIntegralHeight);
    initPage();
}

void CDlgSCPageListBox::UpdateColumnControls() {
    const bool on = checkField(kMulticolumn)->member != 0;
    for (const int id : {kColumnWidthLabel, kColumnWidth, kColumnWidthUpDown})
        enable(id, on);
}

void CDlgSCPageListBox::followUp(int id, const SysControlSettings&) {
    if (id == kMulticolumn)
        UpdateColumnControls();
    else if (id == kNoIntegralHeight)
        refit();
}

// -------------------- Combo box

CDlgSCPageComboBox::CDlgSCPageComboBox(QWidget* parent, CSysControlWnd* preview,
                                       SysControlPageHost* dialog)
    : CSysControlPage(parent, 10622, preview, dialog) {
    addList(kKind, w::CBType, {IDS_SCP_SIMPLE, IDS_SCP_DROP_DOWN, IDS_SCP_DROP_DOWN_LIST});
    addCheck(kSort, w::CBSort);
    addCheck(kDisableNoScroll, w::CBDisableNoScroll);
    addCheck(kLeftScrollBar, w::CBLeftScrollBar);
    addCheck(kVScrollBar, w::CBVScrollBar);
    addCheck(kNoIntegralHeight, w::CBNoIntegralHeight);
    addCheck(kShowDropDown, w::CBShowDropDown);
    initPage();
}

void CDlgSCPageComboBox::applyInitialEnabling(const SysControlSettings& s) {
    enable(kShowDropDown, s[w::CBType] != 0);
}

void CDlgSCPageComboBox::followUp(int id, const SysControlSettings& s) {
    if (id != kKind && id != kShowDropDown)
        return;
    refit();
    // Only the drop-down kinds have a list to show; the flag itself stays as it is.
    if (id == kKind)
        enable(kShowDropDown, s[w::CBType] != 0);
}

// -------------------- Scroll bars and progress bar

CDlgSCPageHScrollBar::CDlgSCPageHScrollBar(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10628, preview) {
    addNumber(kMaximum, kMaximumUpDown, w::SBHMaxScrollPos, 1, kMaxScroll);
    addNumber(kPageSize, kPageSizeUpDown, w::SBHPageSize, 1, kMaxHPageSize);
    initPage();
}

CDlgSCPageVScrollBar::CDlgSCPageVScrollBar(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10638, preview) {
    addNumber(kMaximum, kMaximumUpDown, w::SBVMaxScrollPos, 1, kMaxScroll);
    addNumber(kPageSize, kPageSizeUpDown, w::SBVPageSize, 1, kMaxScroll);
    initPage();
}

CDlgSCPageProgress::CDlgSCPageProgress(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10632, preview) {
    addNumber(kPosition, kPositionUpDown, w::PRPos, 0, 100, 3);
    initPage();
}

// -------------------- Slider

CDlgSCPageSlider::CDlgSCPageSlider(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10635, preview) {
    addList(kOrientation, w::SLOrientation, {IDS_SCP_HORIZONTAL, IDS_SCP_VERTICAL});
    addList(kPoint, w::SLPoint, {IDS_SCP_BOTH_SIDES, IDS_SCP_TOP_LEFT, IDS_SCP_BOTTOM_RIGHT});
    addCheck(kTickMarks, w::SLTickMarks);
    addCheck(kAutoTicks, w::SLAutoTicks);
    addCheck(kEnableSel, w::SLEnableSel);
    addCheck(kBorder, w::SLBorder);
    const int range = currentSettings()[w::SLRange];
    addNumber(kRange, kRangeUpDown, w::SLRange, 1, kMaxSliderRange);
    addNumber(kTickFreq, kTickFreqUpDown, w::SLTickFreq, 1, kMaxSliderRange);
    addNumber(kStartSel, kStartSelUpDown, w::SLStartSel, 0, range);
    addNumber(kEndSel, kEndSelUpDown, w::SLEndSel, 0, range);
    initPage();
}

void CDlgSCPageSlider::boundSelection(int range) {
    for (const int id : {kStartSel, kEndSel})
        setRange(*numberField(id), 0, range);
}

void CDlgSCPageSlider::LoadPageValues(const SysControlSettings& s) {
    boundSelection(s[w::SLRange]);
    loadNumbers(s);
}

void CDlgSCPageSlider::adjustChange(int id, SysControlSettings& s) {
    // The selection keeps its stored values; only what the fields take follows the range.
    if (id == kRange)
        boundSelection(s[w::SLRange]);
}

// -------------------- Tab

CDlgSCPageTab::CDlgSCPageTab(QWidget* parent, CSysControlWnd* preview)
    : CSysControlPage(parent, 10637, preview) {
    addList(kAlign, w::TCAlign,
            {IDS_SCP_TAB_NORMAL, IDS_SCP_TAB_FIXED_WIDTH, IDS_SCP_TAB_RAGGED_RIGHT});
    addCheck(kButtons, w::TCButtons);
    addCheck(kBorder, w::TCBorder);
    addCheck(kMultiline, w::TCMultiline);
    addCheck(kHotTrack, w::TCHotTrack);
    addCheck(kBottom, w::TCBottom);
    addCheck(kVertical, w::TCVertical);
    addCheck(kHighlight, w::TCHighlight);
    const int count = std::max(1, preview->GetItemCount());
    addNumber(kHotItem, kHotItemUpDown, w::TCHotItem, 1, count);
    addNumber(kHighlightItem, kHighlightItemUpDown, w::TCHighlightItem, 1, count);
    initPage();
}

void CDlgSCPageTab::UpdateTabItemRanges(int count) {
    for (const int id : {kHotItem, kHighlightItem})
        setRange(*numberField(id), 1, std::max(1, count));
}

void CDlgSCPageTab::enableItemFields(const SysControlSettings& s) {
    for (const int id : {kHotItem, kHotItemUpDown})
        enable(id, s.flag(w::TCHotTrack));
    for (const int id : {kHighlightItem, kHighlightItemUpDown})
        enable(id, s.flag(w::TCHighlight));
}

void CDlgSCPageTab::applyInitialEnabling(const SysControlSettings& s) {
    enableItemFields(s);
}

void CDlgSCPageTab::followUp(int id, const SysControlSettings& s) {
    if (id == kHotTrack || id == kHighlight)
        enableItemFields(s);
}

} // namespace kfm::syscontrols
