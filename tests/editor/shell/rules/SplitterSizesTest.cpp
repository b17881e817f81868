// Pane splits and thumbnail sizes: the size ids of the commands and what each stands for.

#include "SplitterSizes.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::shell;

TEST(SplitterSizes, TheFirstFlipSplitsAThirdAcrossAndHalfDown) {
    const PaneSizes fresh = CalcPaneSizes(SIZE{901, 601}, SIZE{0, 0});
    EXPECT_EQ(fresh.first.cx, 300);
    EXPECT_EQ(fresh.first.cy, 300);
    EXPECT_EQ(fresh.second.cx, 600);
    EXPECT_EQ(fresh.second.cy, 300);
    const PaneSizes saved = CalcPaneSizes(SIZE{900, 600}, SIZE{120, 200});
    EXPECT_EQ(saved.first.cx, 120);
    EXPECT_EQ(saved.second.cx, 780);
    EXPECT_EQ(saved.second.cy, 400);
}

TEST(SplitterSizes, CommandsAndSizeIds) {
    const struct {
        UINT command;
        int id;
    } cases[] = {{20063, 80},  {20064, 96},  {20059, 112}, {20060, 128},
                 {20061, 144}, {20062, 160}, {20069, 170}, {20065, 180},
                 {20068, 181}, {20067, 182}, {20066, 183}, {20071, 184}};
    for (const auto& c : cases) {
        EXPECT_EQ(ThumbnailIdForCommand(c.command), c.id) << c.command;
        EXPECT_EQ(CommandForThumbnailId(c.id), c.command) << c.id;
    }
    // The custom size dialog's command chooses no id by itself.
    EXPECT_EQ(ThumbnailIdForCommand(20070), 0);
    EXPECT_TRUE(IsScaledThumbnailId(180));
    EXPECT_TRUE(IsScaledThumbnailId(183));
    EXPECT_FALSE(IsScaledThumbnailId(184));
}

TEST(SplitterSizes, ThumbnailSizeOfEachId) {
    ThumbnailInputs banner;
    banner.animationWidth = 468;
    banner.animationHeight = 60;
    banner.customWidth = 50;
    banner.customHeight = 70;
    banner.arrowWidth = 21;
    ThumbnailInputs narrowStrip = banner;
    narrowStrip.stripColumnWidth = 30;
    ThumbnailInputs wideStrip = banner;
    wideStrip.stripColumnWidth = 235;
    ThumbnailInputs notLaidOut = banner;
    notLaidOut.toggleBarHorizontalSize = 135;
    ThumbnailInputs tall = banner;
    tall.animationWidth = 60;
    tall.animationHeight = 100;
    tall.stripColumnWidth = 235;
    ThumbnailInputs empty = banner;
    empty.animationWidth = 0;
    empty.animationHeight = 0;
    const struct {
        const char* label;
        int id;
        const ThumbnailInputs& in;
        SIZE size;
    } cases[] = {
        {"fixed", 128, banner, {128, 128}},
        {"custom", 170, banner, {50, 70}},
        {"animation size", 180, banner, {468, 60}},
        {"three quarters", 181, banner, {351, 45}},
        {"quarter of 468 x 60", 183, banner, {117, 15}},
        // 200 across at the animation's proportions: 25.6 rounds to 26 down, which gives back
        // 202.8, rounded to 203 across.
        {"fitted to a column", 184, wideStrip, {203, 26}},
        {"fitted before the column is laid out", 184, notLaidOut, {101, 13}},
        {"column narrower than the arrow and margin", 184, narrowStrip, {1, 1}},
        // At most the animation's own size.
        {"small animation", 184, tall, {60, 100}},
        {"no animation size", 184, empty, {1, 1}},
    };
    for (const auto& c : cases) {
        const SIZE size = CalcThumbnailSize(c.id, c.in);
        EXPECT_EQ(size.cx, c.size.cx) << c.label;
        EXPECT_EQ(size.cy, c.size.cy) << c.label;
    }
}

TEST(SplitterSizes, DraggingTheStripBar) {
    // Arrow 21, gap 4: the first 39 pixels snap to the edge.
    EXPECT_EQ(SnapStripBarX(38, 21, 4), 0);
    EXPECT_EQ(SnapStripBarX(39, 21, 4), 39);
    const SIZE fitted = ThumbnailForStripBar(239, 21, 4, 468, 60);
    EXPECT_EQ(fitted.cx, 203);
    EXPECT_EQ(fitted.cy, 26);
    const SIZE snapped = ThumbnailForStripBar(0, 21, 4, 468, 60);
    EXPECT_EQ(snapped.cx, 0);
    EXPECT_EQ(snapped.cy, 0);
    const SIZE noAnimation = ThumbnailForStripBar(239, 21, 4, 0, 0);
    EXPECT_EQ(noAnimation.cx, 200);
    EXPECT_EQ(noAnimation.cy, 0);
}

TEST(SplitterSizes, TheStripColumnFitsItsThumbnailsWithinTheWindow) {
    EXPECT_EQ(FitStripColumnWidth(80, 21, 1000, 150, 4, 4, 1), 115);
    // A narrow window leaves less: 300 - 150 - 4 - 10.
    EXPECT_EQ(FitStripColumnWidth(200, 21, 300, 150, 4, 4, 1), 136);
    EXPECT_EQ(FitStripColumnWidth(200, 21, 100, 150, 4, 4, 1), 0);
}

} // namespace
