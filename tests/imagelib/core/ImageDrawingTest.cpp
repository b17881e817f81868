#include "ImageDrawing.h"
#include "ImageFill.h"
#include "LibraryPalettes.h"
#include "LibraryStartup.h"
#include "PixelHelpers.h"

#include "gdi/DeviceContext.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstring>

using kfm::test::getColor;
using kfm::test::getIndex;
using kfm::test::OwnedImage;

namespace {

COLORREF pattern(int x, int y) {
    return RGB(static_cast<BYTE>(x * 7 + 1), static_cast<BYTE>(y * 13 + 2),
               static_cast<BYTE>((x ^ y) * 5 + 3));
}

KpxHandle patternImage(int width, int height) {
    const KpxHandle image = KPXCreateImage(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            kfm::test::setColor(image, x, y, pattern(x, y));
    return image;
}

KpxHandle indexImage(int width, int height) {
    const KpxHandle image = KPXCreateImage(width, height, 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            kfm::test::setIndex(image, x, y, (x * 3 + y * 17) & 255);
    return image;
}

void setRotateAngle(KpxHandle image, int angle) {
    kpx::ImageLock r(image, kKpxWrite);
    r->rotateAngle = angle;
}

// A memory DC (compatible with the screen) drawing into a library image.
class ImageDC {
public:
    explicit ImageDC(KpxHandle target) : dc_(CreateCompatibleDC(nullptr)) {
        previous_ = SelectBitmap(dc_, KPXGetBitmap(target));
    }
    ~ImageDC() {
        SelectBitmap(dc_, previous_);
        DeleteDC(dc_);
    }
    HDC get() const { return dc_; }

private:
    HDC dc_;
    HBITMAP previous_;
};

bool sameBits(KpxHandle a, KpxHandle b) {
    return KPXSizeImage(a) == KPXSizeImage(b) &&
           std::memcmp(KPXGetBits(a), KPXGetBits(b), KPXSizeImage(a)) == 0;
}

constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kUntouched = RGB(1, 2, 3);

} // namespace

TEST(ImageDrawing, StretchesInto24BitTargetsByNearestPixel) {
    struct Case {
        int srcWidth, srcHeight, left, top, width, height;
    };
    // Up by 2 at an offset, down by 3, 1:1, and mixed up and down.
    for (const Case c : {Case{5, 4, 3, 2, 10, 8}, Case{9, 6, 0, 0, 3, 2}, Case{6, 5, 1, 1, 6, 5},
                         Case{9, 3, 0, 0, 3, 6}}) {
        SCOPED_TRACE(testing::Message()
                     << c.srcWidth << "x" << c.srcHeight << " -> " << c.width << "x" << c.height);
        OwnedImage source(patternImage(c.srcWidth, c.srcHeight));
        OwnedImage target(KPXCreateImage(16, 12, 24));
        KPXFillImageByRGBColor(target, kUntouched);
        ImageDC dc(target);
        EXPECT_EQ(KPXStretchBlt(dc.get(), c.left, c.top, c.left + c.width, c.top + c.height, source,
                                0, 0, 16, 12, 2, SRCCOPY),
                  1);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inside =
                    x >= c.left && x < c.left + c.width && y >= c.top && y < c.top + c.height;
                const COLORREF expected =
                    inside ? pattern((2 * (x - c.left) + 1) * c.srcWidth / (2 * c.width),
                                     (2 * (y - c.top) + 1) * c.srcHeight / (2 * c.height))
                           : kUntouched;
                ASSERT_EQ(getColor(target, x, y), expected) << x << "," << y;
            }
    }
}

TEST(ImageDrawing, StretchesInto8BitTargetsKeepingIndices) {
    for (const auto& [width, height] : {std::pair{14, 10}, std::pair{3, 2}}) {
        OwnedImage source(indexImage(7, 5));
        OwnedImage target(KPXCreateImage(16, 12, 8));
        KPXFillImageByIndexColor(target, 200);
        ImageDC dc(target);
        ASSERT_EQ(GetDeviceCaps(dc.get(), BITSPIXEL), 8);
        EXPECT_EQ(
            KPXStretchBlt(dc.get(), 1, 1, 1 + width, 1 + height, source, 0, 0, 16, 12, 2, SRCCOPY),
            1);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inside = x >= 1 && x < 1 + width && y >= 1 && y < 1 + height;
                const int sx = (2 * (x - 1) + 1) * 7 / (2 * width);
                const int sy = (2 * (y - 1) + 1) * 5 / (2 * height);
                ASSERT_EQ(getIndex(target, x, y), inside ? (sx * 3 + sy * 17) & 255 : 200)
                    << x << "," << y;
            }
    }
}

TEST(ImageDrawing, TrueColourPicturesInto8BitTargetsTakeTheMatchingEntry) {
    const PALETTEENTRY* hard = KPXGetHardPalette();
    OwnedImage source(KPXCreateImage(4, 2, 24));
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y) {
            const PALETTEENTRY& e = hard[x * 37 + y * 101];
            kfm::test::setColor(source, x, y, RGB(e.peRed, e.peGreen, e.peBlue));
        }
    OwnedImage target(KPXCreateImage(4, 2, 8));
    ImageDC dc(target);
    EXPECT_EQ(KPXStretchBlt(dc.get(), 0, 0, 4, 2, source, 0, 0, 4, 2, 2, SRCCOPY), 1);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ(getIndex(target, x, y), x * 37 + y * 101);
}

TEST(ImageDrawing, TiledDrawingMatchesWholeDrawing) {
    // Whole multiples keep every tile edge on a pixel edge, so tiles and whole agree exactly.
    struct Case {
        int depth, srcWidth, srcHeight, width, height;
    };
    for (const Case c : {Case{24, 400, 300, 800, 600}, Case{8, 400, 300, 800, 600},
                         Case{24, 1000, 200, 200, 40}}) {
        SCOPED_TRACE(testing::Message() << c.depth << " bits, " << c.width << "x" << c.height);
        OwnedImage source(c.depth == 24 ? patternImage(c.srcWidth, c.srcHeight)
                                        : indexImage(c.srcWidth, c.srcHeight));
        OwnedImage whole(KPXCreateImage(c.width, c.height, c.depth));
        OwnedImage tiled(KPXCreateImage(c.width, c.height, c.depth));
        {
            ImageDC dc(whole);
            EXPECT_EQ(KPXStretchBlt(dc.get(), 0, 0, c.width, c.height, source, 0, 0, c.width,
                                    c.height, 2, SRCCOPY),
                      1);
        }
        {
            ImageDC dc(tiled);
            EXPECT_EQ(KPXStretchBlt(dc.get(), 0, 0, c.width, c.height, source, 0, 0, c.width,
                                    c.height, 1, SRCCOPY),
                      1);
        }
        EXPECT_TRUE(sameBits(whole, tiled));
    }
}

TEST(ImageDrawing, TilesOutsideTheClipRectangleAreSkipped) {
    OwnedImage source(patternImage(400, 300));
    OwnedImage target(KPXCreateImage(800, 600, 24));
    KPXFillImageByRGBColor(target, kUntouched);
    ImageDC dc(target);
    // Tiles of 200: only the first tile meets the clip rectangle.
    EXPECT_EQ(KPXStretchBlt(dc.get(), 0, 0, 800, 600, source, 0, 0, 100, 100, 3, SRCCOPY), 1);
    EXPECT_EQ(getColor(target, 150, 150), pattern(75, 75));
    EXPECT_EQ(getColor(target, 199, 199), pattern(99, 99));
    EXPECT_EQ(getColor(target, 200, 10), kUntouched);
    EXPECT_EQ(getColor(target, 10, 200), kUntouched);
    EXPECT_EQ(getColor(target, 700, 500), kUntouched);
}

TEST(ImageDrawing, PlaceholderForRotatedImagesAndForMode0OnADisplay) {
    struct Case {
        int mode, angle;
    };
    for (const Case c : {Case{0, 0}, Case{2, 90}, Case{3, -45}, Case{0, 180}}) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", angle " << c.angle);
        OwnedImage source(patternImage(8, 8));
        setRotateAngle(source, c.angle);
        OwnedImage target(KPXCreateImage(30, 30, 24));
        KPXFillImageByRGBColor(target, kUntouched);
        ImageDC dc(target);
        EXPECT_EQ(KPXStretchBlt(dc.get(), 2, 3, 22, 23, source, 0, 0, 30, 30, c.mode, SRCCOPY), 1);
        // Black outline on the rectangle's edge, right and bottom excluded.
        for (const auto& [x, y] : {std::pair{2, 3}, {21, 3}, {2, 22}, {21, 22}, {10, 3}, {2, 10}})
            EXPECT_EQ(getColor(target, x, y), kBlack) << x << "," << y;
        for (const auto& [x, y] : {std::pair{22, 10}, {10, 23}, {1, 3}})
            EXPECT_EQ(getColor(target, x, y), kUntouched) << x << "," << y;
        // Inside: the diagonal cross of grey lines on white, eight pixels apart.
        for (int y = 4; y < 22; ++y)
            for (int x = 3; x < 21; ++x) {
                const bool line = (x & 7) == (y & 7) || (x & 7) + (y & 7) == 7;
                ASSERT_EQ(getColor(target, x, y), line ? kGrey : kWhite) << x << "," << y;
            }
        EXPECT_EQ(kfm::gdi::currentBrush(dc.get()), GetStockBrush(NULL_BRUSH));
    }
}

TEST(ImageDrawing, PrintersDrawMode0AsAPicture) {
    OwnedImage source(patternImage(4, 3));
    QImage page(8, 6, QImage::Format_RGB32);
    page.fill(Qt::black);
    QPainter painter(&page);
    HDC dc = kfm::gdi::createPainterDC(&painter, kfm::gdi::DeviceKind::Printer, 24);
    // The result is what StretchDIBits answers: the rows drawn.
    EXPECT_EQ(KPXStretchBlt(dc, 0, 0, 8, 6, source, 0, 0, 8, 6, 0, SRCCOPY), 3);
    // An empty rectangle draws nothing on a printer.
    EXPECT_EQ(KPXStretchBlt(dc, 5, 5, 5, 9, source, 0, 0, 8, 6, 2, SRCCOPY), 0);
    DeleteDC(dc);
    painter.end();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const COLORREF c = pattern(x / 2, y / 2);
            EXPECT_EQ(page.pixel(x, y), qRgb(GetRValue(c), GetGValue(c), GetBValue(c)))
                << x << "," << y;
        }
}

TEST(ImageDrawing, ZoomStartsAtTheVisiblePartOfThePicture) {
    OwnedImage source(patternImage(10, 10));
    OwnedImage target(KPXCreateImage(30, 30, 24));
    ImageDC dc(target);
    // 400 % at (-10, -6): destination from (-2, -2), source from (2, 1).
    EXPECT_EQ(
        KPXStretchBltZoom(dc.get(), -10, -6, 30, 34, source, 0, 0, 30, 30, 2, SRCCOPY, 0, 400), 1);
    EXPECT_EQ(getColor(target, 0, 0), pattern(2, 1));
    EXPECT_EQ(getColor(target, 1, 1), pattern(2, 1));
    EXPECT_EQ(getColor(target, 2, 2), pattern(3, 2));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(getColor(target, x, y), pattern((x + 10) / 4, (y + 6) / 4)) << x << "," << y;
}

TEST(ImageDrawing, ZoomOfARotatedImageShowsThePlaceholder) {
    OwnedImage source(patternImage(10, 10));
    setRotateAngle(source, 90);
    OwnedImage target(KPXCreateImage(30, 30, 24));
    ImageDC dc(target);
    EXPECT_EQ(
        KPXStretchBltZoom(dc.get(), -10, -6, 30, 34, source, 0, 0, 30, 30, 2, SRCCOPY, 0, 400), 1);
    EXPECT_EQ(getColor(target, 5, 5), kGrey);
    EXPECT_EQ(getColor(target, 5, 6), kWhite);
}

TEST(ImageDrawing, WholeRegionIsAlignedTo8By4) {
    OwnedImage source(patternImage(40, 40));
    OwnedImage target(KPXCreateImage(32, 32, 24));
    KPXFillImageByRGBColor(target, kUntouched);
    ImageDC dc(target);
    const BITMAPINFO* info = KPXGetBitmapInfoHeader(source);
    // (5, 3) moves to (0, 0), and the source origin (10, 7) by the same amounts to (5, 4).
    EXPECT_NE(
        KPXBitmapDrawVFWWhole(info, KPXGetBits(source), dc.get(), 5, 3, 20, 12, 10, 7, nullptr), 0);
    EXPECT_EQ(getColor(target, 0, 0), pattern(5, 4));
    EXPECT_EQ(getColor(target, 19, 11), pattern(24, 15));
    EXPECT_EQ(getColor(target, 20, 5), kUntouched);
    EXPECT_EQ(getColor(target, 5, 12), kUntouched);
}

TEST(ImageDrawing, SeparatedPlatesAreDrawnAndFreed) {
    OwnedImage source(patternImage(6, 6));
    OwnedImage plate(KPXCreateImageSeparateColor(source, 5, 0));
    OwnedImage expected(KPXCreateImage(6, 6, 24));
    OwnedImage target(KPXCreateImage(6, 6, 24));
    {
        ImageDC dc(expected);
        ASSERT_EQ(KPXStretchBlt(dc.get(), 0, 0, 6, 6, plate, 0, 0, 6, 6, 2, SRCCOPY), 1);
    }
    const int live = KpxLiveImageCount();
    ImageDC dc(target);
    EXPECT_EQ(KPXStretchBltSeparate(dc.get(), 0, 0, 6, 6, source, 0, 0, 6, 6, 2, SRCCOPY, 5, 0), 1);
    EXPECT_EQ(KpxLiveImageCount(), live);
    EXPECT_TRUE(sameBits(expected, target));
}

TEST(ImageDrawing, LibraryPaletteGoesOnlyToPaletteDevices) {
    QImage screen(4, 4, QImage::Format_RGB32);
    QPainter painter(&screen);
    HDC display24 = kfm::gdi::createPainterDC(&painter, kfm::gdi::DeviceKind::RasterDisplay, 24);
    const HPALETTE before = kfm::gdi::currentPalette(display24);
    EXPECT_EQ(KPXSet256PaletteToDC(display24, 0), 0);
    EXPECT_EQ(kfm::gdi::currentPalette(display24), before);
    DeleteDC(display24);

    ASSERT_EQ(KPXUseVFW(), 1);
    HDC display8 = kfm::gdi::createPainterDC(&painter, kfm::gdi::DeviceKind::RasterDisplay, 8);
    EXPECT_EQ(KPXSet256PaletteToDC(display8, 1), 0);
    EXPECT_EQ(kfm::gdi::currentPalette(display8), KPXGetHPalette());
    EXPECT_EQ(kfm::gdi::paletteSize(KPXGetHPalette()), 256);
    DeleteDC(display8);
    EXPECT_EQ(KPXSet256PaletteToDC(nullptr, 0), 0);
}

TEST(ImageDrawing, BadHandlesAndArgumentsGiveZero) {
    OwnedImage source(patternImage(4, 4));
    OwnedImage target(KPXCreateImage(8, 8, 24));
    ImageDC dc(target);
    EXPECT_EQ(KPXStretchBlt(dc.get(), 0, 0, 8, 8, 0, 0, 0, 8, 8, 2, SRCCOPY), 0);
    EXPECT_EQ(KPXStretchBlt(dc.get(), 0, 0, 8, 8, 4321, 0, 0, 8, 8, 2, SRCCOPY), 0);
    EXPECT_EQ(KPXStretchBlt(nullptr, 0, 0, 8, 8, source, 0, 0, 8, 8, 2, SRCCOPY), 0);
    EXPECT_EQ(KPXBitBlt(dc.get(), 0, 0, 8, 8, 0, 0, 0, 8, 8, 2, SRCCOPY), 0);
    EXPECT_EQ(KPXStretchBltZoom(dc.get(), -4, -4, 8, 8, 0, 0, 0, 8, 8, 2, SRCCOPY, 0, 200), 0);
    EXPECT_EQ(KPXStretchBltSeparate(dc.get(), 0, 0, 8, 8, 0, 0, 0, 8, 8, 2, SRCCOPY, 3, 0), 0);
    EXPECT_EQ(KPXBitmapDrawVFW(4321, KPXGetBitmapInfoHeader(source), KPXGetBits(source), dc.get(),
                               0, 0, 8, 8, 0, 0, 4, 4, 0, 0, 8, 8, 2, SRCCOPY, nullptr),
              0);
    EXPECT_EQ(KPXBitmapDrawVFW(source, nullptr, nullptr, dc.get(), 0, 0, 8, 8, 0, 0, 4, 4, 0, 0, 8,
                               8, 2, SRCCOPY, nullptr),
              0);
    // An empty destination draws nothing; the image stays usable afterwards.
    EXPECT_EQ(KPXStretchBlt(dc.get(), 5, 5, 5, 8, source, 0, 0, 8, 8, 2, SRCCOPY), 0);
    EXPECT_EQ(KpxGetImagePermission(source, 0), kKpxFree);
    EXPECT_EQ(KPXBitBlt(dc.get(), 0, 0, 4, 4, source, 0, 0, 8, 8, 2, SRCCOPY), 1);
    EXPECT_EQ(getColor(target, 3, 3), pattern(3, 3));
}
