// The splash window at start-up, the About dialog with its links, details and picture trick, and
// the outside editor's two notices, driven offscreen in the running editor.

#include "EditorTestSupport.h"

#include "AppSettings.h"
#include "HyperLink.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "SmallControls.h"
#include "about/AboutDlg.h"
#include "about/NoticeDialogs.h"
#include "about/SplashWnd.h"
#include "registry/RegistryHelpers.h"
#include "shell/Desktop.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace kfm::ui;
using namespace kfm5res;
using kfm::test::EditorFixture;

QString artifact(const char* name) {
    return QString::fromStdString(kfm::test::ArtifactsFolder() + "/" + name);
}

bool waitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 2000 && !condition(); ++i)
        QTest::qWait(10);
    return condition();
}

class SplashTest : public ::testing::Test {
protected:
    void TearDown() override { CSplashWnd::HideSplashScreen(); }
    EditorFixture editor;
};

TEST_F(SplashTest, ShowsThePictureCentredOnceAndGoesByItself) {
    ASSERT_TRUE(editor.Start());
    CSplashWnd* splash = CSplashWnd::Current();
    ASSERT_NE(splash, nullptr) << "a new animation at start-up shows the splash";
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash->size(), QSize(KPXWidth(splash->Picture()), KPXHeight(splash->Picture())));
    if (QScreen* screen = splash->screen())
        EXPECT_LE((splash->geometry().center() - screen->geometry().center()).manhattanLength(), 2);
    splash->grab().save(artifact("splash.png"));

    CSplashWnd::ShowSplashScreen(&editor.Frame());
    EXPECT_EQ(CSplashWnd::Current(), splash) << "a second splash is not made";
    EXPECT_TRUE(waitFor([] { return CSplashWnd::Current() == nullptr; }))
        << "the splash closes when its time is up";
}

TEST_F(SplashTest, NoArchiveMeansNoSplash) {
    ASSERT_TRUE(editor.Start());
    CSplashWnd::HideSplashScreen();
    const kfm::test::TempDir empty;
    kfm::shell::g_AppSettings.programFolder = empty.path().string();
    ASSERT_TRUE(kfm::test::writeFileBytes(empty.path() / "kfmimgs.dat", {'K', 'D', 'A', 'T'}));
    CSplashWnd::ShowSplashScreen(&editor.Frame());
    EXPECT_EQ(CSplashWnd::Current(), nullptr) << "a short archive";
    std::filesystem::remove(empty.path() / "kfmimgs.dat");
    CSplashWnd::ShowSplashScreen(&editor.Frame());
    EXPECT_EQ(CSplashWnd::Current(), nullptr) << "no archive";
}

TEST_F(SplashTest, AFileOnTheCommandLineOrTheSettingOffShowsNone) {
    const std::string gif = kfm::test::testDataPath("gif/pillow/dispose_bgnd.gif").string();
    ASSERT_TRUE(editor.Start({gif}));
    EXPECT_FALSE(CSplashWnd::IsEnabled());
    EXPECT_EQ(CSplashWnd::Current(), nullptr);

    // The settings are written at the exit: the value goes in after it.
    editor.Stop();
    WriteRegInt("Settings", "ShowSplash", 0);
    ASSERT_TRUE(editor.Restart());
    EXPECT_FALSE(CSplashWnd::IsEnabled()) << "so no archive is read";
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
}

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.Start());
        CSplashWnd::HideSplashScreen();
        kfm::shell::setUrlOpener([this](const std::string& url) {
            opened.push_back(url);
            return true;
        });
    }
    void TearDown() override {
        kfm::shell::setUrlOpener({});
        QCursor::setPos(200, 200);
    }

    EditorFixture editor;
    std::vector<std::string> opened;
};

TEST_F(AboutTest, ShowsTextsPictureAndLinks) {
    CAboutDlg dialog(&editor.Frame());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), ResourceString(IDD_ABOUT));
    for (const int id : {IDC_ABOUT_TITLE, IDC_ABOUT_VERSION, IDC_ABOUT_COPYRIGHT, IDC_ABOUT_NOTE}) {
        auto* label = dialog.kit().controlAs<QLabel>(id);
        ASSERT_NE(label, nullptr) << id;
        EXPECT_EQ(label->text(), ResourceString(id));
    }
    EXPECT_NE(dialog.Picture()->GetImage(), 0) << "picture 1 of the archive";
    EXPECT_EQ(dialog.WebLink()->GetUrl(), ResourceString(IDS_WEB_ADDRESS));
    dialog.grab().save(artifact("about.png"));

    QTest::mouseClick(dialog.MailLink(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(opened, std::vector<std::string>{ResourceText(IDS_ABOUT_MAIL_ADDRESS)});
    EXPECT_TRUE(dialog.MailLink()->IsVisited());
}

TEST_F(AboutTest, DetailsButtonOpensTheDetailsDialog) {
    CAboutDlg dialog(&editor.Frame());
    dialog.show();
    QString detailsTitle;
    kfm::test::AnswerNextDialog([&](QWidget* shown) {
        detailsTitle = shown->windowTitle();
        shown->grab().save(artifact("about-details.png"));
        static_cast<QDialog*>(shown)->accept();
    });
    dialog.kit().controlAs<QPushButton>(IDC_ABOUT_DETAILS)->click();
    EXPECT_EQ(detailsTitle, ResourceString(IDD_ABOUT_DETAILS));
}

TEST_F(AboutTest, TabAtTheTopLeftCornerDrawsThePictureThroughTheAppFilter) {
    bool drawn = false;
    bool movedOnly = false;
    bool stillDrawn = false;
    kfm::test::AnswerNextDialog([&](QWidget* shown) {
        auto* about = qobject_cast<CAboutDlg*>(shown);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(TheAboutDlg(), about);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        // Anywhere else the key only moves the focus.
        QCursor::setPos(300, 300);
        QTest::keyClick(focus, Qt::Key_Tab);
        QTest::qWait(50);
        movedOnly = about->Drawing() == nullptr && QApplication::focusWidget() != focus;

        QCursor::setPos(0, 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        drawn = waitFor([about] { return about->Drawing() != nullptr; });
        if (drawn) {
            const QRect place(about->LastDrawingPlace(), QSize(64, 64));
            EXPECT_TRUE(about->rect().contains(place));
            about->Drawing()->grab().save(artifact("about-tab.png"));
            // A click takes the drawing away.
            QTest::mouseClick(about->Drawing(), Qt::LeftButton);
            stillDrawn = about->Drawing() != nullptr;
        }
        about->accept();
    });
    editor.Frame().Router().Execute(ID_APP_ABOUT);
    EXPECT_TRUE(movedOnly);
    EXPECT_TRUE(drawn);
    EXPECT_FALSE(stillDrawn);
    EXPECT_EQ(TheAboutDlg(), nullptr);
}

TEST_F(AboutTest, WithoutAnArchiveThereIsNoPictureAndTabDrawsNothing) {
    kfm::test::TempDir empty;
    kfm::shell::g_AppSettings.programFolder = empty.path().string() + "/";
    CAboutDlg dialog(&editor.Frame());
    dialog.show();
    EXPECT_EQ(dialog.Picture()->GetImage(), 0);
    QCursor::setPos(0, 0);
    EXPECT_TRUE(dialog.OnKeyDown(Qt::Key_Tab)) << "the key is taken";
    QTest::qWait(50);
    EXPECT_EQ(dialog.Drawing(), nullptr) << "but there is nothing to draw";
}

TEST(AboutPicturePlace, APictureLargerThanTheDialogIsNotPlaced) {
    EXPECT_FALSE(CAboutDlg::RandomPlace(QSize(50, 50), QSize(64, 10)));
    EXPECT_FALSE(CAboutDlg::RandomPlace(QSize(50, 50), QSize(10, 64)));
    for (int i = 0; i < 50; ++i) {
        const auto place = CAboutDlg::RandomPlace(QSize(70, 66), QSize(64, 64));
        ASSERT_TRUE(place);
        EXPECT_TRUE(QRect(0, 0, 70, 66).contains(QRect(*place, QSize(64, 64))));
    }
    EXPECT_EQ(CAboutDlg::RandomPlace(QSize(64, 64), QSize(64, 64)), QPoint(0, 0));
}

TEST_F(AboutTest, FrameChangedNoticeNamesTheFrameAndKeepsItsCheckBox) {
    CDlgFrameChanged notice(&editor.Frame(), 3);
    const QString text = notice.kit().controlAs<QLabel>(IDC_FRAME_CHANGED_TEXT)->text();
    EXPECT_TRUE(text.contains(QStringLiteral("3"))) << text.toStdString();
    EXPECT_EQ(text, FromCodePage1252(ResourceText(IDS_FRAME_CHANGED)).replace("%d", "3"));
    auto* check = notice.kit().controlAs<QCheckBox>(IDC_FRAME_CHANGED_END_EDIT);
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(check->isChecked());
    notice.show();
    notice.grab().save(artifact("frame-changed.png"));
    check->setChecked(true);
    notice.reject();
    EXPECT_EQ(notice.GetCheck(), 1) << "the check box counts after Cancel too";
    EXPECT_EQ(notice.result(), QDialog::Rejected);
}

TEST_F(AboutTest, EditorNoticeStartsWithShowNextTimeAndOkReadsItBack) {
    CDlgMsgEditor notice(&editor.Frame());
    auto* check = notice.kit().controlAs<QCheckBox>(IDC_MSG_EDITOR_SHOW_NEXT_TIME);
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isChecked());
    notice.show();
    notice.grab().save(artifact("msg-editor.png"));
    check->setChecked(false);
    notice.reject();
    EXPECT_EQ(notice.m_bShowNextTime, 1) << "Cancel changes nothing";
    notice.accept();
    EXPECT_EQ(notice.m_bShowNextTime, 0);
}

} // namespace
