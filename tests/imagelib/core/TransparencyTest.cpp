#include "Transparency.h"
#include "FloodFill.h"
#include "ImageFill.h"
#include "PixelHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using kfm::test::maskAt;
using kfm::test::OwnedImage;

namespace {

KpxTransparentEntry colourEntry(int r, int g, int b, int tolerance) {
    return {r, g, b, tolerance, kKpxTransparentColor, 0, 0};
}
KpxTransparentEntry indexEntry(int index) {
    return {0, 0, index, 0, kKpxTransparentIndex, 0, 0};
}
KpxTransparentEntry regionEntry(int r, int g, int b, int tolerance, int x, int y) {
    return {r, g, b, tolerance, kKpxTransparentRegion, x, y};
}

int maskCount(KpxHandle mask) {
    int n = 0;
    for (int y = 0; y < KPXHeight(mask); ++y)
        for (int x = 0; x < KPXWidth(mask); ++x)
            n += maskAt(mask, x, y);
    return n;
}

std::int32_t cachedMask(KpxHandle image) {
    kpx::ImageLock r(image, kKpxRead);
    return r->maskImage;
}

} // namespace

TEST(TransparencyList, SettingTheSameListKeepsItAndDropsTheCachedMask) {
    OwnedImage image(KPXCreateImage(4, 4, 8));
    const KpxTransparentEntry list[2] = {indexEntry(3), colourEntry(1, 2, 3, 4)};
    ASSERT_EQ(KPXSetImageTransparent(image, list, 2), 1);
    OwnedImage first(KPXGetImageTransparentImage(image));
    ASSERT_NE(first.get(), 0);
    EXPECT_NE(cachedMask(image), 0);

    ASSERT_EQ(KPXSetImageTransparent(image, list, 2), 1);
    EXPECT_EQ(cachedMask(image), 0);
    int count = 0;
    const KpxTransparentEntry* stored = KPXGetImageTransparentData(image, &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(stored[0].blue, 3);
    EXPECT_EQ(stored[1].tolerance, 4);
    OwnedImage again(KPXGetImageTransparentImage(image));
    EXPECT_NE(again.get(), 0);
}

TEST(TransparencyList, CountsAndSeeds) {
    OwnedImage image(KPXCreateImage(4, 4, 24));
    std::vector<KpxTransparentEntry> eleven(11, colourEntry(0, 0, 0, 0));
    for (int i = 0; i < 11; ++i)
        eleven[i].red = i;
    ASSERT_EQ(KPXSetImageTransparent(image, eleven.data(), 11), 1);
    int count = 0;
    const KpxTransparentEntry* stored = KPXGetImageTransparentData(image, &count);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(stored[9].red, 9);

    EXPECT_EQ(KPXSetImageTransparent(image, eleven.data(), -1), 0);
    EXPECT_NE(KPXGetImageTransparentData(image, &count), nullptr);
    EXPECT_EQ(count, 10);

    KpxTransparentEntry region = regionEntry(0, 0, 0, 0, 1, 1);
    ASSERT_EQ(KPXSetImageTransparent(image, &region, 1), 1);
    region.seedX = 3;
    ASSERT_EQ(KPXSetImageTransparent(image, &region, 1), 1);
    EXPECT_EQ(KPXGetImageTransparentData(image, &count)->seedX, 3);

    ASSERT_EQ(KPXSetImageTransparent(image, nullptr, 5), 1);
    EXPECT_EQ(KPXGetImageTransparentData(image, &count), nullptr);
    EXPECT_EQ(count, 0);
}

TEST(TransparencyList, BadHandlesGiveZero) {
    const KpxTransparentEntry e = indexEntry(1);
    int count = 7;
    EXPECT_EQ(KPXSetImageTransparent(0, &e, 1), 0);
    EXPECT_EQ(KPXSetImageTransparent(12345, &e, 1), 0);
    EXPECT_EQ(KPXGetImageTransparentData(0, &count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(KPXIsImageTransparent(0), 0);
    EXPECT_EQ(KPXCreateMaskImageFrom(0, &e, 1), 0);
    EXPECT_EQ(KPXGetImageTransparentImage(0), 0);
    EXPECT_EQ(KPXSetImageTransparentMask(0, 0), 0);
    EXPECT_EQ(KPXClearTemporaryImages(0), 0);
    EXPECT_EQ(KPXCreateMaskCombine(0, 0, 0), 0);
    EXPECT_EQ(KPXCreateMaskCombineEx(0, 0), 0);
    EXPECT_EQ(KPXFloodFillMask(0, nullptr), 0);
    EXPECT_EQ(KPXFillImageByIndexColor(0, 1), 0);
    EXPECT_EQ(KPXFillImageByChessBoard(0, 1, 1, 0, 0, 0, 0), 0);
}

TEST(TransparencyMask, ColourEntriesHonourTheTolerance) {
    OwnedImage image(KPXCreateImage(3, 2, 24));
    kfm::test::fillColor(image, RGB(100, 100, 100));
    kfm::test::setColor(image, 0, 0, RGB(10, 20, 30));
    kfm::test::setColor(image, 2, 1, RGB(10, 20, 30));
    kfm::test::setColor(image, 1, 1, RGB(11, 20, 30));

    const KpxTransparentEntry exact = colourEntry(10, 20, 30, 0);
    OwnedImage m0(KPXCreateMaskImageFrom(image, &exact, 1));
    ASSERT_NE(m0.get(), 0);
    EXPECT_EQ(KPXbpp(m0), 1);
    EXPECT_TRUE(maskAt(m0, 0, 0));
    EXPECT_TRUE(maskAt(m0, 2, 1));
    EXPECT_EQ(maskCount(m0), 2);

    const KpxTransparentEntry all = colourEntry(10, 20, 30, 255);
    OwnedImage m255(KPXCreateMaskImageFrom(image, &all, 1));
    EXPECT_EQ(maskCount(m255), 6);

    const KpxTransparentEntry none = indexEntry(0);
    OwnedImage m24(KPXCreateMaskImageFrom(image, &none, 1));
    EXPECT_EQ(maskCount(m24), 0);
    EXPECT_EQ(KPXCreateMaskImageFrom(image, &exact, 0), 0);
}

TEST(TransparencyMask, IndexAndColourEntriesOnPaletteImagesAreCombined) {
    OwnedImage image(KPXCreateImage(5, 1, 4));
    kfm::test::setPaletteEntry(image, 7, RGB(1, 2, 3));
    for (int x = 0; x < 5; ++x)
        kfm::test::setIndex(image, x, 0, x == 1 ? 3 : (x == 4 ? 7 : 0));
    const KpxTransparentEntry list[2] = {indexEntry(3), colourEntry(1, 2, 3, 0)};
    OwnedImage mask(KPXCreateMaskImageFrom(image, list, 2));
    ASSERT_NE(mask.get(), 0);
    EXPECT_TRUE(maskAt(mask, 1, 0));
    EXPECT_TRUE(maskAt(mask, 4, 0));
    EXPECT_EQ(maskCount(mask), 2);
}

TEST(TransparencyMask, RegionEntryMarksTheConnectedArea) {
    OwnedImage image(KPXCreateImage(4, 4, 24));
    kfm::test::fillColor(image, RGB(0, 0, 0));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            kfm::test::setColor(image, x, y, RGB(255, 0, 0));
    kfm::test::setColor(image, 3, 3, RGB(255, 0, 0));
    const KpxTransparentEntry region = regionEntry(255, 0, 0, 0, 0, 0);
    OwnedImage mask(KPXCreateMaskImageFrom(image, &region, 1));
    ASSERT_NE(mask.get(), 0);
    EXPECT_EQ(maskCount(mask), 4);
    EXPECT_FALSE(maskAt(mask, 3, 3));
}

TEST(TransparencyImage, CombinedImageIsAReferenceThatLeavesTheMaskInPlace) {
    OwnedImage image(KPXCreateImage(4, 4, 8));
    EXPECT_EQ(KPXGetImageTransparentImage(image), 0);
    EXPECT_EQ(KPXIsImageTransparent(image), 0);

    const KpxTransparentEntry e = indexEntry(0);
    KPXSetImageTransparent(image, &e, 1);
    EXPECT_EQ(KPXIsImageTransparent(image), 1);
    const KpxHandle combined = KPXGetImageTransparentImage(image);
    ASSERT_NE(combined, 0);
    EXPECT_EQ(combined, cachedMask(image));
    EXPECT_EQ(maskCount(combined), 16);
    KPXDeleteImage(combined);
    EXPECT_EQ(KPXbpp(static_cast<KpxHandle>(cachedMask(image))), 1);

    KPXSetImageTransparent(image, nullptr, 0);
    OwnedImage ex(KPXCreateImage(4, 4, 8));
    ASSERT_EQ(KPXSetImageTransparentEx(image, ex.release()), 1);
    EXPECT_EQ(KPXIsImageTransparent(image), 1);
    const KpxHandle stored = KPXGetImageTransparentImageEx(image);
    OwnedImage viaEx(KPXGetImageTransparentImage(image));
    EXPECT_EQ(viaEx.get(), stored);
}

TEST(TransparencyImage, AttachedMaskMustHaveOneOrEightBits) {
    OwnedImage image(KPXCreateImage(4, 4, 24));
    ASSERT_EQ(KPXSetImageTransparentMask(image, KPXCreateImage(4, 4, 1)), 1);
    const std::int32_t attached = cachedMask(image);
    EXPECT_EQ(KPXIsImageTransparent(image), 1);
    EXPECT_EQ(KPXSetImageTransparentMask(image, static_cast<KpxHandle>(attached)), 1);
    EXPECT_EQ(cachedMask(image), attached);

    OwnedImage wrong(KPXCreateImage(4, 4, 4));
    EXPECT_EQ(KPXSetImageTransparentMask(image, wrong), 0);
    EXPECT_EQ(cachedMask(image), 0);
    EXPECT_EQ(KPXWidth(static_cast<KpxHandle>(attached)), 0);
    EXPECT_EQ(KPXWidth(wrong), 4);

    ASSERT_EQ(KPXSetImageTransparentMask(image, KPXCreateImage(4, 4, 8)), 1);
    EXPECT_EQ(KPXClearTemporaryImages(image), 1);
    EXPECT_EQ(cachedMask(image), 0);
}

TEST(TransparencyImage, RotateAngleCountsAsTransparent) {
    OwnedImage image(KPXCreateImage(2, 2, 24));
    {
        kpx::ImageLock r(image, kKpxWrite);
        r->rotateAngle = 30;
    }
    EXPECT_EQ(KPXIsImageTransparent(image), 1);
}

TEST(TransparencyImage, MaskCombineTakesTheFirstPresentHandle) {
    OwnedImage a(KPXCreateImage(2, 2, 1));
    const KpxHandle ref = KPXCreateTranspCombine(0, a, 0);
    EXPECT_EQ(ref, a.get());
    KPXDeleteImage(ref);
    EXPECT_EQ(KPXWidth(a), 2);
}

TEST(TransparencyImage, MaskCombineExOrsEveryPixelOfOddWidths) {
    OwnedImage a(KPXCreateImage(13, 2, 1));
    OwnedImage b(KPXCreateImage(13, 2, 1));
    kfm::test::setIndex(a, 12, 0, 1);
    kfm::test::setIndex(b, 12, 1, 1);
    kfm::test::setIndex(b, 0, 0, 1);
    OwnedImage both(KPXCreateMaskCombineEx(a, b));
    ASSERT_NE(both.get(), 0);
    EXPECT_TRUE(maskAt(both, 12, 0));
    EXPECT_TRUE(maskAt(both, 12, 1));
    EXPECT_TRUE(maskAt(both, 0, 0));
    EXPECT_EQ(maskCount(both), 3);

    OwnedImage other(KPXCreateImage(12, 2, 1));
    OwnedImage deep(KPXCreateImage(13, 2, 8));
    EXPECT_EQ(KPXCreateMaskCombineEx(a, other), 0);
    EXPECT_EQ(KPXCreateMaskCombineEx(a, deep), 0);
}

TEST(TransparencyImage, MaskFillByColorSetsAndClearsWithinTheRange) {
    OwnedImage image(KPXCreateImage(3, 1, 24));
    kfm::test::setColor(image, 0, 0, RGB(100, 50, 0));
    kfm::test::setColor(image, 1, 0, RGB(105, 45, 5));
    kfm::test::setColor(image, 2, 0, RGB(106, 50, 0));
    OwnedImage mask(KPXCreateImage(3, 1, 1));
    ASSERT_EQ(KPXMaskFillByColor(image, mask, RGB(100, 50, 0), RGB(5, 5, 5), 1), 1);
    EXPECT_TRUE(maskAt(mask, 0, 0));
    EXPECT_TRUE(maskAt(mask, 1, 0));
    EXPECT_FALSE(maskAt(mask, 2, 0));
    ASSERT_EQ(KPXMaskFillByColor(image, mask, RGB(105, 45, 5), 0, 0), 1);
    EXPECT_TRUE(maskAt(mask, 0, 0));
    EXPECT_FALSE(maskAt(mask, 1, 0));

    OwnedImage small(KPXCreateImage(2, 1, 1));
    EXPECT_EQ(KPXMaskFillByColor(image, small, 0, 0, 1), 0);
}

TEST(ImageFill, IndexFillPatterns) {
    OwnedImage four(KPXCreateImage(5, 3, 4));
    ASSERT_EQ(KPXFillImageByIndexColor(four, 3), 1);
    const std::uint8_t* bits = KPXGetBits(four);
    for (int i = 0; i < KPXGetScanBytes(four) * 3; ++i)
        ASSERT_EQ(bits[i], 0x33);
    OwnedImage one(KPXCreateImage(9, 2, 1));
    ASSERT_EQ(KPXFillImageByIndexColor(one, 1), 1);
    EXPECT_EQ(KPXGetBits(one)[0], 0xFF);
    ASSERT_EQ(KPXFillImageByIndexColor(one, 2), 1);
    EXPECT_EQ(KPXGetBits(one)[0], 0x00);
    OwnedImage deep(KPXCreateImage(2, 2, 24));
    EXPECT_EQ(KPXFillImageByIndexColor(deep, 1), 0);
}

TEST(ImageFill, ChessBoardWithOffsetStartsWithAHalfCell) {
    OwnedImage image(KPXCreateImage(30, 12, 24));
    const COLORREF c1 = RGB(1, 2, 3);
    const COLORREF c2 = RGB(200, 100, 50);
    ASSERT_EQ(KPXFillImageByChessBoard(image, 10, 10, 5, 0, c1, c2), 1);
    for (int x = 0; x < 30; ++x) {
        const COLORREF top = (x < 5 || (x >= 15 && x < 25)) ? c1 : c2;
        ASSERT_EQ(kfm::test::getColor(image, x, 0), top) << x;
        ASSERT_NE(kfm::test::getColor(image, x, 10), top) << x;
    }
    ASSERT_EQ(KPXFillImageByChessBoard(image, 0, 10, 0, 0, c1, c2), 1);
    EXPECT_EQ(kfm::test::getColor(image, 0, 0), c2);
    ASSERT_EQ(KPXFillImageByChessBoard(image, 10, 0, 0, 0, c1, c2), 1);
    EXPECT_EQ(kfm::test::getColor(image, 29, 11), c1);
    ASSERT_EQ(KPXFillImageByRGBColor(image, c2), 1);
    EXPECT_EQ(kfm::test::getColor(image, 29, 11), c2);
    OwnedImage palette(KPXCreateImage(2, 2, 8));
    EXPECT_EQ(KPXFillImageByChessBoard(palette, 1, 1, 0, 0, c1, c2), 0);
}

TEST(ImageFill, RectangleIncludesItsEdgesAndIsClipped) {
    OwnedImage image(KPXCreateImage(6, 5, 24));
    const COLORREF red = RGB(255, 0, 0);
    ASSERT_EQ(KPXFillImageByRGBColor2(image, red, 1, 2, 3, 3), 1);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(kfm::test::getColor(image, x, y) == red, x >= 1 && x <= 3 && y >= 2 && y <= 3)
                << x << "," << y;
    ASSERT_EQ(KPXFillImageByRGBColor2(image, red, -10, -10, 100, 100), 1);
    EXPECT_EQ(kfm::test::getColor(image, 0, 0), red);
    EXPECT_EQ(kfm::test::getColor(image, 5, 4), red);
}

TEST(ImageFill, ClearByAlphaCoversOutsideAndOpaqueAlpha) {
    OwnedImage image(KPXCreateImage(4, 3, 8));
    OwnedImage alpha(KPXCreateImage(3, 3, 8));
    kfm::test::setIndex(alpha, 1, 1, 255); // picture (0, 2)
    kfm::test::setIndex(alpha, 0, 0, 255); // clipped off the image
    ASSERT_EQ(KPXImageClearByAlpha(image, alpha, -1, 1, 9), 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool inside = y >= 1 && x <= 1;
            const bool cleared = !inside || (x == 0 && y == 2);
            ASSERT_EQ(kfm::test::getIndex(image, x, y), cleared ? 9 : 0) << x << "," << y;
        }
    OwnedImage notAlpha(KPXCreateImage(3, 3, 24));
    EXPECT_EQ(KPXImageClearByAlpha(image, notAlpha, 0, 0, 9), 0);
}

TEST(FloodFill, MarksOnlyTheFourConnectedRegion) {
    // 5 x 4 picture, '#' is the seed colour:
    //   ##...
    //   .#..#
    //   .##.#
    //   #...#
    const char* rows[] = {"##...", ".#..#", ".##.#", "#...#"};
    OwnedImage image(KPXCreateImage(5, 4, 24));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            kfm::test::setColor(image, x, y, rows[y][x] == '#' ? RGB(9, 9, 9) : RGB(200, 0, 0));
    const KpxTransparentEntry e = regionEntry(9, 9, 9, 0, 1, 1);
    OwnedImage mask(KPXFloodFillMask(image, &e));
    ASSERT_NE(mask.get(), 0);
    const char* expected[] = {"##...", ".#...", ".##..", "....."};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(maskAt(mask, x, y), expected[y][x] == '#') << x << "," << y;

    const KpxTransparentEntry off = regionEntry(9, 9, 9, 0, 2, 0);
    EXPECT_EQ(KPXFloodFillMask(image, &off), 0);
    const KpxTransparentEntry outside = regionEntry(9, 9, 9, 0, 5, 0);
    EXPECT_EQ(KPXFloodFillMask(image, &outside), 0);
}

TEST(FloodFill, SeedsOnTheBorderAndThroughOnePixelGaps) {
    // '#' is the seed colour. Each case: the picture, the seed, and the region drawn by hand.
    struct Case {
        std::vector<const char*> rows;
        int x, y;
        std::vector<const char*> expected;
    };
    const Case cases[] = {
        // Seeded in the corners and on an edge of the picture.
        {{"##.#", "#..#", "####"}, 0, 0, {"##.#", "#..#", "####"}},
        {{"##.#", "#..#", "####"}, 3, 2, {"##.#", "#..#", "####"}},
        {{"..#..", "..#..", "#####"}, 4, 2, {"..#..", "..#..", "#####"}},
        {{"..#..", "..#..", "..#.."}, 2, 0, {"..#..", "..#..", "..#.."}},
        // Two rooms joined through a gap one pixel wide, across and down.
        {{"##.##", "#####", "##.##"}, 0, 0, {"##.##", "#####", "##.##"}},
        {{"###", "...", ".#.", "...", "###"}, 1, 2, {"...", "...", ".#.", "...", "..."}},
        {{"##.##", "##.##", "#####"}, 0, 0, {"##.##", "##.##", "#####"}},
        {{"#.#", "#.#", "#.#", "###"}, 2, 0, {"#.#", "#.#", "#.#", "###"}},
        // Rooms that touch only at a corner stay apart.
        {{"##..", "##..", "..##", "..##"}, 3, 3, {"....", "....", "..##", "..##"}},
        // A one-pixel-wide corridor winding through the picture.
        {{"#....", "#.###", "#.#.#", "###.#"}, 0, 0, {"#....", "#.###", "#.#.#", "###.#"}},
    };
    for (const Case& c : cases) {
        const int width = static_cast<int>(std::strlen(c.rows[0]));
        const int height = static_cast<int>(c.rows.size());
        OwnedImage image(KPXCreateImage(width, height, 24));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                kfm::test::setColor(image, x, y,
                                    c.rows[y][x] == '#' ? RGB(9, 9, 9) : RGB(200, 0, 0));
        const KpxTransparentEntry e = regionEntry(9, 9, 9, 0, c.x, c.y);
        OwnedImage mask(KPXFloodFillMask(image, &e));
        ASSERT_NE(mask.get(), 0) << c.rows[0];
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(maskAt(mask, x, y), c.expected[y][x] == '#')
                    << c.rows[0] << " seeded at " << c.x << "," << c.y << ": pixel " << x << ","
                    << y;
    }
}

TEST(FloodFill, PaletteDuplicatesAndLargeRegions) {
    OwnedImage image(KPXCreateImage(3, 1, 8));
    kfm::test::setPaletteEntry(image, 4, RGB(7, 7, 7));
    kfm::test::setPaletteEntry(image, 5, RGB(7, 7, 7));
    kfm::test::setIndex(image, 0, 0, 4);
    kfm::test::setIndex(image, 1, 0, 5);
    kfm::test::setPaletteEntry(image, 6, RGB(8, 8, 8));
    kfm::test::setIndex(image, 2, 0, 6);
    const KpxTransparentEntry e = regionEntry(7, 7, 7, 0, 0, 0);
    OwnedImage mask(KPXFloodFillMask(image, &e));
    ASSERT_NE(mask.get(), 0);
    EXPECT_EQ(maskCount(mask), 2);

    // A comb of one-pixel columns leaves far more than 8000 runs pending.
    const int w = 401;
    const int h = 300;
    OwnedImage comb(KPXCreateImage(w, h, 8));
    kfm::test::setPaletteEntry(comb, 1, RGB(255, 255, 255));
    int open = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool wall = (x % 2 == 1) && (y % 4 != 0);
            kfm::test::setIndex(comb, x, y, wall ? 1 : 0);
            open += !wall;
        }
    const KpxTransparentEntry seed = regionEntry(0, 0, 0, 0, 0, h - 1);
    OwnedImage filled(KPXFloodFillMask(comb, &seed));
    ASSERT_NE(filled.get(), 0);
    EXPECT_EQ(maskCount(filled), open);
}

// Entries come from files and callers and may hold any 32-bit value: the distance of INT_MIN to
// a colour exceeds even the largest tolerance, and no channel difference may overflow (the fill
// and the colour entries of a mask list alike).
TEST(FloodFill, ExtremeEntryValuesMatchByTheirTrueDistance) {
    OwnedImage image(KPXCreateImage(3, 2, 24));
    struct Case {
        std::int32_t red, green, blue, tolerance;
        bool matches;
    };
    const Case cases[] = {
        {INT32_MIN, 0, 0, INT32_MAX, false},
        {0, INT32_MIN, 0, INT32_MAX, false},
        {0, 0, INT32_MIN, INT32_MAX, false},
        {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, false},
        {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, true}, // black is INT32_MAX away
        {-255, -255, -255, 255, true},
        {0, 0, 0, INT32_MIN, false},
    };
    for (const Case& c : cases) {
        const KpxTransparentEntry region = regionEntry(c.red, c.green, c.blue, c.tolerance, 1, 1);
        OwnedImage mask(KPXFloodFillMask(image, &region));
        EXPECT_EQ(mask.get() != 0, c.matches) << c.red << " " << c.tolerance;
        if (mask.get() != 0)
            EXPECT_EQ(maskCount(mask), 6);
        const KpxTransparentEntry colour = colourEntry(c.red, c.green, c.blue, c.tolerance);
        OwnedImage listed(KPXCreateMaskImageFrom(image, &colour, 1));
        ASSERT_NE(listed.get(), 0);
        EXPECT_EQ(maskCount(listed), c.matches ? 6 : 0) << c.red << " " << c.tolerance;
    }
}

TEST(ImageFill, ColourFillsOfPaletteImagesUseTheNearestIndex) {
    OwnedImage image(KPXCreateImage(4, 3, 8));
    kfm::test::setPaletteEntry(image, 17, RGB(10, 200, 30));
    ASSERT_EQ(KPXFillImageByRGBColor(image, RGB(10, 200, 30)), 1);
    EXPECT_EQ(kfm::test::getIndex(image, 3, 2), 17);
    kfm::test::setPaletteEntry(image, 5, RGB(1, 1, 1));
    ASSERT_EQ(KPXFillImageByRGBColor2(image, RGB(1, 1, 1), 1, 1, 2, 1), 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(kfm::test::getIndex(image, x, y), y == 1 && x >= 1 && x <= 2 ? 5 : 17);
    OwnedImage four(KPXCreateImage(4, 3, 4));
    EXPECT_EQ(KPXFillImageByRGBColor2(four, 0, 0, 0, 1, 1), 0);
    OwnedImage deep(KPXCreateImage(2, 2, 32));
    EXPECT_EQ(KPXFillImageByRGBColor(deep, 0), 0);
}
