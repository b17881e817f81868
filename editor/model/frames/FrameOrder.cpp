#include "FrameOrder.h"

#include "UndoHistory.h"

#include <iterator>

namespace {

FrameList& frames() {
    return g_pAnimationData->frames;
}

bool hasRealFrames() {
    return g_pAnimationData && frames().size() >= 2;
}

FrameList::iterator placeholder() {
    return std::prev(frames().end());
}

// Takes the selected real frames out of the list, in order.
FrameList takeSelected() {
    FrameList taken;
    const auto end = placeholder();
    for (auto it = frames().begin(); it != end;) {
        const auto next = std::next(it);
        if (it->selected)
            taken.splice(taken.end(), frames(), it);
        it = next;
    }
    return taken;
}

} // namespace

int CopyFramesList() {
    if (!hasRealFrames())
        return 0;
    FrameList copies;
    const auto end = placeholder();
    for (auto it = frames().begin(); it != end; ++it)
        if (it->selected) {
            copies.push_back(*it);
            copies.back().TakeNewId();
        }
    const int count = static_cast<int>(copies.size());
    if (count == 0)
        return 0;
    SelectIncomingFrames(copies);
    frames().splice(placeholder(), copies);
    g_pAnimationData->UpdateFrameCount();
    return count;
}

int MoveSelectedFramesEarlier() {
    if (!hasRealFrames() || frames().front().selected || placeholder()->selected)
        return 0;
    auto target = frames().begin();
    while (target != placeholder() && !std::next(target)->selected)
        ++target;
    if (target == placeholder())
        return 0;
    // The target entry is not selected, so it stays in the list while the selection leaves it.
    FrameList taken = takeSelected();
    frames().splice(target, taken);
    return 1;
}

int MoveSelectedFramesLater() {
    if (!hasRealFrames() || placeholder()->selected)
        return 0;
    const auto lastReal = std::prev(placeholder());
    if (lastReal->selected)
        return 0;
    auto lastSelected = frames().end();
    for (auto it = frames().begin(); it != placeholder(); ++it)
        if (it->selected)
            lastSelected = it;
    if (lastSelected == frames().end())
        return 0;
    const auto target = std::next(lastSelected);
    FrameList taken = takeSelected();
    frames().splice(std::next(target), taken);
    return 1;
}

int CopyFramesListStep() {
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindDuplicateFrames);
    CopyFramesList();
    return undo.EndStep(0);
}

int MoveSelectedFramesStep(bool earlier) {
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindMoveFrames);
    const int moved = earlier ? MoveSelectedFramesEarlier() : MoveSelectedFramesLater();
    if (moved)
        DeleteEmptyFrames();
    g_pAnimationData->UpdateFrameCount();
    return undo.EndStep(0);
}

int SelectNeighbourFrame(int step) {
    if (!g_pAnimationData)
        return -1;
    const int current = GetCurrentFrameIndex();
    const int target = current + step;
    if (current < 0 || target < 0 || target >= static_cast<int>(frames().size()))
        return -1;
    DeselectAllFrames();
    ClearCurrentFlags();
    SelectFrame(target);
    SetCurrentFrame(target);
    return target;
}
