// The pages of the push button, radio button, check box, group box, static text and edit box,
// driven through their controls in the real dialog: what each control stores, the size refit of
// the radio button and check box, static text's alignment against no-wrap, the edit box's
// up-down options, and what every page shares (a page made once, a click storing only its flag).

#include "SysControlPageFixture.h"

#include "ButtonPages.h"
#include "SysControlPageFactory.h"

#include <QCheckBox>
#include <QPointer>

namespace {

using namespace kfm::syscontrols;
using kfm::test::PageCase;
namespace w = word;

class ButtonPagesTest : public kfm::test::SysControlPageFixture {};

TEST_F(ButtonPagesTest, PushButtonPage) {
    runTable(PushButton, {
                             {"pushed", 10341, PageCase::Click, 0, w::PBPush, 1},
                             {"default", 10338, PageCase::Click, 0, w::PBDefPush, 1},
                             {"flat", 10339, PageCase::Click, 0, w::PBFlat, 1},
                             {"multiline", 10340, PageCase::Click, 0, w::PBMultiline, 1},
                             {"not pushed", 10341, PageCase::Click, 0, w::PBPush, 0},
                         });
    screenshot("syscontrol_page_pushbutton.png");
}

TEST_F(ButtonPagesTest, RadioButtonPage) {
    runTable(RadioButton, {
                              {"checked", 10346, PageCase::Click, 0, w::RBCheck, 1},
                              {"left text", 10348, PageCase::Click, 0, w::RBLeftText, 1},
                              {"flat", 10347, PageCase::Click, 0, w::RBFlat, 1},
                              {"multiline", 10349, PageCase::Click, 0, w::RBMultiline, 1},
                          });
    screenshot("syscontrol_page_radiobutton.png");
}

TEST_F(ButtonPagesTest, CheckBoxPage) {
    runTable(CheckBox, {
                           {"checked", 10308, PageCase::Click, 0, w::HBCheck, 1},
                           {"left text", 10310, PageCase::Click, 0, w::HBLeftText, 1},
                           {"flat", 10309, PageCase::Click, 0, w::HBFlat, 1},
                           {"multiline", 10311, PageCase::Click, 0, w::HBMultiline, 1},
                       });
    screenshot("syscontrol_page_checkbox.png");
}

TEST_F(ButtonPagesTest, GroupBoxPage) {
    runTable(GroupBox, {
                           {"right", 10301, PageCase::Choose, 2, w::GBAlign, 2},
                           {"centred", 10301, PageCase::Choose, 1, w::GBAlign, 1},
                           {"flat", 10302, PageCase::Click, 0, w::GBFlat, 1},
                       });
    screenshot("syscontrol_page_groupbox.png");
}

TEST_F(ButtonPagesTest, StaticTextPage) {
    runTable(StaticText, {
                             {"right", 10375, PageCase::Choose, 2, w::STAlign, 2},
                             {"centre vertically", 10377, PageCase::Click, 0, w::STCenterVert, 1},
                             {"no prefix", 10378, PageCase::Click, 0, w::STNoPrefix, 1},
                             {"sunken", 10380, PageCase::Click, 0, w::STSunken, 1},
                             {"border", 10376, PageCase::Click, 0, w::STBorder, 1},
                         });
    screenshot("syscontrol_page_statictext.png");
}

TEST_F(ButtonPagesTest, EditBoxPage) {
    runTable(EditBox, {
                          {"centred", 10288, PageCase::Choose, 1, w::EBAlign, 1},
                          {"multiline", 10291, PageCase::Click, 0, w::EBMultiline, 1},
                          {"horizontal bar", 10289, PageCase::Click, 0, w::EBHScrollBar, 1},
                          {"vertical bar", 10299, PageCase::Click, 0, w::EBVScrollBar, 1},
                          {"left bar", 10290, PageCase::Click, 0, w::EBLeftScrollBar, 1},
                          {"up-down", 10292, PageCase::Click, 0, w::EBSpin, 1},
                          {"horizontal up-down", 10296, PageCase::Choose, 0, w::EBSpinOrient, 0},
                          {"up-down on the left", 10293, PageCase::Choose, 0, w::EBSpinAlign, 0},
                          {"buddy number", 10298, PageCase::Click, 0, w::EBSpinSetBuddyInt, 1},
                          {"no thousands", 10295, PageCase::Click, 0, w::EBSpinNoThousands, 1},
                      });
    screenshot("syscontrol_page_editbox.png");
}

// Clearing multiline fits a radio button or check box to its text and shows the size in the
// dialog's fields; setting it, and the push button's multiline, leave the size alone.
TEST_F(ButtonPagesTest, ClearingMultilineFitsTheSizeToTheText) {
    SysControlSettings stored = kfm::test::ControlSettings(CheckBox, 90, 40);
    stored.Text = "";
    stored[w::HBMultiline] = 1;
    stored[w::RBMultiline] = 1;
    Remember(stored);
    open(CheckBox);
    type(CDlgSysControl::kText, ""); // an empty registry text reads as the default text
    click(10311);
    EXPECT_EQ(settings()[w::HBMultiline], 0);
    EXPECT_EQ(settings()[w::Width], 20);
    EXPECT_EQ(settings()[w::Height], 17);
    EXPECT_EQ(settings()[w::HBWidth], 20);
    EXPECT_EQ(dialog->kit().controlAs<kfm::ui::CNumEdit>(CDlgSysControl::kWidth)->GetValue(), 20);
    EXPECT_EQ(dialog->kit().controlAs<kfm::ui::CNumEdit>(CDlgSysControl::kHeight)->GetValue(), 17);

    // Setting it again keeps the size; so does a field edit after it.
    type(CDlgSysControl::kWidth, "70");
    EXPECT_EQ(settings()[w::Width], 70);
    click(10311);
    EXPECT_EQ(settings()[w::HBMultiline], 1);
    EXPECT_EQ(settings()[w::Width], 70);

    // The radio button with a text: the text's extent plus 4, plus 16 for the box.
    show(RadioButton);
    dialog->kit().controlAs<kfm::ui::CNumEdit>(CDlgSysControl::kText)->setText("Option");
    dialog->OnSelChangeType();
    click(10349);
    int textWidth = 0;
    int textHeight = 0;
    dialog->Preview()->GetTextSize(&textWidth, &textHeight);
    EXPECT_EQ(settings()[w::RBMultiline], 0);
    EXPECT_EQ(settings()[w::Width], textWidth + 16);
    EXPECT_EQ(settings()[w::Height], textHeight);
}

TEST_F(ButtonPagesTest, GroupBoxAndPushButtonPagesNeverChangeTheSize) {
    Remember(kfm::test::ControlSettings(PushButton, 75, 23));
    open(PushButton);
    for (const int id : {10340, 10340, 10341, 10338, 10339})
        click(id);
    EXPECT_EQ(settings()[w::Width], 75);
    EXPECT_EQ(settings()[w::Height], 23);
    show(GroupBox);
    const int width = settings()[w::Width];
    const int height = settings()[w::Height];
    choose(10301, 2);
    click(10302);
    EXPECT_EQ(settings()[w::Width], width);
    EXPECT_EQ(settings()[w::Height], height);
}

// Centred or right-aligned text wraps; text that does not wrap is left-aligned.
TEST_F(ButtonPagesTest, StaticTextAlignmentAndNoWrapExcludeEachOther) {
    SysControlSettings stored = kfm::test::ControlSettings(StaticText, 80, 20);
    stored[w::STNoWrap] = 1;
    stored[w::STAlign] = 2; // both, as an edited registry may hold them
    Remember(stored);
    open(StaticText);
    auto* align = control<QComboBox>(10375);
    auto* noWrap = control<QCheckBox>(10379);
    EXPECT_TRUE(noWrap->isChecked());
    EXPECT_EQ(align->currentIndex(), 2);

    click(10379); // clearing no-wrap keeps the alignment
    EXPECT_EQ(settings()[w::STNoWrap], 0);
    EXPECT_EQ(settings()[w::STAlign], 2);
    EXPECT_EQ(align->currentIndex(), 2);

    click(10379); // setting it selects left
    EXPECT_EQ(settings()[w::STNoWrap], 1);
    EXPECT_EQ(settings()[w::STAlign], 0);
    EXPECT_EQ(align->currentIndex(), 0);

    choose(10375, 1); // centring clears no-wrap
    EXPECT_EQ(settings()[w::STAlign], 1);
    EXPECT_EQ(settings()[w::STNoWrap], 0);
    EXPECT_FALSE(noWrap->isChecked());
}

TEST_F(ButtonPagesTest, TheUpDownOptionsFollowTheUpDownFlag) {
    open(EditBox);
    const std::vector<int> options = {10296, 10293, 10298, 10295, 10294, 10297};
    for (const int id : options)
        EXPECT_FALSE(page->kit().control(id)->isEnabled()) << id;
    click(10292);
    for (const int id : options)
        EXPECT_TRUE(page->kit().control(id)->isEnabled()) << id;
    // The dialog refreshes them on a type change too.
    show(PushButton);
    show(EditBox);
    EXPECT_TRUE(page->kit().control(10296)->isEnabled());
    click(10292);
    EXPECT_FALSE(page->kit().control(10296)->isEnabled());
}

// The page's check boxes are read together, but a click stores its own flag only: a flag the
// settings changed behind the page stays.
TEST_F(ButtonPagesTest, AClickStoresOnlyItsOwnFlag) {
    open(PushButton);
    SysControlSettings s = settings();
    s[w::PBFlat] = 1;
    dialog->Preview()->SetSettings(s);
    click(10341);
    EXPECT_EQ(settings()[w::PBPush], 1);
    EXPECT_EQ(settings()[w::PBFlat], 1);
    EXPECT_FALSE(control<QCheckBox>(10339)->isChecked());
}

TEST_F(ButtonPagesTest, AShownPageIsNotReloaded) {
    CSysControlPage* first = open(CheckBox);
    SysControlSettings s = settings();
    s[w::HBCheck] = 1;
    dialog->Preview()->SetSettings(s);
    show(PushButton);
    EXPECT_EQ(show(CheckBox), first);
    EXPECT_FALSE(control<QCheckBox>(10308)->isChecked());
}

// A commit from an edit the page does not know changes nothing but rebuilds the live control.
TEST_F(ButtonPagesTest, AnUnknownEditRebuildsWithUnchangedSettings) {
    open(PushButton);
    const SysControlSettings before = settings();
    const QPointer<QWidget> live = dialog->Preview()->GetControlWindow();
    kfm::ui::CNumEdit stranger;
    EXPECT_EQ(page->WindowProc(kfm::ui::CNumEdit::WM_NUMEDIT_CHANGED, 0,
                               reinterpret_cast<LPARAM>(&stranger)),
              1);
    EXPECT_EQ(settings(), before);
    EXPECT_TRUE(live.isNull()) << "the live control was made again";
    EXPECT_NE(dialog->Preview()->GetControlWindow(), nullptr);
}

TEST_F(ButtonPagesTest, SpinAndIPAddressShowEmptyPagesThatChangeNothing) {
    open(Spin);
    EXPECT_NE(dynamic_cast<CDlgSCPageEmpty*>(page), nullptr);
    EXPECT_TRUE(page->findChildren<QWidget*>().isEmpty());
    const SysControlSettings before = settings();
    EXPECT_EQ(page->WindowProc(kfm::ui::CNumEdit::WM_NUMEDIT_CHANGED, 0, 0), 1);
    EXPECT_EQ(settings(), before);
    screenshot("syscontrol_page_spin.png");
    std::unique_ptr<CSysControlPage> ip(
        CreateSysControlPage(IPAddress, nullptr, dialog->Preview(), dialog.get()));
    EXPECT_NE(dynamic_cast<CDlgSCPageEmpty*>(ip.get()), nullptr);
    EXPECT_EQ(ip->kit().templateId(), 10626u);
}

// Stored values no list entry has select none and stay until the user changes them.
TEST_F(ButtonPagesTest, AnIndexTheListLacksSelectsNothing) {
    SysControlSettings stored = kfm::test::ControlSettings(EditBox, 90, 20);
    stored[w::EBAlign] = 7;
    stored[w::EBSpinOrient] = -1;
    Remember(stored);
    open(EditBox);
    EXPECT_EQ(control<QComboBox>(10288)->currentIndex(), -1);
    EXPECT_EQ(control<QComboBox>(10296)->currentIndex(), -1);
    click(10291);
    EXPECT_EQ(settings()[w::EBAlign], 7);
    choose(10288, 2);
    EXPECT_EQ(settings()[w::EBAlign], 2);
}

// One option set on its page captures as the golden picture of that option.
TEST_F(ButtonPagesTest, AnOptionSetOnItsPageCapturesAsItsGolden) {
    struct Capture {
        int type;
        int width;
        int height;
        const char* text;
        PageCase action;
        const char* golden;
    };
    const Capture captures[] = {
        {PushButton,
         75,
         23,
         "OK",
         {"flat", 10339, PageCase::Click, 0, w::PBFlat, 1},
         "pushbutton_flat"},
        {GroupBox,
         100,
         50,
         "Group",
         {"right", 10301, PageCase::Choose, 2, w::GBAlign, 2},
         "groupbox_align2"},
        {GroupBox,
         100,
         50,
         "Group",
         {"flat", 10302, PageCase::Click, 0, w::GBFlat, 1},
         "groupbox_flat"},
        {StaticText,
         80,
         24,
         "Sunken",
         {"sunken", 10380, PageCase::Click, 0, w::STSunken, 1},
         "static_sunken"},
    };
    for (const Capture& c : captures) {
        SCOPED_TRACE(c.golden);
        SysControlSettings stored = kfm::test::ControlSettings(c.type, c.width, c.height);
        stored.Text = c.text;
        Remember(stored);
        open(c.type);
        // A new control starts with the default text, and static text fitted to it.
        type(CDlgSysControl::kText, c.text);
        type(CDlgSysControl::kWidth, QString::number(c.width));
        type(CDlgSysControl::kHeight, QString::number(c.height));
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
