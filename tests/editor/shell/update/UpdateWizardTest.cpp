// The update wizard and the update settings dialog, offscreen: the outcome texts by result, the
// news, the buttons, Cancel during a check, the stored date, and the settings' values.

#include "DlgUpdateSettings.h"
#include "DlgUpdateWizardSheet.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "UpdateTestServer.h"
#include "ViewTestSupport.h"

#include "TestSupport.h"
#include "registry/RegistryHelpers.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace kfm::update {
namespace {

using kfm::test::UpdateTestServer;
using namespace kfm5res;

constexpr int kPatienceMs = 60000;

QByteArray versionText(const QByteArray& build) {
    return "[kfm]\r\nsignature=kfm120021\r\nmajorversion=5\r\nminorversion=0\r\nmajorbuild=" +
           build + "\r\n[version keys]\r\n0=kfm_US\r\n[kfm_US]\r\nA new look.\r\n";
}

template <class W> W* control(QWidget& parent, UINT id) {
    return parent.findChild<W*>(QStringLiteral("id%1").arg(id));
}

class UpdateWizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedTmp_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(tmp_.path().string()));
        saved_ = TheUpdateServer();
        TheUpdateServer().baseUrl = "http://127.0.0.1:" + std::to_string(server_.port()) + "/kfm/";
    }
    void TearDown() override {
        TheUpdateServer() = saved_;
        if (savedTmp_.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTmp_);
    }

    kfm::test::ScopedRegistry registry_;
    kfm::test::TempDir tmp_;
    UpdateTestServer server_;
    UpdateServer saved_;
    QByteArray savedTmp_;
};

TEST_F(UpdateWizardTest, TheResultPageTellsTheOutcome) {
    struct Case {
        const char* name;
        QByteArray response;
        UINT text;
        bool news;
    };
    const Case cases[] = {
        {"newer-build", UpdateTestServer::response(versionText("3001")), IDS_UPDATE_NEWER_BUILD,
         true},
        {"newer-version",
         UpdateTestServer::response(versionText("0").replace("minorversion=0", "minorversion=1")),
         IDS_UPDATE_NEWER_VERSION, true},
        {"current", UpdateTestServer::response(versionText("3000")), IDS_UPDATE_CURRENT, false},
        {"no-reply", UpdateTestServer::response("gone", 404), IDS_UPDATE_NO_REPLY, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_.answer(c.response);
        CDlgUpdateWizardSheet sheet(IDS_UPDATE_WIZARD, nullptr);
        sheet.show();
        EXPECT_EQ(sheet.windowTitle(),
                  kfm::ui::LibraryText(kfm::ui::GetResourceHandle(), IDS_UPDATE_WIZARD));
        EXPECT_FALSE(sheet.button(QWizard::BackButton)->isVisible());
        EXPECT_TRUE(sheet.button(QWizard::NextButton)->isVisible());
        QSignalSpy shown(sheet.ResultPage(), &CDlgUpdateWizardResult::outcomeShown);
        sheet.next();
        EXPECT_FALSE(sheet.button(QWizard::FinishButton)->isEnabled());
        EXPECT_FALSE(sheet.button(QWizard::BackButton)->isVisible());
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == 1; }, kPatienceMs));
        QWidget& page = *sheet.ResultPage();
        EXPECT_EQ(control<QLabel>(page, IDC_UPDATE_OUTCOME)->text(),
                  kfm::ui::LibraryText(kfm::ui::GetResourceHandle(), c.text));
        EXPECT_FALSE(control<QLabel>(page, IDC_UPDATE_CHECKING)->isVisible());
        auto* news = control<QPlainTextEdit>(page, IDC_UPDATE_NEWS);
        EXPECT_EQ(news->isVisible(), c.news);
        EXPECT_TRUE(news->isReadOnly());
        if (c.news) {
            EXPECT_EQ(news->toPlainText(), "A new look.\n");
        }
        EXPECT_TRUE(sheet.button(QWizard::FinishButton)->isEnabled());
        EXPECT_TRUE(sheet.button(QWizard::BackButton)->isVisible());
        sheet.grab().save(
            kfm::test::ArtifactPath((std::string("update-wizard-") + c.name + ".png").c_str()));
    }
}

TEST_F(UpdateWizardTest, CancelDuringTheCheckAbortsItAndTheDateIsStored) {
    server_.stayQuiet();
    {
        CDlgUpdateWizardSheet sheet(IDS_UPDATE_WIZARD, nullptr);
        sheet.show();
        sheet.grab().save(kfm::test::ArtifactPath("update-wizard-intro.png"));
        QSignalSpy shown(sheet.ResultPage(), &CDlgUpdateWizardResult::outcomeShown);
        sheet.next();
        ASSERT_TRUE(sheet.ResultPage()->Checking());
        int beeps = 0;
        sheet.ResultPage()->Check()->SetBeep([&] { ++beeps; });
        sheet.grab().save(kfm::test::ArtifactPath("update-wizard-checking.png"));
        sheet.reject();
        EXPECT_EQ(beeps, 1);
        EXPECT_FALSE(sheet.ResultPage()->Checking());
        QTest::qWait(50);
        EXPECT_EQ(shown.count(), 0);
        EXPECT_EQ(ReadRegInt("UpdateInfo", "LastDay", -1, 0, 0), -1);
    }
    const QDate today = QDate::currentDate();
    EXPECT_EQ(ReadRegInt("UpdateInfo", "LastDay", -1, 0, 0), today.day());
    EXPECT_EQ(ReadRegInt("UpdateInfo", "LastMonth", -1, 0, 0), today.month());
    EXPECT_EQ(ReadRegInt("UpdateInfo", "LastYear", -1, 0, 0), today.year());
}

TEST_F(UpdateWizardTest, AWizardLeftOnItsIntroductionStoresNoDate) {
    {
        CDlgUpdateWizardSheet sheet(IDS_UPDATE_WIZARD, nullptr);
        sheet.show();
        sheet.reject();
    }
    EXPECT_EQ(ReadRegInt("UpdateInfo", "LastDay", -1, 0, 0), -1);
}

TEST_F(UpdateWizardTest, TheSettingsShowAndStoreTheReminderInterval) {
    struct Case {
        int stored;
        int row;
        int written;
    };
    // Nothing stored (the first case) shows 30 days, as the reminder counts; a hand-made 7 shows
    // 180.
    const Case cases[] = {{-1, 1, 30}, {0, 0, 0}, {60, 2, 60}, {7, 3, 180}, {180, 3, 180}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        if (c.stored >= 0)
            WriteRegInt(kUpdateSettingsSection, "ReminderInterval", c.stored);
        CDlgUpdateSettings dialog(nullptr);
        EXPECT_EQ(control<QComboBox>(dialog, IDC_UPDATE_REMINDER)->currentIndex(), c.row);
        dialog.accept();
        EXPECT_EQ(ReadRegInt(kUpdateSettingsSection, "ReminderInterval", -1, 0, 0), c.written);
    }
}

TEST_F(UpdateWizardTest, TheProxyFieldsFollowTheCheckBoxes) {
    WriteRegString(kUpdateSettingsSection, "ProxyServer", "proxy.example");
    WriteRegString(kUpdateSettingsSection, "PortNumber", "8080");
    CDlgUpdateSettings dialog(nullptr);
    dialog.show();
    auto* direct = control<QCheckBox>(dialog, IDC_UPDATE_DIRECT);
    auto* proxy = control<QCheckBox>(dialog, IDC_UPDATE_USE_PROXY);
    auto* server = control<QLineEdit>(dialog, IDC_UPDATE_SERVER);
    auto* port = control<QLineEdit>(dialog, IDC_UPDATE_PORT);
    EXPECT_TRUE(direct->isChecked());
    EXPECT_FALSE(proxy->isChecked());
    EXPECT_FALSE(server->isEnabled());
    EXPECT_FALSE(port->isEnabled());
    EXPECT_EQ(server->text(), "proxy.example");
    QTest::mouseClick(proxy, Qt::LeftButton, {}, QPoint(5, proxy->height() / 2));
    EXPECT_TRUE(proxy->isChecked());
    EXPECT_FALSE(direct->isChecked());
    EXPECT_TRUE(server->isEnabled());
    EXPECT_TRUE(port->isEnabled());
    dialog.grab().save(kfm::test::ArtifactPath("update-settings.png"));
    port->setText("3128");
    dialog.accept();
    EXPECT_EQ(ReadRegInt(kUpdateSettingsSection, "ProxyDefault", -1, 0, 0), 0);
    EXPECT_EQ(ReadRegString(kUpdateSettingsSection, "PortNumber", ""), "3128");
    CDlgUpdateSettings again(nullptr);
    EXPECT_FALSE(control<QCheckBox>(again, IDC_UPDATE_DIRECT)->isChecked());
    EXPECT_TRUE(control<QLineEdit>(again, IDC_UPDATE_SERVER)->isEnabled());
}

TEST_F(UpdateWizardTest, TheResultPageAsksThroughTheStoredProxy) {
    WriteRegInt(kUpdateSettingsSection, "ProxyDefault", 0);
    WriteRegString(kUpdateSettingsSection, "ProxyServer", "127.0.0.1");
    WriteRegString(kUpdateSettingsSection, "PortNumber", std::to_string(server_.port()).c_str());
    TheUpdateServer().baseUrl = saved_.baseUrl;
    server_.answer(UpdateTestServer::response(versionText("3001")));
    CDlgUpdateWizardSheet sheet(IDS_UPDATE_WIZARD, nullptr, true);
    QSignalSpy shown(sheet.ResultPage(), &CDlgUpdateWizardResult::outcomeShown);
    sheet.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == 1; }, kPatienceMs));
    EXPECT_EQ(shown[0][0].toInt(), kNewerBuild);
    ASSERT_EQ(server_.requestLines().size(), 1);
    EXPECT_TRUE(server_.requestLines()[0].startsWith("GET http://www."));
}

} // namespace
} // namespace kfm::update
