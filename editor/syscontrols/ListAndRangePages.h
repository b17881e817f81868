#pragma once
// The pages of the list box, combo box, both scroll bars, progress bar, slider and tab control.

#include "SysControlPages.h"

namespace kfm::syscontrols {

// List box: eight flags and the column width, which is enabled with multiple columns.
class CDlgSCPageListBox : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int {
        kColumnWidth = 10314,
        kColumnWidthUpDown = 10315,
        kColumnWidthLabel = 10316,
        kSort = 10323,
        kExtendedSel = 10318,
        kMulticolumn = 10321,
        kHScrollBar = 10319,
        kVScrollBar = 10324,
        kLeftScrollBar = 10320,
        kDisableNoScroll = 10317,
        kNoIntegralHeight = 10322,
    };
    CDlgSCPageListBox(QWidget* parent, CSysControlWnd* preview, SysControlPageHost* dialog);
    void StorePageValues(SysControlSettings& settings) override { storeNumbers(settings); }
    void LoadPageValues(const SysControlSettings& settings) override { loadNumbers(settings); }

    // Enables the column width when the page's multiple-columns flag is set.
    void UpdateColumnControls();
    void UpdateEnabling() override { UpdateColumnControls(); }

protected:
    void followUp(int id, const SysControlSettings& settings) override;
};

// Combo box: the kind (show-list only for the drop-down kinds) and six flags.
class CDlgSCPageComboBox : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int {
        kKind = 10272,
        kSort = 10271,
        kDisableNoScroll = 10267,
        kLeftScrollBar = 10268,
        kVScrollBar = 10273,
        kNoIntegralHeight = 10269,
        kShowDropDown = 10270,
    };
    CDlgSCPageComboBox(QWidget* parent, CSysControlWnd* preview, SysControlPageHost* dialog);

protected:
    void applyInitialEnabling(const SysControlSettings& settings) override;
    void followUp(int id, const SysControlSettings& settings) override;
};

class CDlgSCPageHScrollBar : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int {
        kMaximum = 10352,
        kMaximumUpDown = 10353,
        kPageSize = 10354,
        kPageSizeUpDown = 10355,
    };
    CDlgSCPageHScrollBar(QWidget* parent, CSysControlWnd* preview);
    void StorePageValues(SysControlSettings& settings) override { storeNumbers(settings); }
    void LoadPageValues(const SysControlSettings& settings) override { loadNumbers(settings); }
};

class CDlgSCPageVScrollBar : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int {
        kMaximum = 10356,
        kMaximumUpDown = 10357,
        kPageSize = 10358,
        kPageSizeUpDown = 10359,
    };
    CDlgSCPageVScrollBar(QWidget* parent, CSysControlWnd* preview);
    void StorePageValues(SysControlSettings& settings) override { storeNumbers(settings); }
    void LoadPageValues(const SysControlSettings& settings) override { loadNumbers(settings); }
};

class CDlgSCPageProgress : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int { kPosition = 10344, kPositionUpDown = 10345 };
    CDlgSCPageProgress(QWidget* parent, CSysControlWnd* preview);
    void StorePageValues(SysControlSettings& settings) override { storeNumbers(settings); }
    void LoadPageValues(const SysControlSettings& settings) override { loadNumbers(settings); }
};

// Slider: the range is also the bound of the selection fields.
class CDlgSCPageSlider : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int {
        kOrientation = 10366,
        kPoint = 10367,
        kTickMarks = 10374,
        kAutoTicks = 10361,
        kEnableSel = 10363,
        kBorder = 10362,
        kRange = 10368,
        kRangeUpDown = 10369,
        kTickFreq = 10372,
        kTickFreqUpDown = 10373,
        kStartSel = 10370,
        kStartSelUpDown = 10371,
        kEndSel = 10364,
        kEndSelUpDown = 10365,
    };
    CDlgSCPageSlider(QWidget* parent, CSysControlWnd* preview);

    void StorePageValues(SysControlSettings& settings) override { storeNumbers(settings); }
    void LoadPageValues(const SysControlSettings& settings) override;

protected:
    void adjustChange(int id, SysControlSettings& settings) override;

private:
    void boundSelection(int range);
};

// Tab: the hot and highlighted tab fields are enabled by their flags and run to the tab count.
class CDlgSCPageTab : public CSysControlPage {
    Q_OBJECT
public:
    enum Control : int {
        kAlign = 10381,
        kButtons = 10384,
        kBorder = 10382,
        kMultiline = 10391,
        kHotTrack = 10390,
        kBottom = 10383,
        kVertical = 10392,
        kHighlight = 10385,
        kHotItem = 10388,
        kHotItemUpDown = 10389,
        kHighlightItem = 10386,
        kHighlightItemUpDown = 10387,
    };
    CDlgSCPageTab(QWidget* parent, CSysControlWnd* preview);

    void UpdateTabItemRanges(int count) override;

protected:
    void applyInitialEnabling(const SysControlSettings& settings) override;
    void followUp(int id, const SysControlSettings& settings) override;

private:
    void enableItemFields(const SysControlSettings& settings);
};

} // namespace kfm::syscontrols
