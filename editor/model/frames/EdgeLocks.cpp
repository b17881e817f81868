#include "EdgeLocks.h"

#include <algorithm>

namespace kfm::model {

RECT frameRect(int left, int top, int width, int height) {
    return RECT{left, top, left + width, top + height};
}

RECT unionOfRects(std::span<const RECT> rects) {
    if (rects.empty())
        return RECT{0, 0, 0, 0};
    RECT out = rects.front();
    for (const RECT& r : rects.subspan(1)) {
        out.left = std::min(out.left, r.left);
        out.top = std::min(out.top, r.top);
        out.right = std::max(out.right, r.right);
        out.bottom = std::max(out.bottom, r.bottom);
    }
    return out;
}

EdgeLockViolations findEdgeLockViolations(const EdgeLockState& state, const RECT& rect) {
    EdgeLockViolations v;
    v.left = state.lockLeft && rect.left < 0;
    v.top = state.lockTop && rect.top < 0;
    v.right = state.lockRight && rect.right > state.width;
    v.bottom = state.lockBottom && rect.bottom > state.height;
    return v;
}

int resolveEdgeLocks(EdgeLockState& state, const RECT& rect, const std::function<bool()>& confirm) {
    if (state.elasticSize)
        return 1;
    const EdgeLockViolations v = findEdgeLockViolations(state, rect);
    if (!v.any())
        return 1;
    if (!confirm || !confirm())
        return 0;
    if (v.left)
        state.lockLeft = 0;
    if (v.top)
        state.lockTop = 0;
    if (v.right)
        state.lockRight = 0;
    if (v.bottom)
        state.lockBottom = 0;
    return 1;
}

} // namespace kfm::model

#include "Kfm5ResourceIds.h"
#include "ShellServices.h"

#include <vector>

void GetFramesBounds(RECT& out, const FrameList* list) {
    const FrameList& frames = list ? *list : g_pAnimationData->frames;
    std::vector<RECT> rects;
    rects.reserve(frames.size());
    for (const CObjFrame& f : frames)
        rects.push_back(kfm::model::frameRect(f.left, f.top, f.width, f.height));
    out = kfm::model::unionOfRects(rects);
}

int CheckEdgeLocks(const FrameList* list, const RECT* rect) {
    CAnimationData& a = *g_pAnimationData;
    RECT bounds{};
    if (rect)
        bounds = *rect;
    else
        GetFramesBounds(bounds, list);
    kfm::model::EdgeLockState state{
        a.AnimationWidth,          a.AnimationHeight,       a.AnimationStateElasticSize,
        a.AnimationStateLockLeft,  a.AnimationStateLockTop, a.AnimationStateLockRight,
        a.AnimationStateLockBottom};
    const int result = kfm::model::resolveEdgeLocks(state, bounds, [] {
        return ShellMessageBox(kfm5res::IDS_QUESTION_EDGE_LOCKS,
                               MB_OKCANCEL_ | MB_ICONEXCLAMATION_) == IDOK;
    });
    a.AnimationStateLockLeft = state.lockLeft;
    a.AnimationStateLockTop = state.lockTop;
    a.AnimationStateLockRight = state.lockRight;
    a.AnimationStateLockBottom = state.lockBottom;
    return result;
}
