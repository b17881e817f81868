// The 8-bit picture of a render: exact colours for the few colours of a control, index 0 for
// the background of a transparent control and for nothing else, and the quantiser for a render
// of more colours than a palette holds.

#include "CaptureConversion.h"

#include "PaletteRender.h"
#include "SysControlTestSupport.h"
#include "gdi/SystemLook.h"

#include <QImage>

#include <gtest/gtest.h>

#include <set>

namespace {

using kfm::syscontrols::ConvertCapture;

QRgb colourAt(const QImage& picture, int x, int y) {
    return picture.color(picture.pixelIndex(x, y)) & 0xFFFFFF;
}

TEST(CaptureConversionTest, FewColoursStayExactInTheOrderTheyAppear) {
    QImage render(8, 4, QImage::Format_RGB32);
    render.fill(qRgb(212, 208, 200));
    render.setPixel(3, 1, qRgb(0, 0, 0));
    render.setPixel(6, 2, qRgb(255, 0, 0)); // the control's own red
    const KpxHandle capture = ConvertCapture(render, nullptr, QRegion());
    ASSERT_NE(capture, 0);
    const QImage picture = kfm::test::IndexedPicture(capture);
    EXPECT_EQ(picture.pixelIndex(0, 0), 0);
    EXPECT_EQ(picture.pixelIndex(3, 1), 1);
    EXPECT_EQ(picture.pixelIndex(6, 2), 2);
    EXPECT_EQ(colourAt(picture, 6, 2), 0xFF0000u);
    EXPECT_EQ(GetImageTransparentIndex(capture), -1);
    // The rest of the palette is the library's fine palette.
    EXPECT_EQ(KPXGetColorFromPalette(capture, 200),
              RGB(KPXGetFinePalette()[200].peRed, KPXGetFinePalette()[200].peGreen,
                  KPXGetFinePalette()[200].peBlue));
    KPXDeleteImage(capture);
}

TEST(CaptureConversionTest, TheBackgroundOfATransparentControlIsIndexZero) {
    QImage red(6, 3, QImage::Format_RGB32);
    QImage blue(6, 3, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    blue.fill(qRgb(0, 0, 255));
    // A face-coloured pixel of the control, and a red one that stays red over blue.
    for (QImage* render : {&red, &blue}) {
        render->setPixel(1, 1, qRgb(212, 208, 200));
        render->setPixel(4, 1, qRgb(255, 0, 0));
    }
    const KpxHandle capture = ConvertCapture(red, &blue, QRegion());
    ASSERT_NE(capture, 0);
    const QImage picture = kfm::test::IndexedPicture(capture);
    EXPECT_EQ(GetImageTransparentIndex(capture), 0);
    EXPECT_EQ(KPXGetColorFromPalette(capture, 0), GetSysColor(COLOR_3DFACE));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool control = y == 1 && (x == 1 || x == 4);
            EXPECT_EQ(picture.pixelIndex(x, y) == 0, !control) << x << "," << y;
        }
    EXPECT_EQ(colourAt(picture, 1, 1), 0xD4D0C8u);
    EXPECT_EQ(colourAt(picture, 4, 1), 0xFF0000u);
    KPXDeleteImage(capture);
}

TEST(CaptureConversionTest, ManyColoursGoThroughTheQuantiser) {
    QImage render(64, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            render.setPixel(x, y, qRgb(x * 4, y * 16, (x * 7 + y * 3) & 255));
    const KpxHandle capture = ConvertCapture(render, nullptr, QRegion());
    ASSERT_NE(capture, 0);
    EXPECT_EQ(KPXbpp(capture), 8);
    const QImage picture = kfm::test::IndexedPicture(capture);
    std::set<int> used;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            used.insert(picture.pixelIndex(x, y));
    EXPECT_GT(used.size(), 100u);
    // Near the rendered colour.
    const QRgb c = colourAt(picture, 32, 8);
    EXPECT_LE(std::abs(qRed(c) - 128), 24);
    EXPECT_LE(std::abs(qGreen(c) - 128), 24);
    KPXDeleteImage(capture);
    EXPECT_EQ(ConvertCapture(QImage(), nullptr, QRegion()), 0);
}

} // namespace
