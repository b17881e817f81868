#pragma once
// The playback of the animated preview as plain state and functions, free of widgets: frame
// advance by the frames' delays on a clock tick, the loop countdown, and the transport commands
// (play, pause, first, previous, next, last, go to, play a range).

#include <cstdint>
#include <vector>

namespace kfm::shell {

// Loops of an endless animation.
constexpr int kEndlessLoops = 100'000'000;

struct PlaybackState {
    int frameCount = 0;
    int current = 0;         // the frame to show
    std::vector<int> delays; // display time of each frame in milliseconds
    int loopSetting = 0;     // loops to play
    int loopsLeft = 0;
    bool loading = false; // frames still arrive; playback waits
    bool paused = true;
    bool stepOnce = false;      // pause again after the next shown frame
    int stopAt = -1;            // frame at which to pause, -1 none
    std::int64_t tickStart = 0; // clock time when the current frame was shown, 0 not started
};

// What a tick asks of the window.
struct TickResult {
    bool frameShown = false; // show the new current frame (repaint, counter, notification)
    bool ended = false;      // the last loop ended: send the end command
};

// The loops of a chain's loop count: its absolute value, 0 being endless.
int LoopsOfLoopCount(int loopCount);

// Frames, their delays in hundredths of a second and the chain's loop count become the played
// animation (loopSetting and loopsLeft from the loop count, at frame 0, paused as it was).
void SetAnimation(PlaybackState& state, const std::vector<int>& hundredths, int loopCount);

// One clock tick at now (milliseconds, above 0): advances to the next frame once the current
// frame's delay has passed.
TickResult Tick(PlaybackState& state, std::int64_t now);

void Play(PlaybackState& state);
void Pause(PlaybackState& state);
// The transport commands: the next tick shows that frame and pauses. Previous from the first
// frame goes to the last, next from the last to the first. Frame numbers here count from 0.
void ShowFrame(PlaybackState& state, int frame);
void FirstFrame(PlaybackState& state);
void PreviousFrame(PlaybackState& state);
void NextFrame(PlaybackState& state);
void LastFrame(PlaybackState& state);
// Shows frame first at once and plays on to last (both from 1), pausing there.
void PlayRange(PlaybackState& state, int first, int last);
void SetEndless(PlaybackState& state, bool endless);

// Sum of all delays, and of the delays before the current frame (milliseconds).
int TotalTime(const PlaybackState& state);
int ElapsedTime(const PlaybackState& state);

} // namespace kfm::shell
