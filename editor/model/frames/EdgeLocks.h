#pragma once
// The frames' bounding box and the edge-lock check: a locked edge of the animation area may not
// be crossed by the frames unless the user agrees to release that lock.

#include <functional>
#include <span>

#include "types/Win32Types.h"

namespace kfm::model {

// The animation's size, its elastic-size flag and its four edge locks.
struct EdgeLockState {
    int width = 0;
    int height = 0;
    int elasticSize = 0;
    int lockLeft = 0;
    int lockTop = 0;
    int lockRight = 0;
    int lockBottom = 0;
};

// The locks that the rectangle crosses: left < 0, top < 0, right > width, bottom > height.
struct EdgeLockViolations {
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    bool any() const { return left || top || right || bottom; }
};

// The rectangle (left, top, left + width, top + height) of one frame.
RECT frameRect(int left, int top, int width, int height);
// The union of the rectangles; all four edges 0 when there is none.
RECT unionOfRects(std::span<const RECT> rects);

EdgeLockViolations findEdgeLockViolations(const EdgeLockState& state, const RECT& rect);

// 1 when the elastic size is on or no lock is crossed. Otherwise `confirm` asks the user once:
// when it answers false the result is 0 and nothing changes; when true, every crossed lock is
// released and the result is 1.
int resolveEdgeLocks(EdgeLockState& state, const RECT& rect, const std::function<bool()>& confirm);

} // namespace kfm::model

// The same over the animation model.
#include "AnimationData.h"

// Union of the rectangles of every node of the list (null = the program-wide list), the
// placeholder included; all edges 0 for an empty list.
void GetFramesBounds(RECT& out, const FrameList* list);
// The edge-lock check against the program-wide animation: the tested rectangle is rect when
// given, else the bounds of list. The question is string 10688 with OK and Cancel.
int CheckEdgeLocks(const FrameList* list, const RECT* rect);
