// The file dialogs in the running editor: an AVI clip and a FLIC file opened from the File menu
// or the command line go through their import dialogs and become exactly the chosen frames; a
// FLIC without frames is refused with a message; new animation, print options, custom thumbnail
// size and GIF details from their commands.

#include "EditorTestSupport.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "ClipFiles.h"
#include "DlgAVIFilter.h"
#include "DlgCompress.h"
#include "DlgDetailsGIF.h"
#include "DlgFLICFilter.h"
#include "DlgNewDoc.h"
#include "DlgPrintOptions.h"
#include "DlgThumbSize.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "MainPanes.h"
#include "NumEdit.h"
#include "PreferencePages.h"
#include "Preferences.h"
#include "ProgramState.h"
#include "SplitterSizes.h"
#include "UndoHistory.h"
#include "registry/RegistryHelpers.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using namespace kfm5res;
using kfm::dialogs::CDlgAVIFilter;
using kfm::dialogs::CDlgFLICFilter;
using kfm::dialogs::ClipFilterDialog;
using kfm::shell::g_AppSettings;

// Types a number into an edit of the dialog.
void setNumber(ClipFilterDialog& dialog, int id, int value) {
    dialog.kit().controlAs<kfm::ui::CNumEdit>(id)->setText(QString::number(value));
}

void setCheck(QDialog& dialog, int id, bool on, const kfm::ui::DialogKit& kit) {
    auto* check = kit.controlAs<QCheckBox>(id);
    ASSERT_NE(check, nullptr) << id;
    if (check->isChecked() != on)
        check->click();
    (void)dialog;
}

// Runs the event loop until the condition holds (only a hang takes the whole time).
bool waitFor(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < kfm::test::kHangMilliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

class FileDialogMenuTest : public ::testing::Test {
protected:
    int frameCount() const { return g_pAnimationData ? g_pAnimationData->RealFrameCount() : -1; }
    static std::string dataFile(const char* relative) {
        return kfm::test::testDataPath(relative).string();
    }

    kfm::test::EditorFixture editor;
    kfm::test::TempDir files;
};

TEST_F(FileDialogMenuTest, OpeningAnAviClipImportsTheRangeChosenInItsDialog) {
    ASSERT_TRUE(kfm::test::makeClips(
        files.path(), {{"clip.avi", kfm::test::patternSource(20, 25), "-c:v mjpeg"}}))
        << "the ffmpeg tool is not installed or cannot make the clip";
    ASSERT_TRUE(editor.Start());
    editor.ShowAt(800, 600);
    bool shown = false;
    kfm::test::AnswerNextDialog([&](QWidget* widget) {
        auto* dialog = qobject_cast<CDlgAVIFilter*>(widget);
        ASSERT_NE(dialog, nullptr) << "no AVI import dialog";
        shown = true;
        setCheck(*dialog, CDlgAVIFilter::kAllFrames, false, dialog->kit());
        setCheck(*dialog, CDlgAVIFilter::kMerge, false, dialog->kit());
        setNumber(*dialog, CDlgAVIFilter::kStart, 3);
        setNumber(*dialog, CDlgAVIFilter::kCount, 7);
        setNumber(*dialog, CDlgAVIFilter::kDivisor, 2);
        dialog->kit().controlAs<QPushButton>(IDOK)->click();
    });
    EXPECT_TRUE(editor.App().OpenDocumentFile(files.file("clip.avi")));
    EXPECT_TRUE(shown);
    EXPECT_EQ(frameCount(), 4); // frames 3, 5, 7 and 9 of 3 .. 9
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 64);
}

TEST_F(FileDialogMenuTest, AFlicNamedOnTheCommandLineOpensThroughItsDialog) {
    bool shown = false;
    kfm::test::AnswerNextDialog([&](QWidget* widget) {
        auto* dialog = qobject_cast<CDlgFLICFilter*>(widget);
        ASSERT_NE(dialog, nullptr) << "no FLIC import dialog";
        shown = true;
        setCheck(*dialog, CDlgFLICFilter::kAllFrames, true, dialog->kit());
        setCheck(*dialog, CDlgFLICFilter::kMerge, false, dialog->kit());
        setNumber(*dialog, CDlgFLICFilter::kDivisor, 1);
        dialog->kit().controlAs<QPushButton>(IDOK)->click();
    });
    ASSERT_TRUE(editor.Start({dataFile("flic/2422.flc")}));
    EXPECT_TRUE(shown);
    EXPECT_TRUE(editor.Frame().isVisible());
    EXPECT_GT(frameCount(), 20); // every frame of the file
}

TEST_F(FileDialogMenuTest, AFlicWithoutFramesIsRefusedWithAMessage) {
    auto bytes = kfm::test::readFileBytes(kfm::test::testDataPath("flic/a.fli"));
    ASSERT_GT(bytes.size(), 128u);
    bytes[6] = 0; // no frames
    bytes[7] = 0;
    const std::string empty = files.file("empty.fli");
    ASSERT_TRUE(kfm::test::writeFileBytes(empty, bytes));
    ASSERT_TRUE(editor.Start());
    QString text;
    kfm::test::AnswerNextDialog([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr) << "no message";
        text = box->text();
        box->accept();
    });
    editor.App().OpenDocumentFile(empty);
    EXPECT_TRUE(text.contains("empty.fli")) << text.toStdString();
    EXPECT_LE(frameCount(), 1);
    EXPECT_TRUE(editor.Frame().isVisible());
}

TEST_F(FileDialogMenuTest, NewAnimationTakesTheChosenSize) {
    ASSERT_TRUE(editor.Start());
    editor.ShowAt(800, 600);
    kfm::test::AnswerNextDialog([](QWidget* widget) {
        auto* dialog = qobject_cast<kfm::dialogs::CDlgNewDoc*>(widget);
        ASSERT_NE(dialog, nullptr) << "no new-animation dialog";
        dialog->List()->setCurrentItem(dialog->List()->topLevelItem(6)); // 125 x 125
        dialog->kit().controlAs<QPushButton>(kfm::dialogs::CDlgNewDoc::kSetDefault)->click();
        dialog->kit().controlAs<QPushButton>(IDOK)->click();
    });
    editor.Action(ID_FILE_NEW_ANIMATION)->trigger();
    ASSERT_TRUE(
        waitFor([] { return g_pAnimationData && g_pAnimationData->AnimationWidth == 125; }));
    EXPECT_EQ(g_pAnimationData->AnimationHeight, 125);
    EXPECT_EQ(g_AppSettings.InitAnimFormatID, 6);
    EXPECT_EQ(g_AppSettings.InitAnimWidth, 125);
    EXPECT_EQ(g_AppSettings.InitAnimHeight, 125);
}

TEST_F(FileDialogMenuTest, PrintOptionsAndThumbnailSizeStoreTheirSettings) {
    ASSERT_TRUE(editor.Start());
    editor.ShowAt(800, 600);
    g_AppSettings.PrintRendered = 1;
    g_AppSettings.PrintTitle = 1;
    kfm::test::AnswerNextDialog([](QWidget* widget) {
        auto* dialog = qobject_cast<kfm::dialogs::CDlgPrintOptions*>(widget);
        ASSERT_NE(dialog, nullptr) << "no print options";
        dialog->kit().controlAs<QCheckBox>(kfm::dialogs::CDlgPrintOptions::kAsStored)->click();
        dialog->kit().controlAs<QCheckBox>(kfm::dialogs::CDlgPrintOptions::kTitle)->click();
        dialog->kit().controlAs<QPushButton>(IDOK)->click();
    });
    editor.Action(ID_FILE_PRINT_OPTIONS)->trigger();
    EXPECT_EQ(g_AppSettings.PrintRendered, 0);
    EXPECT_EQ(g_AppSettings.PrintTitle, 0);

    kfm::test::AnswerNextDialog([](QWidget* widget) {
        auto* dialog = qobject_cast<kfm::dialogs::CDlgThumbSize*>(widget);
        ASSERT_NE(dialog, nullptr) << "no thumbnail size dialog";
        dialog->kit()
            .controlAs<kfm::ui::CNumEdit>(kfm::dialogs::CDlgThumbSize::kWidth)
            ->setText("150");
        dialog->kit().controlAs<QPushButton>(IDOK)->click();
    });
    editor.Action(ID_THUMBNAIL_CUSTOM_SIZE)->trigger();
    EXPECT_EQ(g_AppSettings.ThumbnailCustomWidth, 150);
    EXPECT_EQ(editor.Frame().Panes().ThumbnailId(), kfm::shell::kThumbnailCustom);
}

TEST_F(FileDialogMenuTest, GifDetailsListTheBlocksOfTheOpenFile) {
    const std::string gif = dataFile("gif/peers/gs-comment.gif");
    ASSERT_TRUE(editor.Start({gif}));
    editor.Idle();
    EXPECT_TRUE(editor.Action(ID_FILE_GIF_DETAILS)->isEnabled());
    const auto blocks = kfm::dialogs::ReadGifBlocks(gif.c_str());
    ASSERT_FALSE(blocks.empty());
    int rows = -1;
    kfm::test::AnswerNextDialog([&](QWidget* widget) {
        auto* dialog = qobject_cast<kfm::dialogs::CDlgDetailsGIF*>(widget);
        ASSERT_NE(dialog, nullptr) << "no GIF details";
        rows = dialog->List()->topLevelItemCount();
        dialog->accept();
    });
    editor.Action(ID_FILE_GIF_DETAILS)->trigger();
    EXPECT_EQ(rows, static_cast<int>(blocks.size()));
}

TEST_F(FileDialogMenuTest, PreferencesResetActsThoughCancelledAndOkResizesTheUndoRing) {
    ASSERT_TRUE(editor.Start());
    editor.ShowAt(800, 600);
    g_AppSettings.ColorImageView = 0x123456;
    g_AppSettings.OptionsDlgRenderFrames = 1;
    WriteRegInt("Dlgs\\MsgEditor", "ShowNextTime", 0);
    kfm::test::AnswerNextDialog([](QWidget* widget) {
        auto* sheet = qobject_cast<kfm::dialogs::CPreferences*>(widget);
        ASSERT_NE(sheet, nullptr) << "no preferences";
        sheet->General()
            ->kit()
            .controlAs<QPushButton>(kfm::dialogs::CPagePrefGeneral::kReset)
            ->click();
        sheet->reject();
    });
    editor.Action(ID_TOOLS_PREFERENCES)->trigger();
    EXPECT_EQ(g_AppSettings.ColorImageView, 0xC0FFFF);
    EXPECT_EQ(g_AppSettings.OptionsDlgRenderFrames, 0);
    EXPECT_EQ(ReadRegInt("Dlgs\\MsgEditor", "ShowNextTime", -1, 0, 0), 1);
    EXPECT_EQ(TheUndoHistory().GetSize(), 10);

    int page = -1;
    kfm::test::AnswerNextDialog([&](QWidget* widget) {
        auto* sheet = qobject_cast<kfm::dialogs::CPreferences*>(widget);
        ASSERT_NE(sheet, nullptr) << "no preferences";
        page = sheet->Tabs()->currentIndex();
        sheet->General()
            ->kit()
            .controlAs<kfm::ui::CNumEdit>(kfm::dialogs::CPagePrefGeneral::kUndoSteps)
            ->setText("23");
        sheet->accept();
    });
    editor.Action(ID_TOOLS_PLUGIN_PREFERENCES)->trigger();
    EXPECT_EQ(page, kfm::dialogs::CPreferences::kPlugins);
    EXPECT_EQ(g_Settings.undoSteps, 23);
    EXPECT_EQ(TheUndoHistory().GetSize(), 23);
}

TEST_F(FileDialogMenuTest, SaveFrameWritesTheSelectedFrameThroughTheCompressionDialog) {
    ASSERT_TRUE(editor.Start({dataFile("gif/peers/gs-comment.gif")}));
    editor.ShowAt(800, 600);
    ASSERT_GE(frameCount(), 1);
    for (CObjFrame& frame : g_pAnimationData->frames)
        frame.selected = 0;
    g_pAnimationData->frames.front().selected = 1;
    editor.Idle();
    const std::string target = files.file("frame.bmp");
    bool compressed = false;
    kfm::test::AnswerNextDialog([&](QWidget* widget) {
        auto* names = qobject_cast<QFileDialog*>(widget);
        ASSERT_NE(names, nullptr) << "no file dialog";
        // The compression dialog comes next.
        kfm::test::AnswerNextDialog([&](QWidget* next) {
            auto* dialog = qobject_cast<kfm::dialogs::CDlgCompress*>(next);
            ASSERT_NE(dialog, nullptr) << "no compression dialog";
            compressed = true;
            dialog->kit().controlAs<QPushButton>(IDOK)->click();
        });
        auto* name = names->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(target));
        QTest::keyClick(name, Qt::Key_Return);
    });
    editor.Action(ID_FILE_SAVE_FRAME)->trigger();
    EXPECT_TRUE(compressed);
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_GT(std::filesystem::file_size(target), 0u);
}

} // namespace
