// The canvas's geometry: zoom steps, the area in the pane, the checkerboard at a zoom and the
// limits of moving the selection.

#include "CanvasGeometry.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::shell;
using kfm::model::EdgeLockState;

TEST(CanvasGeometry, ZoomStepsAndWhatTheyAllow) {
    EXPECT_FLOAT_EQ(ZoomAfter(1.0f, kZoomOut), 0.5f);
    EXPECT_FLOAT_EQ(ZoomAfter(1.0f, kZoomIn), 2.0f);
    EXPECT_FLOAT_EQ(ZoomAfter(4.0f, kZoomActual), 1.0f);
    const struct {
        float zoom;
        int mode;
        bool allowed;
    } cases[] = {
        {0.25f, kZoomOut, false}, {0.5f, kZoomOut, true},     {8.0f, kZoomIn, false},
        {4.0f, kZoomIn, true},    {1.0f, kZoomActual, false}, {2.0f, kZoomActual, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ZoomModeAllowed(c.zoom, c.mode), c.allowed) << c.zoom << " " << c.mode;

    const POINT scroll{100, 50};
    const struct {
        float zoom;
        int mode;
        POINT after;
    } scrolls[] = {
        {2.0f, kZoomOut, {50, 25}}, {2.0f, kZoomIn, {200, 100}}, {4.0f, kZoomActual, {25, 12}}};
    for (const auto& c : scrolls) {
        const POINT after = ScrollAfterZoom(scroll, c.zoom, c.mode);
        EXPECT_EQ(after.x, c.after.x) << c.mode;
        EXPECT_EQ(after.y, c.after.y) << c.mode;
    }
    EXPECT_EQ(ScrollAfterZoom(POINT{-7, -1}, 1.0f, kZoomIn).x, 0);
}

TEST(CanvasGeometry, CheckerCellsKeepTheirScreenSize) {
    // TransparentGridSize 2 gives cells of 16 pixels.
    EXPECT_EQ(CheckerCellAtZoom(16, 2.0f) * 2, 16);
    EXPECT_EQ(CheckerCellAtZoom(16, 0.5f) / 2, 16);
    EXPECT_EQ(CheckerCellAtZoom(16, 1.0f), 16);
    // Never a cell of no pixels, whatever the zoom.
    EXPECT_EQ(CheckerCellAtZoom(8, 32.0f), 1);
    EXPECT_EQ(CheckerCellAtZoom(8, 0.0f), 8);
}

TEST(CanvasGeometry, TheAreaSitsCentredAndScrolls) {
    const SIZE zoomed = ZoomedSize(468, 60, 0.25f);
    EXPECT_EQ(zoomed.cx, 117);
    EXPECT_EQ(zoomed.cy, 15);
    const POINT centred = CanvasAreaOrigin(SIZE{600, 400}, SIZE{468, 60}, POINT{0, 0});
    EXPECT_EQ(centred.x, 65);
    EXPECT_EQ(centred.y, 169);
    const POINT scrolled = CanvasAreaOrigin(SIZE{300, 40}, SIZE{468, 60}, POINT{10, 5});
    EXPECT_EQ(scrolled.x, -10);
    EXPECT_EQ(scrolled.y, -5);

    const RECT scaled = ScaleSelection(RECT{10, 10, 110, 30}, 2.0f);
    EXPECT_EQ(scaled.left, 20);
    EXPECT_EQ(scaled.right, 220);
    EXPECT_EQ(scaled.bottom, 60);
    // The mouse where it grabbed the selection gives the selection's own place.
    const POINT origin{10, 10};
    const POINT grabbedAt{10 + 1 + 20 + 5, 10 + 1 + 20 + 5};
    const POINT position = PositionFromMouse(grabbedAt, POINT{5, 5}, origin, 2.0f);
    EXPECT_EQ(position.x, 10);
    EXPECT_EQ(position.y, 10);
}

TEST(CanvasGeometry, MoveLimitsFollowTheEdgeLocks) {
    const RECT selection{10, 10, 110, 30};
    const POINT at{10, 10};
    const EdgeLockState free{468, 60};
    EdgeLockState elastic = free;
    elastic.elasticSize = 1;
    EdgeLockState lockedLeftTop = free;
    lockedLeftTop.lockLeft = lockedLeftTop.lockTop = 1;
    EdgeLockState lockedRightBottom = free;
    lockedRightBottom.lockRight = lockedRightBottom.lockBottom = 1;
    const struct {
        const char* label;
        EdgeLockState state;
        int frames;
        MoveLimits limits;
    } cases[] = {
        // At least one pixel stays on the screen.
        {"free", free, 3, {-99, 467, -19, 59}},
        // The screen grows to the right and down, never left or up.
        {"elastic", elastic, 3, {0, 467, 0, 59}},
        {"locked left and top", lockedLeftTop, 3, {0, 467, 0, 59}},
        {"locked right and bottom", lockedRightBottom, 3, {-99, 368, -19, 40}},
        {"no real frames", free, 0, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const MoveLimits l = ComputeMoveLimits(selection, at, c.state, c.frames);
        EXPECT_EQ(l.minX, c.limits.minX) << c.label;
        EXPECT_EQ(l.maxX, c.limits.maxX) << c.label;
        EXPECT_EQ(l.minY, c.limits.minY) << c.label;
        EXPECT_EQ(l.maxY, c.limits.maxY) << c.label;
    }
    // Shift+Right from 360 with the right edge locked stops where the edges meet.
    const RECT nearRight{360, 10, 460, 30};
    const MoveLimits locked = ComputeMoveLimits(nearRight, POINT{360, 10}, lockedRightBottom, 3);
    EXPECT_EQ(ClampToLimits(POINT{360 + KeyMoveStep(true), 10}, locked).x, 368);
    EXPECT_EQ(KeyMoveStep(false), 1);
    // With the elastic size a frame cannot go to a negative place.
    EXPECT_EQ(ClampToLimits(POINT{-5, -5}, ComputeMoveLimits(selection, at, elastic, 3)).x, 0);
    // A selection wider than a screen locked on both sides keeps to the left edge.
    EdgeLockState both = free;
    both.lockLeft = both.lockRight = 1;
    const RECT wide{0, 0, 500, 20};
    EXPECT_EQ(ClampToLimits(POINT{5, 0}, ComputeMoveLimits(wide, POINT{0, 0}, both, 1)).x, 0);
}

} // namespace
