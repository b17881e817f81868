// The preview's playback as functions: frame advance by delay, loops, transport commands.

#include "PreviewPlayback.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace kfm::shell;

// An animation of the given delays (hundredths) and loop count, playing.
PlaybackState playing(const std::vector<int>& hundredths, int loopCount) {
    PlaybackState state;
    SetAnimation(state, hundredths, loopCount);
    Play(state);
    return state;
}

// The frames shown while the clock runs from start for duration in 10 ms ticks; ended counts
// the end notifications.
struct ClockRun {
    std::vector<int> shown;
    int ended = 0;
    std::int64_t clock = 0;
};

ClockRun runFor(PlaybackState& state, std::int64_t start, std::int64_t duration) {
    ClockRun run;
    for (run.clock = start; run.clock < start + duration; run.clock += 10) {
        const TickResult tick = Tick(state, run.clock);
        if (tick.frameShown)
            run.shown.push_back(state.current);
        run.ended += tick.ended ? 1 : 0;
    }
    return run;
}

TEST(PreviewPlayback, AdvancesOnlyAfterTheFrameDelay) {
    PlaybackState state = playing({5, 20, 5}, 1);
    EXPECT_FALSE(Tick(state, 1000).frameShown); // starts the clock on frame 0
    EXPECT_FALSE(Tick(state, 1050).frameShown); // 50 ms is not more than 50 ms
    EXPECT_TRUE(Tick(state, 1060).frameShown);
    EXPECT_EQ(state.current, 1);
    EXPECT_FALSE(Tick(state, 1250).frameShown);
    EXPECT_TRUE(Tick(state, 1261).frameShown);
    EXPECT_EQ(state.current, 2);
}

TEST(PreviewPlayback, LoopCountTwoPlaysTwiceThenStopsOnTheLastFrame) {
    PlaybackState state = playing({1, 1, 1}, 2);
    const ClockRun run = runFor(state, 1000, 2000);
    EXPECT_EQ(run.shown, (std::vector<int>{1, 2, 0, 1, 2}));
    EXPECT_EQ(run.ended, 1);
    EXPECT_TRUE(state.paused);
    EXPECT_EQ(state.current, 2);
    EXPECT_EQ(state.loopsLeft, 0);
    // Play from the last frame plays both loops again: the step off the last frame costs none.
    Play(state);
    const ClockRun again = runFor(state, run.clock, 2000);
    EXPECT_EQ(again.shown, (std::vector<int>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(again.ended, 1);
}

TEST(PreviewPlayback, EndlessAnimationsKeepPlaying) {
    PlaybackState state = playing({0, 0}, 0);
    EXPECT_EQ(state.loopSetting, kEndlessLoops);
    const ClockRun run = runFor(state, 1000, 5000);
    EXPECT_EQ(run.ended, 0);
    EXPECT_GT(run.shown.size(), 400u);
    SetEndless(state, false);
    EXPECT_EQ(runFor(state, run.clock, 100).ended, 1);
}

TEST(PreviewPlayback, TransportShowsOneFrameAndPauses) {
    struct Case {
        const char* name;
        int from;
        void (*command)(PlaybackState&);
        int shows;
    };
    const Case cases[] = {
        {"next on the last frame", 3, NextFrame, 0},
        {"next", 1, NextFrame, 2},
        {"previous on the first frame", 0, PreviousFrame, 3},
        {"previous", 2, PreviousFrame, 1},
        {"first", 2, FirstFrame, 0},
        {"last", 1, LastFrame, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlaybackState state;
        SetAnimation(state, {10, 10, 10, 10}, 1);
        state.current = c.from;
        c.command(state);
        const ClockRun run = runFor(state, 1, 1000); // due at once, however early the clock
        EXPECT_EQ(run.shown, std::vector<int>{c.shows});
        EXPECT_EQ(run.ended, 0);
        EXPECT_TRUE(state.paused);
        EXPECT_EQ(state.current, c.shows);
    }
}

TEST(PreviewPlayback, GoToClampsToTheLastFrame) {
    PlaybackState state;
    SetAnimation(state, {10, 10, 10}, 1);
    ShowFrame(state, 7);
    EXPECT_EQ(runFor(state, 100, 500).shown, std::vector<int>{2});
}

TEST(PreviewPlayback, PlayRangeShowsTheFirstAndPausesAtTheLast) {
    PlaybackState state;
    SetAnimation(state, {1, 1, 1, 1, 1, 1}, 1);
    PlayRange(state, 2, 4);
    EXPECT_EQ(state.current, 1);
    EXPECT_FALSE(state.paused);
    const ClockRun run = runFor(state, 100, 1000);
    EXPECT_EQ(run.shown, (std::vector<int>{2, 3}));
    EXPECT_TRUE(state.paused);
    EXPECT_EQ(state.stopAt, -1);
}

TEST(PreviewPlayback, NothingMovesWhileLoadingOrPausedOrEmpty) {
    PlaybackState state = playing({0, 0, 0}, 0);
    state.loading = true;
    EXPECT_TRUE(runFor(state, 100, 500).shown.empty());
    state.loading = false;
    Pause(state);
    EXPECT_TRUE(runFor(state, 100, 500).shown.empty());
    PlaybackState empty;
    Play(empty);
    NextFrame(empty);
    EXPECT_TRUE(runFor(empty, 100, 500).shown.empty());
}

TEST(PreviewPlayback, TimesAddTheDelays) {
    PlaybackState state;
    SetAnimation(state, {10, 20, 30}, -3);
    EXPECT_EQ(state.loopSetting, 3);
    EXPECT_EQ(TotalTime(state), 600);
    state.current = 2;
    EXPECT_EQ(ElapsedTime(state), 300);
}

} // namespace
