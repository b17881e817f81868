// The property sheet and its pages as a user meets them: values typed, chosen and clicked in the
// real controls reach the animation as one undo step each (none when nothing changed), show at
// once, and come back with undo; the active tab is kept between runs. Pictures of the four pages
// go to the test artifacts.

#include "PaneTestSupport.h"

#include "AnimationData.h"
#include "AnimationView.h"
#include "AppSettings.h"
#include "Bitra5.h"
#include "DlgPaletteImage.h"
#include "FrameTransforms.h"
#include "GIFAnimDoc.h"
#include "GIFSheet.h"
#include "ImageUtilities.h"
#include "ImageView.h"
#include "MainPanes.h"
#include "PageAnimation.h"
#include "PageFrame.h"
#include "PageOptimize.h"
#include "PageOption.h"
#include "PaletteGridWnd.h"
#include "PaletteRender.h"
#include "ProgramState.h"
#include "SmallControls.h"
#include "TestSupport.h"
#include "UndoHistory.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <tuple>

namespace {

using kfm::ui::CGIFSheet;
using kfm::ui::CPageAnimation;
using kfm::ui::CPageFrame;
using kfm::ui::CPageOptimize;
using kfm::ui::CPageOption;

class SheetTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(start()); }
    void TearDown() override { kfm::test::ForgetChanges(editor); }
    bool start() {
        if (!editor.Start())
            return false;
        show();
        return true;
    }
    void show() {
        editor.ShowAt(1000, 700);
        activate();
    }
    // The main window takes the focus again (a message box may have had it).
    void activate() {
        QApplication::setActiveWindow(&editor.Frame());
        editor.Frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor.Frame()));
    }
    // Clicks a check box or radio button on its box, where a click counts.
    void click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        editor.Idle();
    }
    CGIFSheet& sheet() { return *editor.Frame().Panes().Sheet(); }
    template <class W> W* control(kfm::ui::ResourcePage& page, int id) {
        W* w = dynamic_cast<W*>(page.kit().control(id));
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    void showPage(int index) {
        sheet().Tabs()->setCurrentIndex(index);
        editor.Idle();
    }
    // Types into a field as the user does: focus, select all, type, Enter, then leave it.
    void type(QWidget* field, const QString& text) {
        activate();
        field->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(field->hasFocus());
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        leave();
    }
    // Moves the focus to the canvas (closing a pending typing step).
    void leave() {
        editor.Frame().Panes().Canvas()->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }
    void choose(QComboBox* box, int item) {
        box->setFocus();
        box->setCurrentIndex(item);
        emit box->activated(item);
        editor.Idle();
    }
    // Two 40 x 30 frames at (0, 0) and (50, 10) on a 100 x 50 screen, both selected.
    void twoFrames() {
        kfm::test::FillAnimation(editor, 2, 40, 30, 100, 50);
        CObjFrame& second = *std::next(g_pAnimationData->frames.begin());
        second.left = 50;
        second.top = 10;
        g_pAnimationData->AnimationStateElasticSize = 0;
        SelectAllFrames();
        DeselectFrame(g_pAnimationData->RealFrameCount());
        TheUndoHistory().Reset();
        sheet().UpdateAnimationPage();
        sheet().UpdateFramePageFromSelection();
    }
    CObjFrame& frame(int i) { return *std::next(g_pAnimationData->frames.begin(), i); }
    // Four 40 x 30 frames of one colour on a 40 x 30 screen: all but the first show nothing new,
    // so the optimiser can make the animation smaller.
    void repeatedFrames() {
        kfm::test::FillAnimation(editor, 4, 40, 30, 40, 30);
        for (int i = 0; i < 4; ++i) {
            frame(i).left = 0;
            frame(i).top = 0;
            KPXFillImageByIndexColor(frame(i).GetImage(), 7);
        }
        g_pAnimationData->AnimationStateElasticSize = 0;
        TheUndoHistory().Reset();
        editor.Frame().Panes().OnDocumentChanged();
        sheet().UpdateOptimizeState();
        editor.Idle();
    }
    static int firstPixel(std::uint16_t image) {
        const std::uint8_t* bits = KPXGetBits(image);
        return bits ? bits[0] : -1;
    }
    // What a user sees of each frame.
    using FrameState = std::tuple<int, int, int, int, int, std::string, int>;
    static std::vector<FrameState> frameStates() {
        std::vector<FrameState> states;
        const FrameList& frames = g_pAnimationData->frames;
        for (auto it = frames.begin(); it != std::prev(frames.end()); ++it)
            states.emplace_back(it->left, it->top, it->width, it->height, it->delay, it->comment,
                                firstPixel(it->GetImage()));
        return states;
    }
    int stripRows() { return editor.Frame().Panes().Strip()->model()->rowCount(); }
    void runOptimizer() {
        CPageOptimize& page = sheet().OptimizePage();
        auto* run = control<QPushButton>(page, CPageOptimize::kRun);
        ASSERT_TRUE(run->isEnabled());
        QTest::mouseClick(run, Qt::LeftButton);
        editor.Idle();
    }
    QString shownText(int id) { return control<QLabel>(sheet().OptimizePage(), id)->text(); }
    // A size text starts with the bytes below 1000, else with the whole kilobytes.
    static bool showsSize(const QString& text, int size) {
        return text.startsWith(QString::number(size < 1000 ? size : size / 1000));
    }
    void screenshot(QWidget& page, const char* name) {
        const QString path =
            QString::fromStdString(kfm::test::ArtifactsFolder() + "/sheet-" + name + ".png");
        EXPECT_TRUE(page.grab().save(path));
    }

    kfm::test::EditorFixture editor;
};

TEST_F(SheetTest, FourPagesInThePaneWithTheAnimationPageFirst) {
    EXPECT_EQ(editor.Frame().GetPaneView(1), &sheet());
    QTabWidget& tabs = *sheet().Tabs();
    ASSERT_EQ(tabs.count(), 4);
    EXPECT_EQ(tabs.widget(0), &sheet().OptionPage());
    EXPECT_EQ(tabs.widget(1), &sheet().OptimizePage());
    EXPECT_EQ(tabs.widget(2), &sheet().AnimationPage());
    EXPECT_EQ(tabs.widget(3), &sheet().FramePage());
    EXPECT_EQ(tabs.tabText(2), QString("Animation"));
    EXPECT_EQ(tabs.currentIndex(), CGIFSheet::kAnimationPage);
    // A new document: the initial size and no frames.
    EXPECT_EQ(control<kfm::ui::CNumEdit>(sheet().AnimationPage(), CPageAnimation::kWidth)->text(),
              QString("468"));
    EXPECT_EQ(control<QLabel>(sheet().AnimationPage(), CPageAnimation::kFrameCount)->text(),
              QString("0"));
    EXPECT_GT(editor.Frame().Panes().Sheet()->width(), 0);
}

TEST_F(SheetTest, TheActiveTabIsKeptBetweenRuns) {
    showPage(CGIFSheet::kFramePage);
    kfm::test::ForgetChanges(editor);
    ASSERT_TRUE(editor.Restart());
    EXPECT_EQ(sheet().Tabs()->currentIndex(), CGIFSheet::kFramePage);
}

TEST_F(SheetTest, TypingTheWidthIsOneUndoStepAndClamped) {
    twoFrames();
    CPageAnimation& page = sheet().AnimationPage();
    showPage(CGIFSheet::kAnimationPage);
    auto* width = control<kfm::ui::CNumEdit>(page, CPageAnimation::kWidth);
    type(width, "120");
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 120);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindAnimationSize);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 100);
    EXPECT_FALSE(TheUndoHistory().CanUndo());

    // The field takes four digits at most: a fifth is not typed.
    type(width, "10000");
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 1000);
    type(width, "9999");
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 9999);
    type(control<kfm::ui::CNumEdit>(page, CPageAnimation::kHeight), "0");
    EXPECT_EQ(g_pAnimationData->AnimationHeight, 1);
    // A size written by the program is no typing: it changes nothing.
    sheet().UpdateAnimationPage();
    EXPECT_EQ(width->text(), QString("9999"));
}

// Declining the question keeps the old size in the animation too, not only in the field, and
// leaves no undo step behind.
TEST_F(SheetTest, DecliningTheShrinkQuestionKeepsTheOldSize) {
    twoFrames();
    DeselectFrame(0); // the selection is the frame at x 50
    editor.Frame().Panes().Canvas()->RefreshCanvas();
    showPage(CGIFSheet::kAnimationPage);
    auto* width = control<kfm::ui::CNumEdit>(sheet().AnimationPage(), CPageAnimation::kWidth);
    kfm::test::AnswerMessageBox("No");
    type(width, "40");
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 100);
    EXPECT_EQ(width->text(), QString("100"));
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    EXPECT_EQ(frame(1).left, 50);

    kfm::test::AnswerMessageBox("Yes");
    type(width, "40");
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 40);
    EXPECT_LT(frame(1).left, 40); // pulled back inside
    EXPECT_EQ(frame(0).left, 0);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(frame(1).left, 50);
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 100);
}

// The pages write their own fields while they show the animation: nothing of that may come
// back as an edit, not even after the fields' auto-apply wait.
TEST_F(SheetTest, ProgrammaticUpdatesFeedNothingBack) {
    twoFrames();
    showPage(CGIFSheet::kFramePage);
    g_pAnimationData->AnimationWidth = 200;
    frame(0).delay = 40;
    frame(1).delay = 40;
    sheet().UpdateAnimationPage();
    sheet().UpdateFramePageFromSelection();
    QTest::qWait(1300);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    EXPECT_EQ(control<kfm::ui::CNumEdit>(sheet().AnimationPage(), CPageAnimation::kWidth)->text(),
              QString("200"));
    EXPECT_EQ(control<kfm::ui::CNumEdit>(sheet().FramePage(), CPageFrame::kDelay)->text(),
              QString("40"));
}

TEST_F(SheetTest, MovingOnTheCanvasShowsOnTheFramePage) {
    twoFrames();
    showPage(CGIFSheet::kFramePage);
    kfm::ui::CImageView& canvas = *editor.Frame().Panes().Canvas();
    canvas.RefreshCanvas();
    canvas.setFocus();
    QTest::keyClick(&canvas, Qt::Key_Right);
    QTest::keyClick(&canvas, Qt::Key_Down);
    editor.Idle();
    EXPECT_EQ(frame(0).left, 1);
    EXPECT_EQ(control<kfm::ui::CNumEdit>(sheet().FramePage(), CPageFrame::kLeft)->text(),
              QString("1"));
    EXPECT_EQ(control<kfm::ui::CNumEdit>(sheet().FramePage(), CPageFrame::kTop)->text(),
              QString("1"));
}

TEST_F(SheetTest, LoopChoicesAndCount) {
    CPageAnimation& page = sheet().AnimationPage();
    showPage(CGIFSheet::kAnimationPage);
    auto* loop = control<QCheckBox>(page, CPageAnimation::kLoop);
    auto* foreverChoice = control<QRadioButton>(page, CPageAnimation::kLoopForever);
    auto* counted = control<QRadioButton>(page, CPageAnimation::kLoopCounted);
    auto* count = control<kfm::ui::CNumEdit>(page, CPageAnimation::kLoopCount);
    g_pAnimationData->loopCount = 0;
    page.Refresh();
    EXPECT_TRUE(loop->isChecked());
    EXPECT_TRUE(foreverChoice->isChecked());
    EXPECT_FALSE(count->isEnabled());

    click(counted);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindLoopMode);
    EXPECT_TRUE(count->isEnabled());
    type(count, "7");
    EXPECT_EQ(g_pAnimationData->loopCount, 7);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindLoopCount);

    click(loop);
    EXPECT_EQ(g_pAnimationData->loopCount, -1);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindLoop);
    EXPECT_FALSE(foreverChoice->isEnabled());
    TheUndoHistory().Undo();
    EXPECT_EQ(g_pAnimationData->loopCount, 7);
    g_pAnimationData->loopCount = -1;
    page.Refresh();
    EXPECT_FALSE(loop->isChecked());
}

// Loop counts are unsigned 16-bit values: counts above 32767 show and can be typed as they are.
TEST_F(SheetTest, LoopCountsUpTo65535) {
    CPageAnimation& page = sheet().AnimationPage();
    showPage(CGIFSheet::kAnimationPage);
    auto* count = control<kfm::ui::CNumEdit>(page, CPageAnimation::kLoopCount);
    g_pAnimationData->loopCount = 40000;
    page.Refresh();
    EXPECT_TRUE(control<QRadioButton>(page, CPageAnimation::kLoopCounted)->isChecked());
    EXPECT_EQ(count->text(), QString("40000"));
    type(count, "65535");
    EXPECT_EQ(g_pAnimationData->loopCount, 65535);
    g_pAnimationData->loopCount = -1;
    page.Refresh();
}

TEST_F(SheetTest, TypingACommentIsOneStep) {
    CPageAnimation& page = sheet().AnimationPage();
    showPage(CGIFSheet::kAnimationPage);
    auto* comment = control<QPlainTextEdit>(page, CPageAnimation::kComment);
    comment->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QTest::keyClicks(comment, "Hello");
    EXPECT_EQ(g_pAnimationData->comment, "Hello");
    leave();
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindAnimationComment);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(g_pAnimationData->comment, "");
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(SheetTest, ElasticSizeMovesNegativeFramesToTheOrigin) {
    twoFrames();
    frame(0).left = -10;
    frame(0).top = -5;
    CPageAnimation& page = sheet().AnimationPage();
    showPage(CGIFSheet::kAnimationPage);
    page.Refresh();
    EXPECT_FALSE(page.EdgeState().left);
    auto* elastic = control<QRadioButton>(page, CPageAnimation::kElastic);
    click(elastic);
    EXPECT_EQ(g_pAnimationData->AnimationStateElasticSize, 1);
    EXPECT_EQ(frame(0).left, 0);
    EXPECT_EQ(frame(0).top, 0);
    EXPECT_EQ(frame(1).left, 60);
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 100);
    EXPECT_EQ(g_pAnimationData->AnimationHeight, 45);
    EXPECT_FALSE(control<kfm::ui::CNumEdit>(page, CPageAnimation::kWidth)->isEnabled());
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindElasticSize);
    TheUndoHistory().Undo();
    EXPECT_EQ(frame(0).left, -10);
    EXPECT_EQ(g_pAnimationData->AnimationStateElasticSize, 0);
}

TEST_F(SheetTest, CornerControlSetsTheEdgeLocks) {
    CPageAnimation& page = sheet().AnimationPage();
    showPage(CGIFSheet::kAnimationPage);
    auto* corner = control<kfm::ui::CCornerControl>(page, CPageAnimation::kEdgeLocks);
    click(control<QRadioButton>(page, CPageAnimation::kFixed));
    EXPECT_EQ(g_pAnimationData->AnimationStateElasticSize, 0);
    ASSERT_TRUE(corner->isEnabled());
    corner->SetType(kfm::shell::kSideLeft | kfm::shell::kSideBottom);
    emit corner->clicked();
    EXPECT_EQ(g_pAnimationData->AnimationStateLockLeft, 1);
    EXPECT_EQ(g_pAnimationData->AnimationStateLockTop, 0);
    EXPECT_EQ(g_pAnimationData->AnimationStateLockRight, 0);
    EXPECT_EQ(g_pAnimationData->AnimationStateLockBottom, 1);
}

TEST_F(SheetTest, SeveralFramesShowTheirUnionAndMoveTogether) {
    twoFrames();
    CPageFrame& page = sheet().FramePage();
    showPage(CGIFSheet::kFramePage);
    EXPECT_EQ(control<QLabel>(page, CPageFrame::kWidthText)->text(), QString("90*"));
    EXPECT_EQ(control<QLabel>(page, CPageFrame::kHeightText)->text(), QString("40*"));
    auto* x = control<kfm::ui::CNumEdit>(page, CPageFrame::kLeft);
    EXPECT_EQ(x->text(), QString("0"));
    EXPECT_EQ(control<kfm::ui::CNumEdit>(page, CPageFrame::kTop)->text(), QString("0"));
    type(x, "5");
    EXPECT_EQ(frame(0).left, 5);
    EXPECT_EQ(frame(1).left, 55);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindMove);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(frame(0).left, 0);
    EXPECT_EQ(frame(1).left, 50);
    EXPECT_FALSE(TheUndoHistory().CanUndo());

    type(control<kfm::ui::CNumEdit>(page, CPageFrame::kDelay), "25");
    EXPECT_EQ(frame(0).delay, 25);
    EXPECT_EQ(frame(1).delay, 25);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindDelay);
    // The same value again changes nothing and leaves no step.
    TheUndoHistory().Reset();
    type(control<kfm::ui::CNumEdit>(page, CPageFrame::kDelay), "25");
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(SheetTest, DisposalAndTransparencyChoices) {
    twoFrames();
    CPageFrame& page = sheet().FramePage();
    showPage(CGIFSheet::kFramePage);
    auto* disposal = control<QComboBox>(page, CPageFrame::kDisposal);
    choose(disposal, 1);
    EXPECT_EQ(frame(0).disposal, 3);
    EXPECT_EQ(frame(1).disposal, 3);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindDisposal);
    DeselectFrame(1);
    sheet().UpdateFramePageFromSelection();
    EXPECT_EQ(disposal->currentIndex(), 1);
    frame(0).disposal = 2;
    sheet().UpdateFramePageFromSelection();
    EXPECT_EQ(disposal->currentIndex(), 2);

    auto* mode = control<QComboBox>(page, CPageFrame::kTransparency);
    auto* colour = control<kfm::ui::CColorButton>(page, CPageFrame::kTransparentColour);
    EXPECT_FALSE(colour->isEnabled());
    choose(mode, kfm::shell::kTransparencyColour);
    EXPECT_EQ(frame(0).transparency & 0x01000000u, 0x01000000u);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindTransparency);
    EXPECT_TRUE(colour->isEnabled());
    TheUndoHistory().Undo();
    EXPECT_EQ(frame(0).transparency & 0x01000000u, 0u);
}

// A 40 x 30 grey picture that is transparent on its left half and half transparent elsewhere.
KpxHandle halfTransparency() {
    const KpxHandle grey = CreateSolidImage(40, 30, 128);
    std::uint8_t* bits = KPXGetBits(grey);
    for (int y = 0; y < 30; ++y)
        std::fill_n(bits + static_cast<std::size_t>(y) * KPXGetScanBytes(grey), 20, 255);
    return grey;
}

int explicitValue(const CObjFrame& f, int x) {
    const KpxHandle alpha = KPXGetImageTransparentImageEx(f.GetImage());
    return alpha ? KPXGetBits(alpha)[x] : -1;
}

// Typing an alpha value makes the selected 24-bit frames 8-bit ones that keep their graded
// transparency and show the level over it, in one step that undo takes back whole.
TEST_F(SheetTest, TypingAnAlphaValueConvertsTheFramesTo8BitsWithTheLevel) {
    twoFrames();
    for (int i = 0; i < 2; ++i) {
        const KpxHandle colour = KPXCreateImage(40, 30, 24);
        KPXSetImageTransparentEx(colour, halfTransparency());
        KPXDeleteImage(frame(i).SetImage(static_cast<std::uint16_t>(colour)));
        frame(i).softAlpha = 1;
    }
    sheet().UpdateFramePageFromSelection();
    CPageFrame& page = sheet().FramePage();
    showPage(CGIFSheet::kFramePage);
    auto* mode = control<QComboBox>(page, CPageFrame::kTransparency);
    EXPECT_EQ(mode->currentIndex(), kfm::shell::kTransparencyAlpha);
    // The alpha field follows the mode the page shows now, not the one it showed before.
    auto* alpha = control<kfm::ui::CNumEdit>(page, CPageFrame::kAlpha);
    ASSERT_TRUE(alpha->isEnabled());
    type(alpha, "40");
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(KPXbpp(frame(i).GetImage()), 8);
        EXPECT_EQ(frame(i).alphaValue, 40);
        EXPECT_EQ(frame(i).softAlpha, 1);
        EXPECT_EQ(explicitValue(frame(i), 0), 255);
        EXPECT_EQ(explicitValue(frame(i), 30), 128 + (127 * 102) / 255);
    }
    EXPECT_EQ(alpha->text(), QString("40"));
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindAlpha);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(KPXbpp(frame(0).GetImage()), 24);
    EXPECT_EQ(frame(0).alphaValue, 0);
    EXPECT_EQ(explicitValue(frame(0), 30), 128);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

// Choosing opaque or a transparent colour takes graded transparency and the level off the frame:
// before, the graded flag came back at once and the page showed the alpha mode again.
TEST_F(SheetTest, ChoosingOpaqueOrATransparentColourSwitchesGradedAlphaOff) {
    for (const int chosen : {kfm::shell::kTransparencyOpaque, kfm::shell::kTransparencyColour}) {
        SCOPED_TRACE(chosen);
        twoFrames();
        DeselectFrame(1);
        KPXSetImageTransparentEx(frame(0).GetImage(), halfTransparency());
        frame(0).softAlpha = 1;
        SetFrameTransparencyLevel(&frame(0), 30);
        sheet().UpdateFramePageFromSelection();
        CPageFrame& page = sheet().FramePage();
        showPage(CGIFSheet::kFramePage);
        auto* mode = control<QComboBox>(page, CPageFrame::kTransparency);
        EXPECT_EQ(mode->currentIndex(), kfm::shell::kTransparencyAlpha);
        choose(mode, chosen);
        EXPECT_EQ(KPXGetImageTransparentImageEx(frame(0).GetImage()), 0);
        EXPECT_EQ(frame(0).GetMaskImage(), 0);
        EXPECT_EQ(frame(0).softAlpha, 0);
        EXPECT_EQ(frame(0).alphaValue, 0);
        EXPECT_EQ(KPXbpp(frame(0).GetImage()), 8);
        sheet().UpdateFramePageFromSelection();
        EXPECT_EQ(mode->currentIndex(), chosen);
        EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindTransparency);
        ASSERT_EQ(TheUndoHistory().Undo(), 1);
        EXPECT_EQ(frame(0).alphaValue, 30);
        EXPECT_NE(KPXGetImageTransparentImageEx(frame(0).GetImage()), 0);
    }
}

TEST_F(SheetTest, TheTransparentColourIsPickedInThePaletteImageDialog) {
    twoFrames();
    DeselectFrame(1);
    CPageFrame& page = sheet().FramePage();
    showPage(CGIFSheet::kFramePage);
    choose(control<QComboBox>(page, CPageFrame::kTransparency), kfm::shell::kTransparencyColour);
    TheUndoHistory().Reset();
    auto* button = control<kfm::ui::CColorButton>(page, CPageFrame::kTransparentColour);
    ASSERT_TRUE(button->isEnabled());
    kfm::test::AnswerNextDialog([](QWidget* dialog) {
        auto* palette = dynamic_cast<kfm::dialogs::CDlgPaletteImage*>(dialog);
        ASSERT_NE(palette, nullptr);
        emit palette->Grid()->selected(3);
        palette->accept();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    editor.Idle();
    EXPECT_EQ(frame(0).transparency, 0x01000003u);
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(frame(0).GetImage())), 3);
    EXPECT_EQ(button->GetPaletteIndex(), 3);
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindTransparentColour);
    TheUndoHistory().Undo();
    EXPECT_EQ(frame(0).transparency & 0xFF, 0u);

    // Cancelled: nothing changes and no step is left.
    TheUndoHistory().Reset();
    page.SetColourPicker([](CObjFrame&, QWidget*) { return false; });
    sheet().UpdateFramePageFromSelection();
    QTest::mouseClick(control<QPushButton>(page, CPageFrame::kPickColour), Qt::LeftButton);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(SheetTest, FlagChecksShowMixedSelectionsAndTakeNoStep) {
    twoFrames();
    frame(1).reserved2 = 1;
    sheet().UpdateFramePageFromSelection();
    CPageFrame& page = sheet().FramePage();
    showPage(CGIFSheet::kFramePage);
    auto* locked = control<QCheckBox>(page, CPageFrame::kLocked);
    EXPECT_EQ(locked->checkState(), Qt::PartiallyChecked);
    click(locked);
    EXPECT_EQ(frame(0).reserved2, 0);
    EXPECT_EQ(frame(1).reserved2, 0);
    EXPECT_EQ(locked->checkState(), Qt::Unchecked);
    click(locked);
    EXPECT_EQ(frame(0).reserved2, 1);
    EXPECT_EQ(frame(1).reserved2, 1);
    EXPECT_EQ(sheet().GetFramePageValue(512), 1);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(SheetTest, TypingANameIsOneStep) {
    twoFrames();
    CPageFrame& page = sheet().FramePage();
    showPage(CGIFSheet::kFramePage);
    auto* name = control<QLineEdit>(page, CPageFrame::kName);
    name->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QTest::keyClicks(name, "run");
    leave();
    EXPECT_EQ(frame(0).name, "run");
    EXPECT_EQ(frame(1).name, "run");
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindFrameName);
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(frame(0).name, "");
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(SheetTest, OptimisationOptions) {
    CPageOptimize& page = sheet().OptimizePage();
    showPage(CGIFSheet::kOptimizePage);
    auto* method = control<QComboBox>(page, CPageOptimize::kMethod);
    auto* colours = control<kfm::ui::CNumEdit>(page, CPageOptimize::kColours);
    type(colours, "100");
    EXPECT_EQ(g_pAnimationData->OptimizeNumColors, 100);
    EXPECT_EQ(method->currentIndex(), -1);
    type(colours, "32");
    EXPECT_EQ(method->currentIndex(), 3);
    choose(method, 5);
    EXPECT_EQ(g_pAnimationData->OptimizePalette & 0xFF, 6);
    EXPECT_EQ(colours->text(), QString("8"));
    EXPECT_EQ(g_pAnimationData->OptimizeNumColors, 8);

    click(control<QRadioButton>(page, CPageOptimize::kKeepPalettes));
    EXPECT_EQ(g_pAnimationData->OptimizePalette & 0xFF, kfm::shell::kPaletteModeKeep);
    EXPECT_FALSE(method->isEnabled());
    EXPECT_TRUE(control<QCheckBox>(page, CPageOptimize::kSpecialInfo)->isEnabled());

    g_pAnimationData->OptimizeBandwidth = 9600;
    g_pAnimationData->sizeBefore = 1234;
    page.ReadOptions();
    page.ShowSizes();
    EXPECT_EQ(g_pAnimationData->OptimizeBandwidth, 14400);
    EXPECT_EQ(control<QComboBox>(page, CPageOptimize::kSpeed)->currentIndex(), 0);
    EXPECT_EQ(control<QLabel>(page, CPageOptimize::kSizeBefore)->text(), QString("1.234 KB"));
    EXPECT_EQ(control<QLabel>(page, CPageOptimize::kTimeBefore)->text(), QString("0 s"));
    EXPECT_EQ(control<QLabel>(page, CPageOptimize::kSizeAfter)->text(), QString("not measured"));
}

TEST_F(SheetTest, OpeningAFileMeasuresItsSize) {
    const auto path = kfm::test::testDataPath("gif/pillow/dispose_bgnd.gif");
    ASSERT_TRUE(editor.App().OpenDocumentFile(path.string()));
    editor.Idle();
    EXPECT_EQ(g_pAnimationData->sizeBefore,
              static_cast<std::int32_t>(std::filesystem::file_size(path)));
    EXPECT_EQ(control<QLabel>(sheet().AnimationPage(), CPageAnimation::kFrameCount)->text(),
              QString::number(g_pAnimationData->RealFrameCount()));
}

TEST_F(SheetTest, DisplayOptions) {
    CPageOption& page = sheet().OptionPage();
    showPage(CGIFSheet::kOptionPage);
    auto* size = control<QComboBox>(page, CPageOption::kGridSize);
    auto* colour = control<QComboBox>(page, CPageOption::kGridColour);
    choose(size, 0);
    EXPECT_EQ(g_Settings.transparentGridSize, 0);
    EXPECT_FALSE(colour->isEnabled());
    choose(size, 3);
    EXPECT_TRUE(colour->isEnabled());
    choose(colour, 5);
    EXPECT_EQ(g_Settings.transparentGridColor, 5);

    page.SetColourChooser([](COLORREF, QWidget*) { return COLORREF(0x123456); });
    QTest::mouseClick(control<kfm::ui::CColorButton>(page, CPageOption::kCanvasColour),
                      Qt::LeftButton);
    EXPECT_EQ(kfm::shell::g_AppSettings.ColorImageView, 0x123456);
    QTest::mouseClick(control<kfm::ui::CColorButton>(page, CPageOption::kAnimBackground),
                      Qt::LeftButton);
    EXPECT_EQ(g_Settings.animBkColor, COLORREF(0x123456));

    click(control<QCheckBox>(page, CPageOption::kThumbTransparency));
    EXPECT_EQ(kfm::shell::g_AppSettings.OptionsThumbDispTransp, 0);
    QTest::mouseClick(control<QPushButton>(page, CPageOption::kDefaults), Qt::LeftButton);
    EXPECT_EQ(g_Settings.transparentGridSize, 2);
    EXPECT_EQ(g_Settings.transparentGridColor, 0);
    EXPECT_EQ(kfm::shell::g_AppSettings.ColorImageView, 0xC0FFFF);
    EXPECT_EQ(g_Settings.animBkColor, COLORREF(0xFFFFFF));
    EXPECT_EQ(TheUndoHistory().GetSize(), 10);
    // The transparency option is no part of the defaults.
    EXPECT_EQ(kfm::shell::g_AppSettings.OptionsThumbDispTransp, 0);
    EXPECT_EQ(size->currentIndex(), 2);
}

TEST_F(SheetTest, PicturesOfThePages) {
    twoFrames();
    for (int i = 0; i < sheet().Tabs()->count(); ++i) {
        showPage(i);
        static const char* const names[] = {"options", "optimisation", "animation", "frame"};
        screenshot(sheet(), names[i]);
    }
}

} // namespace

namespace {

TEST_F(SheetTest, RunningTheOptimiserIsOneStepAndShowsTheSizes) {
    repeatedFrames();
    showPage(CGIFSheet::kOptimizePage);
    // The difference method makes what does not change transparent.
    auto* diff = control<QCheckBox>(sheet().OptimizePage(), CPageOptimize::kDiffMethod);
    ASSERT_TRUE(diff->isEnabled());
    click(diff);
    ASSERT_TRUE(diff->isChecked());
    const auto before = frameStates();
    const int rowsBefore = stripRows();
    runOptimizer();

    EXPECT_TRUE(TheUndoHistory().CanUndo());
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindOptimise);
    EXPECT_LT(g_pAnimationData->RealFrameCount(), 4) << "frames that show nothing new merge";
    EXPECT_LT(stripRows(), rowsBefore) << "the strip shows the optimised frames at once";
    const CAnimationData& a = *g_pAnimationData;
    ASSERT_GT(a.sizeBefore, 0);
    ASSERT_GT(a.sizeAfter, 0);
    EXPECT_LT(a.sizeAfter, a.sizeBefore);
    EXPECT_TRUE(showsSize(shownText(CPageOptimize::kSizeBefore), a.sizeBefore));
    EXPECT_TRUE(showsSize(shownText(CPageOptimize::kSizeAfter), a.sizeAfter));
    EXPECT_FALSE(shownText(CPageOptimize::kTimeAfter).isEmpty());
    EXPECT_NE(shownText(CPageOptimize::kTimeAfter), shownText(CPageOptimize::kSizeAfter));
    screenshot(sheet(), "optimisation-run");

    // The whole run comes back with one undo.
    ASSERT_EQ(TheUndoHistory().Undo(), 1);
    EXPECT_EQ(frameStates(), before);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
}

TEST_F(SheetTest, EscDuringTheOptimiserRestoresTheAnimation) {
    // A completed run leaves its size after on the page; then the same frames come again.
    repeatedFrames();
    showPage(CGIFSheet::kOptimizePage);
    runOptimizer();
    ASSERT_GT(g_pAnimationData->sizeAfter, 0);
    const std::string notMeasured = "not measured";
    ASSERT_NE(shownText(CPageOptimize::kSizeAfter).toStdString(), notMeasured);
    repeatedFrames();
    // The size before comes from the document's file, so the first poll for Esc is the run's.
    kfm::test::TempDir folder;
    const std::string path = folder.file("repeated.gif");
    CGIFAnimDoc& document = *editor.App().Document();
    ASSERT_TRUE(document.OnSaveDocument(path.c_str()));
    document.SetPathName(path, FALSE);
    document.SetModifiedFlag(FALSE);
    showPage(CGIFSheet::kOptimizePage);
    const auto before = frameStates();
    const int rowsBefore = stripRows();

    g_pAnimationData->sizeBefore = 0;
    QCoreApplication::postEvent(&editor.Frame(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QTest::qSleep(20);
    runOptimizer();

    EXPECT_EQ(frameStates(), before);
    EXPECT_EQ(stripRows(), rowsBefore);
    EXPECT_FALSE(TheUndoHistory().CanUndo()) << "the cancelled step is gone";
    EXPECT_FALSE(document.IsModified());
    EXPECT_FALSE(editor.Frame().Status().ProgressActive());
    EXPECT_EQ(g_pAnimationData->sizeBefore,
              static_cast<std::int32_t>(std::filesystem::file_size(path)))
        << "the run got past its measurement";
    // The new size before shows, and no size after: the earlier run's belongs to other frames.
    EXPECT_TRUE(showsSize(shownText(CPageOptimize::kSizeBefore), g_pAnimationData->sizeBefore));
    EXPECT_EQ(g_pAnimationData->sizeAfter, 0);
    EXPECT_EQ(shownText(CPageOptimize::kSizeAfter).toStdString(), notMeasured);
    EXPECT_EQ(shownText(CPageOptimize::kTimeAfter).toStdString(), notMeasured);

    // Without Esc the same run completes.
    runOptimizer();
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindOptimise);
    EXPECT_GT(g_pAnimationData->sizeAfter, 0);
}

// Answers message 10862 after checking that it warns and offers No as the default.
void AnswerKeepLarger(const QString& answer) {
    kfm::test::AnswerMessageBox(answer, [](const QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_TRUE(box.defaultButton() && box.defaultButton()->text().remove('&') == "No");
    });
}

TEST_F(SheetTest, AResultThatIsNotSmallerStaysOnlyWhenConfirmed) {
    repeatedFrames();
    showPage(CGIFSheet::kOptimizePage);
    CPageOptimize& page = sheet().OptimizePage();
    // Keeping the palettes and removing nothing leaves the file as large as it was.
    click(control<QRadioButton>(page, CPageOptimize::kKeepPalettes));
    for (const int id : {CPageOptimize::kRedundantPixels, CPageOptimize::kComment,
                         CPageOptimize::kTitle, CPageOptimize::kSpecialInfo}) {
        auto* check = control<QCheckBox>(page, id);
        if (check->isChecked())
            click(check);
        ASSERT_FALSE(check->isChecked()) << id;
    }
    const auto before = frameStates();

    AnswerKeepLarger("No");
    runOptimizer();
    EXPECT_EQ(frameStates(), before);
    EXPECT_FALSE(TheUndoHistory().CanUndo());
    EXPECT_EQ(g_pAnimationData->sizeAfter, 0);
    EXPECT_EQ(shownText(CPageOptimize::kSizeAfter), shownText(CPageOptimize::kTimeAfter))
        << "both show not measured";
    EXPECT_GT(g_pAnimationData->sizeBefore, 0);

    activate();
    AnswerKeepLarger("Yes");
    runOptimizer();
    EXPECT_EQ(TheUndoHistory().GetCurrentKind(), kUndoKindOptimise);
    EXPECT_GE(g_pAnimationData->sizeAfter, g_pAnimationData->sizeBefore);
    EXPECT_TRUE(showsSize(shownText(CPageOptimize::kSizeAfter), g_pAnimationData->sizeAfter));
}

} // namespace
