// The pages of the date-time picker, month calendar, dialog, message box and icon, and the icon
// chooser, driven through their controls in the real dialog: what each control stores, the date
// fields each format owns, impossible stored dates, the message and default button of the
// message box, and the icon choice with its chooser (a double click takes an icon, Cancel keeps
// the one before).

#include "SysControlPageFixture.h"

#include "ControlIcons.h"
#include "DateAndWindowPages.h"
#include "DateControls.h"
#include "DlgIconChooser.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>

namespace {

using namespace kfm::syscontrols;
using kfm::test::PageCase;
namespace w = word;

constexpr int kLastIcon = 43;

// Runs the action on the icon chooser once it is shown modally (the timer looks at every turn
// of the event loop until the chooser is there).
void WhenTheChooserShows(std::function<void(CDlgIconChooser&)> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* chooser = qobject_cast<CDlgIconChooser*>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        timer->stop();
        timer->deleteLater();
        action(*chooser);
    });
    timer->start(0);
}

QListWidget* ChooserList(CDlgIconChooser& chooser) {
    return chooser.kit().controlAs<QListWidget>(CDlgIconChooser::kIconList);
}

void DoubleClickIcon(CDlgIconChooser& chooser, int row) {
    QListWidget* list = ChooserList(chooser);
    ASSERT_LT(row, list->count());
    const QPoint centre = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

class DateAndWindowPagesTest : public kfm::test::SysControlPageFixture {
protected:
    // Chooses the entry from the list's pop-up (the way to choose the entry shown already).
    void chooseFromPopup(int id, int entry) {
        auto* list = control<QComboBox>(id);
        list->showPopup();
        list->view()->setCurrentIndex(list->model()->index(entry, 0));
        QTest::keyClick(list->view(), Qt::Key_Return);
    }
    void stepPicker(int id, Qt::Key key) {
        auto* picker = control<QDateTimeEdit>(id);
        picker->setFocus();
        picker->setCurrentSectionIndex(0);
        QTest::keyClick(picker, key);
    }
};

TEST_F(DateAndWindowPagesTest, DateTimePage) {
    runTable(DateTime, {
                           {"long date", 10284, PageCase::Choose, 1, w::DTFormat, 1},
                           {"show none", 10286, PageCase::Click, 0, w::DTShowNone, 1},
                           {"up-down", 10287, PageCase::Click, 0, w::DTUpDown, 1},
                           {"short date", 10284, PageCase::Choose, 0, w::DTFormat, 0},
                       });
    screenshot("syscontrol_page_datetime.png");
}

// A date format's picker edits the date words, the time format's the time words.
TEST_F(DateAndWindowPagesTest, OnlyTheFieldsOfTheCurrentFormatFollowThePicker) {
    open(DateTime);
    auto* picker = control<QDateTimeEdit>(10283);
    EXPECT_EQ(picker->date(), QDate(2004, 2, 29));
    stepPicker(10283, Qt::Key_Up); // the month of "M/d/yy"
    EXPECT_EQ(settings()[w::DTMonth], 3);
    EXPECT_EQ(settings()[w::DTDay], 29);
    EXPECT_EQ(settings()[w::DTHour], 13);

    choose(10284, 2);
    EXPECT_EQ(settings()[w::DTFormat], 2);
    EXPECT_EQ(picker->displayFormat(), PickerFormat(2));
    EXPECT_EQ(picker->time(), QTime(13, 14, 15));
    stepPicker(10283, Qt::Key_Up); // the hour
    EXPECT_EQ(settings()[w::DTHour], 14);
    EXPECT_EQ(settings()[w::DTYear], 2004) << "the stored date stays";
    EXPECT_EQ(settings()[w::DTMonth], 3);
    EXPECT_EQ(settings()[w::DTDay], 29);
    screenshot("syscontrol_page_datetime_time.png");
}

TEST_F(DateAndWindowPagesTest, MonthCalendarPage) {
    runTable(MonthCalendar, {
                                {"bold days", 10333, PageCase::Click, 0, w::MCDayState, 1},
                                {"no circle", 10335, PageCase::Click, 0, w::MCNoTodayCircle, 1},
                                {"no today", 10334, PageCase::Click, 0, w::MCNoToday, 1},
                                {"week numbers", 10337, PageCase::Click, 0, w::MCWeekNumbers, 1},
                            });
    stepPicker(10336, Qt::Key_Down); // the month
    EXPECT_EQ(settings()[w::MCYear], 2004);
    EXPECT_EQ(settings()[w::MCMonth], 1);
    EXPECT_EQ(settings()[w::MCDay], 29);
    screenshot("syscontrol_page_monthcalendar.png");
}

// An impossible stored date shows held to real ranges, and the user's change of the date writes
// a real one.
TEST_F(DateAndWindowPagesTest, AnImpossibleDateShowsHeldAndIsWrittenOnlyByAChange) {
    SysControlSettings stored = kfm::test::ControlSettings(MonthCalendar, 183, 153);
    stored[w::MCYear] = 2001;
    stored[w::MCMonth] = 0;
    stored[w::MCDay] = 32;
    Remember(stored);
    open(MonthCalendar);
    EXPECT_EQ(control<QDateTimeEdit>(10336)->date(), QDate(2001, 1, 31));
    stepPicker(10336, Qt::Key_Up); // January 31 to February: the day is held to the 28th
    EXPECT_EQ(settings()[w::MCYear], 2001);
    EXPECT_EQ(settings()[w::MCMonth], 2);
    EXPECT_EQ(settings()[w::MCDay], 28);
}

TEST_F(DateAndWindowPagesTest, DialogPage) {
    runTable(Dialog, {
                         {"no caption", 10275, PageCase::Click, 0, w::DlgCaption, 0},
                         {"no system menu", 10280, PageCase::Click, 0, w::DlgSysMenu, 0},
                         {"minimise", 10278, PageCase::Click, 0, w::DlgMinimizeBox, 1},
                         {"maximise", 10277, PageCase::Click, 0, w::DlgMaximizeBox, 1},
                         {"help", 10276, PageCase::Click, 0, w::DlgContextHelp, 1},
                         {"tool window", 10281, PageCase::Click, 0, w::DlgToolWindow, 1},
                         {"right to left", 10279, PageCase::Click, 0, w::DlgRTLLayout, 1},
                     });
    screenshot("syscontrol_page_dialog.png");
}

TEST_F(DateAndWindowPagesTest, MessageBoxPage) {
    runTable(MessageBox, {
                             {"yes no cancel", 10327, PageCase::Choose, 4, w::MBButtons, 4},
                             {"question", 10331, PageCase::Choose, 2, w::MBIcon, 2},
                             {"second default", 10329, PageCase::Click, 0, w::MBDefButton, 1},
                             {"third default", 10330, PageCase::Click, 0, w::MBDefButton, 2},
                             {"first default", 10328, PageCase::Click, 0, w::MBDefButton, 0},
                         });
    EXPECT_TRUE(control<QRadioButton>(10328)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(10330)->isChecked());
    // The field edits the message the box shows, and says so.
    auto* label = qobject_cast<QLabel*>(edit(10332)->parentWidget()->findChildren<QLabel*>()[0]);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->buddy(), edit(10332));
    EXPECT_EQ(label->text(), "&Message:");
    type(10332, "");
    QTest::keyClicks(edit(10332), "Save the changes?");
    QTest::keyClick(edit(10332), Qt::Key_Return);
    EXPECT_EQ(settings().Caption, "Save the changes?");
    screenshot("syscontrol_page_messagebox.png");
}

TEST_F(DateAndWindowPagesTest, ADefaultButtonOutsideTheSetSetsNoRadioButton) {
    SysControlSettings stored = kfm::test::ControlSettings(MessageBox, 200, 100);
    stored[w::MBDefButton] = 3;
    stored[w::MBButtons] = 9;
    Remember(stored);
    open(MessageBox);
    for (const int id : {10328, 10329, 10330})
        EXPECT_FALSE(control<QRadioButton>(id)->isChecked()) << id;
    EXPECT_EQ(control<QComboBox>(10327)->currentIndex(), -1);
    choose(10331, 1);
    EXPECT_EQ(settings()[w::MBDefButton], 3);
    EXPECT_EQ(settings()[w::MBButtons], 9);
}

TEST_F(DateAndWindowPagesTest, IconPage) {
    runTable(Icon, {
                       {"question", 10530, PageCase::Choose, 2, w::ICType, 2},
                       {"centred", 10527, PageCase::Click, 0, w::ICCenter, 1},
                       {"sunken", 10528, PageCase::Click, 0, w::ICSunken, 1},
                       {"border", 10529, PageCase::Click, 0, w::ICBorder, 1},
                   });
    EXPECT_EQ(control<QComboBox>(10530)->count(), 5);
    screenshot("syscontrol_page_icon.png");
}

// Entry 4 opens the chooser: a double click takes an icon at once, the first listed icon being
// icon 4; Cancel keeps the icon set before, a chooser icon too, and the list shows entry 4.
TEST_F(DateAndWindowPagesTest, TheChooserSetsTheIconAndCancelKeepsTheOneBefore) {
    open(Icon);
    auto* list = control<QComboBox>(10530);
    choose(10530, 1);
    WhenTheChooserShows([](CDlgIconChooser& chooser) { DoubleClickIcon(chooser, 0); });
    chooseFromPopup(10530, 4);
    EXPECT_EQ(settings()[w::ICType], 4);
    EXPECT_EQ(list->currentIndex(), 4);

    choose(10530, 1);
    WhenTheChooserShows([](CDlgIconChooser& chooser) {
        chooser.grab().save(kfm::test::ArtifactPath("syscontrol_icon_chooser.png"));
        chooser.kit().controlAs<QPushButton>(IDCANCEL)->click();
    });
    chooseFromPopup(10530, 4);
    EXPECT_EQ(settings()[w::ICType], 1);
    EXPECT_EQ(list->currentIndex(), 1);

    choose(10530, 3);
    WhenTheChooserShows([](CDlgIconChooser& chooser) {
        DoubleClickIcon(chooser, ChooserList(chooser)->count() - 1);
    });
    chooseFromPopup(10530, 4);
    EXPECT_EQ(settings()[w::ICType], kLastIcon);
    WhenTheChooserShows(
        [](CDlgIconChooser& chooser) { chooser.kit().controlAs<QPushButton>(IDCANCEL)->click(); });
    chooseFromPopup(10530, 4);
    EXPECT_EQ(settings()[w::ICType], kLastIcon);
    EXPECT_EQ(list->currentIndex(), 4);
}

TEST_F(DateAndWindowPagesTest, StoredIconTypesShowTheirEntry) {
    for (const auto& [stored, entry] : {std::pair{2, 2}, std::pair{4, 4}, std::pair{kLastIcon, 4},
                                        std::pair{4000, 4}, std::pair{-1, -1}}) {
        SCOPED_TRACE(stored);
        SysControlSettings s = kfm::test::ControlSettings(Icon, 32, 32);
        s[w::ICType] = stored;
        Remember(s);
        open(Icon);
        EXPECT_EQ(control<QComboBox>(10530)->currentIndex(), entry);
        click(10527);
        EXPECT_EQ(settings()[w::ICType], stored);
        dialog.reset();
    }
}

TEST(IconChooserTest, ListsTheIconsFromTheFifthOn) {
    const std::vector<QPixmap> icons = LoadControlIcons();
    ASSERT_EQ(static_cast<int>(icons.size()), kLastIcon + 1);
    for (const QPixmap& icon : icons) {
        EXPECT_EQ(icon.width(), kControlIconSide);
        EXPECT_EQ(icon.height(), kControlIconSide);
    }
    CDlgIconChooser chooser(nullptr, icons);
    chooser.show();
    QListWidget* list = ChooserList(chooser);
    ASSERT_EQ(list->count(), kLastIcon + 1 - 4);
    EXPECT_EQ(list->viewMode(), QListView::IconMode);
    EXPECT_EQ(list->gridSize(), QSize(41, 44));
    for (int row = 0; row < list->count(); ++row)
        EXPECT_TRUE(list->item(row)->text().isEmpty());

    // OK without a selection ends as Cancel; with one it gives its position among the listed.
    chooser.kit().controlAs<QPushButton>(IDOK)->click();
    EXPECT_EQ(chooser.result(), QDialog::Rejected);
    EXPECT_EQ(chooser.GetSelectedIcon(), -1);
    for (const int row : {0, 1, 2, list->count() - 1}) {
        CDlgIconChooser again(nullptr, icons);
        again.show();
        ChooserList(again)->item(row)->setSelected(true);
        again.kit().controlAs<QPushButton>(IDOK)->click();
        EXPECT_EQ(again.result(), QDialog::Accepted) << row;
        EXPECT_EQ(again.GetSelectedIcon(), row);
    }
}

TEST(IconChooserTest, WithoutNumberedIconsTheListIsEmptyAndOKCancels) {
    std::vector<QPixmap> icons = LoadControlIcons();
    icons.resize(4);
    CDlgIconChooser chooser(nullptr, icons);
    chooser.show();
    EXPECT_EQ(ChooserList(chooser)->count(), 0);
    chooser.kit().controlAs<QPushButton>(IDOK)->click();
    EXPECT_EQ(chooser.result(), QDialog::Rejected);
}

TEST_F(DateAndWindowPagesTest, AnOptionSetOnItsPageCapturesAsItsGolden) {
    struct Capture {
        SysControlSettings stored;
        PageCase action;
        const char* golden;
        const char* message = nullptr;
    };
    SysControlSettings messageBox = kfm::test::ControlSettings(MessageBox, 200, 100);
    messageBox.Caption = "Message";
    SysControlSettings defaultButton = kfm::test::ControlSettings(MessageBox, 240, 100);
    defaultButton.Caption = "Message";
    defaultButton[w::MBButtons] = 4;
    SysControlSettings calendar = kfm::test::ControlSettings(MonthCalendar, 183, 153);
    calendar[w::MCSelDay] = 10;
    const Capture captures[] = {
        {kfm::test::ControlSettings(Dialog, 120, 90),
         {"tool window", 10281, PageCase::Click, 0, w::DlgToolWindow, 1},
         "dialog_tool_window"},
        {messageBox,
         {"question", 10331, PageCase::Choose, 2, w::MBIcon, 2},
         "messagebox_icon2",
         "Message"},
        {defaultButton,
         {"second default", 10329, PageCase::Click, 0, w::MBDefButton, 1},
         "messagebox_default1",
         "Message"},
        {kfm::test::ControlSettings(Icon, 48, 44),
         {"centred", 10527, PageCase::Click, 0, w::ICCenter, 1},
         "icon_centred"},
        {kfm::test::ControlSettings(DateTime, 100, 24),
         {"up-down", 10287, PageCase::Click, 0, w::DTUpDown, 1},
         "datetime_updown"},
        {calendar,
         {"week numbers", 10337, PageCase::Click, 0, w::MCWeekNumbers, 1},
         "monthcalendar_week_numbers"},
    };
    for (const Capture& c : captures) {
        SCOPED_TRACE(c.golden);
        Remember(c.stored);
        open(c.stored[w::Type]);
        // A new message box starts without a message: it is typed on the page.
        if (c.message)
            type(10332, c.message);
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
