// The small controls driven offscreen: the colour button's tooltip, clicks and faces, the corner
// control's marks, the image preview's painting and closing, the swatch and the image static.

#include "SmallControls.h"
#include "ColourTexts.h"
#include "ControlDrawing.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

using kfm::test::ArtifactPath;
using kfm::test::WaitFor;
using namespace kfm::ui;
namespace sh = kfm::shell;

QString expectedTip(UINT format, int index, COLORREF colour) {
    const std::string f = ResourceText(format);
    return FromCodePage1252(index < 0 ? sh::ColourText(f, colour)
                                      : sh::PaletteColourText(f, index, colour));
}

// Asks the widget for its tooltip the way the application does when the mouse rests on it.
QString shownTip(QWidget& widget) {
    QToolTip::hideText();
    const QPoint at = widget.rect().center();
    QHelpEvent help(QEvent::ToolTip, at, widget.mapToGlobal(at));
    QApplication::sendEvent(&widget, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST(ColorButton, TooltipNamesTheColourOnlyWhenEnabled) {
    CColorButton button;
    button.resize(40, 20);
    button.show();
    button.SetColor(RGB(10, 20, 30));
    EXPECT_EQ(button.TipText(), expectedTip(kfm5res::IDS_COLOUR_TIP, -1, RGB(10, 20, 30)));
    EXPECT_TRUE(shownTip(button).isEmpty()) << "a tooltip that is off stays hidden";

    button.EnableToolTip(true);
    button.SetPaletteColor(RGB(255, 0, 128), 200);
    const QString tip = expectedTip(kfm5res::IDS_PALETTE_COLOUR_TIP, 200, RGB(255, 0, 128));
    EXPECT_TRUE(tip.contains("200") && tip.contains("FF0080")) << tip.toStdString();
    EXPECT_EQ(shownTip(button), tip);

    // The colour alone keeps the palette index.
    button.SetColor(RGB(1, 2, 3));
    EXPECT_EQ(button.GetPaletteIndex(), 200);
    EXPECT_EQ(button.GetColor(), RGB(1, 2, 3));
    EXPECT_EQ(shownTip(button), expectedTip(kfm5res::IDS_COLOUR_TIP, -1, RGB(1, 2, 3)));
    QToolTip::hideText();
}

TEST(ColorButton, OnlyAClickableButtonTakesLeftClicks) {
    CColorButton button;
    button.resize(40, 20);
    button.show();
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    button.SetHandCursor(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseDClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button.cursor().shape(), Qt::ArrowCursor);
    button.SetHandCursor(true);
    EXPECT_NE(button.cursor().shape(), Qt::ArrowCursor);
}

TEST(ColorButton, FacesShowTheColour) {
    CColorButton raised;
    raised.resize(30, 16);
    raised.SetColor(RGB(0, 200, 0));
    const QImage face = raised.grab().toImage();
    EXPECT_EQ(face.pixel(15, 8), qRgb(0, 200, 0));
    EXPECT_EQ(face.pixel(0, 0), HighlightColour(raised.palette()).rgb());
    EXPECT_EQ(face.pixel(29, 15), DarkShadowColour(raised.palette()).rgb());
    EXPECT_EQ(face.pixel(28, 8), ShadowColour(raised.palette()).rgb());

    CColorButton flat;
    flat.resize(30, 16);
    flat.SetColor(RGB(0, 0, 200));
    flat.SetDrawStyle(1);
    QImage plain = flat.grab().toImage();
    EXPECT_EQ(plain.pixel(1, 1), qRgb(0, 0, 200));
    EXPECT_EQ(plain.pixel(0, 0), ShadowColour(flat.palette()).rgb());
    flat.SetBlackFrame(true);
    plain = flat.grab().toImage();
    EXPECT_EQ(plain.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(plain.pixel(29, 15), qRgb(0, 0, 0));

    // A disabled 3-D button shows no colour.
    raised.setEnabled(false);
    EXPECT_EQ(raised.grab().toImage().pixel(15, 8), FaceColour(raised.palette()).rgb());
}

TEST(CornerControl, ClicksToggleEnabledMarksAndReachTheButton) {
    CCornerControl corner;
    corner.resize(60, 60);
    corner.show();
    QSignalSpy clicks(&corner, &QAbstractButton::clicked);
    const sh::CornerGeometry g = sh::CornerGeometryFor(60, 60);
    const auto centre = [&](int side) {
        const POINT p = sh::CornerMarkCentre(g, side);
        return QPoint(p.x, p.y);
    };
    QTest::mouseClick(&corner, Qt::LeftButton, {}, centre(sh::kSideTop));
    EXPECT_EQ(corner.GetType(), sh::kSideTop);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(&corner, Qt::LeftButton, {}, centre(sh::kSideLeft));
    QTest::mouseClick(&corner, Qt::LeftButton, {}, centre(sh::kSideTop));
    EXPECT_EQ(corner.GetType(), sh::kSideLeft);
    // The middle hits no mark; the button still gets its click.
    QTest::mouseClick(&corner, Qt::LeftButton, {}, QPoint(29, 29));
    EXPECT_EQ(corner.GetType(), sh::kSideLeft);
    EXPECT_EQ(clicks.count(), 4);
    // A disabled mark ignores clicks but can be selected by the program.
    corner.EnableMark(sh::kSideBottom, false);
    QTest::mouseClick(&corner, Qt::LeftButton, {}, centre(sh::kSideBottom));
    EXPECT_EQ(corner.GetType(), sh::kSideLeft);
    corner.SetType(true, false, false, true);
    EXPECT_EQ(corner.GetType(), sh::kSideLeft | sh::kSideBottom);
    EXPECT_EQ(corner.EnabledMarks(), sh::kAllSides & ~sh::kSideBottom);
    corner.EnableMark(16, true); // not a side: the bits change, nothing is redrawn
    EXPECT_EQ(corner.EnabledMarks(), (sh::kAllSides & ~sh::kSideBottom) | 16);
}

TEST(CornerControl, SelectedMarksShowTheIconGreyedWhenDisabled) {
    CCornerControl corner;
    corner.resize(60, 60);
    corner.EnableMark(sh::kSideRight, false);
    corner.SetType(sh::kSideLeft | sh::kSideRight);
    const QImage picture = corner.grab().toImage();
    corner.grab().save(ArtifactPath("corner-control.png"));
    const sh::CornerGeometry g = sh::CornerGeometryFor(60, 60);
    // A pixel of the icon's black body: 3 left of the centre, on its row.
    const auto iconPixel = [&](int side) {
        const POINT c = sh::CornerMarkCentre(g, side);
        return picture.pixelColor(c.x - 3, c.y);
    };
    EXPECT_EQ(iconPixel(sh::kSideLeft), QColor(Qt::black));
    EXPECT_NE(iconPixel(sh::kSideRight), QColor(Qt::black));
    // An unselected enabled mark is white inside a black border.
    const RECT top = sh::CornerMarkRect(g, sh::kSideTop);
    EXPECT_EQ(picture.pixelColor(top.left + 3, top.top + 3), QColor(Qt::white));
    EXPECT_EQ(picture.pixelColor(top.left, top.top), QColor(Qt::black));
    // The disabled mark has the face colour.
    const RECT right = sh::CornerMarkRect(g, sh::kSideRight);
    EXPECT_EQ(picture.pixel(right.left + 1, right.top + 1), FaceColour(corner.palette()).rgb());
}

KpxHandle solidImage(int width, int height, COLORREF colour) {
    const KpxHandle image = KPXCreateImage(width, height, 24);
    KPXFillImageByRGBColor2(image, colour, 0, 0, width - 1, height - 1);
    return image;
}

TEST(ImagePreview, StretchesOrCentresAndOwnsItsImage) {
    CImagePreview preview;
    preview.resize(40, 30);
    const QColor face = FaceColour(preview.palette());
    EXPECT_EQ(preview.grab().toImage().pixel(20, 15), face.rgb());

    preview.SetImage(solidImage(4, 4, RGB(200, 0, 0)));
    QImage picture = preview.grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(200, 0, 0));
    EXPECT_EQ(picture.pixelColor(39, 29), QColor(200, 0, 0));

    preview.SetStretch(false);
    picture = preview.grab().toImage();
    EXPECT_EQ(picture.pixelColor(20, 15), QColor(200, 0, 0));
    EXPECT_EQ(picture.pixel(2, 2), face.rgb());
    preview.SetFrame(true);
    picture = preview.grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::black));

    // A second image replaces the first, the same one again is kept.
    const KpxHandle second = solidImage(2, 2, RGB(0, 0, 200));
    preview.SetImage(second);
    preview.SetImage(second);
    EXPECT_EQ(preview.GetImage(), second);
    EXPECT_EQ(KPXWidth(second), 2);
    EXPECT_EQ(preview.grab().toImage().pixelColor(20, 15), QColor(0, 0, 200));
}

TEST(ImagePreview, AClickOrKeyClosesTheParentOnlyWhenAsked) {
    QWidget window;
    auto* preview = new CImagePreview(&window);
    preview->resize(20, 20);
    window.show();
    QTest::mouseClick(preview, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
    preview->SetCloseOnClick(true);
    QTest::mouseClick(preview, Qt::RightButton);
    EXPECT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    window.show();
    QTest::keyClick(preview, Qt::Key_A);
    EXPECT_TRUE(WaitFor([&] { return !window.isVisible(); }));
}

TEST(ColorSwatch, FillsWithItsColourAndFrame) {
    CColorSwatch swatch;
    swatch.resize(20, 10);
    swatch.SetColor(RGB(1, 2, 250));
    EXPECT_EQ(swatch.GetColor(), RGB(1, 2, 250));
    QImage picture = swatch.grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(1, 2, 250));
    swatch.SetFrame(true);
    picture = swatch.grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(picture.pixelColor(5, 5), QColor(1, 2, 250));
}

TEST(ImageStatic, ShowsTheFirstImageOfTheStrip) {
    CImageStatic missing;
    EXPECT_FALSE(missing.CreateImageList(1, 16, 0x808000));
    EXPECT_TRUE(missing.Image().isNull());

    CImageStatic strip;
    strip.resize(16, 16);
    ASSERT_TRUE(strip.CreateImageList(kfm5res::kIconCornerMark, 5, RGB(255, 255, 255)));
    EXPECT_EQ(strip.Image().width(), 5);
    EXPECT_EQ(strip.Image().height(), 10);
}

TEST(SmallControls, Screenshot) {
    QWidget panel;
    auto* layout = new QHBoxLayout(&panel);
    auto* raised = new CColorButton(&panel);
    raised->SetColor(RGB(255, 128, 0));
    auto* flat = new CColorButton(&panel);
    flat->SetColor(RGB(0, 128, 255));
    flat->SetDrawStyle(1);
    auto* corner = new CCornerControl(&panel);
    corner->SetType(sh::kSideTop | sh::kSideLeft);
    corner->setFixedSize(60, 60);
    auto* swatch = new CColorSwatch(&panel);
    swatch->SetColor(RGB(0, 160, 0));
    swatch->SetFrame(true);
    swatch->setFixedSize(30, 30);
    auto* preview = new CImagePreview(&panel);
    preview->SetImage(solidImage(8, 8, RGB(120, 0, 120)));
    preview->setFixedSize(40, 40);
    for (QWidget* w : std::initializer_list<QWidget*>{raised, flat, corner, swatch, preview})
        layout->addWidget(w);
    panel.show();
    QApplication::processEvents();
    EXPECT_TRUE(panel.grab().save(ArtifactPath("small-controls.png")));
}

} // namespace
