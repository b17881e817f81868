#pragma once
// The edited animation: logical-screen size, loop count, comment, optimiser options, edge locks
// and the frame list, which always ends with one placeholder node that is no frame.

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "Bitra5.h"
#include "FrameObject.h"

// One frame being edited in an outside editor; the shell owns what it holds.
class CExtEditSession {
public:
    virtual ~CExtEditSession() = default;
};

using FrameList = std::list<CObjFrame>;

class CAnimationData {
public:
    CAnimationData();
    CAnimationData(const CAnimationData&) = delete;
    CAnimationData& operator=(const CAnimationData&) = delete;

    // Sets the program-wide defaults (the undo slots keep the plain constructor's zeros).
    void SetProgramDefaults();
    // Real frames: the list count minus the placeholder.
    int RealFrameCount() const { return frames.empty() ? 0 : static_cast<int>(frames.size()) - 1; }
    // Recomputes frameCount from the list.
    void UpdateFrameCount() { frameCount = RealFrameCount(); }
    // Empties the frame list and puts the placeholder back.
    void ResetFrames();

    std::int32_t TabPosition = 0;
    std::int32_t OptimizePalette = 0;
    std::int32_t OptimizePalAdaptive = 0;
    std::int32_t OptimizeDither = 0;
    std::int32_t OptimizeRedundantPixels = 0;
    std::int32_t OptimizeComment = 0;
    std::int32_t OptimizeTitle = 0;
    std::int32_t OptimizeSpecialInfo = 0;
    std::int32_t OptimizeDiffMethod = 0;
    std::int32_t OptimizeBandwidth = 0;
    std::int32_t OptimizeNumColors = 0;
    std::int32_t sizeBefore = 0;
    std::int32_t sizeAfter = 0;
    std::int32_t AnimationWidth = 0;
    std::int32_t AnimationHeight = 0;
    std::int32_t frameCount = 0;
    std::int32_t loopCount = 0;
    std::string comment;
    std::int32_t AnimationStateElasticSize = 0;
    std::int32_t AnimationStateLockLeft = 0;
    std::int32_t AnimationStateLockTop = 0;
    std::int32_t AnimationStateLockRight = 0;
    std::int32_t AnimationStateLockBottom = 0;
    FrameList frames;
    std::vector<std::unique_ptr<CExtEditSession>> tempFiles;
    std::int32_t reserved = 0;
};

// The program-wide animation, created at start-up before any document exists.
extern CAnimationData* g_pAnimationData;
// Creates the program-wide animation with its defaults (once; later calls return it).
CAnimationData& CreateProgramAnimation();
// Destroys it (at exit, and between tests).
void DestroyProgramAnimation();
// Real-frame count and loop count 0, empty comment.
void ResetAnimationOptions();

// Selection and the current frame (index operations ignore indices outside the list).
void DeselectAllFrames();
void SelectAllFrames();
int GetSelFramesCount();
void SelectFrame(int n);
void DeselectFrame(int n);
int IsFrameSelected(int n);
int IsCurrentFrame(int n);
void ClearCurrentFlags();
void SetCurrentFrame(int n);
int GetCurrentFrameIndex();
int GetFirstSelFrameIndex();
int GetLastSelFrameIndex();
CObjFrame* GetFirstSelFrame();
std::uint16_t GetFirstSelFrameImage();
CObjFrame* GetCurrentFrame();
std::uint16_t GetCurrentFrameImage();
FrameList::iterator GetCurrentFrameNode();
// The indices of the selected nodes in list order, ended by -1.
std::vector<int> GetSelFramesArray();
void ClearFramesMark();
// Frames about to be inserted (pasted or dropped) become the selection: the animation's frames
// are deselected and none stays current; the incoming ones are selected and unmarked, the first
// of them current.
void SelectIncomingFrames(FrameList& incoming);

// Counts and tests.
int CountObjectFrames(int upTo);
int CountFrames24Bit();
int IsAnyFrame24Bit();

// Rectangles (left, top, left + width, top + height).
int GetSelFramesWidth();
int GetSelFramesHeight();
void GetSelFramesBounds(RECT& out);
int GetSelFramesIntersection(RECT& out);
void GetFramesRect(const FrameList& list, int upTo, RECT& out);
int GetSelFramesDuration();

// A new 24-bit image of the animation's rectangle left..right x top..bottom (edges included)
// over the transparency checkerboard (anchored at left, top), with every selected frame (the
// current one only with includeCurrent) drawn through its transparency in list order at its own
// size, moved by dx, dy. The object dialogs show it behind the frame they edit. 0 when the
// rectangle is no image size; the caller deletes the image.
KpxHandle CreatePreviewImage(int left, int top, int right, int bottom, int dx, int dy,
                             int includeCurrent);

// List changes.
int DeleteSelFrames();
void DeleteSelFramesKeepCurrent(int select);
int DeleteEmptyFrames();
void AddSelFramesDelay(int d);
void ScaleSelFramesDelay(int percent);
void ReverseSelFrames();
