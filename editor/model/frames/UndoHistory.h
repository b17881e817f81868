#pragma once
// Undo by whole snapshots: a ring of at most 30 copies of the animation with an action kind per
// step. An edit opens a step with BeginStep, changes the animation and commits with EndStep; a
// step that changed nothing is dropped. There is no redo.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "AnimationData.h"

constexpr int kUndoSlotCount = 30;

// The action kinds of the steps: each names the menu text of its undo (KindStringId). An edit
// opens its step with the kind of its command.
constexpr int kUndoKindMove = 1;
constexpr int kUndoKindDelay = 2;
constexpr int kUndoKindDisposal = 3;
constexpr int kUndoKindTransparency = 4;
constexpr int kUndoKindTransparentColour = 5;
constexpr int kUndoKindAlpha = 6;
constexpr int kUndoKindFrameName = 7;
constexpr int kUndoKindFrameLabel = 8;
constexpr int kUndoKindAnimationSize = 9;
// The only kind whose undo also restores the elastic-size flag.
constexpr int kUndoKindElasticSize = 10;
constexpr int kUndoKindLoop = 11;
constexpr int kUndoKindLoopCount = 12;
constexpr int kUndoKindLoopMode = 13;
constexpr int kUndoKindAnimationComment = 14;
constexpr int kUndoKindOptimise = 15;
constexpr int kUndoKindMoveFrames = 16;
constexpr int kUndoKindCut = 17;
constexpr int kUndoKindPaste = 18;
constexpr int kUndoKindDeleteFrames = 19;
constexpr int kUndoKindEditObject = 20;
constexpr int kUndoKindPalette = 21;
constexpr int kUndoKindEditControlObject = 22;
constexpr int kUndoKindNewFrame = 23;
constexpr int kUndoKindNewTextObject = 24;
constexpr int kUndoKindImport = 25;
constexpr int kUndoKindNewControlObject = 26;
constexpr int kUndoKindInsertVector = 27;
constexpr int kUndoKindTween = 28;
constexpr int kUndoKindCrop = 29;
constexpr int kUndoKindRotate = 30;
constexpr int kUndoKindMirrorHorizontally = 31;
constexpr int kUndoKindMirrorVertically = 32;
constexpr int kUndoKindPlugin = 33;
constexpr int kUndoKindResize = 34;
// The internal step of the save and preview roads, undone by themselves.
constexpr int kUndoKindSaveAndPreview = 36;
constexpr int kUndoKindDuplicateFrames = 37;
constexpr int kUndoKindMergeFrames = 38;
constexpr int kUndoKindObjectsToImages = 39;
constexpr int kUndoKindRenderStates = 40;

class CUndoHistory {
public:
    CUndoHistory();
    virtual ~CUndoHistory();
    CUndoHistory(const CUndoHistory&) = delete;
    CUndoHistory& operator=(const CUndoHistory&) = delete;

    void Reset();
    void BeginStep(int kind);
    int EndStep(int force);
    int Undo();
    int GetCurrentKind() const { return kinds_[current_]; }
    int CanUndo() const { return kinds_[current_] != 0; }
    std::string GetStepText(UINT actionStringId) const;
    std::string GetUndoMenuText() const;
    void SetSize(int n);
    int GetSize() const { return size_; }

    // 1 when the snapshot's size, comment, loop count and frames (walked in parallel until either
    // list ends) equal the animation's.
    static int IsSnapshotEqual(const CAnimationData& snapshot, const CAnimationData& animation);
    // The string id of an action kind (0 for kinds without one).
    static UINT KindStringId(int kind);

private:
    void copyFromAnimation(CAnimationData& slot) const;
    static void clearSlot(CAnimationData& slot);
    // The number of undoable steps in the ring.
    int countSteps() const;

    int current_ = 0;
    int oldest_ = 0;
    int building_ = 0;
    std::array<std::uint8_t, kUndoSlotCount> kinds_{};
    int cleanAtBottom_ = 1;
    std::array<std::unique_ptr<CAnimationData>, kUndoSlotCount> slots_;
    int size_ = 10;
};

// The program-wide history.
CUndoHistory& TheUndoHistory();
