// Resized copies of frames: palette frames resampled by nearest neighbour keep their palette and
// transparent index, the other resamplings give 24-bit frames with graded transparency, and a
// vector frame's drawing is rendered again, sharp, at the new size.

#include "ModelTestSupport.h"

#include "EmfFixtures.h"
#include "FrameResize.h"
#include "FrameTransparency.h"
#include "ImageUtilities.h"

#include <vector>

namespace {

using kfm::model::FrameResizeCopy;

std::uint8_t* rowOf(KpxHandle image, int y) {
    return KPXGetBits(image) +
           static_cast<std::size_t>(KPXHeight(image) - 1 - y) * KPXGetScanBytes(image);
}

class FrameResizeTest : public ModelTest {
protected:
    // A 4 x 2 palette frame: the left half index 1 (red), the right half index 2, transparent.
    CObjFrame& paletteFrame() {
        CObjFrame& f = addFrame(3, 4, 4, 2, 8);
        const auto image = static_cast<KpxHandle>(f.GetImage());
        KPXSetColorToPalette(image, 1, RGB(200, 0, 0));
        KPXSetColorToPalette(image, 2, RGB(0, 0, 200));
        KPXFillDIBColorTable(image);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                rowOf(image, y)[x] = x < 2 ? 1 : 2;
        SetImageTransparent(static_cast<short>(image), 2);
        f.transparency = kfm::model::kIndexFlag + 2;
        return f;
    }
};

TEST_F(FrameResizeTest, NearestKeepsThePaletteAndTheTransparentIndex) {
    const CObjFrame& f = paletteFrame();
    CObjFrame made;
    ASSERT_TRUE(FrameResizeCopy(f, 8, 4, kfm::model::kResampleNearest, false, made));
    const auto image = static_cast<KpxHandle>(made.GetImage());
    EXPECT_EQ(KPXbpp(image), 8);
    EXPECT_EQ(made.width, 8);
    EXPECT_EQ(made.height, 4);
    EXPECT_EQ(made.left, 3);
    EXPECT_EQ(made.top, 4);
    EXPECT_EQ(kfm::model::transparentIndex(made), 2);
    EXPECT_EQ(KPXGetColorFromPalette(image, 1), RGB(200, 0, 0));
    EXPECT_EQ(rowOf(image, 3)[0], 1);
    EXPECT_EQ(rowOf(image, 0)[7], 2);
    EXPECT_EQ(made.softAlpha, 0);
    // The source keeps its own picture.
    EXPECT_EQ(KPXWidth(static_cast<KpxHandle>(f.GetImage())), 4);
}

TEST_F(FrameResizeTest, OtherResamplingsGiveGradedTransparency) {
    for (const int mode :
         {kfm::model::kResampleLinear, kfm::model::kResampleCubic, kfm::model::kResampleArea}) {
        SCOPED_TRACE(mode);
        const CObjFrame& f = paletteFrame();
        CObjFrame made;
        ASSERT_TRUE(FrameResizeCopy(f, 8, 4, mode, false, made));
        const auto image = static_cast<KpxHandle>(made.GetImage());
        ASSERT_EQ(KPXbpp(image), 24);
        EXPECT_EQ(made.softAlpha, 1);
        EXPECT_EQ(made.transparency, 0u);
        const KpxHandle plane = kfm::model::explicitTransparencyOf(image);
        ASSERT_NE(plane, 0);
        // Opaque at the left edge, transparent at the right.
        EXPECT_EQ(rowOf(plane, 1)[0], 0);
        EXPECT_EQ(rowOf(plane, 1)[7], 255);
        const std::uint8_t* left = rowOf(image, 1);
        EXPECT_EQ(left[2], 200); // red of the left half
    }
}

TEST_F(FrameResizeTest, SidesAreHeldToTheFieldRange) {
    const CObjFrame& f = paletteFrame();
    CObjFrame made;
    ASSERT_TRUE(FrameResizeCopy(f, 0, -5, kfm::model::kResampleNearest, false, made));
    EXPECT_EQ(made.width, 1);
    EXPECT_EQ(made.height, 1);
    CObjFrame none;
    EXPECT_FALSE(FrameResizeCopy(CObjFrame(), 10, 10, 0, false, none))
        << "a frame without a picture";
}

TEST_F(FrameResizeTest, VectorFramesAreDrawnAgainAtTheNewSize) {
    CObjFrame& f = addFrame(0, 0, 1, 1);
    f.hasVector = 1;
    const std::vector<std::uint8_t> emf =
        kfm::test::EmfBuilder(4, 2).solidBrush(RGB(0, 120, 0)).rectangle(0, 0, 5, 3).finish();
    f.vector.metafile.reset(SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data()));
    f.vector.width = 4;
    f.vector.height = 2;
    CObjFrame made;
    ASSERT_TRUE(FrameResizeCopy(f, 40, 20, kfm::model::kResampleLinear, false, made));
    const auto image = static_cast<KpxHandle>(made.GetImage());
    EXPECT_EQ(made.vector.width, 40);
    EXPECT_EQ(made.vector.height, 20);
    EXPECT_EQ(made.width, 40);
    EXPECT_EQ(KPXWidth(image), 40);
    EXPECT_EQ(KPXHeight(image), 20);
    // Drawn, not magnified: every pixel holds the drawing's own colour.
    for (const int x : {0, 13, 39})
        EXPECT_EQ(rowOf(image, 10)[3 * x + 1], 120) << x;
}

} // namespace
