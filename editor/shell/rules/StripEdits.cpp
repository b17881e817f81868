#include "StripEdits.h"

#include "UndoHistory.h"

#include <algorithm>
#include <iterator>

namespace kfm::shell {

namespace {

FrameList& frames() {
    return g_pAnimationData->frames;
}

// The real frames: every node before the placeholder.
template <typename Fn> void forEachRealFrame(Fn fn) {
    if (frames().empty())
        return;
    const auto last = std::prev(frames().end());
    for (auto it = frames().begin(); it != last; ++it)
        fn(*it);
}

} // namespace

FrameList TakeDragFrames() {
    FrameList taken;
    if (!g_pAnimationData)
        return taken;
    forEachRealFrame([&taken](CObjFrame& f) {
        if (!f.selected || !f.GetImage())
            return;
        f.marked = 1;
        taken.push_back(f);
        taken.back().marked = 0;
    });
    return taken;
}

bool FinishDragFrames(bool movedElsewhere) {
    if (!g_pAnimationData)
        return false;
    bool removed = false;
    if (movedElsewhere) {
        TheUndoHistory().BeginStep(kUndoKindMoveFrames);
        const auto before = frames().size();
        DeleteSelFramesKeepCurrent(1);
        removed = frames().size() != before;
        ClearFramesMark();
        g_pAnimationData->UpdateFrameCount();
        TheUndoHistory().EndStep(0);
    }
    ClearFramesMark();
    g_pAnimationData->UpdateFrameCount();
    return removed;
}

bool DropFrames(FrameList incoming, const FrameDrop& drop) {
    if (!g_pAnimationData || incoming.empty() || frames().empty())
        return false;
    const bool move = drop.effect == DropEffect::Move;
    if (move && drop.fromThisView && drop.targetItem == drop.dragSourceItem)
        return false;

    TheUndoHistory().BeginStep(move ? kUndoKindMoveFrames : kUndoKindPaste);
    SelectIncomingFrames(incoming);
    const int count = static_cast<int>(frames().size());
    const int at = DropInsertIndex(drop.targetItem, drop.mode, count);
    frames().splice(std::next(frames().begin(), at), incoming);
    if (move && drop.fromThisView)
        DeleteSelFramesKeepCurrent(0);
    if (drop.fromThisView && !move)
        ClearFramesMark();
    g_pAnimationData->UpdateFrameCount();
    return TheUndoHistory().EndStep(0) != 0;
}

CObjFrame FrameFromImage(KpxHandle image) {
    CObjFrame frame;
    frame.SetImage(static_cast<std::uint16_t>(image));
    frame.UpdateFromImageInfo();
    frame.width = KPXWidth(image);
    frame.height = KPXHeight(image);
    return frame;
}

bool CommitFrameLabel(int index, const std::string& text) {
    if (!g_pAnimationData || index < 0 || index >= g_pAnimationData->RealFrameCount())
        return false;
    CObjFrame& frame = *std::next(frames().begin(), index);
    if (frame.comment == text)
        return false;
    TheUndoHistory().BeginStep(kUndoKindFrameLabel);
    frame.comment = text;
    TheUndoHistory().EndStep(0);
    return true;
}

bool IsFrameAlwaysShown(const CObjFrame& frame) {
    return frame.reserved1 != 0;
}

bool IsFrameLocked(const CObjFrame& frame) {
    return frame.reserved2 != 0;
}

bool MoveSelectedFramesTo(int x, int y) {
    if (!g_pAnimationData)
        return false;
    bool anySelected = false;
    bool locked = false;
    int left = 0;
    int top = 0;
    forEachRealFrame([&](const CObjFrame& f) {
        if (!f.selected)
            return;
        left = anySelected ? std::min(left, f.left) : f.left;
        top = anySelected ? std::min(top, f.top) : f.top;
        anySelected = true;
        locked = locked || IsFrameLocked(f);
    });
    if (!anySelected || locked || (x == left && y == top))
        return false;
    forEachRealFrame([&](CObjFrame& f) {
        if (!f.selected)
            return;
        f.left += x - left;
        f.top += y - top;
    });
    return true;
}

} // namespace kfm::shell
