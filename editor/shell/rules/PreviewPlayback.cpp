#include "PreviewPlayback.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace kfm::shell {

namespace {

int lastFrame(const PlaybackState& state) {
    return std::max(state.frameCount - 1, 0);
}

int delayOf(const PlaybackState& state, int frame) {
    return frame >= 0 && frame < static_cast<int>(state.delays.size()) ? state.delays[frame] : 0;
}

// Steps past the last frame: back to the first, one loop less; false when no loop is left.
bool wrapAround(PlaybackState& state) {
    state.current = 0;
    --state.loopsLeft;
    if (state.loopsLeft >= 1)
        return true;
    state.loopsLeft = 0;
    state.current = lastFrame(state);
    state.paused = true;
    state.stepOnce = false;
    return false;
}

} // namespace

int LoopsOfLoopCount(int loopCount) {
    const int loops = std::abs(loopCount);
    return loops == 0 ? kEndlessLoops : loops;
}

void SetAnimation(PlaybackState& state, const std::vector<int>& hundredths, int loopCount) {
    state.frameCount = static_cast<int>(hundredths.size());
    state.delays.resize(hundredths.size());
    std::transform(hundredths.begin(), hundredths.end(), state.delays.begin(),
                   [](int delay) { return delay * 10; });
    state.loopSetting = LoopsOfLoopCount(loopCount);
    state.loopsLeft = state.loopSetting;
    state.current = 0;
    state.stopAt = -1;
    state.tickStart = 0;
}

TickResult Tick(PlaybackState& state, std::int64_t now) {
    TickResult result;
    if (state.loading || state.paused || state.frameCount == 0)
        return result;
    if (state.tickStart == 0 && !state.stepOnce) {
        state.tickStart = now;
        return result;
    }
    // A step asked for by a transport command (clock not started) is due at once.
    const bool due = state.tickStart == 0 || delayOf(state, state.current) < now - state.tickStart;
    if (!due)
        return result;
    if (++state.current > lastFrame(state) && !wrapAround(state)) {
        result.ended = true;
        return result;
    }
    if (state.stopAt >= 0 && state.current == state.stopAt) {
        state.stopAt = -1;
        state.stepOnce = true;
    }
    result.frameShown = true;
    state.tickStart = now;
    if (state.stepOnce) {
        state.stepOnce = false;
        state.paused = true;
    }
    return result;
}

void Play(PlaybackState& state) {
    state.stopAt = -1;
    state.paused = false;
    state.stepOnce = false;
    state.loopsLeft = state.loopSetting + (state.current == lastFrame(state) ? 1 : 0);
}

void Pause(PlaybackState& state) {
    state.paused = true;
}

void ShowFrame(PlaybackState& state, int frame) {
    if (state.frameCount == 0)
        return;
    frame = std::clamp(frame, 0, lastFrame(state));
    if (frame == 0) {
        // The step wraps from the last frame: two loops more keep it from ending there.
        state.current = lastFrame(state);
        state.loopsLeft += 2;
    } else {
        state.current = frame - 1;
    }
    state.stepOnce = true;
    state.paused = false;
    state.tickStart = 0;
}

void FirstFrame(PlaybackState& state) {
    ShowFrame(state, 0);
}

void PreviousFrame(PlaybackState& state) {
    ShowFrame(state, state.current == 0 ? lastFrame(state) : state.current - 1);
}

void NextFrame(PlaybackState& state) {
    ShowFrame(state, state.current >= lastFrame(state) ? 0 : state.current + 1);
}

void LastFrame(PlaybackState& state) {
    ShowFrame(state, lastFrame(state));
}

void PlayRange(PlaybackState& state, int first, int last) {
    if (state.frameCount == 0)
        return;
    state.current = std::clamp(first - 1, 0, lastFrame(state));
    state.stopAt = std::clamp(last - 1, 0, lastFrame(state));
    state.paused = state.stopAt == state.current;
    state.stepOnce = false;
    state.tickStart = 0;
    state.loopsLeft = std::max(state.loopsLeft, 1);
}

void SetEndless(PlaybackState& state, bool endless) {
    state.loopSetting = endless ? kEndlessLoops : 0;
    state.loopsLeft = state.loopSetting;
}

int TotalTime(const PlaybackState& state) {
    return std::accumulate(state.delays.begin(), state.delays.end(), 0);
}

int ElapsedTime(const PlaybackState& state) {
    const int before = std::clamp(state.current, 0, static_cast<int>(state.delays.size()));
    return std::accumulate(state.delays.begin(), state.delays.begin() + before, 0);
}

} // namespace kfm::shell
