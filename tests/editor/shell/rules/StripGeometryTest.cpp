// The frame strip's geometry: rows, the parts of an item, thumbnail placement and the drop rules.

#include "StripGeometry.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using namespace kfm::shell;

using Edges = std::array<LONG, 4>;

Edges edges(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

TEST(StripGeometry, RowsAndTheirParts) {
    const SIZE row = StripRowSize(80, 80, 13);
    EXPECT_EQ(row.cx, 94);
    EXPECT_EQ(row.cy, 102);
    const StripItemLayout layout = LayoutStripItem(RECT{0, 200, row.cx, 200 + row.cy}, 13);
    // Deflated by 4 across and 3 down, the right edge in by one more; the label line takes the
    // text height plus 2 at the bottom, the thumbnail sits 2 inside its frame lines.
    EXPECT_EQ(edges(layout.area), (Edges{4, 203, 89, 284}));
    EXPECT_EQ(edges(layout.label), (Edges{4, 285, 89, 299}));
    EXPECT_EQ(edges(layout.thumbnail), (Edges{6, 205, 87, 282}));
    // The editor starts 5 pixels right of the number prefix and reaches one beyond the area.
    EXPECT_EQ(edges(LabelEditorRect(layout, 20)), (Edges{29, 285, 90, 299}));
}

TEST(StripGeometry, ThumbnailsFitTheirArea) {
    const RECT box{10, 10, 90, 90};
    const struct {
        const char* label;
        RECT got;
        RECT expected;
    } cases[] = {
        // A wide screen is fitted across and centred down.
        {"wide screen", FitScreenInThumbnail(box, 468, 60), RECT{10, 45, 90, 55}},
        // A small screen is enlarged to touch the box.
        {"small screen", FitScreenInThumbnail(box, 10, 20), RECT{30, 10, 70, 90}},
        {"empty screen", FitScreenInThumbnail(box, 0, 60), RECT{10, 10, 10, 10}},
        // A picture alone is never enlarged.
        {"small picture", FitPictureInThumbnail(box, 20, 10), RECT{40, 45, 60, 55}},
        {"large picture", FitPictureInThumbnail(box, 160, 40), RECT{10, 40, 90, 60}},
        // A frame at (117, 15) of 117 x 15 on a 468 x 60 screen fitted into 80 x 10: its top
        // lands on 2.5, rounded half away from zero.
        {"frame on screen", ScaleFrameIntoScreen(RECT{0, 0, 80, 10}, 468, 60, 117, 15, 117, 15),
         RECT{20, 3, 40, 5}},
        {"frame left of screen",
         ScaleFrameIntoScreen(RECT{0, 0, 100, 100}, 200, 200, -3, -1, 10, 10), RECT{-2, -1, 4, 5}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(edges(c.got), edges(c.expected)) << c.label;
}

TEST(StripGeometry, DropModesAndInsertionPlaces) {
    const struct {
        const char* label;
        int item;
        int count;
        int y;
        int mode;
        int insertAt;
    } cases[] = {
        {"upper half of the first item", 0, 4, 10, kDropBefore, 0},
        {"lower half of the first item", 0, 4, 60, kDropAfter, 1},
        {"a middle item", 1, 4, 5, kDropAfter, 2},
        {"the last real frame", 2, 4, 90, kDropAfter, 3},
        // The placeholder always takes the frames before it: at the end of the animation.
        {"the placeholder", 3, 4, 90, kDropBefore, 3},
        {"the placeholder alone", 0, 1, 90, kDropBefore, 0},
    };
    for (const auto& c : cases) {
        const int mode = DropModeFor(c.item, c.count, c.y, 100);
        EXPECT_EQ(mode, c.mode) << c.label;
        EXPECT_EQ(DropInsertIndex(c.item, mode, c.count), c.insertAt) << c.label;
    }
}

TEST(StripGeometry, MoveOrCopyByModifiers) {
    const struct {
        bool fromThisView;
        bool shift;
        bool control;
        DropEffect effect;
    } cases[] = {
        {true, false, false, DropEffect::Move}, {false, false, false, DropEffect::Copy},
        {false, true, false, DropEffect::Move}, {true, false, true, DropEffect::Copy},
        {true, true, true, DropEffect::Copy},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProposedDropEffect(c.fromThisView, c.shift, c.control), c.effect)
            << c.fromThisView << c.shift << c.control;
}

TEST(StripGeometry, DragsScrollNearTheEdges) {
    EXPECT_EQ(DragScrollDirection(5, 400), -1);
    EXPECT_EQ(DragScrollDirection(29, 400), -1);
    EXPECT_EQ(DragScrollDirection(30, 400), 0);
    EXPECT_EQ(DragScrollDirection(369, 400), 0);
    EXPECT_EQ(DragScrollDirection(370, 400), 1);
    // A strip lower than both margins scrolls down.
    EXPECT_EQ(DragScrollDirection(10, 40), 1);
}

} // namespace
