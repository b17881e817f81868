// The Edit menu's clipboard commands in the running editor: copy and paste of frames, Paste
// Special with its list of what the clipboard offers, delete in the strip and in an edit box,
// and frames dragged out of the strip carrying the clipboard block.

#include "PaneTestSupport.h"

#include "AnimationData.h"
#include "AnimationView.h"
#include "ClipboardFramesBlock.h"
#include "FrameTransfer.h"
#include "Kfm5ResourceIds.h"
#include "MainPanes.h"
#include "PasteSpecialDialog.h"
#include "ProgramState.h"
#include "UndoHistory.h"
#include "clipboard/Clipboard.h"
#include "sheet/GIFSheet.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace kfm5res;
using Labels = std::vector<std::string>;

class EditMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.Start());
        editor.ShowAt(800, 600);
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        CloseClipboard();
        // Frames "f0", "f1", "f2"; the first selected and current.
        kfm::test::FillAnimation(editor, 3, 16, 12, 40, 30);
        editor.Idle();
    }
    void TearDown() override { kfm::test::ForgetChanges(editor); }
    void trigger(UINT id) {
        editor.Idle();
        QAction* action = editor.Action(id);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled()) << id;
        action->trigger();
        editor.Idle();
    }

    kfm::test::EditorFixture editor;
};

TEST_F(EditMenuTest, CopyAndPasteInsertTheFramesAfterTheCurrentOne) {
    editor.Idle();
    EXPECT_FALSE(editor.Action(ID_EDIT_PASTE)->isEnabled());
    trigger(ID_EDIT_COPY);
    EXPECT_TRUE(IsClipboardFormatAvailable(g_cfPrivateFormat));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    trigger(ID_EDIT_PASTE);
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f0", "f0", "f1", "f2"}));
    EXPECT_EQ(GetCurrentFrameIndex(), 1);
    EXPECT_EQ(editor.Frame().Panes().Strip()->model()->rowCount(), 5);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindPaste);
}

TEST_F(EditMenuTest, PasteSpecialListsTheOfferedFormatsAndPastesTheChosenOne) {
    trigger(ID_EDIT_COPY);
    QStringList names;
    kfm::test::AnswerNextDialog([&](QWidget* dialog) {
        auto* list = dialog->findChild<QListWidget*>(
            "id" + QString::number(kfm::ui::PasteSpecialDialog::kFormatList));
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        list->setCurrentRow(1); // the picture
        auto* result = dialog->findChild<QLabel*>(
            "id" + QString::number(kfm::ui::PasteSpecialDialog::kResultText));
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(result->text(), QString("Inserts the picture as a new frame."));
        dialog->grab().save(
            QString::fromStdString(kfm::test::ArtifactsFolder() + "/paste-special.png"));
        static_cast<QDialog*>(dialog)->accept();
    });
    trigger(ID_EDIT_PASTE_SPECIAL);
    EXPECT_EQ(names, (QStringList{"KeldoFlimmer5 Frames", "Picture (Bitmap)"}));
    // The picture comes without the frame's label.
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f0", "", "f1", "f2"}));
}

TEST_F(EditMenuTest, DeleteRemovesFramesInTheStripAndTextInAnEditBox) {
    kfm::ui::CAnimationView& strip = *editor.Frame().Panes().Strip();
    strip.setFocus();
    editor.Idle();
    trigger(ID_EDIT_DELETE);
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f1", "f2"}));

    QLineEdit* box = nullptr;
    for (QLineEdit* edit : editor.Frame().Panes().Sheet()->findChildren<QLineEdit*>())
        if (edit->isVisible() && edit->isEnabled() && !edit->isReadOnly()) {
            box = edit;
            break;
        }
    if (!box)
        GTEST_SKIP() << "the sheet shows no edit box";
    box->setText("12");
    box->setFocus();
    box->setCursorPosition(0);
    editor.Idle();
    trigger(ID_EDIT_DELETE);
    EXPECT_EQ(box->text(), QString("2"));
    EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f1", "f2"}));
}

TEST_F(EditMenuTest, FramesDraggedOutCarryTheClipboardBlock) {
    FrameList frames(g_pAnimationData->frames.begin(),
                     std::next(g_pAnimationData->frames.begin(), 2));
    kfm::ui::FramesMimeData data(nullptr, frames);
    const QByteArray bytes = data.data(kfm::ui::FramesMimeType());
    const auto read = ReadClipboardFramesBytes(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
    EXPECT_TRUE(read.complete);
    ASSERT_EQ(read.frames->size(), 2u);
    EXPECT_EQ(read.frames->front().comment, "f0");

    // Another editor's drop: only the bytes arrive.
    QMimeData foreign;
    foreign.setData(kfm::ui::FramesMimeType(), bytes);
    const FrameList dropped = kfm::ui::FramesFromDrop(foreign, nullptr);
    ASSERT_EQ(dropped.size(), 2u);
    EXPECT_EQ(dropped.back().comment, "f1");
}

} // namespace
