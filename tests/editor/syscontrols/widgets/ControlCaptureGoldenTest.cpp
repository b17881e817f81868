// The captured pictures of every kind of control against golden pictures: the 8-bit indices,
// the palette and the transparent index must match exactly. The goldens are indexed PNG files
// in tests/data/syscontrols; regenerate them with KFM_WRITE_GOLDEN=<folder> after a deliberate
// change and review the pictures. Over every case the background's red never leaks into the
// capture, and the captures of group boxes and icons are transparent exactly where the control
// drew nothing.

#include "SysControlTestSupport.h"
#include "ViewTestSupport.h"

#include "ControlIcons.h"
#include "SysControlTypes.h"
#include "SysControlWnd.h"

#include "TestSupport.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace kfm::syscontrols;
namespace w = word;

using Setter = std::function<void(SysControlSettings&)>;

struct GoldenCase {
    std::string name;
    int type;
    int width;
    int height;
    Setter set;
    std::string items;
};

const std::string kItems = "one\n\ntwo\n\nthree\n\nfour\n\nfive";

void addCase(std::vector<GoldenCase>& cases, const std::string& name, int type, int width,
             int height, Setter set = {}, std::string items = {}) {
    cases.push_back({name, type, width, height, std::move(set), std::move(items)});
}

Setter text(const char* value, Setter more = {}) {
    return [value, more](SysControlSettings& s) {
        s.Text = value;
        if (more)
            more(s);
    };
}

Setter flags(std::vector<std::pair<int, int>> words) {
    return [words](SysControlSettings& s) {
        for (const auto& [word, value] : words)
            s[word] = value;
    };
}

std::vector<GoldenCase> goldenCases() {
    std::vector<GoldenCase> c;
    // Dialog.
    addCase(c, "dialog", Dialog, 120, 90, text("Dialog"));
    addCase(c, "dialog_no_caption", Dialog, 120, 90, flags({{w::DlgCaption, 0}}));
    addCase(c, "dialog_no_system_menu", Dialog, 120, 90, flags({{w::DlgSysMenu, 0}}));
    addCase(c, "dialog_min_max", Dialog, 120, 90,
            flags({{w::DlgMinimizeBox, 1}, {w::DlgMaximizeBox, 1}}));
    addCase(c, "dialog_help", Dialog, 120, 90, flags({{w::DlgContextHelp, 1}}));
    addCase(c, "dialog_tool_window", Dialog, 120, 90, flags({{w::DlgToolWindow, 1}}));
    addCase(c, "dialog_right_to_left", Dialog, 120, 90, flags({{w::DlgRTLLayout, 1}}));
    addCase(c, "dialog_edges", Dialog, 120, 90,
            flags({{w::GeneralClientEdge, 1}, {w::GeneralStaticEdge, 1}}));
    // Message box: the six button sets, the four icons, the three default buttons.
    for (int set = 0; set <= 5; ++set)
        addCase(c, "messagebox_buttons" + std::to_string(set), MessageBox, 240, 120,
                [set](SysControlSettings& s) {
                    s.Text = "Title";
                    s.Caption = "Save the changes to the animation?";
                    s[w::MBButtons] = set;
                });
    for (int icon = 0; icon <= 3; ++icon)
        addCase(c, "messagebox_icon" + std::to_string(icon), MessageBox, 200, 100,
                [icon](SysControlSettings& s) {
                    s.Caption = "Message";
                    s[w::MBIcon] = icon;
                });
    for (int button = 0; button <= 2; ++button)
        addCase(c, "messagebox_default" + std::to_string(button), MessageBox, 240, 100,
                [button](SysControlSettings& s) {
                    s.Caption = "Message";
                    s[w::MBButtons] = 4;
                    s[w::MBDefButton] = button;
                });
    // Icon.
    for (int icon = 0; icon <= 3; ++icon)
        addCase(c, "icon" + std::to_string(icon), Icon, 32, 32, flags({{w::ICType, icon}}));
    addCase(c, "icon_centred", Icon, 48, 44, flags({{w::ICCenter, 1}}));
    addCase(c, "icon_sunken_border", Icon, 40, 40, flags({{w::ICSunken, 1}, {w::ICBorder, 1}}));
    // An icon type beyond the numbered icons shows none; the first and the last numbered icon.
    addCase(c, "icon_none", Icon, 32, 32, flags({{w::ICType, 4000}}));
    addCase(c, "icon_first_numbered", Icon, 32, 32, flags({{w::ICType, 4}}));
    addCase(c, "icon_last_numbered", Icon, 32, 32, flags({{w::ICType, 43}}));
    // Push button.
    addCase(c, "pushbutton", PushButton, 75, 23, text("OK"));
    addCase(c, "pushbutton_pushed", PushButton, 75, 23, text("OK", flags({{w::PBPush, 1}})));
    addCase(c, "pushbutton_default", PushButton, 75, 23, text("OK", flags({{w::PBDefPush, 1}})));
    addCase(c, "pushbutton_flat", PushButton, 75, 23, text("OK", flags({{w::PBFlat, 1}})));
    addCase(c, "pushbutton_multiline", PushButton, 60, 40,
            text("Two lines of text", flags({{w::PBMultiline, 1}})));
    addCase(c, "pushbutton_disabled", PushButton, 75, 23,
            text("&Save", flags({{w::GeneralDisabled, 1}})));
    addCase(c, "pushbutton_focus", PushButton, 75, 23,
            text("OK", flags({{w::GeneralSetFocus, 1}})));
    addCase(c, "pushbutton_edges", PushButton, 85, 33,
            text("OK", flags({{w::GeneralClientEdge, 1},
                              {w::GeneralStaticEdge, 1},
                              {w::GeneralModalFrame, 1}})));
    // Radio button and check box.
    for (const auto& [prefix, type, check, left, flat, multi] :
         {std::tuple{"radio", int{RadioButton}, int{w::RBCheck}, int{w::RBLeftText}, int{w::RBFlat},
                     int{w::RBMultiline}},
          std::tuple{"checkbox", int{CheckBox}, int{w::HBCheck}, int{w::HBLeftText}, int{w::HBFlat},
                     int{w::HBMultiline}}}) {
        const std::string p = prefix;
        addCase(c, p, type, 90, 17, text("Option"));
        addCase(c, p + "_checked", type, 90, 17, text("Option", flags({{check, 1}})));
        addCase(c, p + "_left_text", type, 90, 17, text("Option", flags({{check, 1}, {left, 1}})));
        addCase(c, p + "_flat", type, 90, 17, text("Option", flags({{check, 1}, {flat, 1}})));
        addCase(c, p + "_multiline", type, 70, 40,
                text("A longer option text", flags({{multi, 1}})));
    }
    // Static text.
    for (int align = 0; align <= 2; ++align)
        addCase(c, "static_align" + std::to_string(align), StaticText, 150, 40,
                text("Some words of text", flags({{w::STAlign, align}})));
    addCase(c, "static_centred", StaticText, 100, 40,
            text("Centred", flags({{w::STCenterVert, 1}, {w::STAlign, 1}})));
    addCase(c, "static_prefix", StaticText, 60, 20, text("&Save"));
    addCase(c, "static_no_prefix", StaticText, 60, 20, text("&Save", flags({{w::STNoPrefix, 1}})));
    addCase(c, "static_no_wrap", StaticText, 60, 30,
            text("Words that do not wrap", flags({{w::STNoWrap, 1}})));
    addCase(c, "static_sunken", StaticText, 80, 24, text("Sunken", flags({{w::STSunken, 1}})));
    addCase(c, "static_border", StaticText, 80, 24, text("Border", flags({{w::STBorder, 1}})));
    // Edit box.
    for (int align = 0; align <= 2; ++align)
        addCase(c, "edit_align" + std::to_string(align), EditBox, 90, 20,
                text("Edit", flags({{w::EBAlign, align}, {w::GeneralClientEdge, 1}})));
    addCase(c, "edit_multiline_bars", EditBox, 110, 70,
            text("Line one\nLine two\nLine three\nLine four\nLine five",
                 flags({{w::EBMultiline, 1},
                        {w::EBHScrollBar, 1},
                        {w::EBVScrollBar, 1},
                        {w::GeneralClientEdge, 1}})));
    addCase(c, "edit_left_scroll_bar", EditBox, 110, 60,
            text("Line one\nLine two",
                 flags({{w::EBMultiline, 1}, {w::EBVScrollBar, 1}, {w::EBLeftScrollBar, 1}})));
    addCase(c, "edit_updown_left", EditBox, 80, 20,
            text("12", flags({{w::EBSpin, 1}, {w::EBSpinAlign, 0}})));
    addCase(c, "edit_updown_right", EditBox, 80, 20, text("12", flags({{w::EBSpin, 1}})));
    addCase(c, "edit_updown_horizontal", EditBox, 80, 20,
            text("12", flags({{w::EBSpin, 1}, {w::EBSpinOrient, 0}})));
    // List box.
    addCase(c, "listbox", ListBox, 90, 60, flags({{w::GeneralClientEdge, 1}}), kItems);
    addCase(c, "listbox_third_item", ListBox, 90, 60,
            flags({{w::GeneralClientEdge, 1}, {w::LBCurSel, 2}}), kItems);
    addCase(c, "listbox_extended", ListBox, 90, 60,
            flags({{w::LBExtendedSel, 1}, {w::LBCurSel, 1}}), kItems);
    addCase(c, "listbox_sorted", ListBox, 90, 60, flags({{w::LBSort, 1}, {w::LBCurSel, 0}}),
            kItems);
    addCase(c, "listbox_columns", ListBox, 120, 40,
            flags({{w::LBMulticolumn, 1}, {w::LBColumnWidth, 40}, {w::LBHScrollBar, 1}}), kItems);
    addCase(c, "listbox_no_integral_height", ListBox, 90, 47, flags({{w::LBNoIntegralHeight, 1}}),
            kItems);
    addCase(c, "listbox_scroll_bar", ListBox, 90, 47,
            flags({{w::LBVScrollBar, 1}, {w::GeneralClientEdge, 1}}), kItems);
    addCase(c, "listbox_edges", ListBox, 90, 60,
            flags({{w::GeneralStaticEdge, 1}, {w::GeneralModalFrame, 1}, {w::GeneralDisabled, 1}}),
            kItems);
    addCase(c, "listbox_focus", ListBox, 90, 60, flags({{w::GeneralSetFocus, 1}, {w::LBCurSel, 1}}),
            kItems);
    // Combo box.
    for (int kind = 0; kind <= 2; ++kind)
        addCase(c, "combobox_kind" + std::to_string(kind), ComboBox, 90, 80,
                flags({{w::CBType, kind}, {w::CBCurSel, 1}}), kItems);
    addCase(c, "combobox_list_shown", ComboBox, 90, 80,
            flags({{w::CBType, 2}, {w::CBCurSel, 1}, {w::CBShowDropDown, 1}}), kItems);
    // Scroll bars.
    addCase(c, "hscrollbar", HScrollBar, 100, 16);
    addCase(c, "hscrollbar_position_page", HScrollBar, 120, 16,
            flags({{w::SBHScrollPos, 5}, {w::SBHMaxScrollPos, 20}, {w::SBHPageSize, 5}}));
    addCase(c, "vscrollbar", VScrollBar, 16, 100);
    addCase(c, "vscrollbar_position_page", VScrollBar, 16, 120,
            flags({{w::SBVScrollPos, 9}, {w::SBVMaxScrollPos, 40}, {w::SBVPageSize, 10}}));
    // Spin, progress.
    addCase(c, "spin", Spin, 16, 23);
    for (const int position : {0, 50, 100})
        addCase(c, "progress" + std::to_string(position), Progress, 100, 20,
                flags({{w::PRPos, position}}));
    // Slider.
    addCase(c, "slider", Slider, 100, 24);
    addCase(c, "slider_vertical", Slider, 24, 100, flags({{w::SLOrientation, 1}}));
    addCase(c, "slider_ticks_both", Slider, 100, 30, flags({{w::SLTickMarks, 1}}));
    addCase(c, "slider_ticks_top", Slider, 100, 30, flags({{w::SLTickMarks, 1}, {w::SLPoint, 1}}));
    addCase(c, "slider_ticks_bottom", Slider, 100, 30,
            flags({{w::SLTickMarks, 1}, {w::SLPoint, 2}}));
    addCase(c, "slider_auto_ticks", Slider, 100, 30,
            flags({{w::SLTickMarks, 1}, {w::SLAutoTicks, 1}, {w::SLPos, 40}}));
    addCase(c, "slider_selection", Slider, 100, 30,
            flags({{w::SLTickMarks, 1},
                   {w::SLEnableSel, 1},
                   {w::SLStartSel, 20},
                   {w::SLEndSel, 70},
                   {w::SLPos, 30}}));
    addCase(c, "slider_border", Slider, 100, 24, flags({{w::SLBorder, 1}}));
    addCase(c, "slider_focus", Slider, 100, 24, flags({{w::GeneralSetFocus, 1}}));
    // Tab.
    const std::string tabs = "First\n\nSecond\n\nThird";
    const std::string manyTabs = "First\n\nSecond\n\nThird\n\nFourth\n\nFifth";
    addCase(c, "tab", Tab, 150, 70, flags({{w::TCCurSel, 0}}), tabs);
    addCase(c, "tab_buttons", Tab, 150, 70, flags({{w::TCButtons, 1}, {w::TCCurSel, 1}}), tabs);
    addCase(c, "tab_border", Tab, 150, 70, flags({{w::TCBorder, 1}, {w::TCCurSel, 0}}), tabs);
    addCase(c, "tab_multiline", Tab, 120, 80, flags({{w::TCMultiline, 1}, {w::TCCurSel, 1}}),
            manyTabs);
    addCase(c, "tab_multiline_ragged", Tab, 120, 80,
            flags({{w::TCMultiline, 1}, {w::TCAlign, 2}, {w::TCCurSel, 4}}), manyTabs);
    addCase(c, "tab_fixed_width", Tab, 170, 70, flags({{w::TCAlign, 1}, {w::TCCurSel, 0}}), tabs);
    addCase(c, "tab_hot2", Tab, 150, 70,
            flags({{w::TCHotTrack, 1}, {w::TCHotItem, 2}, {w::TCCurSel, 0}}), tabs);
    addCase(c, "tab_bottom", Tab, 150, 70, flags({{w::TCBottom, 1}, {w::TCCurSel, 0}}), tabs);
    addCase(c, "tab_vertical", Tab, 110, 150, flags({{w::TCVertical, 1}, {w::TCCurSel, 1}}), tabs);
    addCase(c, "tab_highlight1", Tab, 150, 70,
            flags({{w::TCHighlight, 1}, {w::TCHighlightItem, 1}, {w::TCCurSel, 1}}), tabs);
    addCase(c, "tab_focus", Tab, 150, 70, flags({{w::GeneralSetFocus, 1}, {w::TCCurSel, 0}}), tabs);
    // Date and time (the settings hold 29 February 2004, 13:14:15).
    for (int format = 0; format <= 2; ++format)
        addCase(c, "datetime_format" + std::to_string(format), DateTime, format == 1 ? 180 : 100,
                24, flags({{w::DTFormat, format}}));
    addCase(c, "datetime_updown", DateTime, 100, 24, flags({{w::DTUpDown, 1}}));
    addCase(c, "datetime_show_none", DateTime, 100, 24, flags({{w::DTShowNone, 1}}));
    // Month calendar (today 29 February 2004; the 10th selected).
    const Setter selected10 = flags({{w::MCSelDay, 10}});
    addCase(c, "monthcalendar", MonthCalendar, 183, 153, selected10);
    addCase(c, "monthcalendar_week_numbers", MonthCalendar, 183, 153,
            flags({{w::MCSelDay, 10}, {w::MCWeekNumbers, 1}}));
    addCase(c, "monthcalendar_no_today", MonthCalendar, 183, 153,
            flags({{w::MCSelDay, 10}, {w::MCNoToday, 1}}));
    addCase(c, "monthcalendar_no_circle", MonthCalendar, 183, 153,
            flags({{w::MCSelDay, 10}, {w::MCNoTodayCircle, 1}}));
    // Group box.
    for (int align = 0; align <= 2; ++align)
        addCase(c, "groupbox_align" + std::to_string(align), GroupBox, 100, 50,
                text("Group", flags({{w::GBAlign, align}})));
    addCase(c, "groupbox_flat", GroupBox, 100, 50, text("Group", flags({{w::GBFlat, 1}})));
    return c;
}

// Test names and failure messages show the case by its name.
void PrintTo(const GoldenCase& c, std::ostream* out) {
    *out << c.name;
}

std::string goldenPath(const std::string& name) {
    return kfm::test::testDataPath("syscontrols/" + name + ".png").string();
}

QRgb rgbAt(const QImage& picture, int x, int y) {
    return picture.pixel(x, y) & 0xFFFFFF;
}

class ControlCaptureGoldenTest : public ::testing::TestWithParam<GoldenCase> {
protected:
    void SetUp() override { kfm::test::UseEnglishLocale(); }
};

TEST_P(ControlCaptureGoldenTest, CaptureMatchesItsGolden) {
    const GoldenCase& c = GetParam();
    SysControlSettings s = kfm::test::ControlSettings(c.type, c.width, c.height);
    if (c.set)
        c.set(s);
    CSysControlWnd window;
    window.SetSettings(s);
    window.SetItemsFromText(c.items);
    window.SetControlType(c.type, 0);
    const KpxHandle capture = window.Capture();
    ASSERT_NE(capture, 0) << "no capture";
    const QImage picture = kfm::test::IndexedPicture(capture);
    ASSERT_FALSE(picture.isNull());
    picture.save(kfm::test::ArtifactPath(("syscontrol_" + c.name + ".png").c_str()));
    if (const char* folder = std::getenv("KFM_WRITE_GOLDEN")) {
        QDir().mkpath(QString::fromLocal8Bit(folder));
        ASSERT_TRUE(picture.save(QString::fromLocal8Bit(folder) + "/" +
                                 QString::fromStdString(c.name) + ".png"));
    }

    // Red in the capture is the control's own: red over a blue background too.
    const QImage overBlue = window.Render(RGB(0, 0, 255));
    const QImage overRed = window.Render(RGB(255, 0, 0));
    ASSERT_EQ(overBlue.size(), picture.size());
    const int transparent = [&] {
        for (int i = 0; i < picture.colorCount(); ++i)
            if (qAlpha(picture.color(i)) == 0)
                return i;
        return -1;
    }();
    const bool seeThrough = c.type == GroupBox || c.type == Icon;
    EXPECT_EQ(transparent, seeThrough ? 0 : -1);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const int index = picture.pixelIndex(x, y);
            const QRgb colour = picture.color(index) & 0xFFFFFF;
            if (index != transparent && colour == 0xFF0000u)
                ASSERT_EQ(rgbAt(overBlue, x, y), 0xFF0000u)
                    << "background red at " << x << "," << y;
            if (seeThrough) {
                const bool background =
                    rgbAt(overRed, x, y) == 0xFF0000u && rgbAt(overBlue, x, y) == 0x0000FFu;
                ASSERT_EQ(index == 0, background) << "at " << x << "," << y;
            }
        }
    }

    const QImage golden(QString::fromStdString(goldenPath(c.name)));
    ASSERT_FALSE(golden.isNull()) << "no golden picture " << goldenPath(c.name);
    ASSERT_EQ(golden.size(), picture.size());
    const QImage expected = golden.convertToFormat(QImage::Format_Indexed8);
    ASSERT_EQ(expected.colorCount(), picture.colorCount());
    for (int i = 0; i < picture.colorCount(); ++i)
        ASSERT_EQ(expected.color(i), picture.color(i)) << "palette entry " << i;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            ASSERT_EQ(expected.pixelIndex(x, y), picture.pixelIndex(x, y))
                << "pixel " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Kinds, ControlCaptureGoldenTest, ::testing::ValuesIn(goldenCases()),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                             return info.param.name;
                         });

} // namespace
