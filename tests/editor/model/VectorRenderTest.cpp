#include "VectorRender.h"

#include "EmfFixtures.h"
#include "ImageUtilities.h"
#include "PackedPixels.h"
#include "metafile/EnhMetafile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using kfm::test::EmfBuilder;

struct MetafileDeleter {
    void operator()(HENHMETAFILE m) const { DeleteEnhMetaFile(m); }
};
using Metafile = std::unique_ptr<std::remove_pointer_t<HENHMETAFILE>, MetafileDeleter>;

Metafile metafileOf(const std::vector<std::uint8_t>& bytes) {
    return Metafile(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
}

constexpr COLORREF kRed = RGB(200, 10, 20);
constexpr COLORREF kBlue = RGB(10, 20, 220);

// A picture of width x height pixels filled with one colour.
Metafile filled(int width, int height, COLORREF colour) {
    return metafileOf(EmfBuilder(width, height)
                          .solidBrush(colour)
                          .rectangle(0, 0, width + 1, height + 1)
                          .finish());
}

RECT sizeRect(int width, int height) {
    return RECT{0, 0, width - 1, height - 1};
}

// Picture coordinates (top row first) over the library's bottom-up rows.
const std::uint8_t* pixelAt(KpxHandle image, int x, int y) {
    const int stored = KPXHeight(image) - 1 - y;
    return KPXGetBits(image) + static_cast<std::size_t>(stored) * KPXGetScanBytes(image) +
           static_cast<std::size_t>(x) * (KPXbpp(image) / 8);
}

COLORREF colourAt(KpxHandle image, int x, int y) {
    const std::uint8_t* p = pixelAt(image, x, y);
    return RGB(p[2], p[1], p[0]);
}

int transparencyAt(KpxHandle image, int x, int y) {
    return *pixelAt(KPXGetImageTransparentImageEx(image), x, y);
}

void setColour(KpxHandle image, int x, int y, COLORREF colour) {
    auto* p = const_cast<std::uint8_t*>(pixelAt(image, x, y));
    p[0] = GetBValue(colour);
    p[1] = GetGValue(colour);
    p[2] = GetRValue(colour);
}

ScopedImage greyImage(int width, int height, std::uint8_t level) {
    ScopedImage image(KPXCreateImage(width, height, 24));
    std::memset(KPXGetBits(image.get()), level,
                static_cast<std::size_t>(KPXGetScanBytes(image.get())) * height);
    return image;
}

// A picture that fills its frame keeps its size and is opaque throughout, with and without
// anti-aliasing; the anti-aliased play covers every subpixel, the last row and column too.
TEST(VectorRender, FilledPictureKeepsItsSizeAndIsOpaque) {
    const Metafile picture = filled(10, 5, kRed);
    for (const int antialias : {0, 1}) {
        ScopedImage image(
            RenderMetafileImage(picture.get(), RECT{3, 7, 12, 11}, 0, 0, 0, antialias));
        ASSERT_TRUE(image.get()) << antialias;
        EXPECT_EQ(KPXbpp(image.get()), 24);
        EXPECT_EQ(KPXWidth(image.get()), 10);
        EXPECT_EQ(KPXHeight(image.get()), 5);
        ASSERT_TRUE(KPXGetImageTransparentImageEx(image.get()));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 10; ++x) {
                EXPECT_EQ(colourAt(image.get(), x, y), kRed) << antialias << " " << x << "," << y;
                EXPECT_EQ(transparencyAt(image.get(), x, y), 0)
                    << antialias << " " << x << "," << y;
            }
    }
}

// Pixels painted in either background grey stay opaque; what the picture leaves alone is
// transparent (and grey 128 underneath).
TEST(VectorRender, PaintedBackgroundGreysStayOpaque) {
    const Metafile picture = metafileOf(EmfBuilder(4, 1)
                                            .solidBrush(kVectorFirstBackground)
                                            .rectangle(0, 0, 2, 2)
                                            .solidBrush(kVectorSecondBackground)
                                            .rectangle(1, 0, 3, 2)
                                            .finish());
    ScopedImage image(RenderMetafileImage(picture.get(), sizeRect(4, 1), 0, 0, 0, 0));
    ASSERT_TRUE(image.get());
    const struct {
        COLORREF colour;
        int transparency;
    } expected[] = {{kVectorFirstBackground, 0},
                    {kVectorSecondBackground, 0},
                    {kVectorFirstBackground, 255},
                    {kVectorFirstBackground, 255}};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(colourAt(image.get(), x, 0), expected[x].colour) << x;
        EXPECT_EQ(transparencyAt(image.get(), x, 0), expected[x].transparency) << x;
    }
}

// A picture drawn at half a pixel's width: eight of the sixteen subpixels are painted.
TEST(VectorRender, HalfCoveredPixelIsHalfTransparentWithThePaintedColour) {
    // A 4 x 2 frame played into 2 x 1 pixels: one logical pixel is two subpixels across.
    const Metafile picture =
        metafileOf(EmfBuilder(4, 2).solidBrush(kBlue).rectangle(0, 0, 2, 3).finish());
    ScopedImage image(RenderMetafileImage(picture.get(), sizeRect(2, 1), 0, 0, 0, 1));
    ASSERT_TRUE(image.get());
    EXPECT_EQ(transparencyAt(image.get(), 0, 0), 128);
    EXPECT_EQ(colourAt(image.get(), 0, 0), kBlue);
    EXPECT_EQ(transparencyAt(image.get(), 1, 0), 255);
}

TEST(VectorRender, NullMetafileGivesAFullyTransparentPicture) {
    for (const int antialias : {0, 1}) {
        ScopedImage image(RenderMetafileImage(nullptr, sizeRect(3, 2), 0, 0, 0, antialias));
        ASSERT_TRUE(image.get());
        EXPECT_EQ(KPXWidth(image.get()), 3);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(transparencyAt(image.get(), x, y), 255) << antialias;
    }
}

// Empty and huge rectangles are refused before any image is made.
TEST(VectorRender, EmptyOrHugeRectanglesGiveNothing) {
    const Metafile picture = filled(4, 4, kRed);
    const RECT rects[] = {{0, 0, -1, 5}, {5, 5, 4, 10}, {0, 0, 99999, 99999}, {0, 0, 15999, 9999}};
    for (const RECT& r : rects)
        for (const int antialias : {0, 1})
            EXPECT_EQ(RenderMetafileImage(picture.get(), r, 0, 0, 0, antialias), 0)
                << r.right << "x" << r.bottom << " " << antialias;
    // Without anti-aliasing the same size is within reach; at four times the size it is not.
    const RECT wide{0, 0, 4099, 0};
    ScopedImage plain(RenderMetafileImage(picture.get(), wide, 0, 0, 0, 0));
    EXPECT_TRUE(plain.get());
    EXPECT_EQ(RenderMetafileImage(picture.get(), wide, 0, 0, 0, 1), 0)
        << "wider than the work limit";
}

// A stream whose record chain breaks off still draws what comes before the damage.
TEST(VectorRender, DamagedRecordChainDrawsWhatPrecedesIt) {
    auto bytes = EmfBuilder(2, 1).solidBrush(kRed).rectangle(0, 0, 3, 2).finish();
    const std::uint32_t pastTheEnd = 4096;
    std::memcpy(bytes.data() + bytes.size() - 20 + 4, &pastTheEnd, 4); // the EOF record's size
    const Metafile picture = metafileOf(bytes);
    ASSERT_TRUE(picture);
    ScopedImage image(RenderMetafileImage(picture.get(), sizeRect(2, 1), 0, 0, 0, 0));
    ASSERT_TRUE(image.get());
    EXPECT_EQ(colourAt(image.get(), 1, 0), kRed);
    EXPECT_EQ(transparencyAt(image.get(), 1, 0), 0);
}

// Turned by 90 degrees the anti-aliased 40 x 20 play becomes 20 x 40 plus 2, in multiples of 4,
// divided by 4: 6 x 11. The middle stays painted and the corners are transparent.
TEST(VectorRender, RotationGrowsToTheTurnedBoxInMultiplesOfFour) {
    const Metafile picture = filled(10, 5, kRed);
    ScopedImage image(RenderMetafileImage(picture.get(), sizeRect(10, 5), 90, 0, 0, 1));
    ASSERT_TRUE(image.get());
    EXPECT_EQ(KPXWidth(image.get()), 6);
    EXPECT_EQ(KPXHeight(image.get()), 11);
    EXPECT_EQ(transparencyAt(image.get(), 3, 5), 0);
    EXPECT_EQ(colourAt(image.get(), 3, 5), kRed);
    EXPECT_EQ(transparencyAt(image.get(), 5, 10), 255);

    ScopedImage plain(RenderMetafileImage(picture.get(), sizeRect(10, 5), 90, 0, 0, 0));
    ASSERT_TRUE(plain.get());
    EXPECT_EQ(KPXWidth(plain.get()) % 4, 0);
    EXPECT_EQ(KPXHeight(plain.get()) % 4, 0);
    EXPECT_GE(KPXHeight(plain.get()), 12);
}

// Left half red, right half blue.
Metafile halves() {
    return metafileOf(EmfBuilder(8, 4)
                          .solidBrush(kRed)
                          .rectangle(0, 0, 5, 5)
                          .solidBrush(kBlue)
                          .rectangle(4, 0, 9, 5)
                          .finish());
}

TEST(VectorRender, MirroringSwapsLeftAndRight) {
    const Metafile picture = halves();
    for (const int antialias : {0, 1}) {
        ScopedImage image(RenderMetafileImage(picture.get(), sizeRect(8, 4), 0, 0, 1, antialias));
        ASSERT_TRUE(image.get());
        EXPECT_EQ(colourAt(image.get(), 0, 2), kBlue) << antialias;
        EXPECT_EQ(colourAt(image.get(), 7, 2), kRed) << antialias;
        EXPECT_EQ(transparencyAt(image.get(), 0, 2), 0) << antialias;
    }
}

// Mirrored at 30 degrees is the picture turned by -30 degrees, then mirrored left to right.
TEST(VectorRender, MirroredAngleTurnsTheOtherWayBeforeMirroring) {
    const Metafile picture = halves();
    ScopedImage mirrored(RenderMetafileImage(picture.get(), sizeRect(8, 4), 30, 0, 1, 0));
    ScopedImage turned(RenderMetafileImage(picture.get(), sizeRect(8, 4), -30, 0, 0, 0));
    ASSERT_TRUE(mirrored.get() && turned.get());
    ASSERT_EQ(KPXWidth(mirrored.get()), KPXWidth(turned.get()));
    ASSERT_EQ(KPXHeight(mirrored.get()), KPXHeight(turned.get()));
    const int width = KPXWidth(turned.get());
    for (int y = 0; y < KPXHeight(turned.get()); ++y)
        for (int x = 0; x < width; ++x) {
            EXPECT_EQ(colourAt(mirrored.get(), x, y), colourAt(turned.get(), width - 1 - x, y));
            EXPECT_EQ(transparencyAt(mirrored.get(), x, y),
                      transparencyAt(turned.get(), width - 1 - x, y));
        }
}

// Each pixel pair against the two background colours: only the exact pair is marked.
TEST(VectorRender, ColourPairMasksMarkOnlyTheExactPair) {
    const struct {
        COLORREF a, b;
        bool marked;
    } cases[] = {
        {kVectorFirstBackground, kVectorSecondBackground, true},
        {kVectorFirstBackground, kVectorFirstBackground, false},
        {kVectorSecondBackground, kVectorSecondBackground, false},
        {kVectorSecondBackground, kVectorFirstBackground, false},
        {RGB(0x80, 0x80, 0x81), kVectorSecondBackground, false},
        {kVectorFirstBackground, RGB(0xC0, 0xBF, 0xC0), false},
        {kRed, kRed, false},
    };
    constexpr int kWidth = 11; // more than one mask byte per row
    const int count = static_cast<int>(std::size(cases));
    ScopedImage a = greyImage(kWidth, count, 0);
    ScopedImage b = greyImage(kWidth, count, 0);
    // Row i holds case i at column i, the other columns an unmarked pair.
    for (int y = 0; y < count; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool here = x == y;
            setColour(a.get(), x, y, here ? cases[y].a : kRed);
            setColour(b.get(), x, y, here ? cases[y].b : kBlue);
        }
    ScopedImage mask(
        CreateColorPairMask(a.get(), b.get(), kVectorFirstBackground, kVectorSecondBackground));
    ScopedImage mask4(
        CreateColorPairMask4(a.get(), b.get(), kVectorFirstBackground, kVectorSecondBackground));
    ASSERT_TRUE(mask.get() && mask4.get());
    EXPECT_EQ(KPXbpp(mask.get()), 1);
    EXPECT_EQ(KPXbpp(mask4.get()), 8);
    for (int y = 0; y < count; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool marked = x == y && cases[y].marked;
            const int stored = count - 1 - y;
            const std::uint8_t* row = KPXGetBits(mask.get()) + static_cast<std::size_t>(stored) *
                                                                   KPXGetScanBytes(mask.get());
            EXPECT_EQ(kfm::test::packedIndexAt(row, x, 1), marked ? 1 : 0) << x << "," << y;
            EXPECT_EQ(*pixelAt(mask4.get(), x, y), marked ? 0 : 255) << x << "," << y;
        }
}

TEST(VectorRender, ColourPairMasksRefuseMismatchedImages) {
    ScopedImage a = greyImage(4, 4, 0x80);
    ScopedImage narrower = greyImage(3, 4, 0xC0);
    ScopedImage grey(CreateSolidImage(4, 4, 0));
    for (const KpxHandle b : {narrower.get(), grey.get(), KpxHandle(0)}) {
        EXPECT_EQ(CreateColorPairMask(a.get(), b, 0x808080, 0xC0C0C0), 0);
        EXPECT_EQ(CreateColorPairMask4(a.get(), b, 0x808080, 0xC0C0C0), 0);
    }
}

// One output pixel from an 4 x 4 block: the mask bits set count as untouched, the colour is the
// integer mean of the others; a block with nothing painted keeps the target's colour.
TEST(VectorRender, DownsamplingCountsUntouchedAndAveragesPainted) {
    ScopedImage source = greyImage(8, 4, 0);
    ScopedImage mask(KPXCreateImage(8, 4, 1));
    ScopedImage target = greyImage(2, 1, 7);
    ScopedImage transparency(CreateSolidImage(2, 1, 0));
    ASSERT_TRUE(mask.get() && transparency.get());
    for (int y = 0; y < 4; ++y) {
        // Left block: columns 0 and 1 untouched, 2 and 3 painted in two colours. Right: all
        // untouched.
        auto* bits =
            KPXGetBits(mask.get()) + static_cast<std::size_t>(y) * KPXGetScanBytes(mask.get());
        bits[0] = 0xCF;
        setColour(source.get(), 2, y, RGB(10, 20, 30));
        setColour(source.get(), 3, y, RGB(13, 20, 40));
    }
    ASSERT_EQ(DownsampleSupersampled(source.get(), mask.get(), target.get(), transparency.get()),
              1);
    EXPECT_EQ(*pixelAt(transparency.get(), 0, 0), 128);
    EXPECT_EQ(colourAt(target.get(), 0, 0), RGB(11, 20, 35));
    EXPECT_EQ(*pixelAt(transparency.get(), 1, 0), 255);
    EXPECT_EQ(colourAt(target.get(), 1, 0), RGB(7, 7, 7));
}

TEST(VectorRender, DownsamplingRefusesWrongShapesAndWritesNothing) {
    ScopedImage source = greyImage(8, 4, 0);
    ScopedImage mask(KPXCreateImage(8, 4, 1));
    ScopedImage smallMask(KPXCreateImage(4, 4, 1));
    ScopedImage target = greyImage(2, 1, 7);
    ScopedImage wideTarget = greyImage(3, 1, 7);
    ScopedImage transparency(CreateSolidImage(2, 1, 0));
    ScopedImage wideTransparency(CreateSolidImage(3, 1, 0));
    ScopedImage colourTransparency = greyImage(2, 1, 0);
    const struct {
        KpxHandle source, mask, target, transparency;
    } cases[] = {
        {source.get(), smallMask.get(), target.get(), transparency.get()},
        {source.get(), mask.get(), wideTarget.get(), wideTransparency.get()},
        {source.get(), mask.get(), target.get(), wideTransparency.get()},
        {source.get(), mask.get(), target.get(), colourTransparency.get()},
        {mask.get(), mask.get(), target.get(), transparency.get()},
        {source.get(), 0, target.get(), transparency.get()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DownsampleSupersampled(c.source, c.mask, c.target, c.transparency), 0);
    EXPECT_EQ(*pixelAt(transparency.get(), 0, 0), 0);
    EXPECT_EQ(colourAt(target.get(), 0, 0), RGB(7, 7, 7));
}

} // namespace
