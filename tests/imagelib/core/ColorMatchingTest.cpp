#include "ColorMatching.h"
#include "ConversionFixtures.h"
#include "FrameChain.h"
#include "ImageTable.h"
#include "IndexChange.h"
#include "LibraryPalettes.h"
#include "Transparency.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace kfm::test::conversion;

namespace {

void setIndexTransparent(KpxHandle image, int index) {
    KpxTransparentEntry entry{};
    entry.blue = index;
    entry.mode = kKpxTransparentIndex;
    KPXSetImageTransparent(image, &entry, 1);
}

std::uint32_t checksumOf(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    return record->checksum;
}

void computeChecksum(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    KpxImageChecksum(record.get());
}

} // namespace

TEST(NearestColorIndex, LowBitEliminationRule) {
    ScopedImage image(KPXCreateImage(1, 1, 4));
    for (int i = 0; i < 16; ++i)
        setTableEntry(image, i, Colour{200, 200, 200});
    setTableEntry(image, 0, Colour{0, 0, 0});
    setTableEntry(image, 1, Colour{31, 0, 0});
    setTableEntry(image, 5, Colour{10, 20, 30});
    setTableEntry(image, 9, Colour{10, 20, 30});
    // An exact colour gives its lowest index.
    EXPECT_EQ(KPXGetNearestColorIndex(image, RGB(10, 20, 30)), 5);
    // (32, 0, 0) is nearest to (31, 0, 0), but the first equality comes once six low bits of
    // red are gone, where it equals black.
    EXPECT_EQ(KPXGetNearestColorIndex(image, RGB(32, 0, 0)), 0);
    EXPECT_EQ(KPXGetNearestColorIndex(image, RGB(30, 0, 0)), 1);

    ScopedImage hard(KPXCreateImage(1, 1, 8));
    EXPECT_EQ(KPXGetNearestColorIndex(hard, RGB(1, 1, 1)), 0);
    EXPECT_EQ(KPXGetNearestColorIndex(hard, RGB(255, 255, 255)), 255);

    ScopedImage rgb(KPXCreateImage(1, 1, 24));
    EXPECT_EQ(KPXGetNearestColorIndex(rgb, RGB(255, 255, 255)), 0);
    EXPECT_EQ(KPXGetNearestColorIndex(0, RGB(255, 255, 255)), 0);
}

TEST(ConvertPaletteTable, MapsEverySourceEntry) {
    ScopedImage small(KPXCreateImage(1, 1, 4)); // the 16-colour palette
    ScopedImage large(KPXCreateImage(1, 1, 8)); // the 3-3-2 palette
    int table[256];
    ASSERT_EQ(
        KPXConvertPaletteTable(KPXGetBitmapInfoHeader(large), KPXGetBitmapInfoHeader(small), table),
        1);
    EXPECT_EQ(table[0], 0);    // black
    EXPECT_EQ(table[9], 224);  // red
    EXPECT_EQ(table[15], 255); // white
    for (int i = 16; i < 256; ++i)
        ASSERT_EQ(table[i], 0); // beyond the source's table: black

    // The other way round every entry finds a match inside the 16 entries.
    ASSERT_EQ(
        KPXConvertPaletteTable(KPXGetBitmapInfoHeader(small), KPXGetBitmapInfoHeader(large), table),
        1);
    for (int i = 0; i < 256; ++i)
        ASSERT_TRUE(table[i] >= 0 && table[i] < 16) << i;
    EXPECT_EQ(table[255], 15);

    ScopedImage rgb(KPXCreateImage(1, 1, 24));
    EXPECT_EQ(
        KPXConvertPaletteTable(KPXGetBitmapInfoHeader(rgb), KPXGetBitmapInfoHeader(small), table),
        0);
    EXPECT_EQ(KPXConvertPaletteTable(nullptr, KPXGetBitmapInfoHeader(small), table), 0);
    EXPECT_EQ(KPXConvertPaletteTable(KPXGetBitmapInfoHeader(small), KPXGetBitmapInfoHeader(small),
                                     nullptr),
              0);
}

TEST(ConvertImageOnNewPalette, RemapsPixelsAndKeepsTheFreeEntry) {
    ScopedImage image(KPXCreateImage(4, 1, 8));
    setTableEntry(image, 1, Colour{10, 10, 10});
    setTableEntry(image, 2, Colour{200, 0, 0});
    setTableEntry(image, 3, Colour{0, 0, 200});
    for (int x = 0; x < 4; ++x)
        setIndex(image, x, 0, x);
    setIndexTransparent(image, 3);
    PALETTEENTRY palette[256] = {};
    for (int i = 0; i < 256; ++i)
        palette[i] = PALETTEENTRY{77, 77, 77, 0};
    palette[0] = PALETTEENTRY{10, 10, 10, 0}; // the free entry: no colour may land here
    palette[40] = PALETTEENTRY{10, 10, 10, 0};
    palette[41] = PALETTEENTRY{200, 0, 0, 0};
    palette[42] = PALETTEENTRY{0, 0, 0, 0};
    computeChecksum(image);

    ASSERT_EQ(KPXConvertImageOnNewPalette(image, palette, 0), 1);
    EXPECT_EQ(indexAt(image, 0, 0), 42);
    EXPECT_EQ(indexAt(image, 1, 0), 40);
    EXPECT_EQ(indexAt(image, 2, 0), 41);
    EXPECT_EQ(indexAt(image, 3, 0), 0); // the transparent colour
    EXPECT_EQ(tableEntry(image, 41), (Colour{200, 0, 0}));
    int count = 0;
    const KpxTransparentEntry* list = KPXGetImageTransparentData(image, &count);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(list[0].mode, kKpxTransparentIndex);
    EXPECT_EQ(list[0].blue, 0);
    EXPECT_EQ(checksumOf(image), 0u);

    ScopedImage four(KPXCreateImage(2, 2, 4));
    EXPECT_EQ(KPXConvertImageOnNewPalette(four, palette, 0), 0);
    EXPECT_EQ(KPXConvertImageOnNewPalette(image, nullptr, 0), 0);
}

TEST(ConvertImageOnNewPalette, EveryRowIsRemappedWhateverSizeTheHeaderStates) {
    // A caller may change biSizeImage through the header pointer; the remap still covers the
    // whole picture and never walks past it.
    constexpr int kWidth = 5;
    constexpr int kHeight = 4;
    constexpr int kColours = kWidth * kHeight;
    auto colourOf = [](int i) { return Colour{i * 10 + 5, 255 - i * 10, i * 7}; };
    PALETTEENTRY palette[256];
    for (PALETTEENTRY& e : palette)
        e = PALETTEENTRY{1, 2, 3, 0};
    for (int i = 0; i < kColours; ++i) {
        const Colour c = colourOf(i);
        palette[100 + i] = PALETTEENTRY{static_cast<BYTE>(c.red), static_cast<BYTE>(c.green),
                                        static_cast<BYTE>(c.blue), 0};
    }
    // Stated size: the real size times keep, plus add.
    struct Case {
        const char* what;
        DWORD keep;
        int add;
    };
    const Case cases[] = {{"stated as 0", 0, 0}, {"one row short", 1, -8}, {"raised", 1, 4096}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedImage image(KPXCreateImage(kWidth, kHeight, 8));
        for (int i = 0; i < kColours; ++i) {
            setTableEntry(image, i, colourOf(i));
            setIndex(image, i % kWidth, i / kWidth, i);
        }
        BITMAPINFOHEADER& header = KPXGetBitmapInfoHeader(image)->bmiHeader;
        const DWORD real = header.biSizeImage;
        header.biSizeImage = real * c.keep + static_cast<DWORD>(c.add);
        ASSERT_EQ(KPXConvertImageOnNewPalette(image, palette, -1), 1);
        for (int i = 0; i < kColours; ++i)
            EXPECT_EQ(indexAt(image, i % kWidth, i / kWidth), 100 + i) << "pixel " << i;
        header.biSizeImage = real;
    }
}

TEST(ChangeIndexToIndex, SwapKeepsThePictureAtEveryDepth) {
    for (const int depth : {1, 4, 8}) {
        SCOPED_TRACE(depth);
        const int size = 1 << depth;
        ScopedImage image(KPXCreateImage(7, 3, depth));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                setIndex(image, x, y, (x + y) % size);
        std::vector<Colour> before;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                before.push_back(colourAt(image, x, y));
        const Colour from = tableEntry(image, 0);
        const Colour to = tableEntry(image, 1);
        computeChecksum(image);
        ASSERT_EQ(KPXChangeIndexToIndex(image, 0, 1, 1), 1);
        EXPECT_EQ(checksumOf(image), 0u);
        EXPECT_EQ(tableEntry(image, 0), to);
        EXPECT_EQ(tableEntry(image, 1), from);
        std::size_t i = 0;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_EQ(colourAt(image, x, y), before[i++]) << x << "," << y;
    }
}

TEST(ChangeIndexToIndex, MergeChangesHalfBytesOfFourBitImages) {
    ScopedImage image(KPXCreateImage(3, 1, 4));
    setIndex(image, 0, 0, 2);
    setIndex(image, 1, 0, 7);
    setIndex(image, 2, 0, 2);
    const Colour seven = tableEntry(image, 7);
    ASSERT_EQ(KPXChangeIndexToIndex(image, 2, 7, 0), 1);
    EXPECT_EQ(indexAt(image, 0, 0), 7);
    EXPECT_EQ(indexAt(image, 1, 0), 7);
    EXPECT_EQ(indexAt(image, 2, 0), 7);
    EXPECT_EQ(tableEntry(image, 2), seven);
    EXPECT_EQ(tableEntry(image, 7), seven);

    EXPECT_EQ(KPXChangeIndexToIndex(image, 3, 3, 1), 0);
    EXPECT_EQ(KPXChangeIndexToIndex(image, 3, 16, 1), 0);
    EXPECT_EQ(KPXChangeIndexToIndex(image, -1, 3, 1), 0);
    ScopedImage rgb(KPXCreateImage(3, 1, 24));
    EXPECT_EQ(KPXChangeIndexToIndex(rgb, 0, 1, 0), 0);
    EXPECT_EQ(KPXChangeIndexToIndex(0, 0, 1, 0), 0);
}

TEST(SetNewColorPaletteFrom, CopiesTheSmallerTable) {
    ScopedImage target(KPXCreateImage(2, 2, 4));
    ScopedImage source(KPXCreateImage(2, 2, 8));
    for (int i = 0; i < 256; ++i)
        setTableEntry(source, i, Colour{i, 255 - i, 7});
    ASSERT_EQ(KPXSetNewColorPaletteFrom(target, source), 1);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(tableEntry(target, i), (Colour{i, 255 - i, 7}));
    ScopedImage rgb(KPXCreateImage(2, 2, 24));
    EXPECT_EQ(KPXSetNewColorPaletteFrom(target, rgb), 0);
    EXPECT_EQ(KPXSetNewColorPaletteFrom(rgb, source), 0);
    EXPECT_EQ(KPXSetNewColorPaletteFrom(target, 0), 0);
}

TEST(ReducePalette256, LeavesFewerThanNDistinctColours) {
    const auto distinct = [](const PALETTEENTRY* p) {
        std::set<int> colours;
        for (int i = 0; i < 256; ++i)
            colours.insert(p[i].peRed << 16 | p[i].peGreen << 8 | p[i].peBlue);
        return colours.size();
    };
    for (const int n : {256, 100, 17, 2}) {
        SCOPED_TRACE(n);
        PALETTEENTRY palette[256];
        std::copy(KPXGetHardPalette(), KPXGetHardPalette() + 256, palette);
        ASSERT_EQ(KPXReducePalette256(palette, n), 1);
        EXPECT_LT(distinct(palette), static_cast<std::size_t>(n));
        if (n == 256) {
            EXPECT_EQ(distinct(palette), 255u);
        }
        // The kept entries keep their own colours, in their order.
        int last = -1;
        for (int i = 0; i < static_cast<int>(distinct(palette)); ++i) {
            const PALETTEENTRY& e = palette[i];
            int found = -1;
            for (int j = 0; j < 256; ++j) {
                const PALETTEENTRY& h = KPXGetHardPalette()[j];
                if (h.peRed == e.peRed && h.peGreen == e.peGreen && h.peBlue == e.peBlue)
                    found = j;
            }
            ASSERT_GT(found, last);
            last = found;
        }
        EXPECT_EQ(palette[255].peRed, palette[0].peRed);
    }
    // Duplicates alone: the first of each colour stays, in order.
    PALETTEENTRY few[256];
    for (int i = 0; i < 256; ++i)
        few[i] = PALETTEENTRY{static_cast<BYTE>((i % 3) * 10), 0, 0, 0};
    ASSERT_EQ(KPXReducePalette256(few, 4), 1);
    EXPECT_EQ(few[0].peRed, 0);
    EXPECT_EQ(few[1].peRed, 10);
    EXPECT_EQ(few[2].peRed, 20);
    EXPECT_EQ(few[3].peRed, 0);

    EXPECT_EQ(KPXReducePalette256(nullptr, 256), 0);
    EXPECT_EQ(KPXReducePalette256(few, 1), 0);
}

TEST(ColorConvert24to8, ExactPaletteInCubeOrder) {
    ScopedImage image(KPXCreateImage(4, 2, 24));
    const Colour a{201, 102, 53};
    const Colour b{0, 0, 255};
    const Colour c{4, 0, 0};
    for (int y = 0; y < 2; ++y) {
        setRgb(image, 0, y, a);
        setRgb(image, 1, y, b);
        setRgb(image, 2, y, c);
        setRgb(image, 3, y, Colour{201, 103, 54}); // the same 6-bit cell as a
    }
    int count = -1;
    ScopedImage out(KPXColorConvert24to8(image, RGB(201, 102, 53), 0, RGB(9, 9, 9), &count));
    ASSERT_NE(out.get(), 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(tableEntry(out, 0), (Colour{0, 0, 252})); // cube order: red slowest
    EXPECT_EQ(tableEntry(out, 1), (Colour{4, 0, 0}));
    EXPECT_EQ(tableEntry(out, 2), a); // a caller colour keeps its exact value
    EXPECT_EQ(indexAt(out, 0, 1), 2);
    EXPECT_EQ(indexAt(out, 1, 1), 0);
    EXPECT_EQ(indexAt(out, 2, 1), 1);
    EXPECT_EQ(indexAt(out, 3, 0), 2);

    ScopedImage eight(KPXCreateImage(2, 2, 8));
    count = -1;
    EXPECT_EQ(KPXColorConvert24to8(eight, 0, 0, 0, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(KPXColorConvert24to8(0, 0, 0, 0, nullptr), 0);
}

TEST(ColorConvert24to8, TooManyColoursAreCountedAndMapToOne) {
    ScopedImage image(KPXCreateImage(300, 1, 24));
    for (int x = 0; x < 300; ++x)
        setRgb(image, x, 0, Colour{(x / 64) * 4, (x % 64) * 4, 0});
    int count = 0;
    ScopedImage out(KPXColorConvert24to8(image, 0, 0, 0, &count));
    EXPECT_EQ(count, 300);
    EXPECT_EQ(indexAt(out, 253, 0), 253);
    EXPECT_EQ(indexAt(out, 254, 0), 1);
    EXPECT_EQ(indexAt(out, 299, 0), 1);
}

TEST(ColorConvert24to8, EachConversionCountsOnlyItsOwnColours) {
    // Conversions one after the other, the second with fewer colours and the third with more
    // than fit: none sees the cells of the one before.
    ScopedImage many(KPXCreateImage(300, 1, 24));
    for (int x = 0; x < 300; ++x)
        setRgb(many, x, 0, Colour{(x / 64) * 4, (x % 64) * 4, 8});
    ScopedImage two(KPXCreateImage(2, 1, 24));
    setRgb(two, 0, 0, Colour{100, 0, 0});
    setRgb(two, 1, 0, Colour{0, 0, 40});
    for (int round = 0; round < 2; ++round) {
        int count = 0;
        ScopedImage first(KPXCreateImage(4, 1, 24));
        setRgb(first, 0, 0, Colour{8, 8, 8});
        ScopedImage a(KPXColorConvert24to8(first, 0, 0, 0, &count));
        EXPECT_EQ(count, 2) << "black and grey 8";
        ScopedImage b(KPXColorConvert24to8(two, RGB(100, 0, 0), 0, 0, &count));
        EXPECT_EQ(count, 2);
        EXPECT_EQ(tableEntry(b, 0), (Colour{0, 0, 40}));
        EXPECT_EQ(tableEntry(b, 1), (Colour{100, 0, 0}));
        EXPECT_EQ(indexAt(b, 0, 0), 1);
        EXPECT_EQ(indexAt(b, 1, 0), 0);
        ScopedImage c(KPXColorConvert24to8(many, 0, 0, 0, &count));
        EXPECT_EQ(count, 300);
        EXPECT_EQ(indexAt(c, 0, 0), 0);
        EXPECT_EQ(indexAt(c, 299, 0), 1);
    }
}

TEST(CalculateOptimPalette256, SingleImages) {
    PALETTEENTRY palette[256];
    ScopedImage eight(KPXCreateImage(2, 2, 8));
    setIndexTransparent(eight, 7);
    ASSERT_EQ(KPXCalculateOptimPalette256(eight, palette), 0);
    // Entry 7 and entry 0 swapped; entry 0 then takes the lightest grey not in use (white is).
    EXPECT_EQ(palette[7].peRed, 0);
    EXPECT_EQ(palette[0].peRed, 254);
    EXPECT_EQ(palette[0].peBlue, 254);

    ScopedImage plain(KPXCreateImage(2, 2, 8));
    ASSERT_EQ(KPXCalculateOptimPalette256(plain, palette), 0);
    EXPECT_EQ(palette[238].peRed, 0); // without a list, 8-bit images free entry 238
    EXPECT_EQ(palette[0].peRed, 254);

    ScopedImage four(KPXCreateImage(2, 2, 4));
    ASSERT_EQ(KPXCalculateOptimPalette256(four, palette), 0);
    EXPECT_EQ(palette[15].peRed, 0);  // former black
    EXPECT_EQ(palette[0].peRed, 255); // white left entry 15, so no other entry has it

    // Transparent entry 0 already: the table as it is.
    ScopedImage zero(KPXCreateImage(2, 2, 8));
    setIndexTransparent(zero, 0);
    ASSERT_EQ(KPXCalculateOptimPalette256(zero, palette), 0);
    EXPECT_EQ(palette[0].peRed, 0);

    // A true-colour image is converted; the first unfilled entry changes place with entry 0.
    ScopedImage rgb(KPXCreateImage(3, 1, 24));
    setRgb(rgb, 0, 0, Colour{0, 0, 252});
    setRgb(rgb, 1, 0, Colour{4, 0, 0});
    setRgb(rgb, 2, 0, Colour{8, 0, 0});
    ASSERT_EQ(KPXCalculateOptimPalette256(rgb, palette), 0);
    EXPECT_EQ(palette[3].peBlue, 252);
    EXPECT_EQ(palette[1].peRed, 4);

    EXPECT_EQ(KPXCalculateOptimPalette256(eight, nullptr), -1);
    EXPECT_EQ(KPXCalculateOptimPalette256(0, palette), -1);
}

TEST(GenerateHistogramIndexImage, CountsIndicesAndSkipsTheTransparentOne) {
    ScopedImage image(KPXCreateImage(3, 2, 4));
    const int pixels[2][3] = {{5, 1, 5}, {1, 5, 2}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            setIndex(image, x, y, pixels[y][x]);
    KpxIndexHistogramEntry histogram[256];
    int use = 0;
    ASSERT_EQ(KPXGenerateHistogramIndexImage(image, histogram, &use), 16);
    EXPECT_EQ(histogram[5].count, 3u);
    EXPECT_EQ(histogram[1].count, 2u);
    EXPECT_EQ(histogram[2].count, 1u);
    EXPECT_EQ(histogram[9].red, 255); // the table's colours come along
    EXPECT_EQ(histogram[9].green, 0);
    EXPECT_EQ(histogram[200].count, 0u);

    setIndexTransparent(image, 5);
    use = 1;
    ASSERT_EQ(KPXGenerateHistogramIndexImage(image, histogram, &use), 16);
    EXPECT_EQ(use, 1);
    EXPECT_EQ(histogram[5].count, 0u); // in high and low halves of bytes alike
    EXPECT_EQ(histogram[1].count, 2u);
    ASSERT_EQ(KPXGenerateHistogramIndexImage(image, histogram, nullptr), 16);
    EXPECT_EQ(histogram[5].count, 3u);

    ScopedImage rgb(KPXCreateImage(3, 2, 24));
    EXPECT_EQ(KPXGenerateHistogramIndexImage(rgb, histogram, nullptr), 0);
    EXPECT_EQ(KPXGenerateHistogramIndexImage(image, nullptr, nullptr), 0);
}

TEST(CalculateOptimPalette256, ChainsAreStackedOnWhite) {
    // Frame 1: 8-bit, two colours, one pixel transparent; frame 2: 24-bit, one colour.
    ScopedImage head(KPXCreateImage(3, 1, 8));
    setTableEntry(head, 1, Colour{8, 0, 0});
    setTableEntry(head, 2, Colour{0, 0, 8});
    setIndex(head, 0, 0, 1);
    setIndex(head, 1, 0, 1);
    setIndex(head, 2, 0, 2);
    setIndexTransparent(head, 2);
    const KpxHandle second = KPXCreateImage(2, 2, 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            setRgb(second, x, y, Colour{0, 8, 0});
    ASSERT_EQ(KPXAddImageFrame(head, second, -1), 1);

    PALETTEENTRY palette[256];
    ASSERT_EQ(KPXCalculateOptimPalette256(head, palette), 0);
    // Strip colours in cube order: green (0, 8, 0), red (8, 0, 0), white (the background and the
    // transparent pixel); the entry after them changes place with entry 0.
    EXPECT_EQ(palette[3].peRed, 0);
    EXPECT_EQ(palette[3].peGreen, 8);
    EXPECT_EQ(palette[1].peRed, 8);
    EXPECT_EQ(palette[2].peRed, 252); // white at 6 bits per channel
    EXPECT_EQ(palette[2].peBlue, 252);
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(palette[i].peBlue, 8) << i; // the transparent colour never reached the strip
}
