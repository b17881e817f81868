// The distortion plug-in in the running editor: with Varore.kfp in "Plug-Ins", the Plug-ins
// menu offers "Efekty" > "Chvění...", enabled with one picture frame selected, and a run inserts
// its frames after the frame as one undo step.

#include "PaneTestSupport.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "MainPanes.h"
#include "PlugInManager.h"
#include "ProgramState.h"
#include "TestPluginFiles.h"
#include "UndoHistory.h"

#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using kfm::shell::g_AppSettings;
using Labels = std::vector<std::string>;

namespace {

// The action of the sub-menu entry, found through the menu bar's menus.
QAction* findCommand(const QMenu* menu, const QString& sub, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->menu() && action->text().remove('&') == sub)
            for (QAction* item : action->menu()->actions())
                if (item->text().remove('&') == text)
                    return item;
    return nullptr;
}

} // namespace

#ifdef KFM_VARORE_PATH
TEST(VarorePluginTest, EffectsShiverInsertsItsFramesAsOneUndoStep) {
    ThePlugInManager().PlugInRemoveAll();
    kfm::test::EditorFixture editor;
    ASSERT_TRUE(editor.Start());
    editor.ShowAt(800, 600);
    const fs::path programFolder = kfm::test::newPluginFolder();
    fs::create_directories(programFolder / "Plug-Ins");
    fs::copy_file(KFM_VARORE_PATH, programFolder / "Plug-Ins" / "Varore.kfp");
    g_AppSettings.programFolder = programFolder.string() + "/";
    ThePlugInManager().PlugInRemoveAll();
    kfm::test::FillAnimation(editor, 3, 16, 12, 40, 30);
    ThePlugInManager().ScanPlugins();

    // The menu fills as it opens.
    QMenuBar* bar = editor.Frame().menuBar();
    QAction* top = bar->actions().value(6);
    ASSERT_TRUE(top && top->menu());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
    ASSERT_TRUE(QTest::qWaitFor([top] { return top->menu()->isVisible(); }, 5000));
    QAction* shiver =
        findCommand(top->menu(), QString::fromUtf8("Efekty"), QString::fromUtf8("Chvění..."));
    top->menu()->close();
    QApplication::processEvents();
    ASSERT_NE(shiver, nullptr);

    // Enabled with one picture frame selected, not without one.
    DeselectAllFrames();
    ClearCurrentFlags();
    editor.Frame().Panes().SelectionChanged();
    editor.Idle();
    EXPECT_FALSE(shiver->isEnabled());
    SelectFrame(1);
    SetCurrentFrame(1);
    editor.Frame().Panes().SelectionChanged();
    editor.Idle();
    EXPECT_TRUE(shiver->isEnabled());

    kfm::test::AnswerNextDialog([](QWidget* dialog) {
        auto* frames = dialog->findChild<QSpinBox*>("id14013");
        if (frames)
            frames->setValue(4);
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(kfm::test::ClickMenu(
        editor.Frame(), {"Plug-ins", QString::fromUtf8("Efekty"), QString::fromUtf8("Chvění...")}));
    editor.Idle();
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f0", "f1", "", "", "", "", "f2"}));
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindPlugin);
    const auto frames = std::next(g_pAnimationData->frames.begin(), 2);
    EXPECT_EQ(frames->width, 16);
    EXPECT_EQ(frames->height, 12);
    EXPECT_EQ(frames->delay, 25) << "100 / 4";

    // One undo takes all four away.
    TheUndoHistory().Undo();
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f0", "f1", "f2"}));
    kfm::test::ForgetChanges(editor);
}
#endif
