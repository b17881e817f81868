// What the property sheet's pages do to the animation: one value applied to listed frames, the
// size fitted to the frames or the frames cropped to it, the edge locks and marks against the
// frames, and what the frame page shows for one or several frames.

#include "SheetEdits.h"

#include "Kfm5ResourceIds.h"
#include "PaletteRender.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace {

using namespace kfm::shell;

struct Placement {
    int left, top, width, height;
};

class SheetEditsTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateProgramAnimation();
        g_pAnimationData->ResetFrames();
        g_pAnimationData->AnimationWidth = 100;
        g_pAnimationData->AnimationHeight = 50;
    }
    void TearDown() override { DestroyProgramAnimation(); }

    void addFrames(std::initializer_list<Placement> placements, int depth = 8) {
        FrameList& list = g_pAnimationData->frames;
        for (const Placement& p : placements) {
            CObjFrame frame;
            frame.SetImage(static_cast<std::uint16_t>(KPXCreateImage(p.width, p.height, depth)));
            frame.width = p.width;
            frame.height = p.height;
            frame.left = p.left;
            frame.top = p.top;
            list.insert(std::prev(list.end()), frame);
        }
        g_pAnimationData->UpdateFrameCount();
    }
    CObjFrame& frame(int i) { return *RealFrameAt(i); }
    const CObjFrame& placeholder() { return g_pAnimationData->frames.back(); }
};

TEST_F(SheetEditsTest, LeftAndTopMoveTheListedFramesAsAGroup) {
    addFrames({{10, 5, 4, 4}, {30, 9, 4, 4}, {50, 1, 4, 4}});
    const std::vector<int> selected{0, 1, -1};
    SetFramesProperty(selected, 0, nullptr, kPropertyLeft);
    EXPECT_EQ(frame(0).left, 0);
    EXPECT_EQ(frame(1).left, 20);
    EXPECT_EQ(frame(2).left, 50); // not listed
    SetFramesProperty(selected, 2, nullptr, kPropertyTop);
    EXPECT_EQ(frame(0).top, 2);
    EXPECT_EQ(frame(1).top, 6);
}

TEST_F(SheetEditsTest, TheEndMarkAndThePlaceholderStopTheList) {
    addFrames({{0, 0, 4, 4}, {0, 0, 4, 4}});
    const int placeholderIndex = g_pAnimationData->RealFrameCount();
    const std::vector<int> throughPlaceholder{0, placeholderIndex, 1};
    SetFramesProperty(throughPlaceholder, 70, nullptr, kPropertyDelay);
    EXPECT_EQ(frame(0).delay, 70);
    EXPECT_EQ(frame(1).delay, 0);
    EXPECT_EQ(placeholder().delay, 0);
    const std::vector<int> ended{1, -1, 0};
    SetFramesProperty(ended, 30, nullptr, kPropertyDelay);
    EXPECT_EQ(frame(0).delay, 70);
    EXPECT_EQ(frame(1).delay, 30);
}

TEST_F(SheetEditsTest, ValuesByFlag) {
    addFrames({{0, 0, 4, 4}, {0, 0, 4, 4}});
    const std::vector<int> both{0, 1, -1};
    const std::string name = "walk";
    SetFramesProperty(both, 0, &name, kPropertyName);
    SetFramesProperty(both, 1, nullptr, kPropertyAlwaysShown);
    SetFramesProperty(both, 1, nullptr, kPropertyLocked);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(frame(i).name, "walk");
        EXPECT_NE(frame(i).reserved1, 0);
        EXPECT_NE(frame(i).reserved2, 0);
    }
    // Disposal list items: 0 leave, 1 restore previous, 2 restore background, else leave.
    const struct { int item, disposal; } disposals[] = {{0, 1}, {1, 3}, {2, 2}, {7, 1}};
    for (const auto& d : disposals) {
        SetFramesProperty(both, d.item, nullptr, kPropertyDisposal);
        EXPECT_EQ(frame(0).disposal, d.disposal) << d.item;
        EXPECT_EQ(ItemForDisposal(d.disposal), d.item == 7 ? 0 : d.item);
    }
}

TEST_F(SheetEditsTest, AlphaTurnsGradedAlphaOnAndGivesObjectsTheirSoftEdge) {
    addFrames({{0, 0, 4, 4}, {0, 0, 4, 4}});
    frame(1).hasText = 1;
    const std::vector<int> both{0, 1, -1};
    SetFramesProperty(both, 40, nullptr, kPropertyAlpha);
    EXPECT_EQ(frame(0).alphaValue, 40);
    EXPECT_EQ(frame(0).softAlpha, 1);
    EXPECT_EQ(frame(1).text.transparencyLevel, 40);
    SetFramesProperty(both, 0, nullptr, kPropertyAlpha);
    EXPECT_EQ(frame(0).softAlpha, 0);
}

TEST_F(SheetEditsTest, TransparencyModesKeepThePaletteIndex) {
    addFrames({{0, 0, 4, 4}});
    frame(0).transparency = 5; // index 5, not transparent
    frame(0).softAlpha = 1;
    const std::uint16_t before = frame(0).GetImage();
    const std::vector<int> one{0, -1};
    SetFramesProperty(one, kTransparencyColour, nullptr, kPropertyTransparency);
    EXPECT_EQ(frame(0).transparency, 0x01000005u);
    EXPECT_EQ(frame(0).softAlpha, 0);
    EXPECT_NE(frame(0).GetImage(), before); // a copy with the index transparent
    EXPECT_EQ(GetImageTransparentIndex(static_cast<short>(frame(0).GetImage())), 5);
    EXPECT_EQ(TransparencyModeOf(frame(0)), kTransparencyColour);

    SetFramesProperty(one, kTransparencyOpaque, nullptr, kPropertyTransparency);
    EXPECT_EQ(frame(0).transparency, 5u);
    EXPECT_EQ(KPXIsImageTransparent(static_cast<KpxHandle>(frame(0).GetImage())), 0);
    EXPECT_EQ(TransparencyModeOf(frame(0)), kTransparencyOpaque);

    SetFramesProperty(one, kTransparencyAlpha, nullptr, kPropertyTransparency);
    EXPECT_EQ(frame(0).softAlpha, 0); // no alpha value yet
    frame(0).alphaValue = 3;
    SetFramesProperty(one, kTransparencyAlpha, nullptr, kPropertyTransparency);
    EXPECT_EQ(frame(0).softAlpha, 1);
    EXPECT_EQ(TransparencyModeOf(frame(0)), kTransparencyAlpha);
}

TEST_F(SheetEditsTest, FittingTakesTheLargestEdgesOfTheRealFrames) {
    EXPECT_FALSE(FitAnimationSize()); // no frames: the size stays
    addFrames({{10, 5, 40, 30}, {-20, 20, 10, 10}});
    EXPECT_TRUE(FitAnimationSize());
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 50);
    EXPECT_EQ(g_pAnimationData->AnimationHeight, 35);
    EXPECT_FALSE(FitAnimationSize());
}

// The placeholder node sits at 0,0 without a size: it must not pull the frames' union to the
// origin, or frames placed right of and below it would never be cropped.
TEST_F(SheetEditsTest, CroppingMovesTheFramesUnionToTheOrigin) {
    addFrames({{10, 20, 30, 10}, {50, 25, 10, 10}});
    EXPECT_TRUE(CropAnimationToFrames());
    EXPECT_EQ(frame(0).left, 0);
    EXPECT_EQ(frame(0).top, 0);
    EXPECT_EQ(frame(1).left, 40);
    EXPECT_EQ(frame(1).top, 5);
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 50);
    EXPECT_EQ(g_pAnimationData->AnimationHeight, 15);
    EXPECT_FALSE(CropAnimationToFrames());

    const RECT u = RealFramesBounds();
    EXPECT_EQ(u.left, 0);
    EXPECT_EQ(u.right, 50);
}

TEST_F(SheetEditsTest, NegativeFramesAreCroppedToo) {
    addFrames({{-10, -4, 20, 20}});
    EXPECT_TRUE(CropAnimationToFrames());
    EXPECT_EQ(frame(0).left, 0);
    EXPECT_EQ(frame(0).top, 0);
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 20);
}

TEST_F(SheetEditsTest, OpeningReleasesTheLocksOfTheSidesCrossed) {
    CAnimationData& a = *g_pAnimationData;
    a.AnimationStateElasticSize = 1;
    a.AnimationStateLockLeft = a.AnimationStateLockTop = 1;
    a.AnimationStateLockRight = a.AnimationStateLockBottom = 1;
    CheckEdgeLocksOnOpening(); // no frames: nothing
    EXPECT_EQ(a.AnimationStateElasticSize, 1);

    addFrames({{-5, 0, 20, 10}, {90, 10, 20, 10}});
    CheckEdgeLocksOnOpening();
    EXPECT_EQ(a.AnimationStateElasticSize, 0);
    EXPECT_EQ(a.AnimationStateLockLeft, 0);
    EXPECT_EQ(a.AnimationStateLockTop, 1);
    EXPECT_EQ(a.AnimationStateLockRight, 0);
    EXPECT_EQ(a.AnimationStateLockBottom, 1);

    const EdgeMarks marks = ComputeEdgeMarks();
    EXPECT_FALSE(marks.left);
    EXPECT_TRUE(marks.top);
    EXPECT_FALSE(marks.right);
    EXPECT_TRUE(marks.bottom);
}

TEST_F(SheetEditsTest, FramesFillingTheScreenKeepTheElasticSize) {
    addFrames({{0, 0, 100, 50}});
    g_pAnimationData->AnimationStateElasticSize = 1;
    CheckEdgeLocksOnOpening();
    EXPECT_EQ(g_pAnimationData->AnimationStateElasticSize, 1);
}

TEST_F(SheetEditsTest, LoopChoices) {
    const struct {
        int loopCount;
        bool on, endless;
        int count;
    } cases[] = {{-1, false, false, 7}, {0, true, true, 7}, {3, true, false, 3}};
    for (const auto& c : cases) {
        const LoopChoice choice = LoopChoiceOf(c.loopCount, 7);
        EXPECT_EQ(choice.on, c.on) << c.loopCount;
        EXPECT_EQ(choice.endless, c.endless) << c.loopCount;
        EXPECT_EQ(choice.count, c.count) << c.loopCount;
        EXPECT_EQ(LoopCountOf(choice), c.loopCount);
    }
}

TEST_F(SheetEditsTest, SelectedFramesArePulledBackToTheLimit) {
    addFrames({{80, 40, 10, 10}, {20, 45, 10, 10}, {90, 0, 4, 4}});
    SelectFrame(0);
    SelectFrame(1);
    EXPECT_TRUE(PullSelectedFramesToLimit(true, 60));
    EXPECT_EQ(frame(0).left, 60);
    EXPECT_EQ(frame(1).left, 20);
    EXPECT_EQ(frame(2).left, 90); // not selected
    EXPECT_TRUE(PullSelectedFramesToLimit(false, 30));
    EXPECT_EQ(frame(0).top, 30);
    EXPECT_EQ(frame(1).top, 30);
    EXPECT_FALSE(PullSelectedFramesToLimit(false, 30));
}

TEST_F(SheetEditsTest, KindAndModeOfAFrame) {
    addFrames({{0, 0, 4, 4}, {0, 0, 4, 4}}, 8);
    addFrames({{0, 0, 4, 4}}, 24);
    using namespace kfm5res;
    EXPECT_EQ(FrameKindTextId(frame(0)), IDS_FRAME_KIND_IMAGE);
    EXPECT_EQ(FrameKindTextId(frame(2)), IDS_FRAME_KIND_TRUE_COLOUR);
    EXPECT_EQ(TransparencyModeOf(frame(2)), kTransparencyAlpha);
    frame(1).softAlpha = 1;
    EXPECT_EQ(FrameKindTextId(frame(1)), IDS_FRAME_KIND_GRADED_ALPHA);
    frame(1).hasControl = 1;
    EXPECT_EQ(FrameKindTextId(frame(1)), IDS_FRAME_KIND_CONTROL);
    frame(1).hasVector = 1;
    EXPECT_EQ(FrameKindTextId(frame(1)), IDS_FRAME_KIND_VECTOR);
    frame(1).hasText = 1;
    EXPECT_EQ(FrameKindTextId(frame(1)), IDS_FRAME_KIND_TEXT);
    EXPECT_EQ(FrameKindTextId(placeholder()), 0u);
}

TEST_F(SheetEditsTest, SeveralFramesShowTheirUnionAndWhatTheyShare) {
    addFrames({{0, 0, 40, 30}, {50, 10, 40, 30}});
    frame(0).delay = frame(1).delay = 10;
    frame(0).name = "a";
    frame(1).name = "b";
    frame(1).reserved2 = 1;
    const std::vector<int> both{0, 1, -1};
    const FramesSummary s = SummarizeFrames(both);
    EXPECT_EQ(s.count, 2);
    EXPECT_EQ(FrameSizeText(s.bounds.right - s.bounds.left, s.count), "90*");
    EXPECT_EQ(FrameSizeText(s.bounds.bottom - s.bounds.top, s.count), "40*");
    EXPECT_EQ(FrameSizeText(40, 1), "40");
    EXPECT_EQ(s.bounds.left, 0);
    EXPECT_EQ(s.bounds.top, 0);
    EXPECT_TRUE(s.sameDelay);
    EXPECT_FALSE(s.sameName);
    EXPECT_TRUE(s.sameAlwaysShown);
    EXPECT_FALSE(s.sameLocked);
    EXPECT_TRUE(s.sameMode);
    frame(1).alphaValue = 5;
    EXPECT_FALSE(SummarizeFrames(both).sameMode);
}

TEST_F(SheetEditsTest, FlagChecksToggleOnlyWhenAllShare) {
    EXPECT_EQ(NextFlagValue(true, 0), 1);
    EXPECT_EQ(NextFlagValue(true, 1), 0);
    EXPECT_EQ(NextFlagValue(false, 1), 0);
    EXPECT_EQ(NextFlagValue(false, 0), 0);
}

TEST(ChangeSourceScopeTest, PutsThePreviousSourceBack) {
    g_nChangeSource = kChangeSourceUser;
    {
        ChangeSourceScope scope(kChangeSourceUpdate);
        EXPECT_EQ(g_nChangeSource, kChangeSourceUpdate);
    }
    EXPECT_EQ(g_nChangeSource, kChangeSourceUser);
    g_nChangeSource = kChangeSourceNone;
}

} // namespace
