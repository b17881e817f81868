#include "UndoHistory.h"

#include "EdgeLocks.h"
#include "ProgramState.h"
#include "ShellServices.h"

#include <algorithm>

namespace {

constexpr UINT kStringUndo = 10781;
constexpr UINT kStringUndoTail = 10782;
constexpr UINT kStringSizeChanges = 10950;

constexpr UINT kKindStrings[41] = {
    0,     10979, 10951, 10983, 10981, 10982, 10980, 10953, 10955, 10949, 10952,
    10975, 10976, 10977, 10948, 10978, 10969, 10956, 10970, 10957, 10958, 10959,
    10960, 10964, 10967, 10965, 10966, 10968, 10974, 10973, 10972, 10962, 10963,
    10961, 10971, 0,     0,     10954, 10996, 10997, 10998,
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
    std::string text = shell().loadString(kStringUndo) + " ";
    if (actionStringId)
        text += shell().loadString(actionStringId);
    const CAnimationData& snapshot = *slots_[current_];
    if (g_pAnimationData && snapshot.AnimationStateElasticSize &&
        (snapshot.AnimationWidth != g_pAnimationData->AnimationWidth ||
         snapshot.AnimationHeight != g_pAnimationData->AnimationHeight))
        text += shell().loadString(kStringSizeChanges);
    return text + " " + shell().loadString(kStringUndoTail);
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
