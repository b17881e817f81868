// The frame dialogs' arithmetic: proportional sides, delay totals and changes, rotation codes.

#include "FrameDialogRules.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace kfm::dialogs;

TEST(ProportionalSides, RoundHalfUpAndStayWithinTheFieldRange) {
    struct Case {
        int width, height, fallbackWidth, fallbackHeight, typedWidth, expectedHeight;
    } cases[] = {
        {100, 50, 0, 0, 33, 17},     // 16.5 rounds up
        {300, 200, 0, 0, 100, 67},   // a 300 x 200 drawing at width 100
        {1, 1000, 0, 0, 9999, 9999}, // 9999000 is held to the field's range
        {1000, 1, 0, 0, 1, 1},       // 0.001 is held to one pixel
        {100, 0, 40, 20, 30, 15},    // an empty drawing takes the fallback's proportions
        {0, 0, 0, 0, 25, 25},        // nothing to go by: square
    };
    for (const Case& c : cases) {
        const double ratio = AspectRatio(c.width, c.height, c.fallbackWidth, c.fallbackHeight);
        EXPECT_EQ(HeightForWidth(c.typedWidth, ratio), c.expectedHeight)
            << c.width << "x" << c.height << " at width " << c.typedWidth;
    }
    EXPECT_EQ(WidthForHeight(17, AspectRatio(100, 50, 0, 0)), 34);
    EXPECT_EQ(WidthForHeight(9999, AspectRatio(1000, 1, 0, 0)), 9999);
}

TEST(DelayArithmetic, TotalsChangesAndPercentages) {
    EXPECT_EQ(TotalAfterAmount(100, 4, 5), 120);
    EXPECT_EQ(TotalAfterAmount(100, 4, -30), -20);
    struct PercentCase {
        int total, percent, change;
    } percents[] = {{50, 33, 16}, {50, -100, -50}, {0, 50, 0}, {200, 100, 200}};
    for (const PercentCase& c : percents)
        EXPECT_EQ(ChangeForPercent(c.total, c.percent), c.change) << c.total << " " << c.percent;
    struct ChangeCase {
        int total, change, percent;
    } changes[] = {
        {100, 50, 50},  {100, -100, -100},
        {200, 100, 50}, {0, 0, 0}, // the selected delays are all 0: no division by zero
        {10, 10, 100},
    };
    for (const ChangeCase& c : changes)
        EXPECT_EQ(PercentForChange(c.total, c.change), c.percent) << c.total << " " << c.change;
}

TEST(DelayArithmetic, DelaysStayWithinTheFramePagesRange) {
    struct Case {
        int delay, amount, percent, afterAmount, afterPercent;
    } cases[] = {
        {10, -20, -100, 0, 0},            // never below 0
        {30000, 5000, 100, 32000, 32000}, // never past the field
        {40, 5, 50, 45, 60},
        {0, 0, 100, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DelayAfterAmount(c.delay, c.amount), c.afterAmount) << c.delay;
        EXPECT_EQ(DelayAfterPercent(c.delay, c.percent), c.afterPercent) << c.delay;
    }
}

TEST(RotationCodes, RadiosAntiAliasingAndDirection) {
    struct Case {
        int radio;
        bool antialias;
        int code;
    } cases[] = {{0, false, 0}, {1, false, 1}, {2, false, 2},
                 {2, true, 18}, {0, true, 0},  {1, true, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(RotationResampling(c.radio, c.antialias), c.code);
        EXPECT_EQ(RotationRadio(c.code), c.radio);
    }
    EXPECT_TRUE(RotationAntialias(18));
    EXPECT_FALSE(RotationAntialias(2));
    // Unknown stored codes mean the default.
    EXPECT_EQ(RotationRadio(7), 0);
    EXPECT_EQ(RotationRadio(-1), 0);
    EXPECT_EQ(SignedAngle(90, true), -90);
    EXPECT_EQ(SignedAngle(90, false), 90);
    EXPECT_EQ(SignedAngle(-45, true), 45);
}

TEST(TextSizes, TypedSizesAreHeldToTheListAndEverySizeCanBePicked) {
    struct Case {
        int typed, used;
    } cases[] = {{5, 8}, {200, 134}, {8, 8}, {134, 134}, {40, 40}, {-3, 8}};
    for (const Case& c : cases)
        EXPECT_EQ(ClampTextSize(c.typed), c.used) << c.typed;
    const std::set<int> distinct(std::begin(kTextSizes), std::end(kTextSizes));
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kTextSizeCount))
        << "a size is listed twice";
    EXPECT_EQ(TextSizeIndex(34), 17);
    EXPECT_EQ(TextSizeIndex(24), 12);
    EXPECT_EQ(TextSizeIndex(8), 0);
    EXPECT_EQ(TextSizeIndex(134), kTextSizeCount - 1);
    EXPECT_EQ(TextSizeIndex(35), -1);
}

TEST(TextPosition, AtLeastOnePixelStaysOnTheCanvas) {
    struct Case {
        int text, canvas;
        bool elastic;
        int minimum, maximum;
    } cases[] = {
        {100, 300, false, -99, 299}, // a text 100 wide may start at -99 but not at -100
        {100, 300, true, 0, 299},
        {0, 50, false, 0, 49},
        {1, 1, false, 0, 0},
    };
    for (const Case& c : cases) {
        const PositionRange r = TextPositionRange(c.text, c.canvas, c.elastic);
        EXPECT_EQ(r.minimum, c.minimum) << c.text << " on " << c.canvas;
        EXPECT_EQ(r.maximum, c.maximum) << c.text << " on " << c.canvas;
    }
}

TEST(TextStyles, WeightsAndItalicsMapBothWays) {
    struct Case {
        int weight;
        bool italic;
        int style;
    } cases[] = {{400, false, 0}, {700, false, 1}, {700, true, 2}, {400, true, 3},
                 {100, false, 0}, {900, true, 2},  {500, true, 3}, {600, false, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(TextStyleOf(c.weight, c.italic), c.style) << c.weight << " " << c.italic;
    for (int style = 0; style < 4; ++style)
        EXPECT_EQ(TextStyleOf(TextStyleWeight(style), TextStyleItalic(style)), style);
}

} // namespace
