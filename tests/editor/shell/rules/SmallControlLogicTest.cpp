// The small controls' logic without windows: colour texts from format strings and the corner
// control's marks.

#include "ColourTexts.h"
#include "CornerMarks.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::shell;

TEST(ColourTexts, FillFormatsInOrderAndNeverReadValuesAsFormats) {
    const COLORREF orange = RGB(255, 128, 1);
    EXPECT_EQ(HexColour(orange), "FF8001");
    EXPECT_EQ(HexColour(0), "000000");
    EXPECT_EQ(PaletteColourText("Index %d: red %d, green %d, blue %d (0x%06X)", 7, orange),
              "Index 7: red 255, green 128, blue 1 (0xFF8001)");
    EXPECT_EQ(ColourText("Red %d, green %d, blue %d (0x%06X)", orange),
              "Red 255, green 128, blue 1 (0xFF8001)");
    // A translation with too few or odd placeholders stays safe.
    EXPECT_EQ(ColourText("%s%s%s%s%s%n", orange), "2551281FF8001");
    EXPECT_EQ(NumberFieldText("Index: %d", 42), "Index: 42");
}

TEST(ColourTexts, BlankFieldDropsThePlaceholderOnly) {
    EXPECT_EQ(BlankFieldText("Red: %d"), "Red: ");
    EXPECT_EQ(BlankFieldText("%d"), "");
    EXPECT_EQ(BlankFieldText("x"), "");
    EXPECT_EQ(BlankFieldText(""), "");
}

TEST(CornerMarks, GeometryAndMarkSquares) {
    const CornerGeometry g = CornerGeometryFor(60, 40);
    EXPECT_EQ(g.innerLeft, 1);
    EXPECT_EQ(g.innerTop, 1);
    EXPECT_EQ(g.innerRight, 58);
    EXPECT_EQ(g.innerBottom, 38);
    EXPECT_EQ(g.centreX, 29);
    EXPECT_EQ(g.centreY, 19);
    const RECT top = CornerMarkRect(g, kSideTop);
    EXPECT_EQ(top.left, 22);
    EXPECT_EQ(top.top, 0);
    EXPECT_EQ(top.right - top.left, 15);
    EXPECT_EQ(top.bottom - top.top, 15);
    const POINT right = CornerMarkCentre(g, kSideRight);
    EXPECT_EQ(right.x, 52);
    EXPECT_EQ(right.y, 19);
}

TEST(CornerMarks, HitTestBoundsAreExclusiveAndOnlyEnabledMarksCount) {
    const CornerGeometry g = CornerGeometryFor(60, 60); // inner 1..58, centre 29, 29
    const struct {
        int x, y, enabled, expected;
    } cases[] = {
        {1, 29, kAllSides, kSideLeft},
        {0, 29, kAllSides, 0}, // left edge exclusive
        {13, 29, kAllSides, kSideLeft},
        {14, 29, kAllSides, 0}, // depth 13
        {5, 22, kAllSides, 0},
        {5, 23, kAllSides, kSideLeft}, // centre y - 7 excl.
        {29, 5, kAllSides, kSideTop},
        {29, 55, kAllSides, kSideBottom},
        {55, 29, kAllSides, kSideRight},
        {58, 29, kAllSides, kSideRight},
        {59, 29, kAllSides, 0},
        {29, 29, kAllSides, 0},
        {5, 29, kAllSides & ~kSideLeft, 0},
        {29, 5, kSideTop, kSideTop},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CornerMarkAt(g, c.enabled, c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST(CornerMarks, WhereTopAndRightOverlapTheRightMarkWins) {
    // A small control: the top mark's area and the right mark's area share pixels.
    const CornerGeometry g = CornerGeometryFor(24, 24); // inner 1..22, centre 11, 11
    const int x = 12;
    const int y = 6;
    ASSERT_EQ(CornerMarkAt(g, kSideTop, x, y), kSideTop);
    ASSERT_EQ(CornerMarkAt(g, kSideRight, x, y), kSideRight);
    EXPECT_EQ(CornerMarkAt(g, kAllSides, x, y), kSideRight);
    EXPECT_EQ(CornerMarkAt(g, kAllSides & ~kSideRight, x, y), kSideTop);
}

} // namespace
