#include "EdgeLocks.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kfm::model;

namespace {

EdgeLockState animation(int lockLeft, int lockTop, int lockRight, int lockBottom) {
    EdgeLockState s;
    s.width = 468;
    s.height = 60;
    s.lockLeft = lockLeft;
    s.lockTop = lockTop;
    s.lockRight = lockRight;
    s.lockBottom = lockBottom;
    return s;
}

} // namespace

TEST(FramesBounds, UnionOfFrameRectangles) {
    EXPECT_EQ(unionOfRects({}).right, 0);
    const std::vector<RECT> rects = {frameRect(10, 5, 20, 30), frameRect(-4, 8, 2, 2),
                                     frameRect(0, 0, 0, 0)};
    const RECT r = unionOfRects(rects);
    EXPECT_EQ(r.left, -4);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 30);
    EXPECT_EQ(r.bottom, 35);
}

TEST(EdgeLocks, OnlyTheLockedEdgesThatAreCrossedAsk) {
    const RECT pastRight = frameRect(0, 0, 468 + 10, 60);
    int asked = 0;
    auto state = animation(0, 0, 1, 0);
    EXPECT_EQ(resolveEdgeLocks(state, pastRight, [&] { return ++asked, true; }), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(state.lockRight, 0);

    // Every lock set, only the right edge crossed: OK clears the right lock alone.
    state = animation(1, 1, 1, 1);
    asked = 0;
    EXPECT_EQ(resolveEdgeLocks(state, pastRight, [&] { return ++asked, true; }), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(state.lockLeft, 1);
    EXPECT_EQ(state.lockTop, 1);
    EXPECT_EQ(state.lockRight, 0);
    EXPECT_EQ(state.lockBottom, 1);
}

TEST(EdgeLocks, CancelKeepsTheLocks) {
    auto state = animation(1, 1, 1, 1);
    EXPECT_EQ(resolveEdgeLocks(state, RECT{-1, -1, 469, 61}, [] { return false; }), 0);
    EXPECT_EQ(state.lockLeft + state.lockTop + state.lockRight + state.lockBottom, 4);
    EXPECT_EQ(resolveEdgeLocks(state, RECT{-1, 0, 10, 10}, nullptr), 0);
}

TEST(EdgeLocks, NoQuestionWithoutViolation) {
    const struct {
        RECT rect;
        EdgeLockState state;
    } cases[] = {
        {RECT{0, 0, 468, 60}, animation(1, 1, 1, 1)},    // touching the edges is no crossing
        {RECT{-5, -5, 500, 100}, animation(0, 0, 0, 0)}, // nothing locked
        {RECT{-5, -5, 500, 100},
         [] { // elastic size wins
             auto s = animation(1, 1, 1, 1);
             s.elasticSize = 1;
             return s;
         }()},
    };
    for (auto c : cases) {
        bool asked = false;
        EXPECT_EQ(resolveEdgeLocks(c.state, c.rect, [&] { return asked = true, false; }), 1);
        EXPECT_FALSE(asked);
    }
}

TEST(EdgeLocks, ReportsEachCrossedEdge) {
    const auto v = findEdgeLockViolations(animation(1, 1, 1, 1), RECT{-1, -1, 469, 61});
    EXPECT_TRUE(v.left && v.top && v.right && v.bottom);
    const auto none = findEdgeLockViolations(animation(1, 0, 1, 0), RECT{0, -1, 468, 61});
    EXPECT_FALSE(none.any());
}
