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

namespace {

using kfm::test::getColor;
using kfm::test::setColor;

struct KernelCase {
    const char* name;
    KpxHandle (*filter)(KpxHandle, int, int, int, int);
    int cols, rows, anchorX, anchorY;
    Picture expected;
};

// Ink is darker than paper in every channel, so the smallest value spreads ink and the largest
// spreads paper.
const KernelCase kKernelCases[] = {
    {"median down the column, centred",
     IPLMedianFilter,
     1,
     3,
     0,
     1,
     {"####", "###.", "#...", "#...", "#..."}},
    {"median of the pixel and the two below",
     IPLMedianFilter,
     1,
     3,
     0,
     0,
     {"###.", "#...", "#...", "#...", "#..."}},
    {"median of the pixel and the two above",
     IPLMedianFilter,
     1,
     3,
     0,
     2,
     {"####", "####", "###.", "#...", "#..."}},
    {"smallest of the pixel and the one below",
     IPLMinFilter,
     1,
     2,
     0,
     0,
     {"####", "###.", "###.", "#...", "#..."}},
    {"smallest of the pixel and the one left",
     IPLMinFilter,
     2,
     1,
     1,
     0,
     {
         "####",
         "##..",
         "####",
         "##..",
         "##..",
     }},
    {"largest of the pixel and the one below",
     IPLMaxFilter,
     1,
     2,
     0,
     0,
     {"#...", "#...", "#...", "#...", "#..."}},
};

TEST(IplKernelFilters, NewImagesFollowTheKernelAndItsAnchorDownThePicture) {
    for (const KernelCase& c : kKernelCases) {
        OwnedImage source(makePicture(kF, 24));
        OwnedImage result(c.filter(source, c.cols, c.rows, c.anchorX, c.anchorY));
        ASSERT_NE(result.get(), 0) << c.name;
        EXPECT_EQ(KPXbpp(result), 24) << c.name;
        EXPECT_EQ(shown(readPicture(result)), shown(c.expected)) << c.name;
    }
}

TEST(IplKernelFilters, SquareMedianRemovesALonePixel) {
    OwnedImage source(makePicture({".....", ".#...", ".....", "...##", "...##"}, 24));
    OwnedImage result(IPLMedianFilter(source, 3, 3, 1, 1));
    ASSERT_NE(result.get(), 0);
    // The block's top-left pixel sees 4 ink cells of 9; beyond the edge the block repeats.
    EXPECT_EQ(shown(readPicture(result)), shown({".....", ".....", ".....", "....#", "...##"}));
}

TEST(IplKernelFilters, PaletteSourcesWorkOnA24BitCopyAndOneBitStaysOneBit) {
    for (int depth : {4, 8}) {
        OwnedImage source(KPXCreateImage(4, 5, depth));
        OwnedImage result(IPLMinFilter(source, 3, 3, 1, 1));
        ASSERT_NE(result.get(), 0) << depth;
        EXPECT_EQ(KPXbpp(result), 24) << depth;
    }
    OwnedImage bits(makePicture(kF, 1));
    OwnedImage result(IPLMaxFilter(bits, 1, 2, 0, 0));
    ASSERT_NE(result.get(), 0);
    EXPECT_EQ(KPXbpp(result), 1);
    // On bits the largest value is ink.
    EXPECT_EQ(shown(readPicture(result)), shown({"####", "###.", "###.", "#...", "#..."}));
}

TEST(IplKernelFilters, RefuseAnchorsOutsideTheKernelAndEmptyKernels) {
    OwnedImage source(makePicture(kF, 24));
    for (auto filter : {IPLMedianFilter, IPLMinFilter, IPLMaxFilter}) {
        EXPECT_EQ(filter(source, 3, 3, 3, 0), 0);
        EXPECT_EQ(filter(source, 3, 3, 0, 3), 0);
        EXPECT_EQ(filter(source, 3, 3, -1, 0), 0);
        EXPECT_EQ(filter(source, 0, 3, 0, 0), 0);
        EXPECT_EQ(filter(source, 3, -2, 0, 0), 0);
        EXPECT_EQ(filter(0, 3, 3, 1, 1), 0);
    }
}

TEST(IplFixedFilter, HorizontalSobelMeetsAnEdgeWithTheRightSign) {
    // Bright above dark: the horizontal Sobel kernel (1 2 1 over -1 -2 -1) is positive at the
    // edge. Turned upside down it would be negative there and cut to 0.
    OwnedImage source(KPXCreateImage(3, 4, 24));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x)
            setColor(source, x, y, y < 2 ? RGB(40, 40, 40) : RGB(0, 0, 0));
    OwnedImage result(IPLFixedFilter(source, kKpxIplSobel3x3Horizontal));
    ASSERT_NE(result.get(), 0);
    const COLORREF expected[4] = {RGB(0, 0, 0), RGB(160, 160, 160), RGB(160, 160, 160),
                                  RGB(0, 0, 0)};
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(getColor(result, 1, y), expected[y]) << "row " << y;
    EXPECT_EQ(IPLFixedFilter(source, static_cast<KPXIplFilter>(11)), 0);
    EXPECT_EQ(IPLFixedFilter(source, static_cast<KPXIplFilter>(-1)), 0);
}

TEST(IplMorphology, DilateGrowsInkAndErodeShrinksIt) {
    OwnedImage f(makePicture(kF, 1));
    OwnedImage grown(IPLDilate(f, 1));
    ASSERT_NE(grown.get(), 0);
    EXPECT_EQ(shown(readPicture(grown)), shown({"####", "####", "####", "####", "##.."}));
    OwnedImage block(makePicture({".....", ".###.", ".###.", ".###.", "....."}, 1));
    OwnedImage shrunk(IPLErode(block, 1));
    ASSERT_NE(shrunk.get(), 0);
    EXPECT_EQ(shown(readPicture(shrunk)), shown({".....", ".....", "..#..", ".....", "....."}));
    OwnedImage same(IPLErode(block, 0));
    ASSERT_NE(same.get(), 0);
    EXPECT_EQ(shown(readPicture(same)), shown(readPicture(block)));
    EXPECT_EQ(IPLErode(block, -1), 0);
    EXPECT_EQ(IPLDilate(0, 1), 0);
}

} // namespace
