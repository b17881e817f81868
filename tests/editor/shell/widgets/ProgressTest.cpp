// The status bar's progress display, driven by the program's messages, and Esc during a long
// operation that does not return to the event loop.

#include "EditorTestSupport.h"

#include "EscapeMonitor.h"
#include "Kfm5ResourceIds.h"
#include "MessageTarget.h"
#include "ProgramState.h"
#include "ShellServices.h"

#include <QKeyEvent>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using kfm::test::EditorFixture;
using kfm::ui::SendMessageTo;

constexpr UINT kCaptionSaving = 10882; // "Saving: %d%%"

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.Start());
        g_Progress = ProgressState{};
    }
    void TearDown() override { g_Progress = ProgressState{}; }

    LRESULT send(UINT message, WPARAM w, LPARAM l) {
        return SendMessageTo(&editor.Frame(), message, w, l);
    }
    kfm::ui::StatusPanel& status() { return editor.Frame().Status(); }

    EditorFixture editor;
};

TEST_F(ProgressTest, BeginStepAndEnd) {
    send(WM_PROGRESS_BEGIN, kCaptionSaving, 4);
    ASSERT_NE(status().ProgressLabel(), nullptr);
    ASSERT_NE(status().ProgressBar(), nullptr);
    EXPECT_EQ(status().ProgressLabel()->text(), "Saving: 0%");
    EXPECT_EQ(status().ProgressBar()->maximum(), 4);
    // The bar lies right of the label and ends before the frame counter.
    EXPECT_EQ(status().ProgressLabel()->geometry().left(), 5);
    EXPECT_GT(status().ProgressBar()->geometry().left(),
              status().ProgressLabel()->geometry().left());
    EXPECT_LT(status().ProgressBar()->geometry().right(),
              status().FrameCounter()->geometry().left());

    send(WM_PROGRESS_STEP, 0, 0);
    EXPECT_EQ(status().ProgressBar()->value(), 1);
    EXPECT_EQ(status().ProgressLabel()->text(), "Saving: 25%");
    send(WM_PROGRESS_STEP, 3, 0);
    EXPECT_EQ(status().ProgressLabel()->text(), "Saving: 75%");
    // A second begin while the display shows is ignored.
    send(WM_PROGRESS_BEGIN, kCaptionSaving, 100);
    EXPECT_EQ(status().ProgressBar()->maximum(), 4);

    // Prompts of menus and buttons do not overwrite the display.
    QStatusTipEvent tip("Open an animated GIF");
    QApplication::sendEvent(&editor.Frame(), &tip);
    EXPECT_EQ(editor.Frame().statusBar()->currentMessage(), " ");

    send(WM_PROGRESS_END, 0, 0);
    EXPECT_EQ(status().ProgressLabel(), nullptr);
    EXPECT_EQ(status().ProgressBar(), nullptr);
    EXPECT_FALSE(status().ProgressActive());
    // Steps without a display change nothing.
    send(WM_PROGRESS_STEP, 0, 0);
    QApplication::sendEvent(&editor.Frame(), &tip);
    EXPECT_EQ(editor.Frame().statusBar()->currentMessage(), "Open an animated GIF");
}

TEST_F(ProgressTest, TheBarMovesOnMultiplesOfTheGranularityAndAtTheEnd) {
    g_Progress.stepDivisor = 2;
    send(WM_PROGRESS_BEGIN, kCaptionSaving, 3);
    const int expected[] = {0, 2, 3};
    for (int step = 1; step <= 3; ++step) {
        send(WM_PROGRESS_STEP, static_cast<WPARAM>(step), 0);
        EXPECT_EQ(status().ProgressBar()->value(), expected[step - 1]) << step;
    }
    send(WM_PROGRESS_END, 0, 0);
}

TEST_F(ProgressTest, ATotalOfZeroShowsAHundredPercent) {
    send(WM_PROGRESS_BEGIN, kCaptionSaving, 0);
    EXPECT_EQ(status().ProgressLabel()->text(), "Saving: 100%");
    send(WM_PROGRESS_STEP, 0, 0);
    EXPECT_EQ(status().ProgressBar()->value(), 0);
    send(WM_PROGRESS_END, 0, 0);
}

TEST_F(ProgressTest, EscStopsALongOperationAndOtherInputWaits) {
    kfm::ui::CMainFrame& frame = editor.Frame();
    g_Progress.active = true;
    g_Progress.captionId = kCaptionSaving;
    g_Progress.total = 10;
    // The operation's first step: no key waits, so it goes on and shows its progress.
    EXPECT_EQ(IsEscapePressed(0, 0, nullptr), 0);
    ASSERT_NE(frame.Status().ProgressBar(), nullptr);
    EXPECT_EQ(frame.Status().ProgressBar()->value(), 1);

    // Keys the user presses meanwhile wait in the queue; a command posted meanwhile too.
    QCoreApplication::postEvent(&frame,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier));
    kfm::ui::PostMessageTo(&frame, WM_COMMAND, kfm5res::ID_FILE_NEW, 0);
    QCoreApplication::postEvent(&frame,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    int newDocuments = 0;
    QObject::connect(&frame.Router(), &kfm::ui::CommandRouter::commandExecuted,
                     [&](UINT id) { newDocuments += id == kfm5res::ID_FILE_NEW; });
    // The window system is asked every few milliseconds, not at every step.
    QTest::qSleep(20);
    EXPECT_EQ(IsEscapePressed(0, 3, nullptr), 1);
    // Used up: the next test goes on.
    QTest::qSleep(20);
    EXPECT_EQ(IsEscapePressed(0, 4, nullptr), 0);
    EXPECT_EQ(newDocuments, 0);
    shell().sendToMainWindow(WM_PROGRESS_END, 0, 0);
    g_Progress = ProgressState{};
    // Once the operation is over, the held command runs.
    QTest::qWait(20);
    EXPECT_EQ(newDocuments, 1);
}

} // namespace
