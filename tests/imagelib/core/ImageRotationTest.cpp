// Rotation by quarter turns and whole degrees, the rotate-angle attribute with its cached rotated
// copy, and the masks that turn with the image.
#include "ImageRotation.h"
#include "PictureFixtures.h"
#include "Transparency.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

using kfm::test::kF;
using kfm::test::makeColouredPicture;
using kfm::test::makeMask;
using kfm::test::OwnedImage;
using kfm::test::Picture;
using kfm::test::readMask;
using kfm::test::readPicture;

namespace {

// The "F" turned clockwise, drawn by hand.
const Picture kQuarterClockwise = {"#####", //
                                   "..#.#", //
                                   "..#.#", //
                                   "....#"};
const Picture kHalfTurn = {"...#", //
                           "...#", //
                           ".###", //
                           "...#", //
                           "####"};
const Picture kQuarterCounterClockwise = {"#....", //
                                          "#.#..", //
                                          "#.#..", //
                                          "#####"};

std::atomic<int> progressCalls{0};
void countProgress() {
    ++progressCalls;
}

// Every colour-table entry black except ink and paper, so that only the entries a test sets
// can be nearest to white.
void blackTable(KpxHandle image) {
    const int depth = KPXbpp(image);
    for (int i = 0; i < (1 << depth); ++i)
        if (i != kfm::test::inkIndex(depth) && i != kfm::test::paperIndex(depth))
            kfm::test::setPaletteEntry(image, i, RGB(0, 0, 0));
}

std::int32_t derivedOf(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    return record->derivedImage;
}

} // namespace

TEST(RotateImage, QuarterTurnsOfTheLetterAtEveryDepth) {
    struct Case {
        int angle;
        const Picture& expected;
    };
    const Case cases[] = {
        {90, kQuarterClockwise},
        {-270, kQuarterClockwise},
        {450, kQuarterClockwise},
        {180, kHalfTurn},
        {-180, kHalfTurn},
        {270, kQuarterCounterClockwise},
        {-90, kQuarterCounterClockwise},
    };
    for (const int depth : {1, 4, 8, 24})
        for (const Case& c : cases) {
            OwnedImage image(makeColouredPicture(kF, depth));
            OwnedImage turned(KPXRotateImage(image, c.angle, 1, nullptr));
            ASSERT_NE(turned.get(), 0) << depth << " bits, " << c.angle;
            EXPECT_EQ(KPXbpp(turned), depth);
            EXPECT_EQ(readPicture(turned), c.expected) << depth << " bits, " << c.angle;
            EXPECT_TRUE(kfm::test::keepsInkAndPaper(turned)) << depth;
        }
}

TEST(RotateImage, QuarterTurnsOfOnePixelWideImages) {
    for (const int depth : {1, 4, 8, 24}) {
        OwnedImage column(makeColouredPicture({"#", ".", ".", "#", "#", ".", "."}, depth));
        OwnedImage right(KPXRotateImage(column, 90, 0, nullptr));
        EXPECT_EQ(readPicture(right), (Picture{"..##..#"})) << depth;
        OwnedImage left(KPXRotateImage(column, -90, 0, nullptr));
        EXPECT_EQ(readPicture(left), (Picture{"#..##.."})) << depth;
        OwnedImage row(makeColouredPicture({"##.#......"}, depth));
        OwnedImage down(KPXRotateImage(row, 90, 0, nullptr));
        EXPECT_EQ(readPicture(down), (Picture{"#", "#", ".", "#", ".", ".", ".", ".", ".", "."}))
            << depth;
        OwnedImage back(KPXRotateImage(row, 180, 0, nullptr));
        EXPECT_EQ(readPicture(back), (Picture{"......#.##"})) << depth;
    }
}

TEST(RotateImage, WholeTurnsGiveAnIdenticalCopy) {
    OwnedImage image(makeColouredPicture(kF, 8));
    for (const int angle : {0, 360, -360, 720}) {
        OwnedImage copy(KPXRotateImage(image, angle, 1, nullptr));
        ASSERT_NE(copy.get(), 0);
        EXPECT_NE(copy.get(), image.get());
        EXPECT_EQ(KPXCompareImages(copy, image), 1) << angle;
    }
}

TEST(RotateImage, FreeRotationSizeAndCentre) {
    // 30 degrees is step 21 (cosine 877, sine -528): a 10 x 6 picture's corners land at (0, 0),
    // (8, 5), (5, 10) and (-3, 5), so the target is 11 + 2 wide and 10 + 2 high.
    OwnedImage wide(KPXCreateImage(10, 6, 24));
    OwnedImage turned(KPXRotateImage(wide, 30, 1, nullptr));
    ASSERT_NE(turned.get(), 0);
    EXPECT_EQ(KPXWidth(turned), 13);
    EXPECT_EQ(KPXHeight(turned), 12);

    // 45 degrees (step 32) turns 11 x 11 into 16 x 16; target pixel (7, 7) reads source (5, 5).
    OwnedImage square(KPXCreateImage(11, 11, 24));
    kfm::test::fillColor(square, RGB(1, 2, 3));
    kfm::test::setColor(square, 5, 5, RGB(90, 80, 70));
    OwnedImage diamond(KPXRotateImage(square, 45, 1, nullptr));
    ASSERT_EQ(KPXWidth(diamond), 16);
    ASSERT_EQ(KPXHeight(diamond), 16);
    EXPECT_EQ(kfm::test::getColor(diamond, 7, 7), RGB(90, 80, 70));
    EXPECT_EQ(kfm::test::getColor(diamond, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(kfm::test::getColor(diamond, 15, 15), RGB(255, 255, 255));
}

TEST(RotateImage, FreeRotationBackgroundByDepth) {
    // Palette images: the entry nearest to white with fillWhite, else all bits set.
    OwnedImage indexed(makeColouredPicture(kF, 8));
    blackTable(indexed);
    kfm::test::setPaletteEntry(indexed, 9, RGB(255, 255, 255));
    OwnedImage white(KPXRotateImage(indexed, 45, 1, nullptr));
    EXPECT_EQ(kfm::test::getIndex(white, 0, 0), 9);
    EXPECT_TRUE(kfm::test::keepsInkAndPaper(white));
    OwnedImage ones(KPXRotateImage(indexed, 45, 0, nullptr));
    EXPECT_EQ(kfm::test::getIndex(ones, 0, 0), 255);

    OwnedImage mono(makeColouredPicture(kF, 1));
    kfm::test::setPaletteEntry(mono, 0, RGB(255, 255, 255));
    OwnedImage monoWhite(KPXRotateImage(mono, -30, 1, nullptr));
    EXPECT_EQ(kfm::test::getIndex(monoWhite, 0, 0), 0);
    OwnedImage monoSet(KPXRotateImage(mono, -30, 0, nullptr));
    EXPECT_EQ(kfm::test::getIndex(monoSet, 0, 0), 1);

    OwnedImage four(makeColouredPicture(kF, 4));
    blackTable(four);
    kfm::test::setPaletteEntry(four, 12, RGB(254, 254, 254));
    OwnedImage fourWhite(KPXRotateImage(four, 10, 1, nullptr));
    EXPECT_EQ(kfm::test::getIndex(fourWhite, 0, 0), 12);
}

TEST(RotateImage, ProgressPerRow) {
    OwnedImage image(makeColouredPicture(kF, 8));
    progressCalls = 0;
    OwnedImage turned(KPXRotateImage(image, 90, 0, countProgress));
    EXPECT_EQ(progressCalls, 5); // once per source row
    progressCalls = 0;
    OwnedImage free(KPXRotateImage(image, 20, 0, countProgress));
    EXPECT_EQ(progressCalls, KPXHeight(free)); // once per target row
}

TEST(RotateImage, RefusesBadImagesAndTooLargeResults) {
    EXPECT_EQ(KPXRotateImage(0, 90, 0, nullptr), 0);
    EXPECT_EQ(KPXRotateImage(12345, 90, 0, nullptr), 0);
    OwnedImage deep(KPXCreateImage(4, 4, 32));
    EXPECT_EQ(KPXRotateImage(deep, 90, 0, nullptr), 0);
    OwnedImage high(KPXCreateImage(4, 4, kKpxDepth565));
    ASSERT_EQ(KPXbpp(high), 16);
    EXPECT_EQ(KPXRotateImage(high, 33, 0, nullptr), 0);
    // 24000 x 24000 turned by 45 degrees would be about 33950 pixels across: more than an image
    // can hold, so the rotation fails before it makes anything.
    OwnedImage huge(KPXCreateImage(24000, 24000, 1));
    ASSERT_NE(huge.get(), 0);
    const int before = KpxLiveImageCount();
    EXPECT_EQ(KPXRotateImage(huge, 45, 0, nullptr), 0);
    EXPECT_EQ(KpxLiveImageCount(), before);
}

TEST(RotateImageEx, WholeAndQuarterTurnsAreExact) {
    OwnedImage image(makeColouredPicture(kF, 8));
    for (const double angle : {0.0, 360.0, -360.0}) {
        OwnedImage copy(KPXRotateImageEx(image, angle));
        EXPECT_EQ(KPXCompareImages(copy, image), 1) << angle;
    }
    OwnedImage right(KPXRotateImageEx(image, 90.0));
    EXPECT_EQ(readPicture(right), kQuarterClockwise);
    EXPECT_TRUE(kfm::test::keepsInkAndPaper(right));
    OwnedImage left(KPXRotateImageEx(image, -90.0));
    EXPECT_EQ(readPicture(left), kQuarterCounterClockwise);
    OwnedImage half(KPXRotateImageEx(image, -180.0));
    EXPECT_EQ(readPicture(half), kHalfTurn);
}

TEST(RotateImageEx, FreeAnglesGiveATwentyFourBitPictureOnWhite) {
    // 30 degrees: the corners of 20 x 10, doubled, rounded and halved, land at (4, -4), (21, 5),
    // (16, 14) and (0, 4), so the picture is 21 x 18.
    OwnedImage block(KPXCreateImage(20, 10, 24));
    kfm::test::fillColor(block, RGB(10, 120, 230));
    OwnedImage turned(KPXRotateImageEx(block, 30.0));
    ASSERT_NE(turned.get(), 0);
    EXPECT_EQ(KPXWidth(turned), 21);
    EXPECT_EQ(KPXHeight(turned), 18);
    EXPECT_EQ(KPXbpp(turned), 24);
    EXPECT_EQ(kfm::test::getColor(turned, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(kfm::test::getColor(turned, 20, 17), RGB(255, 255, 255));
    EXPECT_EQ(kfm::test::getColor(turned, 10, 9), RGB(10, 120, 230));

    // Nearly a quarter turn clockwise: the left half goes to the top, the right half down.
    OwnedImage halves(KPXCreateImage(40, 10, 24));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x)
            kfm::test::setColor(halves, x, y, x < 20 ? RGB(200, 0, 0) : RGB(0, 0, 200));
    OwnedImage upright(KPXRotateImageEx(halves, 89.0));
    ASSERT_NE(upright.get(), 0);
    EXPECT_LT(KPXWidth(upright), KPXHeight(upright));
    const int middle = KPXWidth(upright) / 2;
    EXPECT_EQ(kfm::test::getColor(upright, middle, 5), RGB(200, 0, 0));
    EXPECT_EQ(kfm::test::getColor(upright, middle, KPXHeight(upright) - 6), RGB(0, 0, 200));

    OwnedImage indexed(makeColouredPicture(kF, 8));
    OwnedImage diamond(KPXRotateImageEx(indexed, 45.0));
    ASSERT_NE(diamond.get(), 0);
    EXPECT_EQ(KPXbpp(diamond), 24);
    EXPECT_EQ(kfm::test::getColor(diamond, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(kfm::test::getColor(diamond, KPXWidth(diamond) - 1, KPXHeight(diamond) - 1),
              RGB(255, 255, 255));
}

TEST(RotateImageEx, RefusesBadAnglesImagesAndTooLargeResults) {
    OwnedImage image(makeColouredPicture(kF, 24));
    EXPECT_EQ(KPXRotateImageEx(image, std::nan("")), 0);
    EXPECT_EQ(KPXRotateImageEx(image, HUGE_VAL), 0);
    EXPECT_EQ(KPXRotateImageEx(0, 30.0), 0);
    EXPECT_EQ(KPXRotateImageEx(12345, 30.0), 0);
    // A 24-bit copy of this 1-bit source alone would take 1.7 GB; the result would be too wide
    // anyway, so nothing is made.
    OwnedImage huge(KPXCreateImage(24000, 24000, 1));
    ASSERT_NE(huge.get(), 0);
    const int before = KpxLiveImageCount();
    EXPECT_EQ(KPXRotateImageEx(huge, 45.0), 0);
    EXPECT_EQ(KpxLiveImageCount(), before);
}

TEST(RotateRect, TurnsPointsByTheTableAndLeavesQuarterTurnsAlone) {
    for (const int angle : {0, 90, 180, 270, -90, 360}) {
        POINT a{10, 0}, b{0, 10}, c{-5, 3}, d{7, 7};
        KPXRotateRect(0, 0, angle, &a, &b, &c, &d);
        EXPECT_EQ(a.x, 10);
        EXPECT_EQ(a.y, 0);
        EXPECT_EQ(c.x, -5);
        EXPECT_EQ(d.y, 7) << angle;
    }
    // Step 21 for 30 degrees: (100, 0) about (0, 0) goes to (85, 51); about (10, 20) the point
    // (110, 20) goes to (95, 71).
    POINT a{100, 0}, b{110, 20};
    KPXRotateRect(0, 0, 30, &a, nullptr, nullptr, nullptr);
    EXPECT_EQ(a.x, 85);
    EXPECT_EQ(a.y, 51);
    KPXRotateRect(10, 20, 30, &b, nullptr, nullptr, nullptr);
    EXPECT_EQ(b.x, 95);
    EXPECT_EQ(b.y, 71);
}

TEST(RotateRect, WholeDegreesPickTheirTableStep) {
    // x 0.71111 rounded: 1 and -359 take step 1 (1022, -53); 359, 360 and -1 the last step, which
    // does not turn; -30 step 235 (904, 481).
    struct Case {
        int degrees;
        POINT expected;
    };
    const Case cases[] = {{1, {99, 5}},   {-359, {99, 5}},  {359, {100, 0}},
                          {-1, {100, 0}}, {-30, {88, -46}}, {30, {85, 51}}};
    for (const Case& c : cases) {
        POINT p{100, 0};
        KPXRotateRect(0, 0, c.degrees, &p, nullptr, nullptr, nullptr);
        EXPECT_EQ(p.x, c.expected.x) << c.degrees;
        EXPECT_EQ(p.y, c.expected.y) << c.degrees;
    }
}

TEST(RotateAngle, StoredAsTheSignedRemainder) {
    OwnedImage image(makeColouredPicture(kF, 8));
    EXPECT_EQ(KPXGetImageRotateAngle(image), 0);
    ASSERT_EQ(KPXSetImageRotateAngle(image, -90), 1);
    EXPECT_EQ(KPXGetImageRotateAngle(image), -90);
    ASSERT_EQ(KPXSetImageRotateAngle(image, 450), 1);
    EXPECT_EQ(KPXGetImageRotateAngle(image), 90);
    ASSERT_EQ(KPXSetImageRotateAngle(image, -720), 1);
    EXPECT_EQ(KPXGetImageRotateAngle(image), 0);
    EXPECT_EQ(KPXSetImageRotateAngle(0, 90), 0);
    EXPECT_EQ(KPXGetImageRotateAngle(0), 0);
    EXPECT_EQ(KPXGetImageRotateImage(image), 0); // angle 0: no rotated copy
}

TEST(RotateAngle, TheRotatedCopyIsBuiltOnceAndDroppedWithTheAngle) {
    OwnedImage image(makeColouredPicture(kF, 8));
    ASSERT_EQ(KPXSetImageRotateAngle(image, 90), 1);
    const KpxHandle first = KPXGetImageRotateImage(image);
    ASSERT_NE(first, 0);
    EXPECT_EQ(KPXGetImageRotateImage(image), first);
    EXPECT_EQ(readPicture(first), kQuarterClockwise);
    EXPECT_TRUE(kfm::test::keepsInkAndPaper(first));
    // Quarter turns uncover nothing.
    EXPECT_EQ(readMask(KPXGetImageRotateImageMask(image, 90)),
              (Picture{".....", ".....", ".....", "....."}));

    ASSERT_EQ(KPXSetImageRotateAngle(image, -90), 1);
    EXPECT_EQ(derivedOf(image), 0);
    const KpxHandle second = KPXGetImageRotateImage(image);
    ASSERT_NE(second, 0);
    EXPECT_EQ(readPicture(second), kQuarterCounterClockwise);
    EXPECT_EQ(KPXGetImageRotateImage(image), second);
}

TEST(RotateAngle, FreeAnglesMarkTheUncoveredCorners) {
    OwnedImage image(KPXCreateImage(20, 10, 24));
    kfm::test::fillColor(image, RGB(0, 0, 0));
    ASSERT_EQ(KPXSetImageRotateAngle(image, 30), 1);
    EXPECT_EQ(KPXIsImageTransparent(image), 1);
    const KpxHandle turned = KPXGetImageRotateImage(image);
    ASSERT_NE(turned, 0);
    const KpxHandle outline = KPXGetImageRotateImageMask(image, 30);
    ASSERT_NE(outline, 0);
    ASSERT_EQ(KPXWidth(outline), KPXWidth(turned));
    ASSERT_EQ(KPXHeight(outline), KPXHeight(turned));
    // Every pixel that the picture covers is black and clear in the outline; the rest is white
    // and set.
    int covered = 0;
    for (int y = 0; y < KPXHeight(turned); ++y)
        for (int x = 0; x < KPXWidth(turned); ++x) {
            const bool outside = kfm::test::maskAt(outline, x, y);
            EXPECT_EQ(kfm::test::getColor(turned, x, y), outside ? RGB(255, 255, 255) : 0)
                << x << "," << y;
            covered += !outside;
        }
    EXPECT_GT(covered, 150);
    EXPECT_TRUE(kfm::test::maskAt(outline, 0, 0));
    // The combined transparency of the turned image is that outline.
    OwnedImage combined(KPXGetImageTransparentImage(image));
    EXPECT_EQ(readMask(combined), readMask(outline));
}

TEST(RotateAngle, MasksTurnWithTheImage) {
    // Paper is transparent by the list; the cached mask of a turned image turns with it.
    OwnedImage image(makeColouredPicture(kF, 24));
    const KpxTransparentEntry paper{250, 251, 252, 0, kKpxTransparentColor, 0, 0};
    ASSERT_EQ(KPXSetImageTransparent(image, &paper, 1), 1);
    ASSERT_EQ(KPXSetImageRotateAngle(image, 90), 1);
    const Picture paperOfTurnedF = {".....", "##.#.", "##.#.", "####."};
    OwnedImage combined(KPXGetImageTransparentImage(image));
    ASSERT_NE(combined.get(), 0);
    EXPECT_EQ(readMask(combined), paperOfTurnedF);

    // A new angle drops the cached turns: the masks follow the new angle.
    ASSERT_EQ(KPXSetImageRotateAngle(image, 180), 1);
    OwnedImage again(KPXGetImageTransparentImage(image));
    EXPECT_EQ(readMask(again), (Picture{"###.", "###.", "#...", "###.", "...."}));

    // An explicit transparency image alone turns too.
    OwnedImage other(makeColouredPicture(kF, 8));
    ASSERT_EQ(KPXSetImageTransparentEx(other, makeMask(kF)), 1);
    ASSERT_EQ(KPXSetImageRotateAngle(other, -90), 1);
    OwnedImage turnedExplicit(KPXGetImageTransparentImage(other));
    EXPECT_EQ(readMask(turnedExplicit), kQuarterCounterClockwise);
}

TEST(RotateAngle, FlippingTurnsTheCachedCopyAlong) {
    OwnedImage image(makeColouredPicture(kF, 4));
    ASSERT_EQ(KPXSetImageRotateAngle(image, 90), 1);
    const KpxHandle turned = KPXGetImageRotateImage(image);
    ASSERT_EQ(KPXFlipImage(image, 2), 1);
    EXPECT_EQ(readPicture(turned), (Picture{"....#", "..#.#", "..#.#", "#####"}));
}
