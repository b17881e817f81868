#include "DisplayHelpers.h"
#include "ProgramState.h"

#include <gtest/gtest.h>

TEST(TransparencyGrid, CellSizeFromTheSetting) {
    const struct {
        int size;
        int cell;
    } cases[] = {{1, 8}, {2, 16}, {3, 32}, {28, 1 << 30}, {1000, 1 << 30}};
    for (const auto& c : cases)
        EXPECT_EQ(GetTransparencyGrid(c.size, 0, 0).cell, c.cell) << c.size;
}

TEST(TransparencyGrid, NoCheckerboardShowsTheBackground) {
    for (const int size : {0, -3}) {
        const auto g = GetTransparencyGrid(size, 4, 0x123456);
        EXPECT_EQ(g.cell, 0);
        EXPECT_EQ(g.color1, 0x123456u);
        EXPECT_EQ(g.color2, 0x123456u);
    }
}

TEST(TransparencyGrid, ColourPairs) {
    const struct {
        int index;
        COLORREF first, second;
    } cases[] = {{0, 0xFFFFFF, 0xCECFCE},
                 {2, 0x313031, 0x636563},
                 {7, 0xFFFFFF, 0xFFCFDE},
                 {-1, 0xFFFFFF, 0xCECFCE},
                 {8, 0xFFFFFF, 0xFFCFDE}};
    for (const auto& c : cases) {
        const auto g = GetTransparencyGrid(2, c.index, 0);
        EXPECT_EQ(g.color1, c.first) << c.index;
        EXPECT_EQ(g.color2, c.second) << c.index;
    }
}

namespace {
// Ten pixels per character.
int tenPerChar(std::string_view s) {
    return static_cast<int>(s.size()) * 10;
}
} // namespace

TEST(ShortenText, CutsUntilTheEllipsisFits) {
    const struct {
        const char* in;
        int width;
        const char* out;
    } cases[] = {
        {"Frame", 51, "Frame"}, // fits: unchanged
        {"Frame", 50, "F..."},  // exactly the width counts as too wide
        {"Frame 12", 71, "Fram..."},
        {"Frame", 30, ""}, // even "..." is too wide
        {"", 0, ""},
        {"Frame", 40, "..."},
        {"abcd", 31, "..."},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        ShortenTextToWidth(tenPerChar, text, c.width);
        EXPECT_EQ(text, c.out) << c.in << " @" << c.width;
    }
}

TEST(TransparencyGridSettings, FollowsTheProgramSettings) {
    const ProgramSettings saved = g_Settings;
    g_Settings.transparentGridSize = 1;
    g_Settings.transparentGridColor = 2;
    const TransparencyGrid grid = GetTransparencyGrid();
    EXPECT_EQ(grid.cell, 8);
    EXPECT_EQ(grid.color1, 0x313031u);
    g_Settings.transparentGridSize = 0;
    g_Settings.animBkColor = 0x123456;
    EXPECT_EQ(GetTransparencyGrid().cell, 0);
    EXPECT_EQ(GetTransparencyGrid().color2, 0x123456u);
    g_Settings = saved;
}
