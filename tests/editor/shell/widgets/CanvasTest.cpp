// The canvas and the splitters as a user meets them: zoom, moving the selection with keys and
// the mouse within the edge locks, the preview in the pane, the layout toggle and thumbnail
// sizes, and pictures of the strip and the canvas for reviewers.

#include "PaneTestSupport.h"

#include "AnimationData.h"
#include "AnimationView.h"
#include "AppSettings.h"
#include "ImageView.h"
#include "Kfm5ResourceIds.h"
#include "MainPanes.h"
#include "PreviewPlayer.h"
#include "ProgramState.h"
#include "UndoHistory.h"
#include "registry/RegistryHelpers.h"

#include <QPixmap>
#include <QSplitterHandle>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace kfm5res;
using kfm::ui::CImageView;

const char* const kGifFile = "gif/pillow/dispose_bgnd.gif";

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(start()); }
    // The changes of a test are dropped without the save question.
    void TearDown() override { kfm::test::ForgetChanges(editor); }
    bool start() {
        if (!editor.Start())
            return false;
        editor.ShowAt(900, 600);
        return true;
    }
    kfm::ui::MainPanes& panes() { return editor.Frame().Panes(); }
    CImageView& canvas() { return *panes().Canvas(); }
    bool run(UINT id) {
        const bool ran = editor.Frame().Router().Execute(id);
        editor.Idle();
        return ran;
    }
    // One 20 x 10 frame on a 100 x 50 screen at (left, 5), selected.
    void oneFrameAt(int left) {
        kfm::test::FillAnimation(editor, 1, 20, 10, 100, 50);
        CObjFrame& frame = g_pAnimationData->frames.front();
        frame.left = left;
        frame.top = 5;
        g_pAnimationData->AnimationStateElasticSize = 0;
        TheUndoHistory().Reset();
        canvas().RefreshCanvas();
    }
    int left() const { return g_pAnimationData->frames.front().left; }
    void keys(int key, Qt::KeyboardModifiers modifiers, int times) {
        canvas().setFocus();
        for (int i = 0; i < times; ++i)
            QTest::keyClick(&canvas(), static_cast<Qt::Key>(key), modifiers);
    }

    kfm::test::EditorFixture editor;
};

TEST_F(CanvasTest, ZoomStepsBetweenAQuarterAndEight) {
    oneFrameAt(10);
    EXPECT_FALSE(editor.Action(ID_VIEW_ZOOM_ACTUAL)->isEnabled());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(run(ID_VIEW_ZOOM_IN));
    EXPECT_FLOAT_EQ(canvas().GetZoom(), 8.0f);
    EXPECT_FALSE(run(ID_VIEW_ZOOM_IN));
    EXPECT_FALSE(editor.Action(ID_VIEW_ZOOM_IN)->isEnabled());
    EXPECT_TRUE(run(ID_VIEW_ZOOM_ACTUAL));
    EXPECT_FLOAT_EQ(canvas().GetZoom(), 1.0f);
    EXPECT_TRUE(run(ID_VIEW_ZOOM_OUT));
    EXPECT_TRUE(run(ID_VIEW_ZOOM_OUT));
    EXPECT_FLOAT_EQ(canvas().GetZoom(), 0.25f);
    EXPECT_FALSE(editor.Action(ID_VIEW_ZOOM_OUT)->isEnabled());
}

TEST_F(CanvasTest, ArrowKeysMoveTheSelectionAsOneStepPerRun) {
    oneFrameAt(10);
    keys(Qt::Key_Right, Qt::NoModifier, 1);
    EXPECT_EQ(left(), 11);
    keys(Qt::Key_Right, Qt::ShiftModifier, 1);
    EXPECT_EQ(left(), 21);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindMove);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(left(), 10);

    // With the right edge locked the frame stops where its right edge meets the screen's.
    g_pAnimationData->AnimationStateLockRight = 1;
    keys(Qt::Key_Right, Qt::ShiftModifier, 12);
    EXPECT_EQ(left(), 80);
    // With the elastic size a frame never goes to a negative place.
    g_pAnimationData->AnimationStateElasticSize = 1;
    keys(Qt::Key_Left, Qt::ShiftModifier, 12);
    EXPECT_EQ(left(), 0);
}

TEST_F(CanvasTest, TheMouseDragsTheSelectionAtTheZoom) {
    oneFrameAt(10);
    run(ID_VIEW_ZOOM_IN);
    QWidget* view = canvas().viewport();
    const POINT origin = canvas().AreaOrigin();
    // The frame's middle on the screen: the area's border, then (10 + 10, 5 + 5) at zoom 2.
    const QPoint grab(origin.x + 1 + 40, origin.y + 1 + 20);
    QTest::mousePress(view, Qt::LeftButton, {}, grab);
    QTest::mouseMove(view, grab + QPoint(30, 8));
    QTest::mouseRelease(view, Qt::LeftButton, {}, grab + QPoint(30, 8));
    EXPECT_EQ(left(), 25);
    EXPECT_EQ(g_pAnimationData->frames.front().top, 9);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindMove);
    TheUndoHistory().Undo();
    // A press and release without a move leaves no step.
    QTest::mousePress(view, Qt::LeftButton, {}, grab);
    QTest::mouseRelease(view, Qt::LeftButton, {}, grab);
    EXPECT_EQ(left(), 10);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(CanvasTest, ThePreviewPlaysInThePaneAndGivesEverythingBack) {
    ASSERT_TRUE(editor.App().OpenDocumentFile(kfm::test::testDataPath(kGifFile).string()));
    editor.Idle();
    const int frames = g_pAnimationData->RealFrameCount();
    const bool couldUndo = TheUndoHistory().CanUndo() != 0;
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(run(ID_VIEW_PREVIEW)) << round;
        ASSERT_NE(canvas().Preview(), nullptr);
        EXPECT_TRUE(g_bPreviewPlaying);
        EXPECT_FALSE(panes().Strip()->isEnabled());
        EXPECT_TRUE(editor.Action(ID_VIEW_PREVIEW)->isChecked());
        EXPECT_TRUE(editor.Action(ID_PLAYER_PAUSE)->isEnabled());
        EXPECT_FALSE(editor.Action(ID_VIEW_ZOOM_IN)->isEnabled());
        EXPECT_EQ(canvas().GetPreviewFrameCount(), frames);
        EXPECT_TRUE(run(ID_PLAYER_LAST));
        EXPECT_EQ(canvas().GetPreviewCurrentFrame(), frames);
        EXPECT_TRUE(editor.Action(ID_PLAYER_PLAY)->isEnabled());
        EXPECT_EQ(editor.Frame().Status().FrameCounter()->text(), QString("%1 / %1").arg(frames));
        EXPECT_TRUE(run(round % 2 ? ID_VIEW_PREVIEW : ID_STOP_PREVIEW));
        EXPECT_EQ(canvas().Preview(), nullptr);
        EXPECT_FALSE(g_bPreviewPlaying);
        EXPECT_TRUE(panes().Strip()->isEnabled());
    }
    EXPECT_EQ(g_pAnimationData->RealFrameCount(), frames);
    EXPECT_EQ(TheUndoHistory().CanUndo() != 0, couldUndo);
    for (const CObjFrame& f : g_pAnimationData->frames) {
        if (f.GetImage()) {
            EXPECT_EQ(KPXGetImageFramesNum(static_cast<KpxHandle>(f.GetImage())), 1);
        }
    }
}

TEST_F(CanvasTest, TheLayoutTogglesAndIsKeptBetweenRuns) {
    kfm::ui::CToggleSplitterWnd& bar = *panes().ToggleBar();
    EXPECT_FALSE(bar.IsStacked());
    EXPECT_TRUE(editor.Action(ID_STRIP_SIDE_BY_SIDE)->isChecked());
    const int column = bar.FirstPaneSize();
    EXPECT_TRUE(run(ID_STRIP_STACKED));
    EXPECT_TRUE(bar.IsStacked());
    EXPECT_TRUE(editor.Action(ID_STRIP_STACKED)->isChecked());
    // Never shown before: the strip takes half the height.
    const QList<int> halves = bar.sizes();
    EXPECT_NEAR(halves[0], halves[1], 8);
    // A double click on the bar flips back to the split it had.
    QTest::mouseDClick(bar.handle(1), Qt::LeftButton);
    editor.Idle();
    EXPECT_FALSE(bar.IsStacked());
    EXPECT_NEAR(bar.FirstPaneSize(), column, 2);
    run(ID_STRIP_TOGGLE);
    ASSERT_TRUE(bar.IsStacked());
    const int stripHeight = bar.FirstPaneSize();
    editor.Stop();
    EXPECT_EQ(ReadRegInt("Settings", "ToggleBarIsHorizontal", 0, 0, 0), 1);
    EXPECT_NEAR(ReadRegInt("Settings", "ToggleBarHorizontalSize", -1, 0, 0), stripHeight, 2);
    ASSERT_TRUE(editor.Restart());
    EXPECT_TRUE(panes().ToggleBar()->IsStacked());
}

TEST_F(CanvasTest, ThumbnailSizeCommandsResizeTheStrip) {
    kfm::test::FillAnimation(editor, 3, 40, 20, 468, 60);
    EXPECT_TRUE(editor.Action(20063)->isChecked());
    EXPECT_TRUE(run(20061));
    EXPECT_EQ(kfm::shell::g_AppSettings.ThumbnailWidth, 144);
    EXPECT_TRUE(editor.Action(20061)->isChecked());
    EXPECT_FALSE(editor.Action(20063)->isChecked());
    const auto& strip = *panes().Strip();
    EXPECT_EQ(strip.PaintState().rowSize.cx, 144 + 14);
    EXPECT_EQ(strip.visualRect(strip.model()->index(0, 0)).height(),
              144 + strip.PaintState().textHeight + 9);
    // A quarter of the animation: 117 x 15, and the column follows.
    EXPECT_TRUE(run(20066));
    EXPECT_EQ(kfm::shell::g_AppSettings.ThumbnailWidth, 117);
    EXPECT_EQ(kfm::shell::g_AppSettings.ThumbnailHeight, 15);
    EXPECT_GE(panes().ToggleBar()->FirstPaneSize(), 117 + 14);
    kfm::test::ForgetChanges(editor);
    editor.Stop();
    EXPECT_EQ(ReadRegInt("Settings", "ThumbnailID", 0, 0, 0), 183);
}

TEST_F(CanvasTest, PicturesOfTheStripAndTheCanvas) {
    ASSERT_TRUE(editor.App().OpenDocumentFile(kfm::test::testDataPath(kGifFile).string()));
    editor.Idle();
    // The balloon frame alone, over the transparency checkerboard.
    DeselectAllFrames();
    SelectFrame(1);
    SetCurrentFrame(1);
    panes().Strip()->SyncSelection();
    panes().Strip()->SyncFocus();
    canvas().RefreshCanvas();
    editor.Idle();
    const std::string folder = kfm::test::ArtifactsFolder();
    const QPixmap strip = panes().Strip()->grab();
    EXPECT_TRUE(strip.save(QString::fromStdString(folder + "/frame-strip.png")));
    const QPixmap actual = canvas().grab();
    EXPECT_TRUE(actual.save(QString::fromStdString(folder + "/canvas-100.png")));
    run(ID_VIEW_ZOOM_IN);
    run(ID_VIEW_ZOOM_IN);
    EXPECT_FLOAT_EQ(canvas().GetZoom(), 4.0f);
    const QPixmap zoomed = canvas().grab();
    EXPECT_TRUE(zoomed.save(QString::fromStdString(folder + "/canvas-400.png")));
    // At 400 % one pixel of the animation is four on the screen: a frame pixel in the
    // picture repeats across a 4 x 4 block.
    const POINT origin = canvas().AreaOrigin();
    const QImage picture = canvas().viewport()->grab().toImage();
    const QPoint cell(origin.x + 1 + 4 * 25, origin.y + 1 + 4 * 25);
    for (int dy = 0; dy < 4; ++dy)
        for (int dx = 0; dx < 4; ++dx)
            EXPECT_EQ(picture.pixel(cell + QPoint(dx, dy)), picture.pixel(cell));
}

} // namespace
