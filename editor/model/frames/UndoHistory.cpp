#include "UndoHistory.h"

#include "EdgeLocks.h"
#include "Kfm5ResourceIds.h"
#include "ProgramState.h"
#include "ShellServices.h"

#include <algorithm>

namespace {

// The name of each undo kind, by kind number; 0 for kinds without one.
constexpr UINT kKindStrings[41] = {
    0,
    kfm5res::IDS_UNDO_MOVE,
    kfm5res::IDS_UNDO_DELAY,
    kfm5res::IDS_UNDO_DISPOSAL,
    kfm5res::IDS_UNDO_TRANSPARENCY,
    kfm5res::IDS_UNDO_TRANSPARENT_COLOUR,
    kfm5res::IDS_UNDO_ALPHA,
    kfm5res::IDS_UNDO_FRAME_NAME,
    kfm5res::IDS_UNDO_FRAME_LABEL,
    kfm5res::IDS_UNDO_ANIMATION_SIZE,
    kfm5res::IDS_UNDO_ELASTIC_SIZE,
    kfm5res::IDS_UNDO_LOOP,
    kfm5res::IDS_UNDO_LOOP_COUNT,
    kfm5res::IDS_UNDO_LOOP_MODE,
    kfm5res::IDS_UNDO_ANIMATION_COMMENT,
    kfm5res::IDS_UNDO_OPTIMISE,
    kfm5res::IDS_UNDO_MOVE_FRAMES,
    kfm5res::IDS_UNDO_CUT,
    kfm5res::IDS_UNDO_PASTE,
    kfm5res::IDS_UNDO_DELETE_FRAMES,
    kfm5res::IDS_UNDO_EDIT_OBJECT,
    kfm5res::IDS_UNDO_PALETTE,
    kfm5res::IDS_UNDO_EDIT_CONTROL_OBJECT,
    kfm5res::IDS_UNDO_NEW_FRAME,
    kfm5res::IDS_UNDO_NEW_TEXT_OBJECT,
    kfm5res::IDS_UNDO_IMPORT,
    kfm5res::IDS_UNDO_NEW_CONTROL_OBJECT,
    kfm5res::IDS_UNDO_INSERT_VECTOR,
    kfm5res::IDS_UNDO_TWEEN,
    kfm5res::IDS_UNDO_CROP,
    kfm5res::IDS_UNDO_ROTATE,
    kfm5res::IDS_UNDO_MIRROR_HORIZONTALLY,
    kfm5res::IDS_UNDO_MIRROR_VERTICALLY,
    kfm5res::IDS_UNDO_PLUGIN,
    kfm5res::IDS_UNDO_RESIZE,
    0,
    0,
    kfm5res::IDS_UNDO_DUPLICATE_FRAMES,
    kfm5res::IDS_UNDO_MERGE_FRAMES,
    kfm5res::IDS_UNDO_OBJECTS_TO_IMAGES,
    kfm5res::IDS_UNDO_RENDER_STATES,
};

void copyFrames(const FrameList& from, FrameList& to) {
    to.clear();
    for (const CObjFrame& f : from) {
        to.emplace_back();
        to.back() = f;
    }
}

} // namespace

CUndoHistory& TheUndoHistory() {
    static CUndoHistory history;
    return history;
}

CUndoHistory::CUndoHistory() {
    for (auto& slot : slots_) {
        slot = std::make_unique<CAnimationData>();
        slot->frames.clear();
    }
    size_ = std::clamp(g_Settings.undoSteps, 1, kUndoSlotCount);
}

CUndoHistory::~CUndoHistory() = default;

UINT CUndoHistory::KindStringId(int kind) {
    return (kind >= 0 && kind <= 40) ? kKindStrings[kind] : 0;
}

void CUndoHistory::Reset() {
    current_ = oldest_ = building_ = 0;
    kinds_.fill(0);
    // The snapshots of the steps given up hold references to their frames' images.
    for (auto& slot : slots_)
        clearSlot(*slot);
    if (g_pAnimationData) {
        slots_[0]->AnimationWidth = g_pAnimationData->AnimationWidth;
        slots_[0]->AnimationHeight = g_pAnimationData->AnimationHeight;
        slots_[0]->AnimationStateElasticSize = g_pAnimationData->AnimationStateElasticSize;
    }
}

void CUndoHistory::copyFromAnimation(CAnimationData& slot) const {
    const CAnimationData& a = *g_pAnimationData;
    slot.AnimationWidth = a.AnimationWidth;
    slot.AnimationHeight = a.AnimationHeight;
    slot.comment = a.comment;
    slot.loopCount = a.loopCount;
    slot.sizeBefore = a.sizeBefore;
    slot.sizeAfter = a.sizeAfter;
    slot.AnimationStateElasticSize = a.AnimationStateElasticSize;
    copyFrames(a.frames, slot.frames);
}

void CUndoHistory::clearSlot(CAnimationData& slot) {
    slot.AnimationWidth = slot.AnimationHeight = slot.loopCount = 0;
    slot.comment.clear();
    slot.frames.clear();
}

void CUndoHistory::BeginStep(int kind) {
    if (!g_pAnimationData)
        return;
    building_ = kinds_[current_] == 0 ? current_ : (current_ + 1) % size_;
    kinds_[building_] = static_cast<std::uint8_t>(kind);
    copyFromAnimation(*slots_[building_]);
}

int CUndoHistory::EndStep(int force) {
    if (!g_pAnimationData || !shell().hasMainWindow() || !shell().hasActiveDocument())
        return 0;
    if (!force && IsSnapshotEqual(*slots_[building_], *g_pAnimationData)) {
        kinds_[building_] = 0;
        slots_[building_]->frames.clear();
        return 0;
    }
    if (cleanAtBottom_ && oldest_ + 1 >= size_)
        cleanAtBottom_ = 0;
    current_ = building_;
    if (building_ == oldest_)
        oldest_ = (oldest_ + 1) % size_;
    if (g_pAnimationData->frames.size() > 1)
        shell().setDocumentModified(true);
    return 1;
}

int CUndoHistory::Undo() {
    if (!g_pAnimationData || kinds_[current_] == 0)
        return 0;
    CAnimationData& snapshot = *slots_[current_];
    CAnimationData& a = *g_pAnimationData;
    if (!CheckEdgeLocks(&snapshot.frames, nullptr))
        return 0;
    a.AnimationWidth = snapshot.AnimationWidth;
    a.AnimationHeight = snapshot.AnimationHeight;
    if (kinds_[current_] == kUndoKindElasticSize)
        a.AnimationStateElasticSize = snapshot.AnimationStateElasticSize;
    a.comment = snapshot.comment;
    a.loopCount = snapshot.loopCount;
    a.sizeBefore = snapshot.sizeBefore;
    a.sizeAfter = snapshot.sizeAfter;
    copyFrames(snapshot.frames, a.frames);
    snapshot.frames.clear();
    kinds_[current_] = 0;
    const int previous = current_ == 0 ? size_ - 1 : current_ - 1;
    if (kinds_[previous] != 0)
        current_ = previous;
    building_ = current_;
    if (cleanAtBottom_ && kinds_[current_] == 0)
        shell().setDocumentModified(false);
    return 1;
}

int CUndoHistory::countSteps() const {
    int steps = 0;
    for (int i = 0; i < size_; ++i)
        steps += kinds_[i] != 0;
    return steps;
}

int CUndoHistory::IsSnapshotEqual(const CAnimationData& s, const CAnimationData& a) {
    if (s.AnimationWidth != a.AnimationWidth || s.AnimationHeight != a.AnimationHeight ||
        s.comment != a.comment || s.loopCount != a.loopCount)
        return 0;
    auto i = s.frames.begin();
    auto j = a.frames.begin();
    for (; i != s.frames.end() && j != a.frames.end(); ++i, ++j)
        if (!i->IsEqual(*j))
            return 0;
    return 1;
}

std::string CUndoHistory::GetStepText(UINT actionStringId) const {
    std::string text = shell().loadString(kfm5res::IDS_UNDO) + " ";
    if (actionStringId)
        text += shell().loadString(actionStringId);
    const CAnimationData& snapshot = *slots_[current_];
    if (g_pAnimationData && snapshot.AnimationStateElasticSize &&
        (snapshot.AnimationWidth != g_pAnimationData->AnimationWidth ||
         snapshot.AnimationHeight != g_pAnimationData->AnimationHeight))
        text += shell().loadString(kfm5res::IDS_UNDO_SIZE_CHANGES);
    return text + " " + shell().loadString(kfm5res::IDS_UNDO_SHORTCUT);
}

std::string CUndoHistory::GetUndoMenuText() const {
    return GetStepText(KindStringId(kinds_[current_]));
}

void CUndoHistory::SetSize(int n) {
    n = std::clamp(n, 1, kUndoSlotCount);
    if (kinds_[current_] == 0) {
        size_ = n;
        return;
    }
    const int kept = std::min(n, size_);
    // Once a step is dropped, undoing every kept step no longer leads back to the file's state.
    if (countSteps() > kept)
        cleanAtBottom_ = 0;
    // The kept steps end at current; they move, oldest first, into slots 0..kept-1. Every other
    // slot is cleared.
    std::array<std::unique_ptr<CAnimationData>, kUndoSlotCount> next;
    std::array<std::uint8_t, kUndoSlotCount> nextKinds{};
    for (int k = 0; k < kept; ++k) {
        const int from = ((current_ - (kept - 1 - k)) % size_ + size_) % size_;
        next[k] = std::move(slots_[from]);
        nextKinds[k] = kinds_[from];
    }
    int free = kept;
    for (auto& slot : slots_) {
        if (!slot)
            continue;
        clearSlot(*slot);
        next[free++] = std::move(slot);
    }
    slots_ = std::move(next);
    kinds_ = nextKinds;
    current_ = building_ = kept - 1;
    oldest_ = 0;
    size_ = n;
}
