// The transparent stretch blit onto a caller's 24-bit DIB: placement, clipping, stretching,
// the mask and the plane, rotated images and separations, and the calls that must do nothing.
#include "ImageFlip.h"
#include "PictureFixtures.h"
#include "Transparency.h"

#include <gtest/gtest.h>

#include <vector>

using kfm::test::kF;
using kfm::test::kInkColour;
using kfm::test::kPaperColour;
using kfm::test::makeColouredPicture;
using kfm::test::makeMask;
using kfm::test::OwnedImage;
using kfm::test::Picture;

namespace {

constexpr COLORREF kGround = RGB(128, 128, 128);

// A caller's bottom-up 24-bit DIB filled with one colour.
class Dib {
public:
    Dib(int width, int height, COLORREF fill = kGround)
        : stride_(static_cast<std::size_t>((width * 24 + 31) / 32 * 4)),
          bits_(stride_ * static_cast<std::size_t>(height)) {
        header_.biSize = sizeof(BITMAPINFOHEADER);
        header_.biWidth = width;
        header_.biHeight = height;
        header_.biPlanes = 1;
        header_.biBitCount = 24;
        header_.biCompression = BI_RGB;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                set(x, y, fill);
    }
    BITMAPINFOHEADER* header() { return &header_; }
    std::uint8_t* bits() { return bits_.data(); }
    const std::vector<std::uint8_t>& bytes() const { return bits_; }

    COLORREF at(int x, int y) const {
        const std::uint8_t* p = pixel(x, y);
        return RGB(p[2], p[1], p[0]);
    }
    // '#' ink, '.' paper, '-' the untouched ground, '?' anything else.
    Picture drawing() const {
        Picture rows;
        for (int y = 0; y < header_.biHeight; ++y) {
            std::string row;
            for (int x = 0; x < header_.biWidth; ++x) {
                const COLORREF c = at(x, y);
                row += c == kInkColour ? '#' : c == kPaperColour ? '.' : c == kGround ? '-' : '?';
            }
            rows.push_back(row);
        }
        return rows;
    }
    // Composes with the arguments that most tests leave at their defaults.
    int blit(int left, int top, int right, int bottom, KpxHandle image, KpxHandle plane = 0,
             KpxHandle mask = 0) {
        return KPXStretchBltTransparent(0, header(), bits(), left, top, right, bottom, image, 0,
                                        plane, mask, 0, 0);
    }

private:
    const std::uint8_t* pixel(int x, int y) const {
        return bits_.data() + static_cast<std::size_t>(header_.biHeight - 1 - y) * stride_ +
               static_cast<std::size_t>(x) * 3;
    }
    void set(int x, int y, COLORREF c) {
        auto* p = const_cast<std::uint8_t*>(pixel(x, y));
        p[0] = GetBValue(c);
        p[1] = GetGValue(c);
        p[2] = GetRValue(c);
    }

    BITMAPINFOHEADER header_{};
    std::size_t stride_;
    std::vector<std::uint8_t> bits_;
};

// The "F" with its paper transparent by a colour entry of its list.
KpxHandle letterWithClearPaper(int depth) {
    const KpxHandle image = makeColouredPicture(kF, depth);
    const KpxTransparentEntry paper{GetRValue(kPaperColour),
                                    GetGValue(kPaperColour),
                                    GetBValue(kPaperColour),
                                    0,
                                    kKpxTransparentColor,
                                    0,
                                    0};
    KPXSetImageTransparent(image, &paper, 1);
    return image;
}

// A solid 24-bit image.
KpxHandle solid(int width, int height, COLORREF c) {
    const KpxHandle image = KPXCreateImage(width, height, 24);
    kfm::test::fillColor(image, c);
    return image;
}

} // namespace

TEST(StretchBltTransparent, PlacesTheLetterThroughItsMaskAtEveryDepth) {
    const Picture expected = {"------", "-####-", "-#----", "-###--", "-#----", "-#----", "------"};
    for (const int depth : {1, 4, 8, 24}) {
        OwnedImage image(letterWithClearPaper(depth));
        Dib dib(6, 7);
        ASSERT_EQ(dib.blit(1, 1, 5, 6, image), 1) << depth;
        EXPECT_EQ(dib.drawing(), expected) << depth << " bits";
        // A rectangle given right to left and bottom to top composes the same.
        Dib reversed(6, 7);
        ASSERT_EQ(reversed.blit(5, 6, 1, 1, image), 1);
        EXPECT_EQ(reversed.drawing(), expected) << depth << " bits";
    }
}

TEST(StretchBltTransparent, ClipsAtEveryEdgeTakingTheMatchingSourcePixels) {
    OwnedImage image(letterWithClearPaper(8));
    Dib above(6, 7);
    // One column left of and two rows above the DIB: source pixels from (1, 2) on.
    ASSERT_EQ(above.blit(-1, -2, 3, 3, image), 1);
    EXPECT_EQ(above.drawing(),
              (Picture{"##----", "------", "------", "------", "------", "------", "------"}));
    Dib below(6, 7);
    ASSERT_EQ(below.blit(4, 4, 8, 9, image), 1);
    EXPECT_EQ(below.drawing(),
              (Picture{"------", "------", "------", "------", "----##", "----#-", "----##"}));
}

TEST(StretchBltTransparent, StretchesWholeAndClippedRectangles) {
    for (const int depth : {1, 8, 24}) {
        OwnedImage image(letterWithClearPaper(depth));
        Dib whole(8, 10);
        ASSERT_EQ(whole.blit(0, 0, 8, 10, image), 1);
        EXPECT_EQ(whole.drawing(),
                  (Picture{"########", "########", "##------", "##------", "######--", "######--",
                           "##------", "##------", "##------", "##------"}))
            << depth << " bits";
        // Doubled and moved two pixels up and left: source columns 1..3 and rows 1..4 are
        // cropped, then stretched onto the visible 6 x 8 pixels.
        Dib clipped(8, 10);
        ASSERT_EQ(clipped.blit(-2, -2, 6, 8, image), 1);
        EXPECT_EQ(clipped.drawing(),
                  (Picture{"--------", "--------", "####----", "####----", "--------", "--------",
                           "--------", "--------", "--------", "--------"}))
            << depth << " bits";
    }
}

TEST(StretchBltTransparent, ShrinksOntoASingleRow) {
    for (const int depth : {8, 24}) {
        OwnedImage image(letterWithClearPaper(depth));
        Dib dib(4, 2);
        ASSERT_EQ(dib.blit(0, 0, 4, 1, image), 1) << depth;
        EXPECT_EQ(dib.drawing(), (Picture{"###-", "----"})) << depth << " bits";
    }
}

TEST(StretchBltTransparent, BlendsThroughThePlane) {
    OwnedImage mask(KPXCreateImage(2, 1, 1));
    OwnedImage plane(KPXCreateImage(2, 1, 8));
    kfm::test::setIndex(plane, 0, 0, 0);
    kfm::test::setIndex(plane, 1, 0, 128);
    struct Case {
        int depth;
        COLORREF opaque, half;
    };
    // White over black: the 24-bit blend shifts by 8 bits (255 x 255 >> 8 = 254), the 8-bit one
    // divides by 255.
    const Case cases[] = {{24, RGB(254, 254, 254), RGB(126, 126, 126)},
                          {8, RGB(255, 255, 255), RGB(127, 127, 127)}};
    for (const Case& c : cases) {
        OwnedImage white(KPXCreateImage(2, 1, c.depth));
        if (c.depth == 24) {
            kfm::test::fillColor(white, RGB(255, 255, 255));
        } else {
            kfm::test::setPaletteEntry(white, 3, RGB(255, 255, 255));
            kfm::test::setIndex(white, 0, 0, 3);
            kfm::test::setIndex(white, 1, 0, 3);
        }
        Dib dib(2, 1, RGB(0, 0, 0));
        ASSERT_EQ(dib.blit(0, 0, 2, 1, white, plane, mask), 1);
        EXPECT_EQ(dib.at(0, 0), c.opaque) << c.depth;
        EXPECT_EQ(dib.at(1, 0), c.half) << c.depth;
    }
}

TEST(StretchBltTransparent, AMaskOfOnesComposesNothingButSucceeds) {
    OwnedImage image(solid(3, 2, RGB(1, 2, 3)));
    OwnedImage ones(makeMask({"###", "###"}));
    Dib dib(3, 2);
    const std::vector<std::uint8_t> before = dib.bytes();
    EXPECT_EQ(dib.blit(0, 0, 3, 2, image, 0, ones), 1);
    EXPECT_EQ(dib.bytes(), before);
}

TEST(StretchBltTransparent, RotatedImagesComposeAsTheirRotatedCopy) {
    OwnedImage image(makeColouredPicture(kF, 24));
    ASSERT_EQ(KPXSetImageRotateAngle(image, 90), 1);
    Dib dib(5, 4);
    ASSERT_EQ(dib.blit(0, 0, 5, 4, image), 1);
    EXPECT_EQ(dib.drawing(), (Picture{"#####", "..#.#", "..#.#", "....#"}));

    // A free angle leaves the uncovered corners of the DIB alone.
    OwnedImage block(solid(20, 10, kInkColour));
    ASSERT_EQ(KPXSetImageRotateAngle(block, 30), 1);
    const KpxHandle turned = KPXGetImageRotateImage(block);
    ASSERT_NE(turned, 0);
    Dib wide(KPXWidth(turned), KPXHeight(turned));
    ASSERT_EQ(wide.blit(0, 0, KPXWidth(turned), KPXHeight(turned), block), 1);
    EXPECT_EQ(wide.at(0, 0), kGround);
    EXPECT_EQ(wide.at(KPXWidth(turned) / 2, KPXHeight(turned) / 2), kInkColour);
    int ink = 0;
    for (int y = 0; y < KPXHeight(turned); ++y)
        for (int x = 0; x < KPXWidth(turned); ++x)
            ink += wide.at(x, y) == kInkColour;
    EXPECT_GT(ink, 150);
    EXPECT_EQ(wide.drawing().size(), static_cast<std::size_t>(KPXHeight(turned)));
    for (const std::string& row : wide.drawing())
        EXPECT_EQ(row.find('?'), std::string::npos) << row;
}

TEST(StretchBltTransparent, TheExplicitPlaneOfARotatedImageTurnsWithIt) {
    // A clear 1-bit mask composes every pixel; the 8-bit explicit image (all 0, opaque) is the
    // plane. Both have the unturned image's size.
    OwnedImage image(makeColouredPicture(kF, 24));
    ASSERT_EQ(KPXSetImageTransparentMask(image, KPXCreateImage(4, 5, 1)), 1);
    ASSERT_EQ(KPXSetImageTransparentEx(image, KPXCreateImage(4, 5, 8)), 1);
    ASSERT_EQ(KPXSetImageRotateAngle(image, 90), 1);
    Dib dib(5, 4, RGB(0, 0, 0));
    ASSERT_EQ(
        KPXStretchBltTransparent(0, dib.header(), dib.bits(), 0, 0, 5, 4, image, 1, 0, 0, 0, 0), 1);
    // Ink (10, 120, 230) over black through plane value 0.
    EXPECT_EQ(dib.at(0, 0), RGB(9, 119, 229));
}

TEST(StretchBltTransparent, ComposesColourSeparations) {
    OwnedImage red(solid(2, 2, RGB(255, 0, 0)));
    OwnedImage clear(KPXCreateImage(2, 2, 1));
    for (const auto& [separation, expected] :
         {std::pair{3, RGB(255, 255, 255)}, std::pair{2, RGB(0, 0, 0)}}) {
        Dib dib(2, 2);
        ASSERT_EQ(KPXStretchBltTransparent(0, dib.header(), dib.bits(), 0, 0, 2, 2, red, 0, 0,
                                           clear, separation, 1),
                  1);
        EXPECT_EQ(dib.at(1, 1), expected) << separation;
    }
}

TEST(StretchBltTransparent, RefusalsLeaveTheDibAlone) {
    OwnedImage image(letterWithClearPaper(24));
    OwnedImage opaque(solid(4, 5, kInkColour)); // no transparency: no mask
    OwnedImage rgbPlane(solid(4, 5, 0));
    OwnedImage smallMask(KPXCreateImage(3, 5, 1));
    Dib dib(6, 7);
    const std::vector<std::uint8_t> before = dib.bytes();
    EXPECT_EQ(KPXStretchBltTransparent(0, nullptr, dib.bits(), 0, 0, 4, 5, image, 0, 0, 0, 0, 0),
              0);
    EXPECT_EQ(KPXStretchBltTransparent(0, dib.header(), nullptr, 0, 0, 4, 5, image, 0, 0, 0, 0, 0),
              0);
    EXPECT_EQ(dib.blit(0, 0, 0, 5, image), 0);
    EXPECT_EQ(dib.blit(1, 3, 5, 3, image), 0);
    EXPECT_EQ(dib.blit(6, 0, 10, 5, image), 0);
    EXPECT_EQ(dib.blit(0, 7, 4, 12, image), 0);
    EXPECT_EQ(dib.blit(-4, 0, 0, 5, image), 0);
    EXPECT_EQ(dib.blit(0, -5, 4, -1, image), 0);
    EXPECT_EQ(dib.blit(0, 0, 4, 5, 0), 0);
    EXPECT_EQ(dib.blit(0, 0, 4, 5, 12345), 0);
    EXPECT_EQ(dib.blit(0, 0, 4, 5, opaque), 0);
    EXPECT_EQ(dib.blit(0, 0, 4, 5, image, rgbPlane), 0);
    EXPECT_EQ(dib.blit(0, 0, 4, 5, image, 0, smallMask), 0);
    OwnedImage deep(KPXCreateImage(4, 5, 32));
    OwnedImage mask(KPXCreateImage(4, 5, 1));
    EXPECT_EQ(dib.blit(0, 0, 4, 5, deep, 0, mask), 0);
    dib.header()->biBitCount = 32;
    EXPECT_EQ(dib.blit(0, 0, 4, 5, image), 0);
    dib.header()->biBitCount = 24;
    EXPECT_EQ(dib.bytes(), before);
}

TEST(StretchBltTransparent, ARectangleBeyondTheImageSizesFailsCleanly) {
    // A DIB 70000 pixels wide is only 210 kB, but a stretch across it would need an image wider
    // than 32767 pixels.
    OwnedImage image(solid(2, 1, kInkColour));
    OwnedImage mask(KPXCreateImage(2, 1, 1));
    Dib dib(70000, 1);
    const std::vector<std::uint8_t> before = dib.bytes();
    EXPECT_EQ(dib.blit(0, 0, 70000, 1, image, 0, mask), 0);
    EXPECT_EQ(dib.blit(-2000000000, 0, 2000000000, 1, image, 0, mask), 0);
    EXPECT_EQ(dib.bytes(), before);
    // A stretch within the sizes still composes.
    EXPECT_EQ(dib.blit(100, 0, 30100, 1, image, 0, mask), 1);
    EXPECT_EQ(dib.at(30099, 0), kInkColour);
    EXPECT_EQ(dib.at(30100, 0), kGround);
}
