// The optimisation page's method list, colour counts, line speeds, defaults and size texts.

#include "OptimizePageRules.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::shell;

TEST(OptimizePageRulesTest, MethodItemsModesAndColourCounts) {
    const struct {
        int item, mode, count;
    } cases[] = {{0, 1, 256}, {1, 2, 128}, {2, 3, 64},  {3, 4, 32},
                 {4, 5, 16},  {5, 6, 8},   {6, 7, 256}, {7, 10, 256}};
    for (const auto& c : cases) {
        EXPECT_EQ(PaletteModeForItem(c.item), c.mode) << c.item;
        EXPECT_EQ(ItemForPaletteMode(c.mode), c.item) << c.item;
        EXPECT_EQ(ColourCountForMode(c.mode), c.count) << c.item;
    }
    EXPECT_EQ(PaletteModeForItem(-1), 0);
    EXPECT_EQ(PaletteModeForItem(8), 0);
    EXPECT_EQ(ItemForPaletteMode(kPaletteModeKeep), -1);
    EXPECT_EQ(ColourCountForMode(kPaletteModeKeep), 0);
}

TEST(OptimizePageRulesTest, TypedCountsSelectTheirMethodOrNone) {
    const struct {
        int count, item;
    } cases[] = {{256, 0}, {128, 1}, {64, 2}, {32, 3}, {16, 4}, {8, 5}, {100, -1}, {4, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(ItemForColourCount(c.count), c.item) << c.count;
}

TEST(OptimizePageRulesTest, UnknownLineSpeedsBecomeTheFirst) {
    EXPECT_EQ(NormalizedSpeed(9600), 14400);
    EXPECT_EQ(NormalizedSpeed(56000), 56000);
    EXPECT_EQ(ItemForSpeed(128000), 5);
    EXPECT_EQ(SpeedForItem(3), 56000);
    EXPECT_EQ(SpeedForItem(9), 14400);
}

TEST(OptimizePageRulesTest, DefaultsOfTheOptions) {
    CAnimationData a;
    a.OptimizePalette = kPaletteModeKeep;
    a.OptimizeDither = 1;
    a.OptimizeDiffMethod = 1;
    a.OptimizeNumColors = 16;
    ResetOptimizeOptions(a);
    EXPECT_EQ(a.OptimizePalette, 1);
    EXPECT_EQ(a.OptimizeDither, 0);
    EXPECT_EQ(a.OptimizeRedundantPixels, 1);
    EXPECT_EQ(a.OptimizeComment, 1);
    EXPECT_EQ(a.OptimizeTitle, 1);
    EXPECT_EQ(a.OptimizeSpecialInfo, 1);
    EXPECT_EQ(a.OptimizeDiffMethod, 0);
    EXPECT_EQ(a.OptimizeNumColors, 256);
}

SizeTexts texts(const char* decimalPoint) {
    return SizeTexts{"n/a", "%d bytes", "%.3f KB (approx.)", decimalPoint, "%d:%02d", "%d s"};
}

TEST(OptimizePageRulesTest, SizesAndTimes) {
    const struct {
        int size, speed;
        const char* decimalPoint;
        const char* sizeText;
        const char* timeText;
    } cases[] = {
        {0, 14400, ".", "n/a", "n/a"},
        {-3, 14400, ".", "n/a", "n/a"},
        {999, 14400, ".", "999 bytes", "0 s"},
        // Only the number's point takes the language's character, not the text's own.
        {1234, 14400, ",", "1,234 KB (approx.)", "0 s"},
        {1800, 14400, ".", "1.800 KB (approx.)", "0 s"},
        {1801, 14400, ".", "1.801 KB (approx.)", "1 s"},
        {108000, 14400, ",", "108,000 KB (approx.)", "59 s"},
        {108001, 14400, ".", "108.001 KB (approx.)", "1:00"},
        {1000000, 14400, ".", "1000.000 KB (approx.)", "9:15"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFileSize(c.size, texts(c.decimalPoint)), c.sizeText) << c.size;
        EXPECT_EQ(FormatDownloadTime(c.size, c.speed, texts(c.decimalPoint)), c.timeText) << c.size;
    }
}

} // namespace
