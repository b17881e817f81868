// The update reminder at start-up: a first start stores today; the wizard comes once the
// interval has passed since the stored date (30 days when none is stored, as the settings
// dialog shows), and never with interval 0.

#include "DlgUpdateSettings.h"
#include "DlgUpdateWizardSheet.h"
#include "EditorTestSupport.h"
#include "registry/RegistryHelpers.h"

#include <QApplication>
#include <QDate>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using kfm::update::CDlgUpdateWizardSheet;
using kfm::update::kUpdateSettingsSection;

// Closes every modal window that comes up while it lives, counting the update wizards.
class ModalCloser {
public:
    ModalCloser() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                if (qobject_cast<CDlgUpdateWizardSheet*>(modal))
                    ++wizards;
                else
                    ++others;
                static_cast<QDialog*>(modal)->reject();
            }
        });
        timer_.start();
    }
    int wizards = 0;
    int others = 0;

private:
    QTimer timer_;
};

void storeLastCheck(const QDate& date) {
    WriteRegInt("UpdateInfo", "LastDay", date.day());
    WriteRegInt("UpdateInfo", "LastMonth", date.month());
    WriteRegInt("UpdateInfo", "LastYear", date.year());
}

TEST(UpdateReminderTest, AFirstStartStoresTodayAndShowsNoWizard) {
    kfm::test::EditorFixture editor;
    ModalCloser closer;
    ASSERT_TRUE(editor.Start());
    EXPECT_EQ(closer.wizards, 0);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(ReadRegInt("UpdateInfo", "LastDay", -1, 0, 0), today.day());
    EXPECT_EQ(ReadRegInt("UpdateInfo", "LastMonth", -1, 0, 0), today.month());
    EXPECT_EQ(ReadRegInt("UpdateInfo", "LastYear", -1, 0, 0), today.year());
    editor.Stop();
}

TEST(UpdateReminderTest, TheWizardComesOnceTheIntervalHasPassed) {
    struct Case {
        int daysAgo;
        int interval; // -1: none stored
        int wizards;
    };
    const Case cases[] = {
        {31, 30, 1}, {29, 30, 0}, {31, -1, 1}, {8, -1, 0}, {400, 0, 0}, {60, 60, 1}, {179, 180, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.daysAgo << " days, interval " << c.interval);
        kfm::test::EditorFixture editor;
        storeLastCheck(QDate::currentDate().addDays(-c.daysAgo));
        if (c.interval >= 0)
            WriteRegInt(kUpdateSettingsSection, "ReminderInterval", c.interval);
        ModalCloser closer;
        ASSERT_TRUE(editor.Start());
        EXPECT_EQ(closer.wizards, c.wizards);
        EXPECT_EQ(closer.others, 0);
        editor.Stop();
    }
}

TEST(UpdateReminderTest, CommandCheckForUpdatesOpensTheWizard) {
    kfm::test::EditorFixture editor;
    ASSERT_TRUE(editor.Start());
    editor.Idle();
    ASSERT_TRUE(editor.Action(20030)->isEnabled());
    ModalCloser closer;
    editor.Action(20030)->trigger();
    EXPECT_EQ(closer.wizards, 1);
    editor.Stop();
}

} // namespace
