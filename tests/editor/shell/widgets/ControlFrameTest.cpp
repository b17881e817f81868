// Control frames in the running editor, as a user makes them: New Control Object inserts a list
// box frame after the current frame in one undo step, the saved GIF shows its picture in any
// reader (giflib decodes the same pixels) and reopens with the frame editable, and Edit Object
// with OK and no change gives the same pixels again.

#include "PaneTestSupport.h"

#include "../../../imagelib/formats/gif/GiflibOracle.h"

#include "AnimationData.h"
#include "DlgSysControl.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "ObjectRecordCompare.h"
#include "SysControlTypes.h"
#include "UndoHistory.h"

#include <QComboBox>
#include <QLocale>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <vector>

namespace {

using namespace kfm5res;
using kfm::syscontrols::CDlgSysControl;
namespace fs = std::filesystem;

// A frame's picture as colours (0xRRGGBB) and transparency (0xFF000000 set where transparent).
std::vector<std::uint32_t> pixelsOf(const CObjFrame& frame) {
    const auto image = static_cast<KpxHandle>(frame.GetImage());
    std::vector<std::uint32_t> pixels;
    const int width = KPXWidth(image);
    const int height = KPXHeight(image);
    const int transparent = (frame.transparency & kKpxTransparencyIndexFlag)
                                ? static_cast<int>(frame.transparency & 0xFF)
                                : -1;
    const std::uint8_t* bits = KPXGetBits(image);
    const int scan = KPXGetScanBytes(image);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int index = bits[static_cast<std::size_t>(height - 1 - y) * scan + x];
            const COLORREF c = KPXGetColorFromPalette(image, index);
            pixels.push_back(index == transparent
                                 ? 0xFF000000u
                                 : (std::uint32_t{GetRValue(c)} << 16) |
                                       (std::uint32_t{GetGValue(c)} << 8) | GetBValue(c));
        }
    return pixels;
}

CObjFrame& frameAt(int index) {
    return *std::next(g_pAnimationData->frames.begin(), index);
}

class ControlFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ASSERT_TRUE(editor.Start());
        editor.ShowAt(900, 700);
        kfm::test::FillAnimation(editor, 2, 16, 12, 160, 120);
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
    // Answers the next system-control dialog: a list box of three items, the second selected.
    void answerWithListBox() {
        kfm::test::AnswerNextDialog([](QWidget* widget) {
            auto* dialog = qobject_cast<CDlgSysControl*>(widget);
            ASSERT_NE(dialog, nullptr);
            auto* types = dialog->kit().controlAs<QComboBox>(CDlgSysControl::kTypeList);
            types->setCurrentIndex(8);
            dialog->OnSelChangeType();
            auto* text = dialog->kit().controlAs<kfm::ui::CNumEdit>(CDlgSysControl::kText);
            if (dialog->Preview()->GetItemCount() == 0)
                for (const char* item : {"red", "green", "blue"}) {
                    text->setText(item);
                    dialog->OnAddItem();
                }
            dialog->grab().save(QString::fromStdString(kfm::test::ArtifactsFolder() +
                                                       "/syscontrol_main_window_dialog.png"));
            dialog->accept();
        });
    }

    kfm::test::TempDir files;
    kfm::test::EditorFixture editor;
};

TEST_F(ControlFrameTest, AListBoxFrameIsInsertedSavedReopenedAndEdited) {
    // Insert after the current first frame, undo, insert again.
    answerWithListBox();
    trigger(ID_FRAME_NEW_CONTROL);
    ASSERT_EQ(g_pAnimationData->RealFrameCount(), 3);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindNewControlObject);
    EXPECT_TRUE(frameAt(1).hasControl);
    EXPECT_EQ(GetCurrentFrameIndex(), 1);
    ASSERT_TRUE(TheUndoHistory().Undo());
    editor.Idle();
    EXPECT_EQ(g_pAnimationData->RealFrameCount(), 2);
    EXPECT_FALSE(frameAt(1).hasControl);
    SetCurrentFrame(0);
    answerWithListBox();
    trigger(ID_FRAME_NEW_CONTROL);
    ASSERT_EQ(g_pAnimationData->RealFrameCount(), 3);
    const CObjFrame& inserted = frameAt(1);
    ASSERT_TRUE(inserted.hasControl);
    EXPECT_EQ(inserted.control.type, static_cast<std::uint32_t>(kfm::syscontrols::ListBox));
    EXPECT_EQ(inserted.control.text.value_or(""), "red\n\ngreen\n\nblue");
    EXPECT_EQ(inserted.delay, 10);
    const ControlObjectRecord record = inserted.control;
    const std::vector<std::uint32_t> pixels = pixelsOf(inserted);
    const int width = inserted.width;
    const int height = inserted.height;
    editor.Frame().grab().save(
        QString::fromStdString(kfm::test::ArtifactsFolder() + "/syscontrol_main_window.png"));

    // Save as GIF and open it again.
    const std::string path = files.file("control.gif");
    kfm::test::AnswerFileDialog(QString::fromStdString(path));
    ASSERT_TRUE(kfm::test::ClickMenu(editor.Frame(), {"File", "Save As..."}));
    editor.Idle();
    ASSERT_TRUE(fs::exists(path));
    kfm::test::AnswerFileDialog(QString::fromStdString(path));
    editor.Keys(QKeySequence(Qt::CTRL | Qt::Key_O));
    editor.Idle();
    ASSERT_EQ(g_pAnimationData->RealFrameCount(), 3);
    const CObjFrame& reopened = frameAt(1);
    ASSERT_TRUE(reopened.hasControl);
    EXPECT_TRUE(kfm::records::recordsEqual(reopened.control, record));
    EXPECT_EQ(reopened.width, width);
    EXPECT_EQ(reopened.height, height);
    EXPECT_EQ(pixelsOf(reopened), pixels);

    // Any reader shows the picture: giflib decodes the same colours.
    const auto oracle = kfm::test::giflib::slurp(kfm::test::readFileBytes(path));
    ASSERT_TRUE(oracle);
    ASSERT_EQ(oracle->images.size(), 3u);
    const auto& image = oracle->images[1];
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    const auto& table = image.localColors.empty() ? oracle->colors : image.localColors;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const GifColorType c = table.at(image.indices[i]);
        const std::uint32_t colour =
            (std::uint32_t{c.Red} << 16) | (std::uint32_t{c.Green} << 8) | c.Blue;
        ASSERT_EQ(colour, pixels[i]) << "pixel " << i;
    }

    // Edit Object and OK without a change: the same pixels, one undo step.
    DeselectAllFrames();
    SelectFrame(1);
    SetCurrentFrame(1);
    editor.Idle();
    kfm::test::AnswerNextDialog([](QWidget* widget) {
        auto* dialog = qobject_cast<CDlgSysControl*>(widget);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->TypeFromComboIndex(), kfm::syscontrols::ListBox);
        dialog->accept();
    });
    trigger(ID_FRAME_EDIT_OBJECT);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindEditControlObject);
    ASSERT_EQ(g_pAnimationData->RealFrameCount(), 3);
    EXPECT_TRUE(frameAt(1).hasControl);
    EXPECT_TRUE(kfm::records::recordsEqual(frameAt(1).control, record));
    EXPECT_EQ(pixelsOf(frameAt(1)), pixels);
}

TEST_F(ControlFrameTest, EditObjectWaitsForAControlFrameAndCancelChangesNothing) {
    editor.Idle();
    EXPECT_FALSE(editor.Action(ID_FRAME_EDIT_OBJECT)->isEnabled());
    EXPECT_TRUE(editor.Action(ID_FRAME_NEW_CONTROL)->isEnabled());
    const int stepsKind = TheUndoHistory().GetCurrentKind();
    kfm::test::AnswerNextDialog([](QWidget* widget) { static_cast<QDialog*>(widget)->reject(); });
    trigger(ID_FRAME_NEW_CONTROL);
    EXPECT_EQ(g_pAnimationData->RealFrameCount(), 2);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), stepsKind);
}

} // namespace
