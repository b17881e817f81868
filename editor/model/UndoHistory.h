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
// The internal step of the save and preview roads, undone by themselves.
constexpr int kUndoKindSaveAndPreview = 36;

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
