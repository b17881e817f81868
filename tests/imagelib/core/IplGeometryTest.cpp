// The moving IPL wrappers on small drawn pictures: every expected result is drawn by hand, so a
// y that is not flipped between the picture and the bottom-up rows shows as a wrong picture.

#include "DrawnPictures.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using kfm::test::kF;
using kfm::test::makePicture;
using kfm::test::OwnedImage;
using kfm::test::Picture;
using kfm::test::plainPicture;
using kfm::test::readPicture;
using kfm::test::shown;

namespace {

class IplEachDepth : public ::testing::TestWithParam<int> {};

INSTANTIATE_TEST_SUITE_P(Depths, IplEachDepth, ::testing::Values(1, 8, 24),
                         [](const auto& info) { return std::to_string(info.param) + "bit"; });

struct MirrorCase {
    int axis;
    Picture expected;
};

const MirrorCase kMirrors[] = {
    {kKpxIplMirrorLeftRight, {"####", "...#", ".###", "...#", "...#"}},
    {kKpxIplMirrorUpsideDown, {"#...", "#...", "###.", "#...", "####"}},
    {kKpxIplMirrorBoth, {"...#", "...#", ".###", "...#", "####"}},
};

TEST_P(IplEachDepth, MirrorTurnsTheFIntoAnotherImageAndInPlace) {
    for (const MirrorCase& c : kMirrors) {
        OwnedImage source(makePicture(kF, GetParam()));
        OwnedImage target(KPXCreateImage(4, 5, GetParam()));
        ASSERT_EQ(IPLMirror(source, target, c.axis), 1) << c.axis;
        EXPECT_EQ(shown(readPicture(target)), shown(c.expected)) << "axis " << c.axis;
        ASSERT_EQ(IPLMirror(source, source, c.axis), 1) << c.axis;
        EXPECT_EQ(shown(readPicture(source)), shown(c.expected)) << "in place, axis " << c.axis;
    }
}

TEST(IplMirror, RefusesBadArgumentsAndLeavesTheTargetAlone) {
    OwnedImage source(makePicture(kF, 24));
    OwnedImage target(makePicture(plainPicture(4, 5, 'a'), 24));
    OwnedImage wide(KPXCreateImage(5, 5, 24));
    OwnedImage grey(KPXCreateImage(4, 5, 8));
    OwnedImage nibbles(KPXCreateImage(4, 5, 4));
    EXPECT_EQ(IPLMirror(0, target, 1), 0);
    EXPECT_EQ(IPLMirror(source, 0, 1), 0);
    EXPECT_EQ(IPLMirror(source, target, 2), 0) << "unknown axis";
    EXPECT_EQ(IPLMirror(source, wide, 1), 0) << "other size";
    EXPECT_EQ(IPLMirror(source, grey, 1), 0) << "other depth";
    EXPECT_EQ(IPLMirror(nibbles, nibbles, 1), 0) << "4-bit images are not described";
    EXPECT_EQ(IPLMirror(12345, target, 1), 0) << "unknown handle";
    EXPECT_EQ(shown(readPicture(target)), shown(plainPicture(4, 5, 'a')));
}

TEST_P(IplEachDepth, NearestResizeDoublesAndHalvesTheF) {
    const Picture doubled = {
        "########", "########", "##......", "##......", "######..",
        "######..", "##......", "##......", "##......", "##......",
    };
    OwnedImage source(makePicture(kF, GetParam()));
    OwnedImage big(KPXCreateImage(8, 10, GetParam()));
    ASSERT_EQ(IPLResize(source, big, 8, 10, kKpxIplNearest), 1);
    EXPECT_EQ(shown(readPicture(big)), shown(doubled));
    OwnedImage small(KPXCreateImage(4, 5, GetParam()));
    ASSERT_EQ(IPLResize(big, small, 1, 2, 1, 2, kKpxIplNearest), 1);
    EXPECT_EQ(shown(readPicture(small)), shown(kF));
}

TEST_P(IplEachDepth, ResizeKeepsThePicturesTopLeftCornerInASmallerTarget) {
    // Twice the F is 8 x 10; a 6 x 4 target shows its top-left part.
    OwnedImage source(makePicture(kF, GetParam()));
    OwnedImage target(KPXCreateImage(6, 4, GetParam()));
    ASSERT_EQ(IPLResize(source, target, 2, 1, 2, 1, kKpxIplNearest), 1);
    EXPECT_EQ(shown(readPicture(target)), shown({"######", "######", "##....", "##...."}));
}

TEST(IplResize, ASmallerResultLeavesTheRestOfTheTargetAlone) {
    OwnedImage source(makePicture(kF, 8));
    OwnedImage target(makePicture(plainPicture(6, 7, 'a'), 8));
    ASSERT_EQ(IPLResize(source, target, 1, 1, 1, 1, kKpxIplNearest), 1);
    EXPECT_EQ(shown(readPicture(target)),
              shown({"####aa", "#...aa", "###.aa", "#...aa", "#...aa", "aaaaaa", "aaaaaa"}));
}

TEST(IplResize, InterpolatedResizeOfAPlainPictureStaysPlain) {
    for (int mode : {kKpxIplLinear, kKpxIplCubic, kKpxIplSuper}) {
        OwnedImage source(makePicture(plainPicture(7, 5, 'b'), 24));
        OwnedImage up(KPXCreateImage(15, 11, 24));
        OwnedImage down(KPXCreateImage(3, 2, 24));
        ASSERT_EQ(IPLResize(source, up, 15, 11, mode), 1) << mode;
        ASSERT_EQ(IPLResize(source, down, 3, 2, mode), 1) << mode;
        EXPECT_EQ(shown(readPicture(up)), shown(plainPicture(15, 11, 'b'))) << mode;
        EXPECT_EQ(shown(readPicture(down)), shown(plainPicture(3, 2, 'b'))) << mode;
    }
}

TEST(IplResize, HugeFactorsFillTheTargetWithoutAllocatingTheWholeResult) {
    // The full result would be about 2^31 pixels on a side: only the 3 x 2 pixels that fit are
    // computed, all from the top-left source pixel.
    OwnedImage source(makePicture({"#.", ".."}, 24));
    OwnedImage target(KPXCreateImage(3, 2, 24));
    ASSERT_EQ(IPLResize(source, target, INT_MAX, 1, INT_MAX, 1, kKpxIplLinear), 1);
    EXPECT_EQ(shown(readPicture(target)), shown({"###", "###"}));
}

TEST(IplResize, RefusesBadArguments) {
    OwnedImage source(makePicture(kF, 24));
    OwnedImage target(makePicture(plainPicture(4, 5, 'a'), 24));
    OwnedImage grey(KPXCreateImage(4, 5, 8));
    OwnedImage nibbles(KPXCreateImage(4, 5, 4));
    EXPECT_EQ(IPLResize(0, target, 4, 5, kKpxIplNearest), 0);
    EXPECT_EQ(IPLResize(source, 0, 4, 5, kKpxIplNearest), 0);
    EXPECT_EQ(IPLResize(source, target, 0, 5, kKpxIplNearest), 0);
    EXPECT_EQ(IPLResize(source, target, -4, 5, kKpxIplNearest), 0);
    EXPECT_EQ(IPLResize(source, target, 1, 0, 1, 1, kKpxIplNearest), 0);
    EXPECT_EQ(IPLResize(source, target, 1, 1, 1, -1, kKpxIplNearest), 0);
    EXPECT_EQ(IPLResize(source, target, 1, 100, 1, 100, kKpxIplNearest), 0) << "nothing left";
    EXPECT_EQ(IPLResize(source, target, 4, 5, 7), 0) << "unknown interpolation";
    EXPECT_EQ(IPLResize(source, grey, 4, 5, kKpxIplNearest), 0) << "other depth";
    EXPECT_EQ(IPLResize(nibbles, nibbles, 4, 5, kKpxIplNearest), 0);
    EXPECT_EQ(shown(readPicture(target)), shown(plainPicture(4, 5, 'a')));
}

TEST(IplDecimateAndZoom, ShrinkOnlyAndEnlargeOnly) {
    OwnedImage source(makePicture(kF, 8));
    OwnedImage big(KPXCreateImage(8, 10, 8));
    EXPECT_EQ(IPLDecimate(source, big, 4, 5, kKpxIplNearest), 0) << "would enlarge";
    ASSERT_EQ(IPLZoom(source, big, 2, 1, 2, 1, kKpxIplNearest), 1);
    OwnedImage back(KPXCreateImage(4, 5, 8));
    EXPECT_EQ(IPLZoom(big, back, 1, 2, 1, 2, kKpxIplNearest), 0) << "would shrink";
    ASSERT_EQ(IPLDecimate(big, back, 8, 10, kKpxIplNearest), 1);
    EXPECT_EQ(shown(readPicture(back)), shown(kF));
}

TEST(IplDecimate2, ShrinksOneRectangleIntoAnother) {
    // The F's top rows (0..1, doubled) shrink into the bottom-right 2 x 1 of the target.
    OwnedImage source(makePicture({"####....", "####....", "........"}, 8));
    OwnedImage target(makePicture(plainPicture(3, 3, 'a'), 8));
    const RECT from{0, 0, 4, 2};
    const RECT to{1, 2, 3, 3};
    ASSERT_EQ(IPLDecimate2(source, target, &from, &to, kKpxIplNearest), 1);
    EXPECT_EQ(shown(readPicture(target)), shown({"aaa", "aaa", "a##"}));
    const RECT outside{2, 2, 4, 4};
    EXPECT_EQ(IPLDecimate2(source, target, &from, &outside, kKpxIplNearest), 0);
    EXPECT_EQ(IPLDecimate2(source, target, nullptr, &to, kKpxIplNearest), 0);
}

// Corners of the F (4 x 5) on a target, as top-left, top-right, bottom-right, bottom-left.
struct WarpCase {
    const char* name;
    int targetWidth;
    int targetHeight;
    double quad[4][2];
    Picture expected;
};

const WarpCase kWarps[] = {
    {"identity", 4, 5, {{0, 0}, {4, 0}, {4, 5}, {0, 5}}, kF},
    {"mirrored", 4, 5, {{4, 0}, {0, 0}, {0, 5}, {4, 5}}, {"####", "...#", ".###", "...#", "...#"}},
    {"upside down",
     4,
     5,
     {{0, 5}, {4, 5}, {4, 0}, {0, 0}},
     {"#...", "#...", "###.", "#...", "####"}},
    {"quarter turn clockwise",
     5,
     4,
     {{5, 0}, {5, 4}, {0, 4}, {0, 0}},
     {"#####", "..#.#", "..#.#", "....#"}},
    {"placed in a corner",
     7,
     6,
     {{3, 1}, {7, 1}, {7, 6}, {3, 6}},
     {"aaaaaaa", "aaa####", "aaa#...", "aaa###.", "aaa#...", "aaa#..."}},
};

TEST_P(IplEachDepth, WarpPutsTheFCornersOnTheQuadrangle) {
    for (const WarpCase& c : kWarps) {
        OwnedImage source(makePicture(kF, GetParam()));
        const char background = GetParam() == 1 ? '.' : 'a';
        Picture expected = c.expected;
        if (GetParam() == 1)
            for (std::string& row : expected)
                for (char& ch : row)
                    ch = ch == 'a' ? '.' : ch;
        OwnedImage target(
            makePicture(plainPicture(c.targetWidth, c.targetHeight, background), GetParam()));
        ASSERT_EQ(IPLWarpPerspectiveQ(source, target, 0, c.quad, kKpxIplNearest), 1) << c.name;
        EXPECT_EQ(shown(readPicture(target)), shown(expected)) << c.name;
    }
}

TEST(IplWarpPerspectiveQ, TransparentPixelsOfTheSourceLeaveTheTargetAlone) {
    OwnedImage source(makePicture(kF, 24));
    // Paper is transparent: a mask with bit 1 on the F's paper.
    OwnedImage mask(makePicture({"....", ".###", "...#", ".###", ".###"}, 1));
    ASSERT_EQ(KPXSetImageTransparentMask(source, mask.release()), 1);
    OwnedImage target(makePicture(plainPicture(6, 5, 'b'), 24));
    const double quad[4][2] = {{2, 0}, {6, 0}, {6, 5}, {2, 5}};
    ASSERT_EQ(IPLWarpPerspectiveQ(source, target, 0, quad, kKpxIplNearest), 1);
    EXPECT_EQ(shown(readPicture(target)),
              shown({"bb####", "bb#bbb", "bb###b", "bb#bbb", "bb#bbb"}));
}

TEST(IplWarpPerspectiveQ, AMaskLimitsTheDrawingToItsSetBits) {
    OwnedImage source(makePicture(plainPicture(4, 4, '#'), 24));
    OwnedImage target(makePicture(plainPicture(4, 4, 'a'), 24));
    OwnedImage mask(makePicture({"#...", "##..", "###.", "####"}, 1));
    const double quad[4][2] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    ASSERT_EQ(IPLWarpPerspectiveQ(source, target, mask, quad, kKpxIplNearest), 1);
    EXPECT_EQ(shown(readPicture(target)), shown({"#aaa", "##aa", "###a", "####"}));
}

TEST(IplWarpPerspectiveQ, RefusesBadQuadranglesAndImages) {
    OwnedImage source(makePicture(kF, 24));
    OwnedImage target(makePicture(plainPicture(4, 5, 'a'), 24));
    OwnedImage grey(KPXCreateImage(4, 5, 8));
    OwnedImage eightBitMask(KPXCreateImage(4, 5, 8));
    const double good[4][2] = {{0, 0}, {4, 0}, {4, 5}, {0, 5}};
    const double line[4][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
    const double point[4][2] = {{1, 1}, {1, 1}, {1, 1}, {1, 1}};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double notANumber[4][2] = {{0, 0}, {4, 0}, {4, nan}, {0, 5}};
    const double far[4][2] = {{0, 0}, {1e300, 0}, {1e300, 1e300}, {0, 1e300}};
    const double outside[4][2] = {{10, 10}, {14, 10}, {14, 15}, {10, 15}};
    EXPECT_EQ(IPLWarpPerspectiveQ(source, target, 0, nullptr, kKpxIplNearest), 0);
    EXPECT_EQ(IPLWarpPerspectiveQ(source, target, 0, line, kKpxIplNearest), 0);
    EXPECT_EQ(IPLWarpPerspectiveQ(source, target, 0, point, kKpxIplNearest), 0);
    EXPECT_EQ(IPLWarpPerspectiveQ(source, target, 0, notANumber, kKpxIplNearest), 0);
    EXPECT_EQ(IPLWarpPerspectiveQ(source, target, 0, far, kKpxIplNearest), 0);
    EXPECT_EQ(IPLWarpPerspectiveQ(source, grey, 0, good, kKpxIplNearest), 0) << "other depth";
    EXPECT_EQ(IPLWarpPerspectiveQ(source, target, eightBitMask, good, kKpxIplNearest), 0);
    EXPECT_EQ(IPLWarpPerspectiveQ(source, target, 0, good, 9), 0) << "unknown interpolation";
    EXPECT_EQ(IPLWarpPerspectiveQ(0, target, 0, good, kKpxIplNearest), 0);
    OwnedImage mask(KPXCreateImage(4, 5, 1));
    EXPECT_EQ(IPLWarpPerspectiveQ(source, target, mask, outside, kKpxIplNearest), 0)
        << "a masked warp needs some of the quadrangle inside the target";
    EXPECT_EQ(shown(readPicture(target)), shown(plainPicture(4, 5, 'a')));
}

TEST_P(IplEachDepth, RotateCenterTurnsAQuarterAboutAPixel) {
    // A 5 x 5 picture turned 90 degrees counter-clockwise about its middle pixel.
    const Picture source = {"#####", "#....", "###..", "#....", "#...."};
    const Picture expected = {"#....", "#....", "#.#..", "#.#..", "#####"};
    OwnedImage image(makePicture(source, GetParam()));
    OwnedImage target(KPXCreateImage(5, 5, GetParam()));
    ASSERT_EQ(IPLRotateCenter(image, target, 90.0, 2, 2, kKpxIplNearest), 1);
    EXPECT_EQ(shown(readPicture(target)), shown(expected));
}

TEST(IplRotate, ShiftsMoveThePictureDownAndRight) {
    OwnedImage image(makePicture({"#.", ".."}, 8));
    OwnedImage target(makePicture(plainPicture(3, 3, 'a'), 8));
    ASSERT_EQ(IPLRotate(image, target, 0.0, 1, 1, kKpxIplNearest), 1);
    EXPECT_EQ(shown(readPicture(target)), shown({"aaa", "a#.", "a.."}));
    double x = 0;
    double y = 0;
    ASSERT_EQ(IPLGetRotateShift(2, 2, 90.0, &x, &y), 1);
    EXPECT_NEAR(x, 0.0, 1e-9);
    EXPECT_NEAR(y, 4.0, 1e-9);
    EXPECT_EQ(IPLGetRotateShift(2, 2, 90.0, nullptr, &y), 0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(IPLRotate(image, target, nan, 0, 0, kKpxIplNearest), 0);
}

} // namespace

namespace {

int blendedPixels(KpxHandle image) {
    int count = 0;
    for (const std::string& row : readPicture(image))
        for (char c : row)
            count += c == '?';
    return count;
}

TEST(IplWarpPerspectiveQ, SmoothEdgesBlendOnlyTheBorderOfTheQuadrangle) {
    const double diamond[4][2] = {{5, 0}, {10, 5}, {5, 10}, {0, 5}};
    OwnedImage ink(makePicture(plainPicture(6, 6, '#'), 24));
    OwnedImage stepped(makePicture(plainPicture(10, 10, '.'), 24));
    ASSERT_EQ(IPLWarpPerspectiveQ(ink, stepped, 0, diamond, kKpxIplNearest), 1);
    EXPECT_EQ(blendedPixels(stepped), 0);
    OwnedImage smooth(makePicture(plainPicture(10, 10, '.'), 24));
    ASSERT_EQ(IPLWarpPerspectiveQ(ink, smooth, 0, diamond, kKpxIplNearest | kKpxIplSmoothEdge), 1);
    const Picture picture = readPicture(smooth);
    EXPECT_GT(blendedPixels(smooth), 0) << shown(picture);
    EXPECT_EQ(picture[5][5], '#') << "the middle is covered whole";
    EXPECT_EQ(picture[0][0], '.') << "the corner is not covered at all";
    // A quadrangle on whole pixels covers each of them whole: nothing is blended.
    OwnedImage f(makePicture(kF, 24));
    OwnedImage copy(makePicture(plainPicture(4, 5, 'a'), 24));
    const double whole[4][2] = {{0, 0}, {4, 0}, {4, 5}, {0, 5}};
    ASSERT_EQ(IPLWarpPerspectiveQ(f, copy, 0, whole, kKpxIplCubic | kKpxIplSmoothEdge), 1);
    EXPECT_EQ(shown(readPicture(copy)), shown(kF));
}

} // namespace
