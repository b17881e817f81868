#include "ImagePalette.h"
#include "PixelHelpers.h"

#include "gdi/DibSection.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using kfm::test::OwnedImage;

namespace {

constexpr COLORREF kNone = static_cast<COLORREF>(-1);

std::vector<RGBQUAD> sectionTable(KpxHandle image) {
    std::vector<RGBQUAD> table(256);
    table.resize(GetDIBColorTable(KPXGetBitmap(image), 0, 256, table.data()));
    return table;
}

} // namespace

TEST(ImagePalette, SetsAndReadsEntriesInsideTheTableOnly) {
    OwnedImage image(KPXCreateImage(4, 4, 8));
    const COLORREF last = KPXGetColorFromPalette(image, 255);
    EXPECT_EQ(KPXSetColorToPalette(image, 256, RGB(1, 2, 3)), 0);
    EXPECT_EQ(KPXSetColorToPalette(image, -1, RGB(1, 2, 3)), 0);
    EXPECT_EQ(KPXGetColorFromPalette(image, 255), last);
    EXPECT_EQ(KPXGetColorFromPalette(image, 256), kNone);
    EXPECT_EQ(KPXGetColorFromPalette(image, -1), kNone);

    EXPECT_EQ(KPXSetColorToPalette(image, 255, RGB(10, 20, 30)), 1);
    EXPECT_EQ(KPXGetColorFromPalette(image, 255), RGB(10, 20, 30));
    // The DIB section's table waits for KPXFillDIBColorTable.
    EXPECT_NE(sectionTable(image)[255].rgbRed, 10);
    KPXFillDIBColorTable(image);
    EXPECT_EQ(sectionTable(image)[255].rgbRed, 10);

    OwnedImage fourBit(KPXCreateImage(4, 4, 4));
    EXPECT_EQ(KPXSetColorToPalette(fourBit, 16, RGB(1, 2, 3)), 0);
    EXPECT_EQ(KPXSetColorToPalette(fourBit, 15, RGB(1, 2, 3)), 1);

    OwnedImage deep(KPXCreateImage(4, 4, 24));
    EXPECT_EQ(KPXSetColorToPalette(deep, 0, RGB(1, 2, 3)), 0);
    EXPECT_EQ(KPXGetColorFromPalette(deep, 0), kNone);
    EXPECT_EQ(KPXGetColorFromPalette(0, 0), kNone);
    EXPECT_EQ(KPXSetColorToPalette(0, 0, 0), 0);
}

TEST(ImagePalette, FindsTheFirstExactEntry) {
    OwnedImage image(KPXCreateImage(4, 4, 8));
    KPXSetColorToPalette(image, 7, RGB(1, 2, 3));
    KPXSetColorToPalette(image, 9, RGB(1, 2, 3));
    EXPECT_EQ(KPXGetColorIndexFromPalette(image, RGB(1, 2, 3)), 7);
    EXPECT_EQ(KPXGetColorIndexFromPalette(image, RGB(1, 2, 4)), -1);
    OwnedImage deep(KPXCreateImage(4, 4, 24));
    EXPECT_EQ(KPXGetColorIndexFromPalette(deep, RGB(0, 0, 0)), -1);
    EXPECT_EQ(KPXGetColorIndexFromPalette(0, RGB(0, 0, 0)), -1);
}

TEST(ImagePalette, NewPaletteWritesAtMostTheTableAndRefreshesTheSection) {
    std::array<PALETTEENTRY, 20> entries{};
    for (int i = 0; i < 20; ++i)
        entries[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(2 * i),
                                  static_cast<BYTE>(3 * i), 0xEE};
    OwnedImage image(KPXCreateImage(3, 3, 4));
    EXPECT_EQ(KPXSetNewPalette(image, entries.data(), 20), 1);
    const auto table = sectionTable(image);
    ASSERT_EQ(table.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(KPXGetColorFromPalette(image, i), RGB(i, 2 * i, 3 * i));
        EXPECT_EQ(table[i].rgbBlue, 3 * i);
        EXPECT_EQ(table[i].rgbReserved, 0);
    }
    // Fewer entries leave the rest of the table alone.
    OwnedImage mono(KPXCreateImage(3, 3, 1));
    EXPECT_EQ(KPXSetNewPalette(mono, entries.data() + 5, 1), 1);
    EXPECT_EQ(KPXGetColorFromPalette(mono, 0), RGB(5, 10, 15));
    EXPECT_EQ(KPXGetColorFromPalette(mono, 1), RGB(255, 255, 255));

    OwnedImage deep(KPXCreateImage(3, 3, 24));
    EXPECT_EQ(KPXSetNewPalette(deep, entries.data(), 20), 0);
    EXPECT_EQ(KPXSetNewPalette(image, nullptr, 20), 0);
    EXPECT_EQ(KPXSetNewPalette(0, entries.data(), 20), 0);
}

TEST(ImagePalette, ChangingTheTableDropsTheCachedChecksum) {
    OwnedImage a(KPXCreateImage(5, 5, 8));
    OwnedImage b(KPXCreateImage(5, 5, 8));
    ASSERT_EQ(KPXCompareImages(a, b), 1); // both checksums are cached now
    const COLORREF old = KPXGetColorFromPalette(a, 3);
    KPXSetColorToPalette(a, 3, RGB(9, 9, 9));
    EXPECT_EQ(KPXCompareImages(a, b), 0);
    KPXSetColorToPalette(a, 3, old);
    EXPECT_EQ(KPXCompareImages(a, b), 1);

    std::array<PALETTEENTRY, 1> entry{PALETTEENTRY{9, 9, 9, 0}};
    KPXSetNewPalette(b, entry.data(), 1);
    EXPECT_EQ(KPXCompareImages(a, b), 0);
}

TEST(ImagePalette, CountsTheIndicesInUse) {
    std::array<std::int32_t, 256> counts;
    counts.fill(77);
    OwnedImage cleared(KPXCreateImage(7, 5, 8));
    EXPECT_EQ(KPXNumColorUsed(cleared, counts.data()), 1);
    EXPECT_EQ(counts[0], 35);
    for (int i = 1; i < 256; ++i)
        ASSERT_EQ(counts[i], 0);

    // Odd widths: the padding of each row is not counted.
    OwnedImage fourBit(KPXCreateImage(5, 3, 4));
    kfm::test::setIndex(fourBit, 4, 0, 15);
    kfm::test::setIndex(fourBit, 0, 2, 3);
    kfm::test::setIndex(fourBit, 1, 2, 3);
    EXPECT_EQ(KPXNumColorUsed(fourBit, counts.data()), 3);
    EXPECT_EQ(counts[0], 12);
    EXPECT_EQ(counts[3], 2);
    EXPECT_EQ(counts[15], 1);

    OwnedImage mono(KPXCreateImage(11, 2, 1));
    kfm::test::setIndex(mono, 10, 1, 1);
    EXPECT_EQ(KPXNumColorUsed(mono, counts.data()), 2);
    EXPECT_EQ(counts[1], 1);
    EXPECT_EQ(counts[0], 21);
    EXPECT_EQ(KPXNumColorUsed(mono, nullptr), 2);

    counts.fill(77);
    OwnedImage deep(KPXCreateImage(4, 4, 24));
    EXPECT_EQ(KPXNumColorUsed(deep, counts.data()), 0);
    EXPECT_EQ(counts[0], 0);
    EXPECT_EQ(KPXNumColorUsed(0, counts.data()), 0);
}

TEST(ImagePalette, ChangesColoursThroughTheTable) {
    OwnedImage image(KPXCreateImage(4, 3, 8));
    KPXSetColorToPalette(image, 5, RGB(250, 1, 1));
    KPXSetColorToPalette(image, 9, RGB(1, 250, 1));
    kfm::test::setIndex(image, 1, 1, 5);
    kfm::test::setIndex(image, 3, 2, 5);
    EXPECT_EQ(KPXChangeColorToColor(image, RGB(250, 1, 1), RGB(1, 250, 1)), 1);
    EXPECT_EQ(kfm::test::getIndex(image, 1, 1), 9);
    EXPECT_EQ(kfm::test::getIndex(image, 3, 2), 9);
    EXPECT_EQ(kfm::test::getIndex(image, 0, 0), 0);
    // A colour missing from the table becomes index 0.
    EXPECT_EQ(KPXChangeColorToColor(image, RGB(1, 250, 1), RGB(3, 4, 5)), 1);
    EXPECT_EQ(kfm::test::getIndex(image, 1, 1), 0);
    EXPECT_EQ(KPXChangeColorToColor(0, 0, 0), 0);
}

TEST(ImagePalette, ChangesTrueColourPixels) {
    OwnedImage image(KPXCreateImage(3, 2, 24));
    kfm::test::fillColor(image, RGB(10, 20, 30));
    kfm::test::setColor(image, 2, 1, RGB(7, 7, 7));
    const int live = KpxLiveImageCount();
    EXPECT_EQ(KPXChangeColorToColor(image, RGB(10, 20, 30), RGB(40, 50, 60)), 1);
    EXPECT_EQ(KpxLiveImageCount(), live); // the mask is gone
    EXPECT_EQ(kfm::test::getColor(image, 0, 0), RGB(40, 50, 60));
    EXPECT_EQ(kfm::test::getColor(image, 2, 1), RGB(7, 7, 7));
}

TEST(ImagePalette, ChangesPixelsWhereTheReferenceMatches) {
    OwnedImage image(KPXCreateImage(3, 2, 24));
    OwnedImage reference(KPXCreateImage(3, 2, 24));
    kfm::test::setColor(reference, 1, 0, RGB(9, 8, 7));
    EXPECT_EQ(KPXChangeColorToColorRef(image, reference, RGB(9, 8, 7), RGB(200, 100, 50)), 1);
    EXPECT_EQ(kfm::test::getColor(image, 1, 0), RGB(200, 100, 50));
    EXPECT_EQ(kfm::test::getColor(image, 0, 0), RGB(0, 0, 0));

    OwnedImage indexed(KPXCreateImage(3, 2, 8));
    OwnedImage indexReference(KPXCreateImage(3, 2, 8));
    kfm::test::setIndex(indexReference, 2, 1, 4);
    EXPECT_EQ(KPXChangeIndexToIndexRef(indexed, indexReference, 4, 7), 1);
    EXPECT_EQ(kfm::test::getIndex(indexed, 2, 1), 7);
    EXPECT_EQ(kfm::test::getIndex(indexed, 0, 1), 0);

    // A reference of another size changes nothing.
    OwnedImage small(KPXCreateImage(2, 2, 8));
    kfm::test::setIndex(small, 0, 0, 4);
    EXPECT_EQ(KPXChangeIndexToIndexRef(indexed, small, 4, 9), 0);
    EXPECT_EQ(kfm::test::getIndex(indexed, 0, 0), 0);
    EXPECT_EQ(KPXChangeIndexToIndexRef(indexed, 0, 4, 9), 0);
}
