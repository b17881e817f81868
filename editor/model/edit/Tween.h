#pragma once
// Intermediate frames between two frames A and B of the animation: each new frame shows A fading
// out and B fading in over the animation's background colour, B's picture travelling from A's
// place to its own when asked. The new frames go in after A, or take the places of the frames
// between A and B, or of the selected frames. No window here: the tween dialog reads its
// controls into a TweenRequest and reports the outcome.

#include "AnimationData.h"

namespace kfm::model {

// Where the new frames go.
enum class TweenPlacement : int {
    InsertAfterFirst = 0, // after A, as many as asked
    UpdateBetween = 1,    // in place of the frames between A and B
    UpdateSelected = 2,   // in place of the selected frames other than A and B
};

// Which of the two pictures take part.
enum class TweenPictures : int { Both = 0, OnlyFirst = 1, OnlySecond = 2 };

struct TweenRequest {
    int first = 0;  // index of A in the frame list
    int second = 1; // index of B
    int count = 5;  // new frames in insert mode (the update modes count their frames)
    int delay = 50; // of every new frame, in hundredths of a second
    TweenPictures pictures = TweenPictures::Both;
    bool travel = false; // B's picture travels from A's place
    TweenPlacement placement = TweenPlacement::InsertAfterFirst;
    COLORREF background = 0xFFFFFF; // the canvas under the pictures
};

enum class TweenOutcome {
    Done,
    Cancelled,           // Esc during the run: nothing changed
    SecondNotAfterFirst, // B does not come after A
    NothingBetween,      // update between: no frame lies between A and B
    NothingSelected,     // update selected: no selected frame besides A and B
    Failed,              // an image could not be made: nothing changed
};

// The k-th of steps equal parts of full (k = 1..steps - 1): k times the whole part full / steps
// while that part is at least 1, else k * full / steps, so that many steps still fade.
int TweenLevel(int k, int steps, int full);

// The number of frames the request makes for the list (0 when none; the placeholder never
// counts).
int TweenFrameCount(const FrameList& frames, const TweenRequest& request);

// Makes the frames and puts them into the list. Progress shows on the main window; Esc stops the
// run with the list untouched. A and B are clamped into the real frames.
TweenOutcome TweenFrames(FrameList& frames, const TweenRequest& request);

} // namespace kfm::model
