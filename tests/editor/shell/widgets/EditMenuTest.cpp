// The Edit menu's clipboard commands in the running editor: copy and paste of frames, Paste
// Special with its list of what the clipboard offers, delete (by key, menu and toolbar) in the
// strip, in an edit box and elsewhere, and frames dragged out of the strip carrying the
// clipboard block.

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
#include "sheet/PageAnimation.h"
#include "sheet/PageFrame.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

using namespace kfm5res;
using Labels = std::vector<std::string>;

// The ways a user gives the Delete command.
enum class DeleteBy { Key, Menu, ToolbarButton };
constexpr DeleteBy kEveryWay[] = {DeleteBy::Key, DeleteBy::Menu, DeleteBy::ToolbarButton};

const char* nameOf(DeleteBy way) {
    switch (way) {
    case DeleteBy::Key:
        return "the Del key";
    case DeleteBy::Menu:
        return "Edit > Delete";
    case DeleteBy::ToolbarButton:
        return "the toolbar button";
    }
    return "";
}

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
    kfm::ui::CGIFSheet& sheet() { return *editor.Frame().Panes().Sheet(); }
    QWidget* control(kfm::ui::ResourcePage& page, int id) {
        QWidget* widget = page.kit().control(id);
        EXPECT_NE(widget, nullptr) << id;
        return widget;
    }
    void showPage(int index) {
        sheet().Tabs()->setCurrentIndex(index);
        editor.Idle();
    }
    void focus(QWidget* widget) {
        QApplication::setActiveWindow(&editor.Frame());
        widget->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(widget->hasFocus());
    }
    // The key goes to the window as the window system sends it: shortcuts first, then the
    // focused widget.
    void deleteBy(DeleteBy way) {
        kfm::ui::CMainFrame& frame = editor.Frame();
        QApplication::setActiveWindow(&frame);
        editor.Idle();
        switch (way) {
        case DeleteBy::Key:
            QTest::keyClick(frame.windowHandle(), Qt::Key_Delete);
            break;
        case DeleteBy::Menu:
            ASSERT_TRUE(kfm::test::ClickMenu(frame, {"Edit", "Delete"}));
            // A disabled item (no frames to delete) leaves its menu open.
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            break;
        case DeleteBy::ToolbarButton: {
            QToolBar* bar = frame.ToolBar(kfm::ui::CMainFrame::Standard);
            QWidget* button = bar->widgetForAction(editor.Action(ID_EDIT_DELETE));
            ASSERT_NE(button, nullptr);
            QTest::mouseClick(button, Qt::LeftButton);
            break;
        }
        }
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
    for (const DeleteBy way : kEveryWay) {
        SCOPED_TRACE(nameOf(way));
        kfm::test::FillAnimation(editor, 3, 16, 12, 40, 30);
        editor.Idle();
        focus(editor.Frame().Panes().Strip());
        deleteBy(way);
        EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f1", "f2"}));
        EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindDeleteFrames);
    }

    // A text box of the sheet loses the character after the cursor; the frames stay.
    const Labels frames = kfm::test::FrameLabels();
    struct Box {
        int page;
        int id;
    };
    const Box boxes[] = {{kfm::ui::CGIFSheet::kAnimationPage, kfm::ui::CPageAnimation::kComment},
                         {kfm::ui::CGIFSheet::kFramePage, kfm::ui::CPageFrame::kName}};
    for (const Box& box : boxes)
        for (const DeleteBy way : kEveryWay) {
            SCOPED_TRACE(std::string(nameOf(way)) + ", box " + std::to_string(box.id));
            showPage(box.page);
            auto* page = static_cast<kfm::ui::ResourcePage*>(sheet().Tabs()->widget(box.page));
            QWidget* widget = control(*page, box.id);
            ASSERT_NE(widget, nullptr);
            focus(widget);
            auto* line = qobject_cast<QLineEdit*>(widget);
            auto* text = qobject_cast<QPlainTextEdit*>(widget);
            ASSERT_TRUE(line || text);
            if (line) {
                line->setText("12");
                line->setCursorPosition(0);
            } else {
                text->setPlainText("12");
                text->moveCursor(QTextCursor::Start);
            }
            deleteBy(way);
            EXPECT_EQ(line ? line->text() : text->toPlainText(), QString("2"));
            EXPECT_EQ(kfm::test::FrameLabels(), frames);
            EXPECT_TRUE(widget->hasFocus());
        }
}

// The Loop check box of the animation page takes no text and is not the strip: Delete leaves
// everything as it was (it used to send itself the key again and again until the stack ran out).
TEST_F(EditMenuTest, DeleteElsewhereDoesNothing) {
    showPage(kfm::ui::CGIFSheet::kAnimationPage);
    auto* loop =
        qobject_cast<QCheckBox*>(control(sheet().AnimationPage(), kfm::ui::CPageAnimation::kLoop));
    ASSERT_NE(loop, nullptr);
    TheUndoHistory().Reset();
    const bool checked = loop->isChecked();
    for (const DeleteBy way : kEveryWay) {
        SCOPED_TRACE(nameOf(way));
        focus(loop);
        deleteBy(way);
        EXPECT_EQ(kfm::test::FrameLabels(), (Labels{"f0", "f1", "f2"}));
        EXPECT_EQ(loop->isChecked(), checked);
        EXPECT_FALSE(TheUndoHistory().CanUndo());
    }
}

TEST_F(EditMenuTest, DeleteInAnEmptyDocumentDoesNothing) {
    kfm::test::ForgetChanges(editor);
    ASSERT_TRUE(editor.App().OnFileNew());
    editor.Idle();
    showPage(kfm::ui::CGIFSheet::kAnimationPage);
    QWidget* loop = control(sheet().AnimationPage(), kfm::ui::CPageAnimation::kLoop);
    ASSERT_NE(loop, nullptr);
    QWidget* const focusTargets[] = {loop, editor.Frame().Panes().Strip(), nullptr};
    for (QWidget* target : focusTargets)
        for (const DeleteBy way : kEveryWay) {
            SCOPED_TRACE(std::string(nameOf(way)) + ", focus " +
                         (target ? target->metaObject()->className() : "nowhere"));
            if (target)
                focus(target);
            else if (QWidget* focused = QApplication::focusWidget())
                focused->clearFocus();
            deleteBy(way);
            EXPECT_EQ(g_pAnimationData->RealFrameCount(), 0);
            EXPECT_FALSE(TheUndoHistory().CanUndo());
            EXPECT_TRUE(editor.Frame().isVisible());
        }
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
