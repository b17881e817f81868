// The image edit window driven offscreen: zoom, fitting, scrolling, the mouse tools, the context
// menu, keys, and the freehand stroke that cannot grow.

#include "ImageEditWnd.h"
#include "ViewTestSupport.h"

#include "Bitra5Qt.h"
#include "Bitra5Testing.h"
#include "Kfm5ResourceIds.h"
#include "PopupMenu.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

using kfm::ui::CImageEditWnd;
namespace ie = kfm::shell::imageedit;

// An 8-bit picture of stripes: pixel (x, y) has index (x / 4 + y / 3) % 8 + 10.
KpxHandle stripes(int width, int height) {
    const KpxHandle image = KPXCreateImage(width, height, 8);
    std::uint8_t* bits = KPXGetBits(image);
    const int scan = KPXGetScanBytes(image);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bits[(height - 1 - y) * scan + x] = static_cast<std::uint8_t>((x / 4 + y / 3) % 8 + 10);
    KPXFillDIBColorTable(image);
    return image;
}

QRgb colourOf(COLORREF c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

class ImageEditWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        imagesBefore = KpxLiveImageCount();
        window = std::make_unique<CImageEditWnd>();
        window->setFrameStyle(0);
        window->resize(220, 170);
        window->show();
        QApplication::setActiveWindow(window.get());
        image = stripes(40, 30);
        window->SetImage(image, true);
        QApplication::processEvents();
    }
    void TearDown() override {
        window.reset();
        KPXDeleteImage(image);
        EXPECT_EQ(KpxLiveImageCount(), imagesBefore) << "images left behind";
    }
    QWidget* view() { return window->viewport(); }
    // The client point of the centre of image pixel (x, y).
    QPoint pixelCentre(int x, int y) {
        RECT r;
        window->GetImageClientRect(&r);
        const int zoom = window->ShownZoom();
        return QPoint(r.left + x * zoom / 100 + zoom / 200, r.top + y * zoom / 100 + zoom / 200);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mousePress(view(), Qt::LeftButton, modifiers, from);
        QTest::mouseMove(view(), (from + to) / 2);
        QTest::mouseMove(view(), to);
        QTest::mouseRelease(view(), Qt::LeftButton, modifiers, to);
    }

    std::unique_ptr<CImageEditWnd> window;
    KpxHandle image = 0;
    int imagesBefore = 0;
};

TEST_F(ImageEditWndTest, StartsFittedAndSnapsZoomRequestsToSteps) {
    EXPECT_EQ(window->Zoom(), 0);
    EXPECT_EQ(window->SetZoom(-1), 100);
    const struct {
        int request, zoom;
    } cases[] = {{45, 50}, {1400, 800}, {1401, 1600}, {0, 25}, {-1, 25}};
    for (const auto& c : cases)
        EXPECT_EQ(window->SetZoom(c.request), c.zoom) << c.request;
}

TEST_F(ImageEditWndTest, FitShowsSmallImagesCentredAndShrinksLargeOnes) {
    RECT r;
    window->GetImageClientRect(&r);
    EXPECT_EQ(r.right - r.left, 40);
    EXPECT_EQ(r.left, (view()->width() - 40) / 2);
    const KpxHandle wide = stripes(1000, 100);
    window->SetImage(wide, true);
    KPXDeleteImage(wide);
    window->GetImageClientRect(&r);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.right, view()->width() - 2);
    EXPECT_EQ(window->horizontalScrollBar()->maximum(), 0);
}

TEST_F(ImageEditWndTest, PaintsTheImageOverTheChessboardAtFitAnd400Percent) {
    window->SetChessboard(4, RGB(255, 255, 255), RGB(200, 200, 200));
    window->SetTransparentIndex(10, true);
    EXPECT_EQ(window->CurrentColour(), KPXGetColorFromPalette(image, 10));
    const QImage fitted = view()->grab().toImage();
    EXPECT_TRUE(fitted.save(kfm::test::ArtifactPath("image-edit-fit.png")));
    // Pixel (0, 0) has the transparent index: the chessboard shows; (5, 0) its own colour.
    EXPECT_EQ(fitted.pixel(pixelCentre(0, 0)), qRgb(255, 255, 255));
    EXPECT_EQ(fitted.pixel(pixelCentre(5, 0)), colourOf(KPXGetColorFromPalette(image, 11)));

    window->resize(120, 90);
    window->SetZoom(400);
    window->ScrollTo(16, 0);
    QApplication::processEvents();
    const QImage zoomed = view()->grab().toImage();
    EXPECT_TRUE(zoomed.save(kfm::test::ArtifactPath("image-edit-400.png")));
    EXPECT_EQ(window->horizontalScrollBar()->maximum(), 160 - view()->width());
    // Whole 4 x 4 blocks per image pixel, shifted by the scroll position.
    const QPoint p = pixelCentre(8, 3);
    const QRgb expected = colourOf(KPXGetColorFromPalette(image, (8 / 4 + 3 / 3) % 8 + 10));
    for (int dy = -1; dy <= 2; ++dy)
        for (int dx = -1; dx <= 2; ++dx)
            EXPECT_EQ(zoomed.pixel(p + QPoint(dx, dy)), expected) << dx << "," << dy;
}

TEST_F(ImageEditWndTest, ZoomToolClicksDoubleAndShiftClicksHalve) {
    window->SetTool(CImageEditWnd::kToolZoom);
    window->SetZoom(100);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, pixelCentre(10, 10));
    EXPECT_EQ(window->Zoom(), 200);
    // A drag beside the image misses it: the zoom doubles as well.
    drag(QPoint(2, 2), QPoint(8, 6));
    EXPECT_EQ(window->Zoom(), 400);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::ShiftModifier, pixelCentre(5, 5));
    EXPECT_EQ(window->Zoom(), 200);
    // From fit, a click zooms in from the zoom shown rather than from nothing.
    const KpxHandle big = stripes(800, 600);
    window->SetImage(big, true);
    KPXDeleteImage(big);
    window->SetZoom(100);
    window->SetZoom(0);
    const int fitted = window->ShownZoom();
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, pixelCentre(100, 100));
    EXPECT_EQ(window->Zoom(), ie::ZoomStep(fitted * 2));
}

TEST_F(ImageEditWndTest, ContextMenuOffersWhatTheZoomAllows) {
    window->SetTool(CImageEditWnd::kToolZoom);
    const struct {
        int zoom;
        bool actual, out, in;
    } cases[] = {{1600, true, true, false}, {100, false, true, true}, {25, true, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zoom);
        window->SetZoom(c.zoom);
        const auto menu = window->CreateZoomMenu();
        ASSERT_TRUE(menu);
        EXPECT_EQ(kfm::ui::FindMenuCommand(*menu, kfm5res::ID_VIEW_ZOOM_ACTUAL)->isEnabled(),
                  c.actual);
        EXPECT_EQ(kfm::ui::FindMenuCommand(*menu, kfm5res::ID_VIEW_ZOOM_OUT)->isEnabled(), c.out);
        EXPECT_EQ(kfm::ui::FindMenuCommand(*menu, kfm5res::ID_VIEW_ZOOM_IN)->isEnabled(), c.in);
    }
    window->OnZoomCommand(kfm5res::ID_VIEW_ZOOM_ACTUAL);
    EXPECT_EQ(window->Zoom(), 100);
    window->OnZoomCommand(kfm5res::ID_VIEW_ZOOM_IN);
    EXPECT_EQ(window->Zoom(), 200);
}

TEST_F(ImageEditWndTest, MovedObjectsStopAtTheEdgesTheirFlagsKeep) {
    window->SetZoom(100);
    window->SetTool(CImageEditWnd::kToolMove);
    const struct {
        std::uint32_t flags;
        RECT expected;
    } cases[] = {
        {ie::kObjectMovable | ie::kObjectKeepLeft | ie::kObjectKeepTop | ie::kObjectKeepRight |
             ie::kObjectKeepBottom,
         {30, 25, 40, 30}},
        {ie::kObjectMovable | ie::kObjectUnclamped, {55, 45, 65, 50}},
    };
    for (const auto& c : cases) {
        window->SetObjectFlags(c.flags);
        window->SetViewRect(5, 5, 15, 10);
        drag(pixelCentre(7, 7), pixelCentre(57, 47));
        RECT r;
        window->GetViewRect(&r);
        EXPECT_EQ(r.left, c.expected.left) << c.flags;
        EXPECT_EQ(r.top, c.expected.top) << c.flags;
        EXPECT_EQ(r.right, c.expected.right) << c.flags;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.flags;
    }
}

TEST_F(ImageEditWndTest, ResizedObjectsKeepTwoByTwoPixels) {
    window->SetZoom(400);
    window->SetTool(CImageEditWnd::kToolMove);
    window->SetObjectFlags(ie::kObjectMovable | ie::kObjectResizable);
    window->SetViewRect(2, 2, 8, 6);
    RECT image;
    window->GetImageClientRect(&image);
    const QPoint corner(image.left + 8 * 4, image.top + 6 * 4); // bottom-right handle
    drag(corner, QPoint(image.left, image.top));
    RECT r;
    window->GetViewRect(&r);
    EXPECT_EQ(r.right - r.left, 2);
    EXPECT_EQ(r.bottom - r.top, 2);
}

TEST_F(ImageEditWndTest, EnterAndEscEndTheDialogThatHoldsIt) {
    for (const auto& [key, result] : {std::pair{Qt::Key_Escape, int(QDialog::Rejected)},
                                      std::pair{Qt::Key_Return, int(QDialog::Accepted)}}) {
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        auto* edit = new CImageEditWnd(&dialog);
        layout->addWidget(edit);
        dialog.setResult(-1);
        dialog.show();
        QTest::keyClick(edit, key);
        EXPECT_EQ(dialog.result(), result);
        EXPECT_FALSE(dialog.isVisible());
    }
}

// A freehand stroke whose point buffer cannot grow ends there; the window, its image and the
// points so far stay, and the next stroke works.
TEST_F(ImageEditWndTest, FreehandStrokeThatCannotGrowStopsAndTheWindowGoesOn) {
    window->SetZoom(400);
    window->SetTool(CImageEditWnd::kToolFreehand);
    window->SetFreehandPointLimit(20);
    QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    for (int i = 1; i < 60; ++i)
        QTest::mouseMove(view(), QPoint(10 + i, 10 + i / 2));
    EXPECT_FALSE(window->Selecting());
    EXPECT_EQ(window->FreehandPoints().size(), 20u);
    EXPECT_EQ(window->FreehandPoints().back().x, 29);
    QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, QPoint(70, 40));
    EXPECT_NE(window->GetImage(), 0);
    EXPECT_FALSE(view()->grab().isNull());

    window->SetFreehandPointLimit(ie::FreehandPoints::kDefaultLimit);
    QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    for (int i = 1; i < 60; ++i)
        QTest::mouseMove(view(), QPoint(5 + i, 5));
    EXPECT_TRUE(window->Selecting());
    QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, QPoint(64, 5));
    EXPECT_EQ(window->FreehandPoints().size(), 60u);
}

TEST_F(ImageEditWndTest, EyedroppersPickAPixelOrAnAreasAverage) {
    window->SetZoom(400);
    window->SetTool(CImageEditWnd::kToolPick | CImageEditWnd::kCursorVariantA);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, pixelCentre(4, 0));
    EXPECT_EQ(window->CurrentColour(), KPXGetColorFromPalette(image, 11));
    EXPECT_EQ(window->GetColorIndexAt(image, pixelCentre(4, 0).x(), pixelCentre(4, 0).y()), 11);

    window->SetTool(CImageEditWnd::kToolPickArea);
    drag(pixelCentre(3, 0), pixelCentre(4, 0)); // indices 10 and 11
    const COLORREF a = KPXGetColorFromPalette(image, 10);
    const COLORREF b = KPXGetColorFromPalette(image, 11);
    EXPECT_EQ(window->CurrentColour(),
              RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2,
                  (GetBValue(a) + GetBValue(b)) / 2));
    EXPECT_EQ(window->PickColor(0, 0, 0, 1, 1), CImageEditWnd::kNoColour);
}

} // namespace
