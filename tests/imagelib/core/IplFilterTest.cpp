// The IPL filter wrappers: kernels and anchors counted down the picture, the picture's edge
// repeated beyond it, and bad kernels refused.

#include "DrawnPictures.h"

#include <gtest/gtest.h>

using kfm::test::getIndex;
using kfm::test::kF;
using kfm::test::makePicture;
using kfm::test::OwnedImage;
using kfm::test::Picture;
using kfm::test::plainPicture;
using kfm::test::readPicture;
using kfm::test::setIndex;
using kfm::test::shown;

namespace {

// A 3 x 3 8-bit picture of zeros with one value at (x, y).
KpxHandle dotPicture(int x, int y, int value) {
    const KpxHandle image = KPXCreateImage(3, 3, 8);
    setIndex(image, x, y, value);
    return image;
}

std::vector<int> values(KpxHandle image) {
    std::vector<int> out;
    for (int y = 0; y < KPXHeight(image); ++y)
        for (int x = 0; x < KPXWidth(image); ++x)
            out.push_back(getIndex(image, x, y));
    return out;
}

TEST(IplBlur, AnchorsCountDownThePicture) {
    // A kernel of one column and two rows anchored at its top cell averages each pixel with the
    // one below it, so the dot spreads to the pixel above it.
    OwnedImage dot(dotPicture(1, 1, 200));
    OwnedImage down(KPXCreateImage(3, 3, 8));
    ASSERT_EQ(IPLBlur(dot, down, 1, 2, 0, 0), 1);
    EXPECT_EQ(values(down), (std::vector<int>{0, 100, 0, 0, 100, 0, 0, 0, 0}));
    // Anchored at its bottom cell it averages with the pixel above: the dot spreads down.
    ASSERT_EQ(IPLBlur(dot, down, 1, 2, 0, 1), 1);
    EXPECT_EQ(values(down), (std::vector<int>{0, 0, 0, 0, 100, 0, 0, 100, 0}));
    // Two columns anchored at the left cell: the dot spreads to the left.
    ASSERT_EQ(IPLBlur(dot, down, 2, 1, 0, 0), 1);
    EXPECT_EQ(values(down), (std::vector<int>{0, 0, 0, 100, 100, 0, 0, 0, 0}));
}

TEST(IplBlurCenter, SpreadsADotOverItsSquareAndRepeatsTheEdge) {
    OwnedImage dot(dotPicture(1, 1, 180));
    OwnedImage out(KPXCreateImage(3, 3, 8));
    ASSERT_EQ(IPLBlurCenter(dot, out, 3), 1);
    EXPECT_EQ(values(out), std::vector<int>(9, 20));
    // A dot in the corner counts four times in the corner's own square when the edge repeats.
    OwnedImage corner(dotPicture(0, 0, 90));
    ASSERT_EQ(IPLBlurCenter(corner, out, 3), 1);
    EXPECT_EQ(values(out), (std::vector<int>{40, 20, 0, 20, 10, 0, 0, 0, 0}));
}

TEST(IplBlurCenter, PlainPicturesStayPlainAtEveryDepthAndSize) {
    for (int depth : {1, 8, 24})
        for (int size : {1, 2, 3, 5, 8}) {
            const char c = depth == 1 ? '#' : 'b';
            OwnedImage image(makePicture(plainPicture(6, 5, c), depth));
            ASSERT_EQ(IPLBlurCenter(image, image, size), 1) << depth << " bits, size " << size;
            EXPECT_EQ(shown(readPicture(image)), shown(plainPicture(6, 5, c)))
                << depth << " bits, size " << size;
        }
}

TEST(IplBlurCenter, OneBitPicturesKeepBlocksAndLoseLonePixels) {
    OwnedImage image(makePicture({"......", ".#....", "...###", "...###", "...###"}, 1));
    OwnedImage out(KPXCreateImage(6, 5, 1));
    ASSERT_EQ(IPLBlurCenter(image, out, 3), 1);
    // The block's top-left pixel sees 4 of 9 ink cells and goes; its left edge below sees 6.
    EXPECT_EQ(shown(readPicture(out)), shown({"......", "......", "....##", "...###", "...###"}));
}

TEST(IplBlur, RefusesBadKernelsAndImagesBeforeTouchingTheTarget) {
    OwnedImage source(makePicture(kF, 24));
    OwnedImage target(makePicture(plainPicture(4, 5, 'a'), 24));
    OwnedImage wide(KPXCreateImage(5, 5, 24));
    OwnedImage grey(KPXCreateImage(4, 5, 8));
    OwnedImage nibbles(KPXCreateImage(4, 5, 4));
    EXPECT_EQ(IPLBlurCenter(source, target, 0), 0);
    EXPECT_EQ(IPLBlurCenter(source, target, -3), 0);
    EXPECT_EQ(IPLBlur(source, target, 3, 3, 3, 1), 0) << "anchor right of the kernel";
    EXPECT_EQ(IPLBlur(source, target, 3, 3, 1, 3), 0) << "anchor below the kernel";
    EXPECT_EQ(IPLBlur(source, target, 3, 3, -1, 1), 0);
    EXPECT_EQ(IPLBlur(source, target, 100000, 3, 1, 1), 0) << "huge kernel";
    EXPECT_EQ(IPLBlurCenter(source, wide, 3), 0) << "other size";
    EXPECT_EQ(IPLBlurCenter(source, grey, 3), 0) << "other depth";
    EXPECT_EQ(IPLBlurCenter(nibbles, nibbles, 3), 0);
    EXPECT_EQ(IPLBlurCenter(0, target, 3), 0);
    EXPECT_EQ(IPLBlurCenter(source, 0, 3), 0);
    EXPECT_EQ(shown(readPicture(target)), shown(plainPicture(4, 5, 'a')));
}

} // namespace
