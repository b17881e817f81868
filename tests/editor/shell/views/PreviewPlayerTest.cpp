// The animated preview window driven offscreen: loading on its thread, playback, transport,
// the end command, and stopping its loader on close, stop and a new file.

#include "PreviewPlayer.h"
#include "ViewTestSupport.h"

#include "Bitra5Testing.h"
#include "TestSupport.h"

#include <QKeyEvent>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using kfm::test::WaitFor;
using kfm::ui::PreviewPlayer;

// Collects the messages the player sends.
class Recorder : public kfm::ui::MessageTarget {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        received.push_back({message, wParam, lParam});
        return 0;
    }
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Message> received;
};

QRgb paletteColour(KpxHandle chain, int frame, int index) {
    const COLORREF c = KPXGetColorFromPalette(KPXGetImageFramesImage(chain, frame), index);
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

class PreviewPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { imagesBefore = KpxLiveImageCount(); }
    void TearDown() override {
        QApplication::processEvents();
        EXPECT_EQ(KpxLiveImageCount(), imagesBefore) << "images left behind";
    }
    std::string animationFile(const char* name, int frames, int delay = 1, int size = 40) {
        const std::string path = dir.file(name);
        EXPECT_TRUE(kfm::test::WriteAnimation(path, frames, size, size * 3 / 4, delay, 0));
        return path;
    }

    kfm::test::TempDir dir;
    int imagesBefore = 0;
};

TEST_F(PreviewPlayerTest, LoadsAFileOnItsThreadAndPlaysIt) {
    const std::string path = animationFile("twelve.gif", 12, 2, 96);
    PreviewPlayer player(PreviewPlayer::TitleIsFileName);
    ASSERT_TRUE(player.LoadFile(QString::fromStdString(path)));
    EXPECT_EQ(player.windowTitle(), "twelve.gif");
    ASSERT_TRUE(WaitFor([&] { return !player.IsLoading(); }));
    EXPECT_TRUE(player.isVisible());
    EXPECT_EQ(player.FrameCount(), 12);
    EXPECT_EQ(player.TotalTime(), 240);
    // Sized to the picture plus its toolbar and a border.
    EXPECT_GE(player.width(), 46);

    player.Play();
    EXPECT_TRUE(WaitFor([&] { return player.CurrentFrame() >= 4; }));
    EXPECT_TRUE(player.CounterText().endsWith("/12")) << player.CounterText().toStdString();

    player.GoToFrame(6);
    EXPECT_TRUE(player.IsPaused());
    EXPECT_EQ(player.CurrentFrame(), 6);
    EXPECT_EQ(player.CounterText(), "6/12");
    const QImage shown = player.grab().toImage();
    EXPECT_EQ(shown.pixel(player.width() / 2, player.height() - 8),
              paletteColour(player.Frames(), 5, 5 % 200 + 1));
    EXPECT_TRUE(shown.save(kfm::test::ArtifactPath("preview-window.png")));
}

TEST_F(PreviewPlayerTest, RefusesShortPathsOneFrameFilesAndMissingFiles) {
    const std::string single = dir.file("one.gif");
    ASSERT_TRUE(kfm::test::WriteAnimation(single, 1, 8, 8, 0, 0));
    for (const std::string& path : {std::string("a.g"), single, dir.file("missing.gif")}) {
        SCOPED_TRACE(path);
        PreviewPlayer player(0);
        EXPECT_FALSE(player.LoadFile(QString::fromStdString(path)));
        EXPECT_FALSE(player.IsLoading());
        EXPECT_EQ(player.FrameCount(), 0);
        EXPECT_EQ(player.Frames(), 0);
    }
}

TEST_F(PreviewPlayerTest, TransportMessagesShowOneFrameAndPause) {
    PreviewPlayer player(PreviewPlayer::NoToolbar);
    ASSERT_EQ(player.WindowProc(WM_COMMAND, PreviewPlayer::kCmdFramesLoaded,
                                kfm::test::MakeAnimation(4, 16, 12, 10, 0)),
              1);
    EXPECT_EQ(player.WindowProc(PreviewPlayer::kFrameCount, 0, 0), 4);
    struct Step {
        UINT message;
        LPARAM lParam;
        int shows;
    };
    const Step steps[] = {
        {PreviewPlayer::kLastFrame, 0, 4},     {PreviewPlayer::kNextFrame, 0, 1},
        {PreviewPlayer::kPreviousFrame, 0, 4}, {PreviewPlayer::kPreviousFrame, 0, 3},
        {PreviewPlayer::kFirstFrame, 0, 1},    {PreviewPlayer::kGoToFrame, 99, 4},
        {PreviewPlayer::kGoToFrame, 2, 2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.message - WM_USER);
        player.WindowProc(PreviewPlayer::kPlay, 0, 0);
        EXPECT_EQ(player.WindowProc(step.message, 0, step.lParam), 1);
        EXPECT_EQ(player.WindowProc(PreviewPlayer::kCurrentFrame, 0, 0), step.shows);
        EXPECT_EQ(player.WindowProc(PreviewPlayer::kIsPaused, 0, 0), 1);
    }
}

TEST_F(PreviewPlayerTest, PlaysTheLoopsThenSendsTheEndCommand) {
    Recorder mainWindow;
    Recorder notified;
    PreviewPlayer player(0);
    player.SetCommandWindow(&mainWindow);
    player.WindowProc(WM_COMMAND, PreviewPlayer::kCmdFramesLoaded,
                      kfm::test::MakeAnimation(3, 16, 12, 0, 2));
    player.WindowProc(PreviewPlayer::kEndCommand, 0, 20045);
    player.WindowProc(PreviewPlayer::kNotify, reinterpret_cast<WPARAM>(&notified), WM_USER + 7);
    player.WindowProc(PreviewPlayer::kTakeFrames, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !mainWindow.received.empty(); }));
    EXPECT_EQ(mainWindow.received.size(), 1u);
    EXPECT_EQ(mainWindow.received[0].message, WM_COMMAND);
    EXPECT_EQ(mainWindow.received[0].wParam, 20045u);
    std::vector<LPARAM> frames;
    for (const auto& m : notified.received)
        frames.push_back(m.lParam);
    EXPECT_EQ(frames, (std::vector<LPARAM>{2, 3, 1, 2, 3}));
    EXPECT_TRUE(player.IsPaused());
    EXPECT_EQ(player.CurrentFrame(), 3);
}

// Loop counts are unsigned 16-bit values: counts above 32767 play as often as they say.
TEST_F(PreviewPlayerTest, PlaysLoopCountsUpTo65535) {
    for (const int count : {3, 40000, 65535}) {
        PreviewPlayer player(0);
        ASSERT_TRUE(player.SetFrames(kfm::test::MakeAnimation(2, 8, 8, 5, count)));
        EXPECT_EQ(player.Loops(), count);
    }
}

TEST_F(PreviewPlayerTest, FramesGivenWhileAFileLoadsEndTheLoad) {
    const std::string path = animationFile("loading.gif", 200, 1, 48);
    PreviewPlayer player(0);
    ASSERT_TRUE(player.LoadFile(QString::fromStdString(path)));
    ASSERT_TRUE(WaitFor([&] { return player.Frames() != 0 || !player.IsLoading(); }));
    const KpxHandle given = kfm::test::MakeAnimation(5, 16, 12, 5, 0);
    ASSERT_TRUE(player.SetFrames(given));
    EXPECT_FALSE(player.IsLoading());
    EXPECT_EQ(player.Frames(), given);
    EXPECT_EQ(player.FrameCount(), 5);
    QTest::qWait(20); // reports of the ended load change nothing
    EXPECT_EQ(player.Frames(), given);
}

TEST_F(PreviewPlayerTest, OwnerKeepsFramesItSaysItKeeps) {
    const KpxHandle chain = kfm::test::MakeAnimation(3, 8, 8, 5, 0);
    {
        PreviewPlayer player(0);
        player.SetFrames(chain);
        player.TakeFrames(true);
    }
    EXPECT_EQ(KPXGetImageFramesNum(chain), 3);
    KPXDeleteImage(chain);
}

TEST_F(PreviewPlayerTest, EscapeStopsTheLoadAndKeepsTheFramesSoFar) {
    const std::string path = animationFile("long.gif", 400, 1, 64);
    PreviewPlayer player(0);
    ASSERT_TRUE(player.LoadFile(QString::fromStdString(path)));
    ASSERT_TRUE(WaitFor([&] { return player.Frames() != 0 || !player.IsLoading(); }));
    QTest::keyClick(&player, Qt::Key_Escape);
    EXPECT_FALSE(player.IsLoading());
    EXPECT_FALSE(player.isVisible());
    ASSERT_NE(player.Frames(), 0);
    EXPECT_GE(player.FrameCount(), 1);
    EXPECT_LE(player.FrameCount(), 400);
    EXPECT_EQ(player.FrameCount(), KPXGetImageFramesNum(player.Frames()));
    // The frames loaded so far still play.
    player.show();
    player.LastFrame();
    EXPECT_EQ(player.CurrentFrame(), player.FrameCount());
}

// The loader is stopped and joined whenever the window closes, loads another file, stops loading
// or goes, at any moment of the load; nothing is left behind. Run under the sanitizers too.
TEST_F(PreviewPlayerTest, OpensAndClosesManyTimesWhileLoading) {
    const std::string first = animationFile("first.gif", 120, 1, 48);
    const std::string second = animationFile("second.gif", 60, 1, 32);
    enum class End { Close, LoadAnother, StopLoading, Destroy };
    const End ends[] = {End::Close, End::LoadAnother, End::StopLoading, End::Destroy};
    for (int round = 0; round < 48; ++round) {
        auto player = std::make_unique<PreviewPlayer>(0);
        ASSERT_TRUE(player->LoadFile(QString::fromStdString(first)));
        // Let the load run for a varying while: before its first frame up to well into it.
        QTest::qWait(round % 6);
        switch (ends[round % 4]) {
        case End::Close:
            player->close();
            EXPECT_FALSE(player->IsLoading());
            break;
        case End::LoadAnother:
            ASSERT_TRUE(player->LoadFile(QString::fromStdString(second)));
            QTest::qWait(round % 3);
            break;
        case End::StopLoading:
            player->StopLoading();
            EXPECT_FALSE(player->IsLoading());
            if (player->Frames()) {
                EXPECT_EQ(player->FrameCount(), KPXGetImageFramesNum(player->Frames()));
            }
            break;
        case End::Destroy:
            break;
        }
        player.reset();
        // Reports queued by a loader that has gone are dropped with the window.
        QApplication::processEvents();
    }
}

} // namespace
