// The live controls worked with the mouse and keyboard in the preview, offscreen: what each
// change writes back into the settings and tells the dialog, the items the preview keeps, the
// placement view's moves, and the values from files or an edited registry that the controls
// must survive.

#include "SysControlTestSupport.h"
#include "ViewTestSupport.h"

#include "ButtonControls.h"
#include "ControlItems.h"
#include "DateControls.h"
#include "ListControls.h"
#include "MessageTarget.h"
#include "SysControlTypes.h"
#include "SysControlWnd.h"
#include "TabControl.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace kfm::syscontrols;
namespace w = word;

// Stands in for the dialog: records what the preview tells it and the messages it sends.
class RecordingDialog : public QWidget, public kfm::ui::MessageTarget, public SysControlWndHost {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back({message, wParam, lParam});
        return 0;
    }
    void EnableDeleteItem(bool enable) override { deleteEnabled = enable; }
    void ShowItemText(const std::string& text) override { shownText = text; }
    void DateTimeChanged() override { ++dateChanges; }

    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Message> messages;
    bool deleteEnabled = false;
    std::string shownText;
    int dateChanges = 0;
};

class LiveControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        kfm::test::UseEnglishLocale();
        dialog = std::make_unique<RecordingDialog>();
        dialog->resize(420, 320);
        auto* layout = new QVBoxLayout(dialog.get());
        preview = new CSysControlWnd(dialog.get());
        layout->addWidget(preview);
        preview->SetHost(dialog.get());
        preview->SetZoom(100);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        const KpxHandle background = KPXCreateImage(120, 90, 8);
        preview->SetImage(background, true);
        KPXDeleteImage(background);
        preview->SetTool(CSysControlWnd::kToolControl);
    }
    void TearDown() override { dialog.reset(); }

    // Builds the live control of the settings on the preview.
    void show(const SysControlSettings& s, const std::string& items = {}) {
        preview->SetSettings(s);
        // A list box, combo box or tab hands its items on when it goes: start from a spin.
        preview->SetControlType(Spin, 0);
        preview->SetItemsFromText(items);
        preview->UpdateControl(s[w::Type], 1, 1);
        QApplication::processEvents();
    }
    SysControlSettings settings() {
        SysControlSettings s;
        preview->GetSettings(s);
        return s;
    }

    std::unique_ptr<RecordingDialog> dialog;
    CSysControlWnd* preview = nullptr;
};

const std::string kItems = "alpha\n\nbeta\n\ngamma";

TEST_F(LiveControlsTest, TheThirdListItemBecomesTheSelectionAndTheText) {
    show(kfm::test::ControlSettings(ListBox, 90, 60), kItems);
    auto* list = preview->Live().listBox;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(preview->GetControlWindow()->parentWidget(), preview->viewport())
        << "in control view the live control stands on the preview";
    const QRect third = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(settings()[w::LBCurSel], 2);
    EXPECT_EQ(settings().Text, "gamma");
    EXPECT_EQ(dialog->shownText, "gamma");
    EXPECT_TRUE(dialog->deleteEnabled);
}

TEST_F(LiveControlsTest, AnExtendedListWithoutASelectionSelectsNothing) {
    SysControlSettings s = kfm::test::ControlSettings(ListBox, 90, 60);
    s[w::LBExtendedSel] = 1;
    s[w::LBCurSel] = -1;
    show(s, kItems);
    EXPECT_TRUE(preview->Live().listBox->selectedItems().isEmpty());
    s[w::LBCurSel] = 1;
    show(s, kItems);
    ASSERT_EQ(preview->Live().listBox->selectedItems().size(), 1);
    EXPECT_EQ(preview->Live().listBox->selectedItems().front()->text(), "beta");
}

TEST_F(LiveControlsTest, TypingInTheEditBoxWritesTheText) {
    SysControlSettings s = kfm::test::ControlSettings(EditBox, 90, 20);
    s.Text = "ab";
    show(s);
    QLineEdit* edit = preview->Live().lineEdit;
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, "cd");
    EXPECT_EQ(settings().Text, "abcd");
    EXPECT_EQ(dialog->shownText, "abcd");
}

TEST_F(LiveControlsTest, ClickingATabSelectsItAndWritesItsCaption) {
    SysControlSettings s = kfm::test::ControlSettings(Tab, 150, 70);
    s[w::TCCurSel] = 0;
    show(s, kItems);
    CSysControlTab* tab = preview->Live().tab;
    ASSERT_NE(tab, nullptr);
    // "alpha" takes the first 40 pixels or so; x = 60 lies on "beta".
    QTest::mouseClick(tab, Qt::LeftButton, {}, QPoint(60, 10));
    EXPECT_EQ(tab->CurrentIndex(), 1);
    EXPECT_EQ(settings()[w::TCCurSel], 1);
    EXPECT_EQ(settings().Text, "beta");
    EXPECT_EQ(dialog->shownText, "beta");
    EXPECT_TRUE(dialog->deleteEnabled);
}

TEST_F(LiveControlsTest, ATimePickerWritesOnlyTheTime) {
    SysControlSettings s = kfm::test::ControlSettings(DateTime, 100, 24);
    s[w::DTFormat] = 2;
    show(s);
    CSysControlDateTime* picker = preview->Live().dateTime;
    ASSERT_NE(picker, nullptr);
    picker->setFocus();
    picker->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(picker, Qt::Key_Up);
    const SysControlSettings after = settings();
    EXPECT_EQ(after[w::DTHour], 14);
    EXPECT_EQ(after[w::DTMinute], 14);
    EXPECT_EQ(after[w::DTYear], 2004);
    EXPECT_EQ(after[w::DTMonth], 2);
    EXPECT_EQ(after[w::DTDay], 29);
    EXPECT_EQ(dialog->dateChanges, 1);

    // A date picker writes only the date.
    s[w::DTFormat] = 0;
    s[w::DTHour] = 5;
    show(s);
    picker = preview->Live().dateTime;
    picker->setFocus();
    picker->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(picker, Qt::Key_Down);
    EXPECT_EQ(settings()[w::DTDay], 28);
    EXPECT_EQ(settings()[w::DTHour], 5);
}

TEST_F(LiveControlsTest, AnImpossibleDateLeavesTheLastValidOne) {
    SysControlSettings s = kfm::test::ControlSettings(DateTime, 100, 24);
    show(s);
    s[w::DTMonth] = 13;
    s[w::DTDay] = 32;
    show(s);
    EXPECT_EQ(preview->Live().dateTime->date(), QDate(2004, 2, 29));
    s = kfm::test::ControlSettings(MonthCalendar, 183, 153);
    s[w::MCMonth] = 0;
    show(s);
    ASSERT_NE(preview->Live().calendar, nullptr);
    EXPECT_TRUE(preview->Live().calendar->Today().isValid());
}

TEST_F(LiveControlsTest, APushButtonLetsTheClickThroughToThePreview) {
    SysControlSettings s = kfm::test::ControlSettings(PushButton, 75, 23);
    s.Text = "OK";
    show(s);
    auto* button = static_cast<QPushButton*>(preview->GetControl());
    int clicks = 0;
    QObject::connect(button, &QPushButton::pressed, [&] { ++clicks; });
    QWidget* under = QApplication::widgetAt(button->mapToGlobal(button->rect().center()));
    EXPECT_NE(under, button);
    QTest::mouseClick(preview->viewport(), Qt::LeftButton, {}, button->geometry().center());
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button->isDown());
}

TEST_F(LiveControlsTest, ArrowKeysInPlacementViewSendOneMoveEachWay) {
    show(kfm::test::ControlSettings(PushButton, 75, 23));
    preview->SetTool(CSysControlWnd::kToolMove);
    preview->SetObjectFlags(2433);
    preview->SetViewRect(10, 20, 85, 43);
    preview->setFocus();
    dialog->messages.clear();
    QTest::keyPress(preview, Qt::Key_Right);
    ASSERT_EQ(dialog->messages.size(), 1u);
    EXPECT_EQ(dialog->messages[0].message, CSysControlWnd::WM_SYSCONTROL_MOVED);
    EXPECT_EQ(dialog->messages[0].wParam, 0u);
    EXPECT_EQ(dialog->messages[0].lParam & 0xFFFF, 10);
    EXPECT_EQ((dialog->messages[0].lParam >> 16) & 0xFFFF, 20);
    QTest::keyRelease(preview, Qt::Key_Right);
    ASSERT_EQ(dialog->messages.size(), 2u);
    EXPECT_EQ(dialog->messages[1].wParam, 1u);
    EXPECT_EQ(dialog->messages[1].lParam & 0xFFFF, 11) << "the key moved the object";
    // Without the movable object flag nothing is sent.
    preview->SetObjectFlags(0);
    QTest::keyClick(preview, Qt::Key_Left);
    EXPECT_EQ(dialog->messages.size(), 2u);
}

TEST_F(LiveControlsTest, ItemsAreAddedReplacedAndDeleted) {
    SysControlSettings s = kfm::test::ControlSettings(ListBox, 90, 60);
    s[w::LBCurSel] = -1;
    show(s, kItems);
    // Replacing with no item selected changes nothing.
    preview->SetSelectedItemText("zeta");
    EXPECT_EQ(preview->GetItemsText(), kItems);
    // An empty item would not survive the record's text.
    preview->AddItem("");
    EXPECT_EQ(preview->GetItemCount(), 3);
    preview->AddItem(std::string(300, 'x'));
    EXPECT_EQ(preview->GetItemCount(), 3);
    preview->AddItem("delta");
    EXPECT_EQ(preview->GetItemsText(), kItems + "\n\ndelta");
    EXPECT_EQ(settings()[w::LBCurSel], -1) << "without a selection the selection stays none";

    s = settings();
    s[w::LBCurSel] = 1;
    s[w::LBSort] = 1;
    show(s, preview->GetItemsText());
    EXPECT_EQ(preview->GetItemsText(), "alpha\n\nbeta\n\ndelta\n\ngamma");
    preview->AddItem("Charlie");
    EXPECT_EQ(preview->GetItemsText(), "alpha\n\nbeta\n\nCharlie\n\ndelta\n\ngamma");
    EXPECT_EQ(settings()[w::LBCurSel], 2) << "the selection moves to the new item";
    preview->SetSelectedItemText("chi");
    EXPECT_EQ(preview->GetItemsText(), "alpha\n\nbeta\n\nchi\n\ndelta\n\ngamma");
    preview->DeleteSelectedItem();
    EXPECT_EQ(preview->GetItemsText(), "alpha\n\nbeta\n\ndelta\n\ngamma");
    EXPECT_TRUE(dialog->deleteEnabled);

    s = kfm::test::ControlSettings(Tab, 150, 70);
    s[w::TCCurSel] = 0;
    show(s, "one");
    preview->DeleteSelectedItem();
    EXPECT_EQ(preview->GetItemCount(), 0);
    EXPECT_EQ(settings()[w::TCCurSel], -1);
    EXPECT_FALSE(dialog->deleteEnabled);
}

TEST_F(LiveControlsTest, AComboBoxWithItsListShownStaysADropDown) {
    SysControlSettings s = kfm::test::ControlSettings(ComboBox, 90, 80);
    s[w::CBType] = 1;
    s[w::CBShowDropDown] = 1;
    s[w::CBCurSel] = 0;
    show(s, kItems);
    ASSERT_NE(preview->Capture(), 0);
    EXPECT_EQ(preview->GetType(), ComboBox);
    EXPECT_EQ(preview->Settings()[w::CBType], 1);
    const int withList = preview->Settings()[w::Height];
    s[w::CBShowDropDown] = 0;
    show(s, kItems);
    EXPECT_LT(preview->Settings()[w::Height], withList);
    EXPECT_EQ(preview->Settings()[w::Height], ComboFieldHeight());
}

TEST_F(LiveControlsTest, AControlTooLargeToPictureFailsTheCapture) {
    show(kfm::test::ControlSettings(StaticText, 9999, 9999));
    EXPECT_TRUE(preview->Render(RGB(255, 0, 0)).isNull());
    EXPECT_EQ(preview->Capture(), 0);
    EXPECT_EQ(preview->GetCapturedImage(), 0);
    show(kfm::test::ControlSettings(StaticText, 10, 10));
    EXPECT_NE(preview->Capture(), 0);
}

TEST_F(LiveControlsTest, TypesThatMakeNoControlMakeNoWindow) {
    for (const int type : {0, int{IPAddress}, 21}) {
        SysControlSettings s = kfm::test::ControlSettings(PushButton, 40, 20);
        s[w::Type] = type;
        preview->SetSettings(s);
        preview->SetControlType(type == 0 ? 0 : type, 1);
        if (type != 0) {
            EXPECT_EQ(preview->GetType(), 0) << type;
            EXPECT_EQ(preview->GetControlWindow(), nullptr) << type;
            EXPECT_EQ(preview->Capture(), 0) << type;
        }
    }
}

TEST_F(LiveControlsTest, TextSizes) {
    SysControlSettings s = kfm::test::ControlSettings(CheckBox, 10, 10);
    s.Text.clear();
    preview->SetSettings(s);
    int width = 0;
    int height = 0;
    preview->GetTextSize(&width, &height);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 17);
    preview->FitSizeToText(CheckBox);
    EXPECT_EQ(preview->Settings()[w::Width], 20);
    EXPECT_EQ(preview->Settings()[w::Height], 17);
    s.Text = "Some text";
    preview->SetSettings(s);
    preview->FitSizeToText(StaticText);
    const int staticWidth = preview->Settings()[w::Width];
    preview->FitSizeToText(PushButton);
    EXPECT_EQ(preview->Settings()[w::Width], staticWidth + 16);
}

TEST_F(LiveControlsTest, ScreenshotOfTheControlView) {
    SysControlSettings s = kfm::test::ControlSettings(ListBox, 90, 60);
    s[w::Left] = 12;
    s[w::Top] = 8;
    s[w::LBCurSel] = 1;
    s[w::GeneralClientEdge] = 1;
    show(s, kItems);
    dialog->grab().save(kfm::test::ArtifactPath("syscontrol_preview_control_view.png"));
    EXPECT_EQ(
        preview->GetControlWindow()->pos(), QPoint(12, 8) + [&] {
            RECT r;
            preview->GetImageClientRect(&r);
            return QPoint(r.left, r.top);
        }());
}

} // namespace
