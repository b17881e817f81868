// The menu commands in the running editor: undo named after its step, the frame and arrange
// commands run and undone, Cut refused during the preview, import of several files in one step,
// revert, the browser preview and mail through stand-in programs, and help.

#include "PaneTestSupport.h"

#include "AnimationData.h"
#include "AnimationView.h"
#include "AppSettings.h"
#include "DlgPaletteImage.h"
#include "GIFAnimDoc.h"
#include "ImageView.h"
#include "Kfm5ResourceIds.h"
#include "MainPanes.h"
#include "PaletteGridWnd.h"
#include "PasteSpecialDialog.h"
#include "ProgramState.h"
#include "SmallControls.h"
#include "UndoHistory.h"
#include "help/HelpWindow.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace kfm5res;
using Labels = std::vector<std::string>;

// Where each frame is and what it shows: what an undo must bring back.
struct FrameState {
    std::string label;
    int left, top, width, height;
    std::uint16_t image;
    bool operator==(const FrameState&) const = default;
};

std::vector<FrameState> frameStates() {
    std::vector<FrameState> out;
    const FrameList& frames = g_pAnimationData->frames;
    for (auto it = frames.begin(); it != std::prev(frames.end()); ++it)
        out.push_back({it->comment, it->left, it->top, it->width, it->height, it->GetImage()});
    return out;
}

// The lines a stand-in program recorded, its runs ended by "--".
std::vector<std::vector<std::string>> recordedRuns(const std::string& file) {
    std::vector<std::vector<std::string>> runs(1);
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line == "--")
            runs.emplace_back();
        else
            runs.back().push_back(line);
    }
    runs.pop_back();
    return runs;
}

class MenuCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.Start());
        editor.ShowAt(900, 640);
        kfm::test::FillAnimation(editor, 4, 16, 12, 60, 40);
        TheUndoHistory().Reset();
        editor.Idle();
    }
    void TearDown() override {
        if (g_bPreviewPlaying)
            editor.Frame().Router().Execute(ID_STOP_PREVIEW);
        if (kfm::ui::HelpWindow* help = kfm::ui::HelpWindow::Instance())
            help->close();
        kfm::test::ForgetChanges(editor);
    }
    void trigger(UINT id) {
        editor.Idle();
        QAction* action = editor.Action(id);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled()) << id;
        action->trigger();
        editor.Idle();
    }
    // Frames 1 and 2 selected, frame 1 current.
    void selectMiddleFrames() {
        DeselectAllFrames();
        SelectFrame(1);
        SelectFrame(2);
        SetCurrentFrame(1);
        editor.Frame().Panes().Strip()->SyncSelection();
        editor.Idle();
    }
    CGIFAnimDoc& document() { return *dynamic_cast<CGIFAnimDoc*>(editor.App().Document()); }

    kfm::test::EditorFixture editor;
    kfm::test::TempDir folder;
};

TEST_F(MenuCommandsTest, CutIsRefusedWhileThePreviewPlaysItsFrames) {
    trigger(ID_VIEW_PREVIEW);
    ASSERT_TRUE(g_bPreviewPlaying);
    kfm::ui::CommandRouter& router = editor.Frame().Router();
    // The menu item, a second time through the router, and the toolbar button.
    EXPECT_TRUE(kfm::test::ClickMenu(editor.Frame(), {"Edit", "Cut"}));
    if (QWidget* menu = QApplication::activePopupWidget())
        menu->close();
    editor.Idle();
    EXPECT_FALSE(router.Execute(ID_EDIT_CUT));
    QWidget* button = editor.Frame()
                          .ToolBar(kfm::ui::CMainFrame::Standard)
                          ->widgetForAction(editor.Action(ID_EDIT_CUT));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    editor.Idle();
    EXPECT_FALSE(editor.Action(ID_EDIT_CUT)->isEnabled());
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f0", "f1", "f2", "f3"}));
    EXPECT_EQ(editor.Frame().Panes().Canvas()->GetPreviewFrameCount(), 4);
    // The transport works; inserting and editing wait for the preview to end.
    for (const UINT id : {ID_PLAYER_FIRST, ID_STOP_PREVIEW})
        EXPECT_TRUE(router.Update(id).enabled) << id;
    for (const UINT id : {ID_EDIT_DELETE, ID_EDIT_COPY, ID_FILE_IMPORT, ID_FILE_INSERT_VECTOR,
                          ID_FRAME_MIRROR_HORIZONTAL, ID_FRAME_DUPLICATE, ID_EDIT_SELECT_NEXT,
                          ID_VIEW_ZOOM_IN, ID_FRAME_NEW_CONTROL})
        EXPECT_FALSE(router.Update(id).enabled) << id;
}

TEST_F(MenuCommandsTest, TheUndoItemNamesTheStepAndUndoesIt) {
    SetCurrentFrame(0);
    SelectFrame(0);
    editor.Idle();
    const std::vector<FrameState> before = frameStates();
    ASSERT_TRUE(kfm::test::ClickMenu(editor.Frame(), {"Frame", "Mirror Horizontally"}));
    editor.Idle();
    ASSERT_NE(frameStates(), before);

    // Open the Edit menu: its first item names the step.
    QMenuBar* bar = editor.Frame().menuBar();
    QAction* edit = nullptr;
    for (QAction* action : bar->actions())
        if (action->text().remove('&') == "Edit")
            edit = action;
    ASSERT_NE(edit, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(edit).center());
    QMenu* menu = edit->menu();
    ASSERT_TRUE(
        QTest::qWaitFor([menu] { return menu->isVisible(); }, kfm::test::kHangMilliseconds));
    const QString item = editor.Action(ID_EDIT_UNDO)->text().remove('&');
    EXPECT_TRUE(item.startsWith("Undo Mirror")) << item.toStdString();
    EXPECT_TRUE(editor.Action(ID_EDIT_UNDO)->isEnabled());
    const QString shot =
        QString::fromStdString(kfm::test::ArtifactsFolder() + "/edit-menu-undo-mirror.png");
    EXPECT_TRUE(menu->grab().save(shot));
    QWidget* button = editor.Frame()
                          .ToolBar(kfm::ui::CMainFrame::Standard)
                          ->widgetForAction(editor.Action(ID_EDIT_UNDO));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->toolTip().startsWith("Undo Mirror")) << button->toolTip().toStdString();
    menu->close();
    editor.Idle();

    ASSERT_TRUE(kfm::test::ClickMenu(editor.Frame(), {"Edit", item}));
    editor.Idle();
    EXPECT_EQ(frameStates(), before);
    EXPECT_FALSE(editor.Action(ID_EDIT_UNDO)->isEnabled());
}

TEST_F(MenuCommandsTest, EveryFrameCommandRunsAndIsUndone) {
    const struct {
        UINT id;
        int kind;
    } cases[] = {
        {ID_FRAME_MIRROR_HORIZONTAL, kUndoKindMirrorHorizontally},
        {ID_FRAME_MIRROR_VERTICAL, kUndoKindMirrorVertically},
        {ID_FRAME_DUPLICATE, kUndoKindDuplicateFrames},
        {ID_FRAME_MOVE_EARLIER, kUndoKindMoveFrames},
        {ID_FRAME_MOVE_LATER, kUndoKindMoveFrames},
        {ID_ALIGN_LEFT, kUndoKindMove},
        {ID_ALIGN_RIGHT, kUndoKindMove},
        {ID_ALIGN_TOP, kUndoKindMove},
        {ID_ALIGN_BOTTOM, kUndoKindMove},
        {ID_ALIGN_CENTRE_HORIZONTAL, kUndoKindMove},
        {ID_ALIGN_CENTRE_VERTICAL, kUndoKindMove},
        {ID_FRAME_MERGE, kUndoKindMergeFrames},
        {ID_FRAME_RENDER_STATES, kUndoKindRenderStates},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        selectMiddleFrames();
        const std::vector<FrameState> before = frameStates();
        trigger(c.id);
        EXPECT_EQ(TheUndoHistory().GetCurrentKind(), c.kind);
        EXPECT_NE(frameStates(), before);
        trigger(ID_EDIT_UNDO);
        EXPECT_EQ(frameStates(), before);
        EXPECT_EQ(editor.Frame().Panes().Strip()->model()->rowCount(), 5);
    }
}

TEST_F(MenuCommandsTest, ThePaletteEditOfTheLastEntryReachesTheSelectedFrames) {
    using kfm::dialogs::CDlgPaletteImage;
    const COLORREF chosen = RGB(1, 2, 3);
    const struct {
        bool applyToSelection;
        bool byColour;
    } cases[] = {{true, false}, {true, true}, {false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.applyToSelection) + std::to_string(c.byColour));
        selectMiddleFrames();
        const auto entry = [](int frame, int index) {
            const CObjFrame& f = *std::next(g_pAnimationData->frames.begin(), frame);
            return KPXGetColorFromPalette(static_cast<KpxHandle>(f.GetImage()), index);
        };
        const COLORREF before = entry(1, 255);
        ASSERT_NE(before, chosen);
        const std::vector<FrameState> states = frameStates();
        kfm::test::AnswerNextDialog([&](QWidget* widget) {
            auto* dialog = qobject_cast<CDlgPaletteImage*>(widget);
            ASSERT_NE(dialog, nullptr);
            dialog->SetColourChooser([&](COLORREF, QWidget*) { return chosen; });
            auto* apply = dialog->kit().controlAs<QCheckBox>(CDlgPaletteImage::kApplySelection);
            if (apply->isChecked() != c.applyToSelection)
                apply->click();
            if (c.applyToSelection)
                dialog->kit()
                    .controlAs<QRadioButton>(c.byColour ? CDlgPaletteImage::kMethodColour
                                                        : CDlgPaletteImage::kMethodIndex)
                    ->click();
            const RECT cell = dialog->Grid()->Layout().CellRect(255);
            QTest::mouseClick(dialog->Grid(), Qt::LeftButton, {},
                              QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
            ASSERT_EQ(dialog->ChosenIndex(), 255);
            QTest::mouseClick(dialog->ColourButton(), Qt::LeftButton);
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            ASSERT_NE(buttons, nullptr);
            QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
        trigger(ID_FRAME_PALETTE);
        EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindPalette);
        EXPECT_EQ(entry(1, 255), chosen);
        // The other selected frame follows when asked; unselected frames never do.
        EXPECT_EQ(entry(2, 255) == chosen, c.applyToSelection);
        EXPECT_NE(entry(0, 255), chosen);
        trigger(ID_EDIT_UNDO);
        EXPECT_EQ(frameStates(), states);
        EXPECT_EQ(entry(1, 255), before);
    }
}

TEST_F(MenuCommandsTest, PreviousNextAndSelectAllMoveTheSelection) {
    SetCurrentFrame(3);
    SelectFrame(3);
    editor.Idle();
    trigger(ID_EDIT_SELECT_NEXT);
    EXPECT_EQ(GetCurrentFrameIndex(), 4) << "the placeholder follows the last frame";
    EXPECT_EQ(GetSelFramesArray(), (std::vector<int>{4, -1}));
    EXPECT_FALSE(editor.Action(ID_FRAME_MIRROR_HORIZONTAL)->isEnabled());
    trigger(ID_EDIT_SELECT_PREVIOUS);
    trigger(ID_EDIT_SELECT_PREVIOUS);
    EXPECT_EQ(GetSelFramesArray(), (std::vector<int>{2, -1}));
    trigger(ID_EDIT_SELECT_ALL);
    EXPECT_EQ(GetSelFramesCount(), 5);
    EXPECT_EQ(editor.Frame().Panes().Strip()->selectionModel()->selectedRows().size(), 5);
}

TEST_F(MenuCommandsTest, SeveralImportedFilesFollowTheCurrentFrameInOneStep) {
    const std::filesystem::path data = kfm::test::testDataPath("gif");
    const std::string one = folder.file("one.gif");
    const std::string two = folder.file("two.gif");
    const std::string damaged = folder.file("damaged.gif");
    std::filesystem::copy_file(data / "pillow/dispose_none.gif", one);
    std::filesystem::copy_file(data / "pillow/dispose_bgnd.gif", two);
    std::filesystem::copy_file(
        kfm::test::testDataPath("gif-damaged/truncated-before-code-size.gif"), damaged);
    // What each file reads as, to find its frames in the animation afterwards.
    FrameList twoFrames;
    FrameList oneFrames;
    ASSERT_EQ(document().ImportFile(two.c_str(), twoFrames, nullptr), kImportDone);
    ASSERT_EQ(document().ImportFile(one.c_str(), oneFrames, nullptr), kImportDone);
    const auto samePicture = [](const CObjFrame& a, const CObjFrame& b) {
        return KPXCompareImages(static_cast<KpxHandle>(a.GetImage()),
                                static_cast<KpxHandle>(b.GetImage())) == 1;
    };

    SetCurrentFrame(0);
    SelectFrame(0);
    editor.Idle();
    kfm::test::AnswerNextDialog([&](QWidget* dialog) {
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString("\"%1\" \"%2\" \"%3\"")
                          .arg(QString::fromStdString(two), QString::fromStdString(damaged),
                               QString::fromStdString(one)));
        QTest::keyClick(name, Qt::Key_Return);
        kfm::test::AnswerMessageBox("OK", [](const QMessageBox& box) {
            EXPECT_TRUE(box.text().contains("damaged.gif")) << box.text().toStdString();
        });
    });
    ASSERT_TRUE(kfm::test::ClickMenu(editor.Frame(), {"File", "Import Files..."}));
    editor.Idle();
    const Labels labels = kfm::test::FrameLabels();
    const std::size_t added = twoFrames.size() + oneFrames.size();
    ASSERT_EQ(labels.size(), 4 + added);
    EXPECT_EQ(labels.front(), "f0");
    EXPECT_EQ(labels[1 + added], "f1");
    EXPECT_EQ(GetCurrentFrameIndex(), 1);
    EXPECT_EQ(GetSelFramesCount(), static_cast<int>(added));
    // The dialog's order: two's frames, then one's.
    auto it = std::next(g_pAnimationData->frames.begin());
    for (const CObjFrame& expected : twoFrames)
        EXPECT_TRUE(samePicture(*it++, expected));
    for (const CObjFrame& expected : oneFrames)
        EXPECT_TRUE(samePicture(*it++, expected));
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindImport);
    trigger(ID_EDIT_UNDO);
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f0", "f1", "f2", "f3"}));
    EXPECT_FALSE(TheUndoHistory().CanUndo()) << "the import was one step";
}

TEST_F(MenuCommandsTest, RevertReloadsTheFileAndKeepsTheAnimationWhenItNoLongerOpens) {
    const std::string path = folder.file("revert.gif");
    ASSERT_TRUE(document().DoSave(path.c_str(), TRUE));
    editor.Idle();
    EXPECT_TRUE(editor.Action(ID_FILE_REVERT)->isEnabled());
    SetCurrentFrame(0);
    SelectFrame(0);
    SelectFrame(1);
    trigger(ID_FRAME_DUPLICATE);
    ASSERT_EQ(kfm::test::FrameLabels().size(), 6u);
    ASSERT_TRUE(document().IsModified());

    // No keeps the changes.
    kfm::test::AnswerMessageBox("No");
    trigger(ID_FILE_REVERT);
    EXPECT_EQ(kfm::test::FrameLabels().size(), 6u);

    // Yes loads the file again.
    kfm::test::AnswerMessageBox("Yes");
    trigger(ID_FILE_REVERT);
    EXPECT_EQ(kfm::test::FrameLabels().size(), 4u);
    EXPECT_FALSE(document().IsModified());
    SetCurrentFrame(0);
    SelectFrame(0);
    SelectFrame(1);
    trigger(ID_FRAME_DUPLICATE);
    ASSERT_TRUE(document().IsModified());

    // A file that no longer opens: the animation stays and the user is told.
    { std::ofstream(path, std::ios::trunc) << "not a picture"; }
    kfm::test::AnswerMessageBox("Yes", [](const QMessageBox& box) {
        EXPECT_TRUE(box.text().contains("revert.gif"));
        // Once the question is answered, the report follows.
        kfm::test::AnswerMessageBox("OK", [](const QMessageBox& report) {
            EXPECT_TRUE(report.text().contains("could not be loaded"))
                << report.text().toStdString();
        });
    });
    trigger(ID_FILE_REVERT);
    EXPECT_EQ(kfm::test::FrameLabels().size(), 6u);
    EXPECT_TRUE(document().IsModified());
}

TEST_F(MenuCommandsTest, SaveFrameExportsTheSelectedFrameAndReturnsToTheNormalSave) {
    DeselectAllFrames();
    SelectFrame(2);
    SetCurrentFrame(2);
    editor.Idle();
    const auto image = static_cast<std::int16_t>(GetFirstSelFrameImage());
    int modeDuringDialog = 0;
    std::int16_t imageDuringDialog = 0;
    kfm::test::AnswerNextDialog([&](QWidget* dialog) {
        modeDuringDialog = g_nSaveMode;
        imageDuringDialog = g_hExportImage;
        dialog->close();
    });
    trigger(ID_FILE_SAVE_FRAME);
    EXPECT_EQ(modeDuringDialog, 2);
    EXPECT_EQ(imageDuringDialog, image);
    EXPECT_EQ(g_nSaveMode, 1);
    EXPECT_EQ(g_hExportImage, 0);
    // Two frames selected: the command waits for one.
    SelectFrame(1);
    editor.Idle();
    EXPECT_FALSE(editor.Action(ID_FILE_SAVE_FRAME)->isEnabled());
}

TEST_F(MenuCommandsTest, TheBrowserGetsANewTemporaryPageEachTimeWholeEvenWithBlanks) {
    const std::string spaced = folder.file("temp with blanks");
    std::filesystem::create_directories(spaced);
    const QByteArray oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(spaced));
    const std::string record = folder.file("browser-args.txt");
    qputenv("KFM_RECORDED_ARGUMENTS", QByteArray::fromStdString(record));
    kfm::shell::g_AppSettings.BrowserPathIE = std::string(KFM_TEST_PROGRAMS_DIR) + "/web browser";
    kfm::shell::g_AppSettings.BrowserPathNN.clear();
    editor.Idle();
    EXPECT_FALSE(editor.Action(ID_VIEW_BROWSER_NN)->isEnabled());
    trigger(ID_VIEW_BROWSER_IE);
    trigger(ID_VIEW_BROWSER_IE);
    EXPECT_TRUE(QTest::qWaitFor([&] { return recordedRuns(record).size() == 2; },
                                kfm::test::kHangMilliseconds));
    if (oldTemp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTemp);
    const auto runs = recordedRuns(record);
    ASSERT_EQ(runs.size(), 2u);
    ASSERT_EQ(runs[0].size(), 1u);
    ASSERT_EQ(runs[1].size(), 1u);
    EXPECT_NE(runs[0][0], runs[1][0]);
    for (const auto& run : runs) {
        EXPECT_EQ(run[0].rfind(spaced, 0), 0u) << run[0];
        EXPECT_TRUE(std::filesystem::exists(run[0])) << run[0];
    }
}

TEST_F(MenuCommandsTest, MailHandsASavedCopyToTheMailProgram) {
    const std::string record = folder.file("mail-args.txt");
    qputenv("KFM_RECORDED_ARGUMENTS", QByteArray::fromStdString(record));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray(KFM_TEST_PROGRAMS_DIR) + ":" + oldPath);
    const std::string path = folder.file("my animation.gif");
    ASSERT_TRUE(document().DoSave(path.c_str(), TRUE));
    editor.Idle();

    // A changed animation asks first; Cancel sends nothing.
    document().SetModifiedFlag(TRUE);
    kfm::test::AnswerMessageBox("Cancel");
    trigger(ID_FILE_SEND_MAIL);
    document().SetModifiedFlag(FALSE);
    trigger(ID_FILE_SEND_MAIL);
    EXPECT_TRUE(QTest::qWaitFor([&] { return recordedRuns(record).size() == 1; },
                                kfm::test::kHangMilliseconds));
    qputenv("PATH", oldPath);
    const auto runs = recordedRuns(record);
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_EQ(runs[0].size(), 2u);
    EXPECT_EQ(runs[0][0], "--attach");
    EXPECT_EQ(std::filesystem::path(runs[0][1]).filename(), "my animation.gif");
    EXPECT_TRUE(std::filesystem::exists(runs[0][1]));
    EXPECT_FALSE(document().IsModified());
}

TEST_F(MenuCommandsTest, F1OverADialogOpensItsPageAndUnknownContextsTheContents) {
    kfm::ui::PasteSpecialDialog dialog(&editor.Frame(), {});
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    editor.Idle();
    QTest::keyClick(&dialog, Qt::Key_F1);
    editor.Idle();
    kfm::ui::HelpWindow* help = kfm::ui::HelpWindow::Instance();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->CurrentPage(), "paste-special.html");
    dialog.close();

    kfm::ui::WinHelp(&editor.Frame(), 4242);
    EXPECT_EQ(help->CurrentPage(), "index.html");
    trigger(ID_HELP_FINDER);
    EXPECT_EQ(help->CurrentPage(), "index.html");
    // Along the main window's right edge.
    const QRect main = editor.Frame().frameGeometry();
    EXPECT_EQ(help->geometry().left(), main.right() + 1 - 700);
    EXPECT_EQ(help->geometry().width(), 696);
    EXPECT_EQ(help->geometry().height(), main.height() - 7);
}

} // namespace
