// The texture plug-in in the running editor: with Patina.kfp in "Plug-Ins", the Plug-ins menu
// offers "Generátor podkladů..." directly, always enabled, and OK adds one 24-bit frame of the
// canvas size as one undo step, the preview's picture pixel for pixel.

#include "PaneTestSupport.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "Bitra5.h"
#include "GIFAnimDoc.h"
#include "MainPanes.h"
#include "PlugInManager.h"
#include "ProgramState.h"
#include "TestPluginFiles.h"
#include "UndoHistory.h"

#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using kfm::shell::g_AppSettings;
using Labels = std::vector<std::string>;

#ifdef KFM_PATINA_PATH
TEST(PatinaPluginTest, TheTextureGeneratorAddsOneFrameOfTheCanvasAsOneUndoStep) {
    ThePlugInManager().PlugInRemoveAll();
    kfm::test::EditorFixture editor;
    ASSERT_TRUE(editor.Start());
    editor.ShowAt(800, 600);
    const fs::path programFolder = kfm::test::newPluginFolder();
    fs::create_directories(programFolder / "Plug-Ins");
    fs::copy_file(KFM_PATINA_PATH, programFolder / "Plug-Ins" / "Patina.kfp");
    g_AppSettings.programFolder = programFolder.string() + "/";
    ThePlugInManager().PlugInRemoveAll();
    kfm::test::FillAnimation(editor, 2, 16, 12, 256, 256);
    ThePlugInManager().ScanPlugins();

    // The menu fills as it opens; the command sits in the menu itself.
    QMenuBar* bar = editor.Frame().menuBar();
    QAction* top = bar->actions().value(6);
    ASSERT_TRUE(top && top->menu());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
    ASSERT_TRUE(QTest::qWaitFor([top] { return top->menu()->isVisible(); }, 5000));
    QAction* patina = nullptr;
    for (QAction* action : top->menu()->actions())
        if (action->text().remove('&') == QString::fromUtf8("Generátor podkladů..."))
            patina = action;
    top->menu()->close();
    QApplication::processEvents();
    ASSERT_NE(patina, nullptr);

    // Enabled with no frame selected as with one.
    DeselectAllFrames();
    ClearCurrentFlags();
    editor.Frame().Panes().SelectionChanged();
    editor.Idle();
    EXPECT_TRUE(patina->isEnabled());
    SelectFrame(0);
    SetCurrentFrame(0);
    editor.Frame().Panes().SelectionChanged();
    editor.Idle();
    EXPECT_TRUE(patina->isEnabled());

    QImage preview;
    kfm::test::AnswerNextDialog([&preview](QWidget* dialog) {
        auto* redraw = dialog->findChild<QPushButton*>("id1000");
        auto* area = dialog->findChild<QWidget*>("id1001");
        if (redraw && area) {
            QTest::mouseClick(redraw, Qt::LeftButton);
            preview = area->grab().toImage().convertToFormat(QImage::Format_RGB32);
        }
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(kfm::test::ClickMenu(editor.Frame(),
                                     {"Plug-ins", QString::fromUtf8("Generátor podkladů...")}));
    editor.Idle();
    ASSERT_EQ(g_pAnimationData->RealFrameCount(), 3);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindPlugin);
    const auto added =
        std::find_if(g_pAnimationData->frames.begin(), g_pAnimationData->frames.end(),
                     [](const CObjFrame& f) { return f.width == 256; });
    ASSERT_NE(added, g_pAnimationData->frames.end());
    EXPECT_EQ(added->height, 256);
    const auto image = added->GetImage();
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXbpp(image), 24);
    ASSERT_EQ(preview.size(), QSize(256, 256));
    const std::uint8_t* bits = KPXGetBits(image);
    const int scan = KPXGetScanBytes(image);
    int differing = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            // The library keeps its rows bottom-up.
            const std::uint8_t* p = bits + (255 - y) * scan + 3 * x;
            differing += qRgb(p[2], p[1], p[0]) != preview.pixel(x, y);
        }
    EXPECT_EQ(differing, 0);

    TheUndoHistory().Undo();
    EXPECT_EQ(g_pAnimationData->RealFrameCount(), 2);
    kfm::test::ForgetChanges(editor);
}
#endif
