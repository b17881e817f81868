// The main window as a user meets it: start-up with fresh, earlier and damaged settings and with
// a file it does not open, the furniture, the file commands end to end, the save question and
// the toolbar toggles.

#include "EditorTestSupport.h"

#include "AnimationData.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "registry/RegistryHelpers.h"

#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace kfm5res;
using kfm::test::EditorFixture;
namespace fs = std::filesystem;

const char* const kGifFile = "gif/pillow/dispose_bgnd.gif";

QString counterText(kfm::ui::CMainFrame& frame) {
    return frame.Status().FrameCounter()->text();
}

bool onSomeScreen(const QRect& r) {
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(r))
            return true;
    return false;
}

class MainWindowTest : public ::testing::Test {
protected:
    // A copy of a test GIF in a temporary folder, so saves never touch tests/data.
    std::string gifCopy(const std::string& name = "anim.gif") {
        const std::string path = files.file(name);
        fs::copy_file(kfm::test::testDataPath(kGifFile), path,
                      fs::copy_options::overwrite_existing);
        return path;
    }

    kfm::test::TempDir files;
    EditorFixture editor;
};

TEST_F(MainWindowTest, OpensWithNoSettings) {
    ASSERT_TRUE(editor.Start());
    kfm::ui::CMainFrame& frame = editor.Frame();
    EXPECT_TRUE(frame.isVisible());
    EXPECT_TRUE(frame.isMaximized());
    EXPECT_EQ(frame.windowTitle(), "Keldo Flimmer 5 - Untitled");
    EXPECT_EQ(frame.menuBar()->actions().size(), 8);
    for (int bar = 0; bar < kfm::ui::CMainFrame::BarCount; ++bar) {
        QToolBar* toolbar = frame.ToolBar(static_cast<kfm::ui::CMainFrame::Bar>(bar));
        ASSERT_NE(toolbar, nullptr);
        EXPECT_TRUE(toolbar->isVisible());
        EXPECT_EQ(frame.toolBarArea(toolbar), Qt::TopToolBarArea);
        EXPECT_FALSE(frame.toolBarBreak(toolbar));
    }
    EXPECT_EQ(counterText(frame), "No frames");
    EXPECT_TRUE(editor.Action(ID_FILE_NEW)->isEnabled());
    EXPECT_TRUE(editor.Action(ID_FILE_OPEN)->isEnabled());
    EXPECT_FALSE(editor.Action(ID_FILE_SAVE)->isEnabled());
    EXPECT_FALSE(editor.Action(ID_EDIT_UNDO)->isEnabled());
    EXPECT_FALSE(editor.Action(ID_FRAME_ROTATE)->isEnabled());
    EXPECT_TRUE(editor.Action(ID_VIEW_TOOLBAR_STANDARD)->isChecked());
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 468);
}

TEST_F(MainWindowTest, OpensWithDamagedSettings) {
    WriteRegString("Windows\\Main", "Show state", "maximised");
    WriteRegInt("Windows\\Main", "Normal Position Left", 20000);
    WriteRegInt("Windows\\Main", "Normal Position Top", -300);
    WriteRegString("Settings", "UndoSteps", "ten");
    WriteRegInt("Settings", "InitAnimWidth", -40);
    WriteRegInt("Settings", "InitAnimHeight", 1 << 30);
    WriteRegInt("Settings", "ThumbnailID", 999);
    WriteRegInt("Settings", "ToolbarsVersion", 1);
    WriteRegInt("Toolbars\\Toolbar", "Length", 12);
    WriteRegString("Toolbars\\Toolbar", "Part1", "zzzzzzzzzzzz");
    ASSERT_TRUE(editor.Start());
    EXPECT_TRUE(editor.Frame().isVisible());
    EXPECT_TRUE(onSomeScreen(editor.Frame().geometry()));
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 1);
    EXPECT_EQ(g_pAnimationData->AnimationHeight, 65535);
    // The damaged layout is not applied: the default layout stays.
    EXPECT_EQ(editor.Frame().toolBarArea(editor.Frame().ToolBar(kfm::ui::CMainFrame::Frames)),
              Qt::TopToolBarArea);

    // A normal window stored far outside every screen, or as hidden, still opens visible.
    for (const int showState : {1, 0}) {
        WriteRegInt("Windows\\Main", "Show state", showState);
        WriteRegInt("Windows\\Main", "Normal Position Left", 9000);
        WriteRegInt("Windows\\Main", "Normal Position Top", 9000);
        WriteRegInt("Windows\\Main", "Normal Position Right", 9600);
        WriteRegInt("Windows\\Main", "Normal Position Bottom", 9500);
        ASSERT_TRUE(editor.Restart());
        const QRect shown = editor.Frame().geometry();
        EXPECT_TRUE(editor.Frame().isVisible()) << showState;
        EXPECT_TRUE(onSomeScreen(shown)) << showState;
        for (QScreen* screen : QGuiApplication::screens())
            if (screen->availableGeometry().intersects(shown) && showState == 1)
                EXPECT_TRUE(screen->availableGeometry().contains(shown));
    }
}

TEST_F(MainWindowTest, AnEarlierRunsLayoutComesBack) {
    ASSERT_TRUE(editor.Start());
    editor.Frame().showNormal();
    editor.Frame().setGeometry(60, 70, 500, 400);
    QToolBar* frames = editor.Frame().ToolBar(kfm::ui::CMainFrame::Frames);
    editor.Frame().addToolBar(Qt::LeftToolBarArea, frames);
    ASSERT_TRUE(kfm::test::ClickMenu(editor.Frame(), {"View", "Toolbars", "Animation"}));
    EXPECT_TRUE(editor.Frame().ToolBar(kfm::ui::CMainFrame::Animation)->isHidden());
    const QRect before = editor.Frame().geometry();

    ASSERT_TRUE(editor.Restart());
    kfm::ui::CMainFrame& frame = editor.Frame();
    EXPECT_FALSE(frame.isMaximized());
    EXPECT_EQ(frame.geometry(), before);
    EXPECT_EQ(frame.toolBarArea(frame.ToolBar(kfm::ui::CMainFrame::Frames)), Qt::LeftToolBarArea);
    EXPECT_TRUE(frame.ToolBar(kfm::ui::CMainFrame::Animation)->isHidden());
    EXPECT_FALSE(editor.Action(ID_VIEW_TOOLBAR_ANIMATION)->isChecked());
    EXPECT_EQ(ReadRegInt("Settings", "ToolbarsVersion", 0, 0, 0), 1);
}

TEST_F(MainWindowTest, ToolbarAndStatusBarToggles) {
    ASSERT_TRUE(editor.Start());
    kfm::ui::CMainFrame& frame = editor.Frame();
    ASSERT_TRUE(kfm::test::ClickMenu(frame, {"View", "Toolbars", "Standard"}));
    editor.Idle();
    EXPECT_TRUE(frame.ToolBar(kfm::ui::CMainFrame::Standard)->isHidden());
    EXPECT_FALSE(editor.Action(ID_VIEW_TOOLBAR_STANDARD)->isChecked());
    ASSERT_TRUE(kfm::test::ClickMenu(frame, {"View", "Toolbars", "Standard"}));
    editor.Idle();
    EXPECT_FALSE(frame.ToolBar(kfm::ui::CMainFrame::Standard)->isHidden());
    EXPECT_TRUE(editor.Action(ID_VIEW_TOOLBAR_STANDARD)->isChecked());
    ASSERT_TRUE(kfm::test::ClickMenu(frame, {"View", "Status Bar"}));
    editor.Idle();
    EXPECT_TRUE(frame.statusBar()->isHidden());
    EXPECT_FALSE(editor.Action(ID_VIEW_STATUS_BAR)->isChecked());
    // A disabled item does nothing when clicked.
    ASSERT_TRUE(kfm::test::ClickMenu(frame, {"Frame", "Rotate..."}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindowTest, OpenSaveAsAndTheRecentFiles) {
    const std::string source = gifCopy();
    const std::string target = files.file("copy.gif");
    ASSERT_TRUE(editor.Start());
    kfm::ui::CMainFrame& frame = editor.Frame();

    kfm::test::AnswerFileDialog(QString::fromStdString(source));
    editor.Keys(QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(frame.windowTitle(), "Keldo Flimmer 5 - anim.gif");
    const int frames = g_pAnimationData->RealFrameCount();
    ASSERT_GT(frames, 1);
    // An opened animation starts with its first frame selected.
    EXPECT_EQ(counterText(frame), QString("1 / %1").arg(frames));
    EXPECT_TRUE(editor.Action(ID_FILE_SAVE)->isEnabled());
    EXPECT_EQ(ReadRegString("Dlgs\\FileOpenSave", "OpenInitPath", ""), files.path().string() + "/");

    kfm::test::AnswerFileDialog(QString::fromStdString(target));
    ASSERT_TRUE(kfm::test::ClickMenu(frame, {"File", "Save As..."}));
    editor.Idle();
    ASSERT_TRUE(fs::exists(target));
    EXPECT_GT(fs::file_size(target), 100u);
    EXPECT_EQ(frame.windowTitle(), "Keldo Flimmer 5 - copy.gif");
    EXPECT_FALSE(editor.App().Document()->IsModified());

    // Both files are in the recent list, newest first; choosing the second opens it again.
    ASSERT_EQ(editor.App().RecentFiles().Count(), 2);
    editor.Keys(QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(frame.windowTitle(), "Keldo Flimmer 5 - Untitled");
    EXPECT_EQ(g_pAnimationData->RealFrameCount(), 0);
    const QString second = QString::fromStdString(
        editor.App().RecentFiles().MenuText(1, QDir::currentPath().toStdString()));
    EXPECT_TRUE(second.startsWith("&2 ") && second.endsWith("anim.gif")) << second.toStdString();
    ASSERT_TRUE(kfm::test::ClickMenu(frame, {"File", QString(second).remove('&')}));
    editor.Idle();
    EXPECT_EQ(frame.windowTitle(), "Keldo Flimmer 5 - anim.gif");
    EXPECT_EQ(g_pAnimationData->RealFrameCount(), frames);

    // Save writes the file again; the list is stored at exit.
    editor.Keys(QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_FALSE(editor.App().Document()->IsModified());
    editor.Stop();
    EXPECT_EQ(ReadRegString("Recent File List", "File1", ""), source);
    EXPECT_EQ(ReadRegString("Recent File List", "File2", ""), target);
}

TEST_F(MainWindowTest, ARecentFileThatIsGoneLeavesTheList) {
    const std::string source = gifCopy("gone.gif");
    ASSERT_TRUE(editor.Start({source}));
    ASSERT_EQ(editor.App().RecentFiles().Count(), 1);
    fs::remove(source);
    kfm::test::AnswerMessageBox("OK");
    EXPECT_FALSE(editor.App().OpenRecentFile(0));
    EXPECT_EQ(editor.App().RecentFiles().Count(), 0);
    editor.Idle();
    EXPECT_FALSE(editor.Action(ID_FILE_MRU_FILE1)->isEnabled());
}

TEST_F(MainWindowTest, AChangedAnimationAsksBeforeItGoes) {
    const std::string source = gifCopy();
    ASSERT_TRUE(editor.Start({source}));
    const int frames = g_pAnimationData->RealFrameCount();
    editor.App().Document()->SetModifiedFlag(TRUE);

    kfm::test::AnswerMessageBox("Cancel");
    editor.Keys(QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(g_pAnimationData->RealFrameCount(), frames);
    EXPECT_TRUE(editor.App().Document()->IsModified());

    kfm::test::AnswerMessageBox("No");
    editor.Keys(QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(g_pAnimationData->RealFrameCount(), 0);
    EXPECT_EQ(editor.Frame().windowTitle(), "Keldo Flimmer 5 - Untitled");

    // Closing with changes: Cancel keeps the window open.
    ASSERT_TRUE(editor.App().OpenDocumentFile(source));
    editor.App().Document()->SetModifiedFlag(TRUE);
    kfm::test::AnswerMessageBox("Cancel");
    EXPECT_FALSE(editor.Frame().close());
    EXPECT_TRUE(editor.Frame().isVisible());
    kfm::test::AnswerMessageBox("No");
    EXPECT_TRUE(editor.Frame().close());
}

// What the modal windows of a start-up showed: the texts of the message boxes, and whether each
// came over the shown main window. Message boxes are answered with OK, other dialogs (an import
// dialog) with Cancel.
struct StartupDialogs {
    bool started = false;
    QStringList messages;
    bool allOverTheMainWindow = true;
};

StartupDialogs startAnswering(EditorFixture& editor, const std::string& file) {
    StartupDialogs seen;
    QTimer answerer;
    answerer.setInterval(20);
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            seen.messages << box->text();
            const kfm::ui::CMainFrame* frame = editor.App().MainFrame();
            seen.allOverTheMainWindow = seen.allOverTheMainWindow && frame &&
                                        box->parentWidget() == frame && frame->isVisible();
            box->accept();
        } else {
            dialog->reject();
        }
    });
    answerer.start();
    seen.started = editor.Restart({file});
    return seen;
}

// A file named on the command line that is not opened leaves the editor running with an empty
// animation; a refusal says why over the main window.
TEST_F(MainWindowTest, AFileThatIsNotOpenedAtStartLeavesAnEmptyAnimation) {
    const std::string text = files.file("text.gif");
    std::ofstream(text) << "not a picture\n";
    const std::string flic = files.file("a.fli");
    fs::copy_file(kfm::test::testDataPath("flic/a.fli"), flic);
    struct Case {
        std::string file;
        bool message;
    };
    const Case cases[] = {
        {files.file("missing.gif"), true}, // refused: no such file
        {text, true},                      // failed: not a picture
        {flic, false},                     // cancelled in the import dialog
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const StartupDialogs seen = startAnswering(editor, c.file);
        EXPECT_TRUE(seen.started) << "the editor ended at start-up";
        EXPECT_EQ(seen.messages.size(), c.message ? 1 : 0) << seen.messages.join("|").toStdString();
        EXPECT_TRUE(seen.allOverTheMainWindow);
        if (!seen.started)
            continue;
        kfm::ui::CMainFrame& frame = editor.Frame();
        EXPECT_TRUE(frame.isVisible());
        EXPECT_EQ(g_pAnimationData->RealFrameCount(), 0);
        EXPECT_FALSE(editor.App().Document()->IsModified());
        EXPECT_EQ(frame.windowTitle(), "Keldo Flimmer 5 - Untitled");
        const kfm::shell::RecentFileList& recent = editor.App().RecentFiles();
        for (int i = 0; i < recent.Count(); ++i)
            EXPECT_NE(recent.At(i), c.file) << "only opened files are recent";
        // The editor goes on as after File New: a good file opens.
        ASSERT_TRUE(editor.App().OpenDocumentFile(gifCopy()));
        EXPECT_GT(g_pAnimationData->RealFrameCount(), 0);
    }
}

} // namespace
