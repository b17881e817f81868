// Flip, crop, resize, invert and colour pick-up, tried on the hand-drawn "F" at every depth the
// operations take.
#include "ImageCrop.h"
#include "ImageFlip.h"
#include "ImageResize.h"
#include "ImageRotation.h"
#include "PictureFixtures.h"
#include "Transparency.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>

using kfm::test::kF;
using kfm::test::makeColouredPicture;
using kfm::test::makeMask;
using kfm::test::OwnedImage;
using kfm::test::Picture;
using kfm::test::readMask;
using kfm::test::readPicture;

namespace {

constexpr int kPictureDepths[] = {1, 4, 8, 24};

// Random pixel bytes of every row of an image.
void scramble(KpxHandle image, unsigned seed) {
    std::mt19937 random(seed);
    std::uint8_t* bits = KPXGetBits(image);
    const std::size_t bytes = static_cast<std::size_t>(KPXGetScanBytes(image)) *
                              static_cast<std::size_t>(KPXHeight(image));
    for (std::size_t i = 0; i < bytes; ++i)
        bits[i] = static_cast<std::uint8_t>(random());
}

std::vector<std::uint8_t> pixelBytes(KpxHandle image) {
    const std::uint8_t* bits = KPXGetBits(image);
    return {bits, bits + static_cast<std::size_t>(KPXGetScanBytes(image)) * KPXHeight(image)};
}

KpxTransparentEntry regionAt(int x, int y) {
    return {0, 0, 0, 0, kKpxTransparentRegion, x, y};
}

} // namespace

TEST(FlipImage, MirrorsTheLetterAtEveryDepthAndKeepsThePalette) {
    struct Case {
        int flags;
        Picture expected;
    };
    const Case cases[] = {
        {kKpxFlipLeftRight, {"####", "...#", ".###", "...#", "...#"}},
        {kKpxFlipUpsideDown, {"#...", "#...", "###.", "#...", "####"}},
        {kKpxFlipLeftRight | kKpxFlipUpsideDown, {"...#", "...#", ".###", "...#", "####"}},
    };
    for (const int depth : kPictureDepths)
        for (const Case& c : cases) {
            OwnedImage image(makeColouredPicture(kF, depth));
            ASSERT_EQ(KPXFlipImage(image, c.flags), 1);
            EXPECT_EQ(readPicture(image), c.expected) << depth << " bits, flags " << c.flags;
            EXPECT_TRUE(kfm::test::keepsInkAndPaper(image)) << depth;
        }
}

TEST(FlipImage, FlippingTwiceRestoresEveryByteAtOddWidths) {
    // Packed rows whose width is no multiple of a byte keep their padding bits in place.
    for (const int depth : {1, 4, 8, 16, 24, 32})
        for (const int width : {1, 5, 13}) {
            OwnedImage image(KPXCreateImage(width, 3, depth));
            scramble(image, static_cast<unsigned>(depth * 100 + width));
            const std::vector<std::uint8_t> before = pixelBytes(image);
            for (const int flags : {1, 2, 3}) {
                ASSERT_EQ(KPXFlipImage(image, flags), 1);
                ASSERT_EQ(KPXFlipImage(image, flags), 1);
                EXPECT_EQ(pixelBytes(image), before) << depth << " bits, " << width << " wide";
            }
        }
}

TEST(FlipImage, AttachedImagesAndRegionSeedsFollowThePicture) {
    OwnedImage image(makeColouredPicture(kF, 8));
    // The region entry names the top-right pixel.
    const KpxTransparentEntry region = regionAt(3, 0);
    ASSERT_EQ(KPXSetImageTransparent(image, &region, 1), 1);
    ASSERT_EQ(KPXSetImageTransparentMask(image, makeMask(kF)), 1);
    const KpxHandle plane = makeColouredPicture(kF, 8);
    ASSERT_EQ(KPXSetImageTransparentEx(image, plane), 1);
    ASSERT_EQ(KPXSetImageRotateAngle(image, 180), 1);
    const KpxHandle turned = KPXGetImageRotateImage(image);
    ASSERT_NE(turned, 0);

    ASSERT_EQ(KPXFlipImage(image, kKpxFlipLeftRight), 1);
    const Picture mirrored = {"####", "...#", ".###", "...#", "...#"};
    EXPECT_EQ(readPicture(image), mirrored);
    kpx::ImageLock record(image, kKpxRead);
    EXPECT_EQ(readMask(static_cast<KpxHandle>(record->maskImage)), mirrored);
    EXPECT_EQ(readPicture(plane), mirrored);
    // The cached rotated copy (the "F" turned upside down) is mirrored as well.
    EXPECT_EQ(record->derivedImage, turned);
    EXPECT_EQ(readPicture(turned), (Picture{"#...", "#...", "###.", "#...", "####"}));
    EXPECT_EQ(record->transparency[0].seedX, 0);
    EXPECT_EQ(record->transparency[0].seedY, 0);
}

TEST(FlipImage, ImagesLinkedInALoopAreFlippedOnceEach) {
    const KpxHandle a = makeColouredPicture(kF, 8);
    const KpxHandle b = makeColouredPicture(kF, 8);
    ASSERT_EQ(KPXSetImageTransparentEx(a, b), 1);
    ASSERT_EQ(KPXSetImageTransparentEx(b, a), 1);
    ASSERT_EQ(KPXFlipImage(a, kKpxFlipUpsideDown), 1);
    const Picture upsideDown = {"#...", "#...", "###.", "#...", "####"};
    EXPECT_EQ(readPicture(a), upsideDown);
    EXPECT_EQ(readPicture(b), upsideDown);
    KPXDeleteImage(a);
}

TEST(FlipImage, BadHandlesGiveZero) {
    EXPECT_EQ(KPXFlipImage(0, 1), 0);
    EXPECT_EQ(KPXFlipImage(12345, 1), 0);
}

TEST(CropImage, CutsTheLetterAtEveryDepth) {
    struct Case {
        int left, top, right, bottom;
        Picture expected;
    };
    const Case cases[] = {
        {1, 1, 3, 3, {"...", "##.", "..."}},
        {0, 0, 3, 4, kF},
        // Reversed corners are put in order.
        {3, 4, 0, 2, {"###.", "#...", "#..."}},
        // At and beyond the right and bottom edges: clamped into the picture.
        {2, 0, 10, 10, {"##", "..", "#.", "..", ".."}},
        {-5, 4, 1, 9, {"#."}},
        // Wholly to the right: the last column alone.
        {10, 0, 20, 4, {"#", ".", ".", ".", "."}},
    };
    for (const int depth : kPictureDepths)
        for (const Case& c : cases) {
            OwnedImage image(makeColouredPicture(kF, depth));
            OwnedImage crop(KPXCropImage(image, c.left, c.top, c.right, c.bottom));
            ASSERT_NE(crop.get(), 0);
            EXPECT_EQ(KPXbpp(crop), depth);
            EXPECT_EQ(readPicture(crop), c.expected) << depth << " bits, " << c.left << "," << c.top
                                                     << "," << c.right << "," << c.bottom;
            EXPECT_TRUE(kfm::test::keepsInkAndPaper(crop)) << depth;
        }
}

TEST(CropImage, PackedRowsStartAtAnyPixel) {
    for (const int depth : {1, 4})
        for (const int left : {0, 1, 3, 7, 8, 9}) {
            OwnedImage image(KPXCreateImage(37, 2, depth));
            scramble(image, static_cast<unsigned>(depth + left));
            const int right = 36 - left / 2;
            OwnedImage crop(KPXCropImage(image, left, 0, right, 1));
            ASSERT_EQ(KPXWidth(crop), right - left + 1);
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x <= right - left; ++x)
                    ASSERT_EQ(kfm::test::getIndex(crop, x, y),
                              kfm::test::getIndex(image, left + x, y))
                        << depth << " bits from " << left << ", pixel " << x;
        }
}

TEST(CropImage, WithTransparencyTakesTheListAndTheExplicitImage) {
    OwnedImage image(makeColouredPicture(kF, 24));
    const KpxTransparentEntry list[2] = {{250, 251, 252, 0, kKpxTransparentColor, 0, 0},
                                         regionAt(2, 2)};
    ASSERT_EQ(KPXSetImageTransparent(image, list, 2), 1);
    ASSERT_EQ(KPXSetImageTransparentEx(image, makeMask(kF)), 1);

    OwnedImage crop(KPXCropImageEx(image, 1, 1, 3, 3, 1));
    ASSERT_NE(crop.get(), 0);
    int count = 0;
    const KpxTransparentEntry* entries = KPXGetImageTransparentData(crop, &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(entries[0].blue, 252);
    // The region's seed names the same pixel of the picture in the crop.
    EXPECT_EQ(entries[1].seedX, 1);
    EXPECT_EQ(entries[1].seedY, 1);
    EXPECT_EQ(readMask(KPXGetImageTransparentImageEx(crop)), (Picture{"...", "##.", "..."}));

    OwnedImage plain(KPXCropImageEx(image, 1, 1, 3, 3, 0));
    EXPECT_EQ(KPXGetImageTransparentData(plain, &count), nullptr);
    EXPECT_EQ(KPXGetImageTransparentImageEx(plain), 0);
}

TEST(CropImage, BadHandlesGiveZero) {
    EXPECT_EQ(KPXCropImage(0, 0, 0, 1, 1), 0);
    EXPECT_EQ(KPXCropImage(12345, 0, 0, 1, 1), 0);
    EXPECT_EQ(KPXCropImageEx(0, 0, 0, 1, 1, 1), 0);
}

namespace {

std::atomic<int> progressCalls{0};
void countProgress() {
    ++progressCalls;
}

// Every pixel of the drawing doubled in both directions.
Picture doubled(const Picture& rows) {
    Picture out;
    for (const std::string& row : rows) {
        std::string wide;
        for (const char c : row)
            wide += std::string(2, c);
        out.push_back(wide);
        out.push_back(wide);
    }
    return out;
}

} // namespace

TEST(NewSizeImage, StretchesTheLetterAndKeepsThePalette) {
    const Picture expected = {"########", "########", "##......", "##......", "######..",
                              "######..", "##......", "##......", "##......", "##......"};
    ASSERT_EQ(doubled(kF), expected);
    for (const int depth : kPictureDepths) {
        OwnedImage image(makeColouredPicture(kF, depth));
        OwnedImage large(KPXNewSizeImage(image, 8, 10, nullptr));
        ASSERT_NE(large.get(), 0) << depth;
        EXPECT_EQ(KPXbpp(large), depth);
        EXPECT_EQ(readPicture(large), expected) << depth << " bits";
        EXPECT_TRUE(kfm::test::keepsInkAndPaper(large)) << depth;
        OwnedImage back(KPXNewSizeImage(large, 4, 5, nullptr));
        EXPECT_EQ(readPicture(back), kF) << depth << " bits";
    }
}

TEST(NewSizeImage, ARotatedImageIsResizedByItsPixels) {
    // The drawing engine shows a rotated image as a placeholder; a resize must not.
    OwnedImage image(makeColouredPicture(kF, 24));
    ASSERT_EQ(KPXSetImageRotateAngle(image, 90), 1);
    OwnedImage large(KPXNewSizeImage(image, 8, 10, nullptr));
    EXPECT_EQ(readPicture(large), doubled(kF));
}

TEST(NewSizeImage, OwnSizeGivesACopyAndCallsProgressHeightTimes) {
    OwnedImage image(makeColouredPicture(kF, 8));
    progressCalls = 0;
    OwnedImage copy(KPXNewSizeImageEx(image, 4, 5, kKpxResizeStretchBlt, countProgress));
    ASSERT_NE(copy.get(), 0);
    EXPECT_NE(copy.get(), image.get());
    EXPECT_EQ(KPXCompareImages(copy, image), 1);
    EXPECT_EQ(progressCalls, 5);
}

TEST(NewSizeImage, BadArgumentsAndSizesGiveZero) {
    OwnedImage image(makeColouredPicture(kF, 8));
    OwnedImage mono(makeColouredPicture(kF, 1));
    EXPECT_EQ(KPXNewSizeImage(0, 8, 8, nullptr), 0);
    EXPECT_EQ(KPXNewSizeImage(image, 1, 8, nullptr), 0);
    EXPECT_EQ(KPXNewSizeImage(image, 8, 0, nullptr), 0);
    EXPECT_EQ(KPXNewSizeImage(image, -8, 8, nullptr), 0);
    // Sizes beyond 16 bits are refused, not wrapped round into a small image.
    EXPECT_EQ(KPXNewSizeImage(image, 65536 + 8, 8, nullptr), 0);
    EXPECT_EQ(KPXNewSizeImage(image, 40000, 8, nullptr), 0);
    EXPECT_EQ(KPXNewSizeImageEx(mono, 8, 8, 4, nullptr), 0);
    EXPECT_EQ(KPXNewSizeImageEx(mono, 8, 8, -1, nullptr), 0);
    // The interpolating modes refuse 4- and 8-bit images, even at their own size.
    EXPECT_EQ(KPXNewSizeImageEx(image, 4, 5, kKpxResizeLinear, nullptr), 0);
    OwnedImage four(makeColouredPicture(kF, 4));
    EXPECT_EQ(KPXNewSizeImageEx(four, 8, 10, kKpxResizeCubic, nullptr), 0);
}

TEST(NewSizeImage, InterpolatedModesKeepDepthAndPalette) {
    OwnedImage mono(makeColouredPicture(kF, 1));
    OwnedImage rgb(makeColouredPicture(kF, 24));
    for (const int mode : {kKpxResizeLinear, kKpxResizeCubic, kKpxResizeSuperSampling}) {
        OwnedImage large(KPXNewSizeImageEx(mono, 8, 10, mode, nullptr));
        ASSERT_NE(large.get(), 0) << mode;
        EXPECT_EQ(KPXbpp(large), 1);
        EXPECT_TRUE(kfm::test::keepsInkAndPaper(large)) << mode;
        OwnedImage small(KPXNewSizeImageEx(rgb, 2, 3, mode, nullptr));
        ASSERT_NE(small.get(), 0) << mode;
        EXPECT_EQ(KPXWidth(small), 2);
        EXPECT_EQ(KPXHeight(small), 3);
        EXPECT_EQ(KPXbpp(small), 24);
    }
    // Super-sampling only shrinks: a growing image is interpolated cubically instead.
    OwnedImage cubic(KPXNewSizeImageEx(rgb, 9, 11, kKpxResizeCubic, nullptr));
    OwnedImage super(KPXNewSizeImageEx(rgb, 9, 11, kKpxResizeSuperSampling, nullptr));
    OwnedImage linear(KPXNewSizeImageEx(rgb, 9, 11, kKpxResizeLinear, nullptr));
    EXPECT_EQ(pixelBytes(super), pixelBytes(cubic));
    EXPECT_NE(pixelBytes(linear), pixelBytes(cubic));
    // Depths the interpolating resize cannot describe give 0.
    OwnedImage high(KPXCreateImage(4, 4, kKpxDepth565));
    EXPECT_EQ(KPXNewSizeImageEx(high, 8, 8, kKpxResizeLinear, nullptr), 0);
}

TEST(InvertImage, InvertsPixelsOrTheColourTable) {
    OwnedImage rgb(makeColouredPicture(kF, 24));
    ASSERT_EQ(KPXInvert(rgb), 1);
    EXPECT_EQ(kfm::test::getColor(rgb, 0, 0), RGB(245, 135, 25));
    EXPECT_EQ(kfm::test::getColor(rgb, 3, 4), RGB(5, 4, 3));

    OwnedImage indexed(makeColouredPicture(kF, 8));
    ASSERT_EQ(KPXInvert(indexed), 1);
    EXPECT_EQ(kfm::test::getIndex(indexed, 0, 0), 7);
    EXPECT_EQ(KPXGetColorFromPalette(indexed, 7), RGB(245, 135, 25));
    EXPECT_EQ(KPXGetColorFromPalette(indexed, 0), RGB(5, 4, 3));

    OwnedImage mono(makeColouredPicture(kF, 1));
    ASSERT_EQ(KPXInvert(mono), 1);
    EXPECT_EQ(readPicture(mono), (Picture{"....", ".###", "...#", ".###", ".###"}));
    EXPECT_TRUE(kfm::test::keepsInkAndPaper(mono));

    EXPECT_EQ(KPXInvert(0), 0);
}

TEST(SuckColor, AveragesTheClampedRectangle) {
    OwnedImage image(KPXCreateImage(4, 3, 24));
    kfm::test::fillColor(image, RGB(10, 20, 30));
    kfm::test::setColor(image, 3, 2, RGB(110, 120, 131));
    struct Case {
        int x1, y1, x2, y2;
        int expected;
    };
    const Case cases[] = {
        {3, 2, 3, 2, RGB(110, 120, 131)},
        {2, 2, 3, 2, RGB(60, 70, 80)}, // (30 + 131) / 2 rounds down
        {3, 2, 2, 1, RGB(35, 45, 55)}, // reversed corners, four pixels
        {2, 1, 9, 9, RGB(35, 45, 55)}, // partly outside: the clamped part
        {0, 0, 3, 2, RGB(18, 28, 38)},
        {4, 0, 9, 9, -1},   // wholly outside
        {-1, -1, 4, 3, -1}, // larger on every side: no corner inside
    };
    for (const Case& c : cases)
        EXPECT_EQ(KPXSuckColor(image, c.x1, c.y1, c.x2, c.y2), c.expected)
            << c.x1 << "," << c.y1 << "," << c.x2 << "," << c.y2;

    OwnedImage indexed(makeColouredPicture(kF, 4));
    EXPECT_EQ(KPXSuckColor(indexed, 0, 0, 1, 0), static_cast<int>(kfm::test::kInkColour));
    EXPECT_EQ(KPXSuckColor(0, 0, 0, 1, 1), -1);
}

TEST(SuckColorIndex, ReadsPaletteIndicesOnly) {
    for (const int depth : {1, 4, 8}) {
        OwnedImage image(makeColouredPicture(kF, depth));
        EXPECT_EQ(KPXSuckColorIndex(image, 2, 2), kfm::test::inkIndex(depth)) << depth;
        EXPECT_EQ(KPXSuckColorIndex(image, 3, 2), kfm::test::paperIndex(depth)) << depth;
        EXPECT_EQ(KPXSuckColorIndex(image, 4, 0), -1);
        EXPECT_EQ(KPXSuckColorIndex(image, 0, -1), -1);
    }
    OwnedImage rgb(makeColouredPicture(kF, 24));
    EXPECT_EQ(KPXSuckColorIndex(rgb, 0, 0), -1);
    EXPECT_EQ(KPXSuckColorIndex(0, 0, 0), -1);
}
