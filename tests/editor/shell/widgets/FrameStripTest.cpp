// The frame strip as a user meets it: items and labels, selection into the animation, cached
// thumbnails, label editing, dragging frames inside the strip and dropping files and pictures
// in from outside, the context menu and printing.

#include "PaneTestSupport.h"

#include "AnimationData.h"
#include "AnimationView.h"
#include "AppSettings.h"
#include "FrameTransfer.h"
#include "Kfm5ResourceIds.h"
#include "MainPanes.h"
#include "StripPrinter.h"
#include "UndoHistory.h"

#include <QLineEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace kfm5res;
using kfm::test::DropOnStrip;
using kfm::test::FrameLabels;
using kfm::ui::CAnimationView;
using Labels = std::vector<std::string>;

const char* const kGifFile = "gif/pillow/dispose_bgnd.gif";

class FrameStripTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.Start());
        editor.ShowAt(800, 600);
    }
    // The changes of a test are dropped without the save question.
    void TearDown() override { kfm::test::ForgetChanges(editor); }
    CAnimationView& strip() { return *editor.Frame().Panes().Strip(); }
    // Four frames "f0" to "f3" with the first selected and current.
    void fourFrames() { kfm::test::FillAnimation(editor, 4, 16, 12, 40, 30); }
    // Paints what the strip shows now.
    void paint() { strip().viewport()->grab(); }
    QLineEdit* labelEditor() { return strip().findChild<QLineEdit*>("StripLabelEditor"); }

    kfm::test::TempDir files;
    kfm::test::EditorFixture editor;
};

TEST_F(FrameStripTest, OneItemPerFrameAndThePlaceholder) {
    EXPECT_EQ(strip().model()->rowCount(), 1);
    EXPECT_EQ(editor.Frame().GetPaneView(2), &strip());
    EXPECT_NE(editor.Frame().GetPaneView(3), nullptr);
    EXPECT_NE(editor.Frame().GetPaneView(1), nullptr);
    EXPECT_EQ(editor.Frame().GetPaneView(0), nullptr);
    EXPECT_EQ(editor.Frame().GetPaneView(4), nullptr);
    const auto& state = strip().PaintState();
    EXPECT_EQ(kfm::ui::StripLabelText(state, 0, {}), QString("(drop frames here)"));

    ASSERT_TRUE(editor.App().OpenDocumentFile(kfm::test::testDataPath(kGifFile).string()));
    editor.Idle();
    EXPECT_EQ(strip().model()->rowCount(), g_pAnimationData->RealFrameCount() + 1);
    EXPECT_EQ(kfm::ui::StripLabelText(state, 2, "sky"), QString("3: sky"));
    // The first frame starts selected and current, in the animation and in the strip.
    EXPECT_EQ(GetFirstSelFrameIndex(), 0);
    EXPECT_EQ(GetCurrentFrameIndex(), 0);
    EXPECT_TRUE(strip().selectionModel()->isSelected(strip().model()->index(0, 0)));
    EXPECT_EQ(strip().currentIndex().row(), 0);
}

TEST_F(FrameStripTest, SelectingItemsSelectsFramesWithOneRefreshPerBurst) {
    fourFrames();
    const int before = strip().RefreshCount();
    strip().selectAll();
    editor.Idle();
    EXPECT_EQ(GetSelFramesCount(), 5);
    EXPECT_EQ(strip().RefreshCount(), before + 1);

    const QRect third = strip().visualRect(strip().model()->index(2, 0));
    QTest::mouseClick(strip().viewport(), Qt::LeftButton, {}, third.center());
    editor.Idle();
    EXPECT_EQ(GetSelFramesCount(), 1);
    EXPECT_EQ(GetFirstSelFrameIndex(), 2);
    EXPECT_EQ(GetCurrentFrameIndex(), 2);
    EXPECT_EQ(strip().RefreshCount(), before + 2);
    EXPECT_EQ(editor.Frame().Status().FrameCounter()->text(), QString("1 / 4"));
}

TEST_F(FrameStripTest, ThumbnailsAreMadeOnceForVisibleItemsOnly) {
    kfm::test::FillAnimation(editor, 1000, 24, 16, 64, 48);
    auto& cache = strip().Thumbnails();
    paint();
    const int rowHeight = static_cast<int>(strip().PaintState().rowSize.cy);
    const int visibleRows = strip().viewport()->height() / rowHeight + 2;
    const int first = cache.PicturesMade();
    EXPECT_GT(first, 0);
    EXPECT_LE(first, visibleRows);

    // Scrolling down to the end makes each thumbnail once; scrolling back makes none.
    QScrollBar* bar = strip().verticalScrollBar();
    for (int value = 0; value <= bar->maximum(); value += bar->pageStep()) {
        bar->setValue(value);
        paint();
    }
    bar->setValue(bar->maximum());
    paint();
    const int afterDown = cache.PicturesMade();
    EXPECT_LE(afterDown, 1000);
    EXPECT_EQ(static_cast<int>(cache.Count()), afterDown);
    for (int value = bar->maximum(); value >= 0; value -= bar->pageStep()) {
        bar->setValue(value);
        paint();
    }
    EXPECT_EQ(cache.PicturesMade(), afterDown);

    // A frame that changes gets a new thumbnail; the others stay.
    bar->setValue(0);
    std::next(g_pAnimationData->frames.begin(), 1)->left += 3;
    paint();
    EXPECT_EQ(cache.PicturesMade(), afterDown + 1);
    // Frames that are gone take their thumbnails with them.
    DeleteSelFrames();
    strip().RefreshItems();
    EXPECT_EQ(static_cast<int>(cache.Count()), afterDown - 1);
}

TEST_F(FrameStripTest, LabelsAreEditedInPlaceAsOneUndoStep) {
    fourFrames();
    ASSERT_TRUE(editor.Action(ID_EDIT_LABEL)->isEnabled());
    ASSERT_TRUE(editor.Frame().Router().Execute(ID_EDIT_LABEL));
    QLineEdit* edit = labelEditor();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(strip().IsEditingLabel());
    EXPECT_TRUE(editor.Frame().labelEditing);
    EXPECT_EQ(edit->text(), QString("f0"));
    editor.Idle();
    EXPECT_FALSE(editor.Action(ID_EDIT_LABEL)->isEnabled());
    edit->selectAll();
    QTest::keyClicks(edit, "sky");
    QTest::keyClick(edit, Qt::Key_Return);
    editor.Idle();
    EXPECT_EQ(FrameLabels()[0], "sky");
    EXPECT_FALSE(strip().IsEditingLabel());
    EXPECT_FALSE(editor.Frame().labelEditing);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindFrameLabel);

    // Esc keeps the label and leaves no step.
    ASSERT_TRUE(editor.Frame().Router().Execute(ID_EDIT_LABEL));
    edit = labelEditor();
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "zzz");
    QTest::keyClick(edit, Qt::Key_Escape);
    editor.Idle();
    EXPECT_EQ(FrameLabels()[0], "sky");
    EXPECT_FALSE(editor.Frame().labelEditing);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(FrameLabels()[0], "f0");
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(FrameStripTest, TheEditedLabelIsTheSelectedFramesEvenWhenAnotherIsCurrent) {
    fourFrames();
    // Frame 2 selected alone while frame 0 stays current (a Ctrl+click leaves it so).
    DeselectAllFrames();
    SelectFrame(2);
    SetCurrentFrame(0);
    strip().SyncSelection();
    strip().SyncFocus();
    ASSERT_TRUE(strip().EditLabel());
    ASSERT_NE(labelEditor(), nullptr);
    EXPECT_EQ(labelEditor()->text(), QString("f2"));
    labelEditor()->selectAll();
    QTest::keyClicks(labelEditor(), "moon");
    QTest::keyClick(labelEditor(), Qt::Key_Return);
    editor.Idle();
    EXPECT_EQ(FrameLabels(), (Labels{"f0", "f1", "moon", "f3"}));
}

TEST_F(FrameStripTest, AClickOnTheLabelEditsAndOnTheNumberOnlySelects) {
    fourFrames();
    const QRect item = strip().visualRect(strip().model()->index(0, 0));
    const QRect editorRect = kfm::ui::StripLabelEditorRect(strip().PaintState(), item);
    const int wait = QApplication::doubleClickInterval() + 150;
    // The number prefix of the selected frame.
    QTest::mouseClick(strip().viewport(), Qt::LeftButton, {},
                      QPoint(item.left() + 6, editorRect.center().y()));
    QTest::qWait(wait);
    EXPECT_FALSE(strip().IsEditingLabel());
    QTest::mouseClick(strip().viewport(), Qt::LeftButton, {}, editorRect.center());
    QTest::qWait(wait);
    EXPECT_TRUE(strip().IsEditingLabel());
    ASSERT_NE(labelEditor(), nullptr);
    QTest::keyClick(labelEditor(), Qt::Key_Escape);
    // No label of the placeholder.
    strip().setCurrentIndex(strip().model()->index(4, 0));
    editor.Idle();
    EXPECT_FALSE(strip().EditLabel());
}

TEST_F(FrameStripTest, DraggingFramesMovesOrCopiesThemAsOneUndoStep) {
    fourFrames();
    CAnimationView& s = strip();
    const struct {
        const char* label;
        int target;
        double y;
        Qt::KeyboardModifiers modifiers;
        Labels after;
    } cases[] = {
        {"move after the third", 2, 0.9, Qt::NoModifier, {"f1", "f2", "f0", "f3"}},
        {"move to the end", 4, 0.5, Qt::NoModifier, {"f1", "f2", "f3", "f0"}},
        {"copy with Ctrl", 1, 0.5, Qt::ControlModifier, {"f0", "f1", "f0", "f2", "f3"}},
        {"before the first is its own place", 0, 0.1, Qt::NoModifier, {"f0", "f1", "f2", "f3"}},
    };
    for (const auto& c : cases) {
        fourFrames();
        TheUndoHistory().Reset();
        s.SetDragRunner([&](QMimeData* data, Qt::DropActions) {
            return DropOnStrip(s, *data, c.target, c.y, c.modifiers);
        });
        s.StartFrameDrag(0, Qt::LeftButton);
        EXPECT_EQ(FrameLabels(), c.after) << c.label;
        for (const CObjFrame& f : g_pAnimationData->frames)
            EXPECT_EQ(f.marked, 0) << c.label;
        if (FrameLabels() != Labels{"f0", "f1", "f2", "f3"}) {
            EXPECT_EQ(s.model()->rowCount(), static_cast<int>(c.after.size()) + 1) << c.label;
            ASSERT_EQ(TheUndoHistory().Undo(), 1) << c.label;
        }
        EXPECT_EQ(FrameLabels(), (Labels{"f0", "f1", "f2", "f3"})) << c.label;
        EXPECT_FALSE(TheUndoHistory().CanUndo()) << c.label;
    }
    // A move onto its own item changes nothing.
    s.SetDragRunner([&](QMimeData* data, Qt::DropActions) {
        return DropOnStrip(s, *data, 0, 0.5, Qt::NoModifier);
    });
    s.StartFrameDrag(0, Qt::LeftButton);
    EXPECT_EQ(FrameLabels(), (Labels{"f0", "f1", "f2", "f3"}));
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    s.SetDragRunner({});
}

TEST_F(FrameStripTest, ARightButtonDragAsksMoveOrCopy) {
    fourFrames();
    CAnimationView& s = strip();
    s.SetDragRunner([&](QMimeData* data, Qt::DropActions) {
        kfm::test::AnswerNextPopup("Copy Here");
        return DropOnStrip(s, *data, 4, 0.5, Qt::NoModifier, Qt::RightButton);
    });
    s.StartFrameDrag(0, Qt::RightButton);
    EXPECT_EQ(FrameLabels(), (Labels{"f0", "f1", "f2", "f3", "f0"}));
    s.SetDragRunner([&](QMimeData* data, Qt::DropActions) {
        kfm::test::AnswerNextPopup("Cancel");
        return DropOnStrip(s, *data, 4, 0.5, Qt::NoModifier, Qt::RightButton);
    });
    s.StartFrameDrag(0, Qt::RightButton);
    EXPECT_EQ(FrameLabels().size(), 5u);
    s.SetDragRunner({});
}

TEST_F(FrameStripTest, TheDropIndicatorFollowsTheMouse) {
    fourFrames();
    CAnimationView& s = strip();
    QMimeData data;
    data.setImageData(QImage(4, 4, QImage::Format_RGB32));
    const struct {
        int item;
        double y;
        int mode;
    } cases[] = {{0, 0.2, kfm::shell::kDropBefore},
                 {0, 0.8, kfm::shell::kDropAfter},
                 {2, 0.2, kfm::shell::kDropAfter},
                 {4, 0.8, kfm::shell::kDropBefore}};
    for (const auto& c : cases) {
        const QRect rect = s.visualRect(s.model()->index(c.item, 0));
        const QPoint at(rect.center().x(), rect.top() + static_cast<int>(rect.height() * c.y));
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(s.viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(s.viewport(), &move);
        EXPECT_EQ(s.DropItem(), c.item);
        EXPECT_EQ(s.DropMode(), c.mode) << c.item << " " << c.y;
        QDragLeaveEvent leave;
        QApplication::sendEvent(s.viewport(), &leave);
        EXPECT_EQ(s.DropItem(), -1);
    }
}

TEST_F(FrameStripTest, FilesAndPicturesDroppedFromOutsideBecomeFrames) {
    fourFrames();
    TheUndoHistory().Reset();
    CAnimationView& s = strip();

    QMimeData gif;
    gif.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(kfm::test::testDataPath(kGifFile).string()))});
    EXPECT_EQ(DropOnStrip(s, gif, 4, 0.5), Qt::CopyAction);
    const int withGif = g_pAnimationData->RealFrameCount();
    EXPECT_GT(withGif, 4);
    EXPECT_EQ(s.model()->rowCount(), withGif + 1);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindPaste);
    EXPECT_EQ(GetFirstSelFrameIndex(), 4);
    TheUndoHistory().Undo();
    EXPECT_EQ(FrameLabels(), (Labels{"f0", "f1", "f2", "f3"}));

    // Something that is no picture leaves the animation as it was, with no undo step.
    const std::string text = files.file("notes.txt");
    std::ofstream(text) << "not a picture";
    QMimeData notPicture;
    notPicture.setUrls({QUrl::fromLocalFile(QString::fromStdString(text))});
    EXPECT_EQ(DropOnStrip(s, notPicture, 1, 0.5), Qt::IgnoreAction);
    QMimeData plainText;
    plainText.setText("hello");
    EXPECT_EQ(DropOnStrip(s, plainText, 1, 0.5), Qt::IgnoreAction);
    EXPECT_EQ(FrameLabels(), (Labels{"f0", "f1", "f2", "f3"}));
    EXPECT_FALSE(TheUndoHistory().CanUndo());

    // A picture becomes one frame of its size, after the frame it was dropped on.
    QImage red(10, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    QMimeData picture;
    picture.setImageData(red);
    EXPECT_EQ(DropOnStrip(s, picture, 1, 0.5), Qt::CopyAction);
    ASSERT_EQ(g_pAnimationData->RealFrameCount(), 5);
    const CObjFrame& dropped = *std::next(g_pAnimationData->frames.begin(), 2);
    EXPECT_EQ(dropped.width, 10);
    EXPECT_EQ(dropped.height, 8);
    EXPECT_TRUE(dropped.selected && dropped.current);
    const QImage back = kfm::ui::FramePicture(dropped, kfm::ui::Transparency::Opaque);
    EXPECT_EQ(back.pixel(3, 3), QColor(Qt::red).rgb());
}

TEST_F(FrameStripTest, TheContextMenuOffersTheLabelEdit) {
    fourFrames();
    QStringList items;
    kfm::test::ReadNextPopup(&items);
    const QPoint at = strip().visualRect(strip().model()->index(1, 0)).center();
    QTest::mousePress(strip().viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(strip().viewport(), Qt::RightButton, {}, at);
    editor.Idle();
    EXPECT_TRUE(items.contains("Edit Label"));
    EXPECT_EQ(GetFirstSelFrameIndex(), 1);
}

TEST_F(FrameStripTest, PrintingPaginatesAndLeavesTheAnimationAsItWas) {
    fourFrames();
    auto& settings = kfm::shell::g_AppSettings;
    settings.PrintOrderRows = 0;
    settings.PrintOrderColumns = 0;
    TheUndoHistory().Reset();
    const std::string pdf = files.file("frames.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    kfm::ui::StripPrinter layoutProbe(strip());
    const int pages = layoutProbe.LayoutFor(printer).pages;
    EXPECT_GE(pages, 1);
    EXPECT_EQ(strip().PrintTo(printer), pages);
    EXPECT_GT(std::filesystem::file_size(pdf), 0u);
    EXPECT_EQ(FrameLabels(), (Labels{"f0", "f1", "f2", "f3"}));
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    for (const CObjFrame& f : g_pAnimationData->frames) {
        EXPECT_EQ(f.GetRenderedImage(), 0);
        if (f.GetImage()) {
            EXPECT_EQ(KPXGetImageFramesNum(static_cast<KpxHandle>(f.GetImage())), 1);
        }
    }
}

} // namespace
