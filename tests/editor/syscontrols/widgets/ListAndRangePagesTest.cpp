// The pages of the list box, combo box, scroll bars, progress bar, slider and tab, driven
// through their controls in the real dialog: what each control stores, the ranges of the
// numeric fields, and the rules of the column width, the combo box kind, the slider's selection
// bounds and the tab fields.

#include "SysControlPageFixture.h"

#include "ListAndRangePages.h"

#include <QCheckBox>

namespace {

using namespace kfm::syscontrols;
using kfm::test::PageCase;
namespace w = word;

class ListAndRangePagesTest : public kfm::test::SysControlPageFixture {
protected:
    void addItem(const char* text) {
        control<kfm::ui::CNumEdit>(CDlgSysControl::kText)->setText(text);
        dialog->OnAddItem();
    }
};

TEST_F(ListAndRangePagesTest, ListBoxPage) {
    runTable(ListBox,
             {
                 {"columns", 10321, PageCase::Click, 0, w::LBMulticolumn, 1},
                 {"column width", 10314, PageCase::Type, 40, w::LBColumnWidth, 40},
                 {"column width held", 10314, PageCase::Type, 900, w::LBColumnWidth, 500},
                 {"column width at least 1", 10314, PageCase::Type, 0, w::LBColumnWidth, 1},
                 {"sort", 10323, PageCase::Click, 0, w::LBSort, 1},
                 {"extended", 10318, PageCase::Click, 0, w::LBExtendedSel, 1},
                 {"horizontal bar", 10319, PageCase::Click, 0, w::LBHScrollBar, 1},
                 {"vertical bar", 10324, PageCase::Click, 0, w::LBVScrollBar, 1},
                 {"left bar", 10320, PageCase::Click, 0, w::LBLeftScrollBar, 1},
                 {"disable no scroll", 10317, PageCase::Click, 0, w::LBDisableNoScroll, 1},
                 {"no integral height", 10322, PageCase::Click, 0, w::LBNoIntegralHeight, 1},
             });
    screenshot("syscontrol_page_listbox.png");
}

TEST_F(ListAndRangePagesTest, ComboBoxPage) {
    runTable(ComboBox,
             {
                 {"drop-down", 10272, PageCase::Choose, 1, w::CBType, 1},
                 {"show list", 10270, PageCase::Click, 0, w::CBShowDropDown, 1},
                 {"drop-down list", 10272, PageCase::Choose, 2, w::CBType, 2},
                 {"sort", 10271, PageCase::Click, 0, w::CBSort, 1},
                 {"disable no scroll", 10267, PageCase::Click, 0, w::CBDisableNoScroll, 1},
                 {"left bar", 10268, PageCase::Click, 0, w::CBLeftScrollBar, 1},
                 {"vertical bar", 10273, PageCase::Click, 0, w::CBVScrollBar, 1},
                 {"no integral height", 10269, PageCase::Click, 0, w::CBNoIntegralHeight, 1},
             });
    screenshot("syscontrol_page_combobox.png");
}

// 600 is above the horizontal page size's range but inside the vertical one's.
TEST_F(ListAndRangePagesTest, ScrollBarPages) {
    runTable(HScrollBar,
             {
                 {"maximum", 10352, PageCase::Type, 20, w::SBHMaxScrollPos, 20},
                 {"maximum held", 10352, PageCase::Type, 40000, w::SBHMaxScrollPos, 32767},
                 {"page size", 10354, PageCase::Type, 7, w::SBHPageSize, 7},
                 {"page size 600", 10354, PageCase::Type, 600, w::SBHPageSize, 500},
             });
    screenshot("syscontrol_page_hscrollbar.png");
    runTable(VScrollBar, {
                             {"maximum", 10356, PageCase::Type, 0, w::SBVMaxScrollPos, 1},
                             {"page size 600", 10358, PageCase::Type, 600, w::SBVPageSize, 600},
                         });
    screenshot("syscontrol_page_vscrollbar.png");
}

TEST_F(ListAndRangePagesTest, ProgressPageTakesThreeCharacters) {
    runTable(Progress, {
                           {"position", 10344, PageCase::Type, 7, w::PRPos, 7},
                           {"full", 10344, PageCase::Type, 100, w::PRPos, 100},
                           {"beyond", 10344, PageCase::Type, 999, w::PRPos, 100},
                           {"empty", 10344, PageCase::Type, 0, w::PRPos, 0},
                       });
    EXPECT_EQ(edit(10344)->maxLength(), 3);
    type(10344, "1000");
    EXPECT_EQ(edit(10344)->text(), "100") << "a fourth character is not taken";
    EXPECT_EQ(settings()[w::PRPos], 100);
    screenshot("syscontrol_page_progress.png");
}

TEST_F(ListAndRangePagesTest, SliderPage) {
    runTable(Slider, {
                         {"vertical", 10366, PageCase::Choose, 1, w::SLOrientation, 1},
                         {"ticks below", 10367, PageCase::Choose, 2, w::SLPoint, 2},
                         {"tick marks", 10374, PageCase::Click, 0, w::SLTickMarks, 1},
                         {"auto ticks", 10361, PageCase::Click, 0, w::SLAutoTicks, 1},
                         {"selection", 10363, PageCase::Click, 0, w::SLEnableSel, 1},
                         {"border", 10362, PageCase::Click, 0, w::SLBorder, 1},
                         {"range", 10368, PageCase::Type, 200, w::SLRange, 200},
                         {"range held", 10368, PageCase::Type, 900, w::SLRange, 500},
                         {"tick frequency", 10372, PageCase::Type, 25, w::SLTickFreq, 25},
                         {"selection start", 10370, PageCase::Type, 30, w::SLStartSel, 30},
                         {"selection end", 10364, PageCase::Type, 450, w::SLEndSel, 450},
                     });
    screenshot("syscontrol_page_slider.png");
}

// A lower range leaves the stored selection end above it; the fields then take only 0..range.
TEST_F(ListAndRangePagesTest, TheSliderRangeBoundsTheSelectionFields) {
    SysControlSettings stored = kfm::test::ControlSettings(Slider, 100, 24);
    stored[w::SLRange] = 100;
    stored[w::SLStartSel] = 10;
    stored[w::SLEndSel] = 80;
    Remember(stored);
    open(Slider);
    EXPECT_EQ(edit(10364)->GetValue(), 80);
    type(10368, "50");
    EXPECT_EQ(settings()[w::SLRange], 50);
    EXPECT_EQ(settings()[w::SLEndSel], 80) << "the stored end is not clamped";
    type(10364, "70");
    EXPECT_EQ(settings()[w::SLEndSel], 50);
    type(10370, "60");
    EXPECT_EQ(settings()[w::SLStartSel], 50);
    type(10370, "20");
    EXPECT_EQ(settings()[w::SLStartSel], 20);
}

TEST_F(ListAndRangePagesTest, TabPage) {
    runTable(Tab, {
                      {"ragged", 10381, PageCase::Choose, 2, w::TCAlign, 2},
                      {"buttons", 10384, PageCase::Click, 0, w::TCButtons, 1},
                      {"border", 10382, PageCase::Click, 0, w::TCBorder, 1},
                      {"multiline", 10391, PageCase::Click, 0, w::TCMultiline, 1},
                      {"hot tracking", 10390, PageCase::Click, 0, w::TCHotTrack, 1},
                      {"bottom", 10383, PageCase::Click, 0, w::TCBottom, 1},
                      {"vertical", 10392, PageCase::Click, 0, w::TCVertical, 1},
                      {"highlight", 10385, PageCase::Click, 0, w::TCHighlight, 1},
                      {"hot tab", 10388, PageCase::Type, 1, w::TCHotItem, 1},
                      {"highlighted tab", 10386, PageCase::Type, 1, w::TCHighlightItem, 1},
                  });
    screenshot("syscontrol_page_tab.png");
}

// Without tabs the hot and highlighted fields take only 1; added tabs widen them.
TEST_F(ListAndRangePagesTest, TheTabFieldsRunToTheTabCount) {
    open(Tab);
    EXPECT_FALSE(edit(10388)->isEnabled());
    EXPECT_FALSE(edit(10386)->isEnabled());
    click(10390);
    EXPECT_TRUE(edit(10388)->isEnabled());
    EXPECT_FALSE(edit(10386)->isEnabled());
    type(10388, "3");
    EXPECT_EQ(settings()[w::TCHotItem], 1);
    for (const char* tab : {"One", "Two", "Three"})
        addItem(tab);
    ASSERT_EQ(dialog->Preview()->GetItemCount(), 3);
    type(10388, "3");
    EXPECT_EQ(settings()[w::TCHotItem], 3);
    type(10388, "5");
    EXPECT_EQ(settings()[w::TCHotItem], 3);
    click(10385);
    type(10386, "2");
    EXPECT_EQ(settings()[w::TCHighlightItem], 2);
    click(10390);
    EXPECT_FALSE(edit(10388)->isEnabled());
}

TEST_F(ListAndRangePagesTest, TheSimpleComboKindDisablesShowListButKeepsTheFlag) {
    SysControlSettings stored = kfm::test::ControlSettings(ComboBox, 90, 80);
    stored[w::CBType] = 2;
    stored[w::CBShowDropDown] = 1;
    Remember(stored);
    open(ComboBox);
    EXPECT_TRUE(control<QCheckBox>(10270)->isEnabled());
    EXPECT_TRUE(control<QCheckBox>(10270)->isChecked());
    choose(10272, 0);
    EXPECT_EQ(settings()[w::CBType], 0);
    EXPECT_FALSE(control<QCheckBox>(10270)->isEnabled());
    EXPECT_EQ(settings()[w::CBShowDropDown], 1);
    choose(10272, 1);
    EXPECT_TRUE(control<QCheckBox>(10270)->isEnabled());
}

TEST_F(ListAndRangePagesTest, TheColumnWidthFollowsMultipleColumns) {
    open(ListBox);
    EXPECT_FALSE(edit(10314)->isEnabled());
    EXPECT_FALSE(page->kit().control(10316)->isEnabled());
    click(10321);
    EXPECT_TRUE(edit(10314)->isEnabled());
    EXPECT_TRUE(page->kit().control(10315)->isEnabled());
    EXPECT_TRUE(page->kit().control(10316)->isEnabled());
}

// Up-downs take the low 16 bits of a stored number and show it held to their range; the
// stored word stays until the user changes it.
TEST_F(ListAndRangePagesTest, StoredNumbersOutsideTheRangesStayUntilChanged) {
    SysControlSettings stored = kfm::test::ControlSettings(HScrollBar, 100, 16);
    stored[w::SBHMaxScrollPos] = 0x10005; // low 16 bits: 5
    stored[w::SBHPageSize] = -8;
    Remember(stored);
    open(HScrollBar);
    EXPECT_EQ(edit(10352)->GetValue(), 5);
    EXPECT_EQ(edit(10354)->GetValue(), 1);
    EXPECT_EQ(dialog->Preview()->Settings()[w::SBHPageSize], -8);
    type(10354, "4");
    EXPECT_EQ(settings()[w::SBHPageSize], 4);
}

TEST_F(ListAndRangePagesTest, AnOptionSetOnItsPageCapturesAsItsGolden) {
    struct Capture {
        SysControlSettings stored;
        PageCase action;
        const char* golden;
    };
    SysControlSettings progress = kfm::test::ControlSettings(Progress, 100, 20);
    progress[w::PRPos] = 0;
    SysControlSettings slider = kfm::test::ControlSettings(Slider, 24, 100);
    SysControlSettings scroll = kfm::test::ControlSettings(VScrollBar, 16, 120);
    scroll[w::SBVScrollPos] = 9;
    scroll[w::SBVMaxScrollPos] = 40;
    const Capture captures[] = {
        {progress, {"full", 10344, PageCase::Type, 100, w::PRPos, 100}, "progress100"},
        {slider, {"vertical", 10366, PageCase::Choose, 1, w::SLOrientation, 1}, "slider_vertical"},
        {scroll,
         {"page", 10358, PageCase::Type, 10, w::SBVPageSize, 10},
         "vscrollbar_position_page"},
    };
    for (const Capture& c : captures) {
        SCOPED_TRACE(c.golden);
        Remember(c.stored);
        open(c.stored[w::Type]);
        act(c.action);
        ASSERT_EQ(settings()[c.action.word], c.action.expected);
        dialog->OnPlacementView();
        const QImage picture = kfm::test::IndexedPicture(dialog->Preview()->GetCapturedImage());
        picture.save(kfm::test::ArtifactPath(
            (std::string("syscontrol_page_capture_") + c.golden + ".png").c_str()));
        EXPECT_EQ(kfm::test::GoldenDifference(picture, c.golden), "");
        dialog.reset();
    }
}

} // namespace
