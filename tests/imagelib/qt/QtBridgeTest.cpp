// The Qt-facing forms of the library: QPainter drawing against the device-context road, QImage
// views without copies, transparency as alpha and images made from QImage.

#include "Bitra5Qt.h"

#include "../core/PixelHelpers.h"
#include "gdi/DeviceContext.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <string>

using kfm::test::getColor;
using kfm::test::getIndex;
using kfm::test::OwnedImage;

namespace {

constexpr QRgb kUntouched = 0xFF010203;

// A picture of the given depth whose pixels differ from their neighbours and rows.
KpxHandle patternImage(int width, int height, int depth) {
    const KpxHandle image = KPXCreateImage(width, height, depth);
    const int colours = depth >= 24 ? 0 : 1 << depth;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (colours)
                kfm::test::setIndex(image, x, y, (x * 3 + y * 5) % colours);
            else
                kfm::test::setColor(image, x, y, RGB(x * 9 + 1, y * 17 + 2, (x ^ y) * 3 + 4));
        }
    return image;
}

// The colour of a pixel of any depth (from the top-left).
QRgb libraryColour(KpxHandle image, int x, int y) {
    if (KPXbpp(image) >= 24) {
        const COLORREF c = getColor(image, x, y);
        return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
    }
    const COLORREF c = KPXGetColorFromPalette(image, getIndex(image, x, y));
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

QImage blankCanvas(int width, int height) {
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(kUntouched);
    return canvas;
}

// The same drawing through a memory DC into a 24-bit library image, as a QImage.
template <class Draw> QImage drawnThroughDeviceContext(int width, int height, Draw draw) {
    const OwnedImage target(KPXCreateImage(width, height, 24));
    KPXFillImageByRGBColor(target, RGB(qRed(kUntouched), qGreen(kUntouched), qBlue(kUntouched)));
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP previous = SelectBitmap(dc, KPXGetBitmap(target));
    draw(dc);
    SelectBitmap(dc, previous);
    DeleteDC(dc);
    return KpxImageToQImage(target, false).convertToFormat(QImage::Format_RGB32);
}

std::string firstDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return "sizes differ";
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
    return {};
}

} // namespace

TEST(QtDrawing, PainterFormsDrawWhatTheDeviceContextFormsDraw) {
    struct Case {
        const char* name;
        int depth, left, top, right, bottom, zoom;
    };
    const Case cases[] = {
        {"1-bit, own size", 1, 2, 3, 15, 12, 0},
        {"4-bit, stretched", 4, 0, 0, 39, 30, 0},
        {"8-bit, shrunk", 8, 5, 1, 11, 6, 0},
        {"24-bit, own size", 24, 4, 4, 17, 13, 0},
        {"24-bit, zoom 400 scrolled", 24, -9, -6, 43, 30, 400},
        {"8-bit, zoom 200 scrolled", 8, -3, -1, 23, 17, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OwnedImage image(patternImage(13, 9, c.depth));
        QImage painted = blankCanvas(40, 32);
        {
            QPainter painter(&painted);
            const short drawn = c.zoom
                                    ? KPXStretchBltZoom(painter, c.left, c.top, c.right, c.bottom,
                                                        image, 0, 0, 40, 32, 2, SRCCOPY, 0, c.zoom)
                                    : KPXStretchBlt(painter, c.left, c.top, c.right, c.bottom,
                                                    image, 0, 0, 40, 32, 2, SRCCOPY);
            EXPECT_EQ(drawn, 1);
        }
        const QImage expected = drawnThroughDeviceContext(40, 32, [&](HDC dc) {
            if (c.zoom)
                KPXStretchBltZoom(dc, c.left, c.top, c.right, c.bottom, image, 0, 0, 40, 32, 2,
                                  SRCCOPY, 0, c.zoom);
            else
                KPXStretchBlt(dc, c.left, c.top, c.right, c.bottom, image, 0, 0, 40, 32, 2,
                              SRCCOPY);
        });
        EXPECT_EQ(firstDifference(painted, expected), "");
        // The picture's top-left pixel lands at the rectangle's top-left corner, the right way up.
        if (!c.zoom && c.right - c.left == 13) {
            EXPECT_EQ(painted.pixel(c.left, c.top), libraryColour(image, 0, 0));
        }
    }
}

TEST(QtDrawing, FrameOfAChainIsDrawnAtItsScreenPosition) {
    const OwnedImage frame(patternImage(6, 4, 24));
    FrameInfo info{};
    KPXGetImageFramesInfo(frame, &info);
    info.left = 7;
    info.top = 5;
    KPXSetImageFramesInfo(frame, &info);
    QImage painted = blankCanvas(20, 12);
    {
        QPainter painter(&painted);
        EXPECT_EQ(KPXBitBltFrame(painter, 1, 2, frame, 0, 0, 0, 20, 12, 2, SRCCOPY), 1);
    }
    EXPECT_EQ(painted.pixel(8, 7), libraryColour(frame, 0, 0));
    EXPECT_EQ(painted.pixel(13, 10), libraryColour(frame, 5, 3));
    EXPECT_EQ(painted.pixel(7, 7), kUntouched);
}

TEST(QtDrawing, NoImageDrawsNothing) {
    QImage painted = blankCanvas(8, 8);
    {
        QPainter painter(&painted);
        EXPECT_EQ(KPXStretchBlt(painter, 0, 0, 8, 8, 0, 0, 0, 8, 8, 2, SRCCOPY), 0);
        EXPECT_EQ(KPXBitBlt(painter, 0, 0, 8, 8, 0, 0, 0, 8, 8, 2, SRCCOPY), 0);
        EXPECT_EQ(KPXStretchBltZoom(painter, 0, 0, 8, 8, 0, 0, 0, 8, 8, 2, SRCCOPY, 0, 400), 0);
    }
    EXPECT_EQ(painted, blankCanvas(8, 8));
}

TEST(QtImageView, SharesTheImageMemoryWhereQtHasTheDepth) {
    struct Case {
        int depth;
        bool shared;
    };
    for (const Case c : {Case{1, true}, Case{4, false}, Case{8, true}, Case{24, true}}) {
        SCOPED_TRACE(c.depth);
        const OwnedImage image(patternImage(11, 7, c.depth));
        const std::uint8_t* bits = KPXGetBits(image);
        const KpxImageView view(image);
        ASSERT_TRUE(view);
        EXPECT_EQ(view.sharesMemory(), c.shared);
        EXPECT_EQ(view.storedRows().constBits() == bits, c.shared);
        const QImage upright = view.upright();
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 11; ++x)
                ASSERT_EQ(upright.pixel(x, y) | 0xFF000000, libraryColour(image, x, y))
                    << x << "," << y;
    }
}

TEST(QtImageView, UprightRgb32IsThePictureAndReusesItsTarget) {
    QImage target;
    for (const int depth : {24, 8, 1}) {
        for (const int width : {13, 16, 1}) {
            SCOPED_TRACE(std::to_string(depth) + " bits, " + std::to_string(width) + " wide");
            const OwnedImage image(patternImage(width, 5, depth));
            KpxImageView(image).uprightRgb32(target);
            ASSERT_EQ(target.format(), QImage::Format_RGB32);
            ASSERT_EQ(target.size(), QSize(width, 5));
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(target.pixel(x, y), libraryColour(image, x, y)) << x << "," << y;
        }
    }
    // A target of the right size and format keeps its memory.
    const OwnedImage image(patternImage(13, 5, 24));
    target = QImage(13, 5, QImage::Format_RGB32);
    const uchar* memory = target.constBits();
    KpxImageView(image).uprightRgb32(target);
    EXPECT_EQ(target.constBits(), memory);
}

TEST(QtImageView, HoldsTheImageUntilTheViewEnds) {
    const int before = KpxLiveImageCount();
    const KpxHandle image = patternImage(5, 5, 24);
    const QRgb corner = libraryColour(image, 4, 4);
    {
        const KpxImageView view(image);
        EXPECT_EQ(KpxGetImagePermission(image, 0), kKpxRead);
        // A delete meanwhile waits for the view; its pixels stay readable.
        KPXDeleteImage(image);
        EXPECT_EQ(view.upright().pixel(4, 4), corner);
    }
    EXPECT_EQ(KpxLiveImageCount(), before);
}

TEST(QtImageView, NoImageGivesAnEmptyView) {
    const KpxImageView view(0);
    EXPECT_FALSE(view);
    EXPECT_TRUE(view.upright().isNull());
    EXPECT_TRUE(KpxImageToQImage(0, true).isNull());
}

TEST(QtImageView, DrawsAPartOfThePictureTheRightWayUp) {
    const OwnedImage image(patternImage(10, 8, 8));
    QImage painted = blankCanvas(12, 12);
    {
        QPainter painter(&painted);
        KpxImageView(image).draw(painter, QRectF(1, 2, 8, 6), QRectF(2, 1, 4, 3));
    }
    // Source pixel (2 + x/2, 1 + y/2) fills target pixel (1 + x, 2 + y).
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(painted.pixel(1 + x, 2 + y), libraryColour(image, 2 + x / 2, 1 + y / 2))
                << x << "," << y;
    EXPECT_EQ(painted.pixel(0, 2), kUntouched);
    EXPECT_EQ(painted.pixel(9, 2), kUntouched);
}

TEST(QtImageConversion, TransparencyBecomesAlpha) {
    const OwnedImage image(patternImage(6, 4, 8));
    kfm::test::setIndex(image, 2, 1, 77);
    const KpxTransparentEntry entry{0, 0, 77, 0, 1, 0, 0};
    ASSERT_TRUE(KPXSetImageTransparent(image, &entry, 1));
    const QImage picture = KpxImageToQImage(image, true);
    ASSERT_TRUE(picture.hasAlphaChannel());
    EXPECT_EQ(qAlpha(picture.pixel(2, 1)), 0);
    EXPECT_EQ(qAlpha(picture.pixel(3, 1)), 255);
    EXPECT_FALSE(KpxImageToQImage(image, false).hasAlphaChannel());

    // A graded transparency image: 255 is fully transparent, lower values partly.
    const OwnedImage graded(patternImage(6, 4, 24));
    const KpxHandle plane = KPXCreateImage(6, 4, 8);
    kfm::test::setIndex(plane, 0, 0, 255);
    kfm::test::setIndex(plane, 1, 0, 100);
    ASSERT_TRUE(KPXSetImageTransparentEx(graded, plane));
    const QImage blended = KpxImageToQImage(graded, true);
    EXPECT_EQ(qAlpha(blended.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(blended.pixel(1, 0)), 155);
    EXPECT_EQ(qAlpha(blended.pixel(2, 0)), 255);
    EXPECT_EQ(blended.pixel(2, 3) | 0xFF000000, libraryColour(graded, 2, 3));
}

TEST(QtImageConversion, QImagesBecomeImagesOfTheMatchingDepth) {
    QImage indexed(9, 5, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 0), qRgb(1, 2, 3)});
    QImage mono(13, 3, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    QImage colour(7, 6, QImage::Format_ARGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 13; ++x) {
            if (x < 9 && y < 5)
                indexed.setPixel(x, y, static_cast<uint>((x + y) % 3));
            if (y < 3)
                mono.setPixel(x, y, static_cast<uint>((x * y) & 1));
            if (x < 7)
                colour.setPixel(x, y, qRgba(x * 30, y * 40, 99, x * 20));
        }
    struct Case {
        const char* name;
        QImage picture;
        int depth;
    };
    const Case cases[] = {{"indexed", indexed, 8},
                          {"mono", mono, 1},
                          {"mono, low bit first", mono.convertToFormat(QImage::Format_MonoLSB), 1},
                          {"colour with alpha", colour, 24},
                          {"colour", colour.convertToFormat(QImage::Format_RGB888), 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OwnedImage image(KPXCreateImageFromQImage(c.picture));
        ASSERT_NE(image.get(), 0);
        EXPECT_EQ(KPXbpp(image), c.depth);
        ASSERT_EQ(KPXWidth(image), c.picture.width());
        ASSERT_EQ(KPXHeight(image), c.picture.height());
        for (int y = 0; y < c.picture.height(); ++y)
            for (int x = 0; x < c.picture.width(); ++x) {
                ASSERT_EQ(libraryColour(image, x, y), c.picture.pixel(x, y) | 0xFF000000)
                    << x << "," << y;
                if (c.depth == 8) {
                    ASSERT_EQ(getIndex(image, x, y), c.picture.pixelIndex(x, y));
                }
            }
    }
    EXPECT_EQ(KPXCreateImageFromQImage(QImage()), 0);
}
