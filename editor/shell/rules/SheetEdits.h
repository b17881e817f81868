#pragma once
// What the property sheet and its pages do to the animation, free of widgets: one value applied
// to a list of frames, the animation size fitted to the frames or the frames moved into it, the
// edge state and the edge locks tested against the frames, and what the frame page shows for
// one frame or for several. None of these opens an undo step; the pages wrap them in theirs.

#include <span>
#include <string>
#include <vector>

#include "AnimationData.h"
#include "types/Win32Types.h"

namespace kfm::shell {

// Where a change of a page's field comes from. Page handlers act on a committed value only while
// the user types (a numeric field sets it when it gets the focus and clears it when it leaves).
constexpr int kChangeSourceNone = 0;
constexpr int kChangeSourceUser = 1;
constexpr int kChangeSourceUpdate = 2;
constexpr int kChangeSourceFirstUpdate = 3;
extern int g_nChangeSource;

// Sets the change source for its lifetime and puts the previous value back.
class ChangeSourceScope {
public:
    explicit ChangeSourceScope(int source) : saved_(g_nChangeSource) { g_nChangeSource = source; }
    ~ChangeSourceScope() { g_nChangeSource = saved_; }
    ChangeSourceScope(const ChangeSourceScope&) = delete;
    ChangeSourceScope& operator=(const ChangeSourceScope&) = delete;

private:
    int saved_;
};

// The properties that SetFramesProperty applies, by flag bit.
constexpr int kPropertyLeft = 1;
constexpr int kPropertyTop = 2;
constexpr int kPropertyDelay = 4;
constexpr int kPropertyTransparency = 8;
constexpr int kPropertyAlpha = 16;
constexpr int kPropertyDisposal = 32;
constexpr int kPropertyName = 64;
constexpr int kPropertyAlwaysShown = 128;
constexpr int kPropertyLocked = 512;

// Transparency modes of the frame page.
constexpr int kTransparencyOpaque = 0;
constexpr int kTransparencyColour = 1;
constexpr int kTransparencyAlpha = 2;

// Applies value (and text for the name) to the listed frames (indices of the frame list; the
// list may end with -1, and the placeholder is never changed), by flag bits:
// left and top move the frames as a group so that their smallest left (top) becomes value;
// delay; alpha value (graded alpha on at 1 and above or when the image has a transparency
// image; text and vector sources take it as their soft edge); transparency mode (0 and 1 set
// the transparency flag keeping the palette index, switch graded alpha off and give the frame a
// copy of its image with that index transparent or without transparency; 2 switches graded
// alpha on when the alpha value is above 0); disposal list item (0 gives 1, 1 gives 3, 2 gives
// 2); name; always-shown and locked flags.
void SetFramesProperty(std::span<const int> selected, int value, const std::string* text,
                       int flags);

// The disposal list's item of a disposal method and back.
int DisposalForItem(int item);
int ItemForDisposal(int disposal);

// The union of the real frames' rectangles (the placeholder is no frame); all 0 without frames.
RECT RealFramesBounds();

// The largest right and bottom edges of the real frames replace the animation's size where
// they are at least 1 and differ. True when the size changed.
bool FitAnimationSize();
// Moves every frame so that the frames' union starts at 0,0 and makes the union the animation's
// size. False (nothing changed) when it is so already or there are no frames.
bool CropAnimationToFrames();
// After opening a file whose frames stick out: the elastic size is cleared unless the frames'
// union starts at 0,0 and equals the size, and each lock whose side the frames cross is
// released. Nothing happens without frames.
void CheckEdgeLocksOnOpening();

// On each side, whether the frames lie within the animation there.
struct EdgeMarks {
    bool left = true;
    bool top = true;
    bool right = true;
    bool bottom = true;
};
EdgeMarks ComputeEdgeMarks();

// Loop count of the animation record (-1 none, 0 endless, n times) and the animation page's
// three choices.
struct LoopChoice {
    bool on = false;
    bool endless = false;
    int count = 1;
};
LoopChoice LoopChoiceOf(int loopCount, int shownCount);
int LoopCountOf(const LoopChoice& choice);

// After the animation became narrower (horizontal) or lower: every selected frame whose left
// (top) is beyond limit is put at limit. True when a frame moved.
bool PullSelectedFramesToLimit(bool horizontal, int limit);

// The transparency mode the frame page shows for one frame: graded alpha for an alpha value
// above 0, a text or vector source, graded alpha or a 24-bit image; else the transparent colour
// when the frame is transparent; else opaque.
int TransparencyModeOf(const CObjFrame& frame);
// The string id of the frame's kind text; 0 for an image narrower than 1 pixel.
UINT FrameKindTextId(const CObjFrame& frame);

// What the frame page shows for several frames: their union and whether they share a value.
struct FramesSummary {
    int count = 0;
    RECT bounds{0, 0, 0, 0};
    bool sameDelay = true;
    bool sameDisposal = true;
    bool sameName = true;
    bool sameMode = true;
    bool sameAlwaysShown = true;
    bool sameLocked = true;
    bool sameKind = true;
    int mode = 0; // the shared transparency mode when sameMode
};
FramesSummary SummarizeFrames(std::span<const int> selected);
// A size shown on the frame page: with two or more frames followed by "*".
std::string FrameSizeText(int size, int frameCount);

// A flag check clicked with several frames: when all share the flag the value toggles,
// otherwise it becomes 0.
int NextFlagValue(bool allShare, int shownValue);

// The frames of the list by index (null for an index outside the list or the placeholder).
CObjFrame* RealFrameAt(int index);

} // namespace kfm::shell
