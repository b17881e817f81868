// The IPL wrappers that compose: the transparent blit with its rectangles, alpha images and
// mask, constant-alpha composition, shadows, fills and colour transforms.

#include "DrawnPictures.h"

#include <gtest/gtest.h>

#include <cstdlib>

using kfm::test::getColor;
using kfm::test::getIndex;
using kfm::test::kF;
using kfm::test::makePicture;
using kfm::test::OwnedImage;
using kfm::test::Picture;
using kfm::test::plainPicture;
using kfm::test::readPicture;
using kfm::test::setColor;
using kfm::test::setIndex;
using kfm::test::shown;

namespace {

// An 8-bit alpha image drawn with '#' opaque (255) and '.' clear (0).
KpxHandle alphaPicture(const Picture& rows) {
    const KpxHandle image =
        KPXCreateImage(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()), 8);
    for (int y = 0; y < static_cast<int>(rows.size()); ++y)
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x)
            setIndex(image, x, y, rows[y][x] == '#' ? 255 : 0);
    return image;
}

bool near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 1 &&
           std::abs(GetGValue(a) - GetGValue(b)) <= 1 && std::abs(GetBValue(a) - GetBValue(b)) <= 1;
}

struct BlitCase {
    const char* name;
    RECT inB;
    Picture expected;
};

// The F's top-left 2 x 2 corner ("##" over "#.") drawn onto a 4 x 4 paper of 'a'.
const BlitCase kBlits[] = {
    {"inside", {1, 1, 3, 3}, {"aaaa", "a##a", "a#.a", "aaaa"}},
    {"reversed corners", {3, 3, 1, 1}, {"aaaa", "a##a", "a#.a", "aaaa"}},
    {"over the left and top edges keeps the picture in place",
     {-1, -1, 1, 1},
     {".aaa", "aaaa", "aaaa", "aaaa"}},
    {"over the right and bottom edges", {3, 3, 5, 5}, {"aaaa", "aaaa", "aaaa", "aaa#"}},
    {"wholly outside draws nothing", {4, 4, 6, 6}, {"aaaa", "aaaa", "aaaa", "aaaa"}},
    {"larger than the part of a", {0, 0, 4, 4}, {"##aa", "#.aa", "aaaa", "aaaa"}},
};

TEST(IplTransparentBlt2, PlacesThePartOfAByTheRectanglesAtEveryDepth) {
    for (int depth : {8, 24})
        for (const BlitCase& c : kBlits) {
            OwnedImage a(makePicture(kF, depth));
            OwnedImage b(makePicture(plainPicture(4, 4, 'a'), depth));
            const RECT inA{0, 0, 2, 2};
            ASSERT_EQ(IPLTransparentBlt2(a, b, 0, 0, 0, &c.inB, &inA), 1) << c.name;
            EXPECT_EQ(shown(readPicture(b)), shown(c.expected)) << c.name << ", " << depth;
        }
}

TEST(IplTransparentBlt2, RefusesAPartOfAOutsideAAndMismatchedImages) {
    OwnedImage a(makePicture(kF, 24));
    OwnedImage b(makePicture(plainPicture(4, 4, 'a'), 24));
    OwnedImage grey(KPXCreateImage(4, 4, 8));
    OwnedImage wrongAlpha(KPXCreateImage(3, 3, 8));
    OwnedImage wrongMask(KPXCreateImage(3, 3, 1));
    OwnedImage greyMask(KPXCreateImage(4, 4, 8));
    const RECT inB{0, 0, 4, 4};
    const RECT outsideA{2, 2, 5, 4};
    const RECT reversedA{2, 2, 0, 0};
    const RECT wholeA{0, 0, 4, 5};
    EXPECT_EQ(IPLTransparentBlt2(a, b, 0, 0, 0, &inB, &outsideA), 0);
    EXPECT_EQ(IPLTransparentBlt2(a, b, 0, 0, 0, &inB, &reversedA), 0);
    EXPECT_EQ(IPLTransparentBlt2(a, b, 0, 0, 0, &inB, nullptr), 0);
    EXPECT_EQ(IPLTransparentBlt2(a, grey, 0, 0, 0, &inB, &wholeA), 0) << "other depth";
    EXPECT_EQ(IPLTransparentBlt2(a, b, wrongAlpha, 0, 0, &inB, &wholeA), 0);
    EXPECT_EQ(IPLTransparentBlt2(a, b, 0, wrongAlpha, 0, &inB, &wholeA), 0);
    EXPECT_EQ(IPLTransparentBlt2(a, b, 0, 0, wrongMask, &inB, &wholeA), 0);
    EXPECT_EQ(IPLTransparentBlt2(a, b, 0, 0, greyMask, &inB, &wholeA), 0) << "mask of 8 bits";
    EXPECT_EQ(IPLTransparentBlt(0, b, 0, 0, 0, &inB), 0);
    EXPECT_EQ(shown(readPicture(b)), shown(plainPicture(4, 4, 'a')));
}

TEST(IplTransparentBlt, AlphaOfABlendsAndTheMaskLimits) {
    OwnedImage a(makePicture(plainPicture(3, 2, '#'), 24));
    OwnedImage b(makePicture(plainPicture(3, 2, '.'), 24));
    OwnedImage alpha(alphaPicture({"#.#", "..."}));
    setIndex(alpha, 1, 1, 128);
    ASSERT_EQ(IPLTransparentBlt(a, b, alpha, 0, 0, nullptr), 1);
    EXPECT_EQ(shown(readPicture(b)), shown({"#.#", ".?."}));
    const COLORREF ink = kfm::test::kPictureColours[1];
    const COLORREF paper = kfm::test::kPictureColours[0];
    const COLORREF half = RGB((GetRValue(ink) * 128 + GetRValue(paper) * 127) / 255,
                              (GetGValue(ink) * 128 + GetGValue(paper) * 127) / 255,
                              (GetBValue(ink) * 128 + GetBValue(paper) * 127) / 255);
    EXPECT_TRUE(near(getColor(b, 1, 1), half));

    OwnedImage target(makePicture(plainPicture(3, 2, 'a'), 24));
    OwnedImage mask(makePicture({"#..", ".##"}, 1));
    ASSERT_EQ(IPLTransparentBlt(a, target, 0, 0, mask, nullptr), 1);
    EXPECT_EQ(shown(readPicture(target)), shown({"#aa", "a##"}));
}

TEST(IplAlphaCompositeC, AddsTheWeightedSourcesAtTheLargerSize) {
    OwnedImage a(KPXCreateImage(2, 2, 24));
    OwnedImage b(KPXCreateImage(3, 1, 8));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            setColor(a, x, y, RGB(200, 100, 50));
    kfm::test::setPaletteEntry(b, 0, RGB(0, 100, 250));
    OwnedImage sum(IPLAlphaCompositeC(a, b, 128, 127, 0));
    ASSERT_NE(sum.get(), 0);
    EXPECT_EQ(KPXbpp(sum), 24);
    EXPECT_EQ(KPXWidth(sum), 3);
    EXPECT_EQ(KPXHeight(sum), 2);
    const COLORREF expected = RGB(100, 100, 150);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_TRUE(near(getColor(sum, x, y), expected)) << x << "," << y;
    EXPECT_EQ(IPLAlphaCompositeC(a, b, 256, 0, 0), 0);
    EXPECT_EQ(IPLAlphaCompositeC(a, 0, 1, 1, 0), 0);
}

TEST(IplSoftShadow, DrawsTheColourThroughTheAlphaAtTheRectangle) {
    OwnedImage target(makePicture(plainPicture(4, 3, 'a'), 24));
    OwnedImage alpha(alphaPicture({"##", "#."}));
    const RECT at{1, 1, 3, 3};
    ASSERT_EQ(IPLSoftShadow(kfm::test::kPictureColours[3], target, alpha, 0, &at), 1);
    EXPECT_EQ(shown(readPicture(target)), shown({"aaaa", "abba", "abaa"}));
    EXPECT_EQ(IPLSoftShadow(0, 0, alpha, 0, &at), 0);
}

TEST(IplImageFillByColor, FillsEachDepthWithoutAMaskAndThroughOne) {
    OwnedImage colour(KPXCreateImage(3, 2, 24));
    ASSERT_EQ(IPLImageFillByColor(colour, 0, kfm::test::kPictureColours[2]), 1);
    EXPECT_EQ(shown(readPicture(colour)), shown(plainPicture(3, 2, 'a')));
    OwnedImage grey(KPXCreateImage(3, 2, 8));
    ASSERT_EQ(IPLImageFillByColor(grey, 0, 0x123456), 1);
    EXPECT_EQ(getIndex(grey, 2, 1), 0x56);
    OwnedImage bits(KPXCreateImage(9, 2, 1));
    ASSERT_EQ(IPLImageFillByColor(bits, 0, 1), 1);
    EXPECT_EQ(shown(readPicture(bits)), shown(plainPicture(9, 2, '#')));
    OwnedImage mask(makePicture({"#..", "..#"}, 1));
    ASSERT_EQ(IPLImageFillByColor(grey, mask, 7), 1);
    EXPECT_EQ(getIndex(grey, 0, 0), 7);
    EXPECT_EQ(getIndex(grey, 1, 0), 0x56);
    OwnedImage nibbles(KPXCreateImage(3, 2, 4));
    EXPECT_EQ(IPLImageFillByColor(nibbles, 0, 1), 0);
}

TEST(IplTransformColor, AddsSubtractsAndScalesByAFractionOfTheRange) {
    OwnedImage image(KPXCreateImage(1, 1, 24));
    setColor(image, 0, 0, RGB(100, 200, 0));
    ASSERT_EQ(IPLTransformColor(image, 0.2f, 0, 0), 1);
    EXPECT_EQ(getColor(image, 0, 0), RGB(151, 251, 51));
    ASSERT_EQ(IPLTransformColor(image, 0.2f, 0, 1), 1);
    EXPECT_EQ(getColor(image, 0, 0), RGB(100, 200, 0));
    ASSERT_EQ(IPLTransformColor(image, 1.0f, 1, 1), 1);
    EXPECT_EQ(getColor(image, 0, 0), RGB(155, 55, 255));
    ASSERT_EQ(IPLTransformColor(image, 0.5f, 0, 2), 1);
    EXPECT_TRUE(near(getColor(image, 0, 0), RGB(78, 28, 128)));
    EXPECT_EQ(IPLTransformColor(image, 0.5f, 0, 3), 0);
    EXPECT_EQ(IPLTransformColor(image, 1e30f, 0, 0), 0);
}

TEST(IplConvertToDIB, MapsColoursOntoTheTargetsTable) {
    OwnedImage source(makePicture(kF, 24));
    OwnedImage target(KPXCreateImage(4, 5, 8));
    for (int i = 0; i < 256; ++i)
        kfm::test::setPaletteEntry(target, i, RGB(0, 0, 0));
    kfm::test::setPaletteEntry(target, 0, kfm::test::kPictureColours[0]);
    kfm::test::setPaletteEntry(target, 7, kfm::test::kPictureColours[1]);
    ASSERT_EQ(IPLConvertToDIB(source, target, kKpxDitherNone, 0), 1);
    EXPECT_EQ(shown(readPicture(target)), shown(kF));
    OwnedImage other(KPXCreateImage(3, 5, 8));
    EXPECT_EQ(IPLConvertToDIB(source, other, kKpxDitherNone, 0), 0);
}

} // namespace
