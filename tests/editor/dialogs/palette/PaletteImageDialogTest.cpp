// The palette image dialog driven offscreen: picking the transparent colour in the image and the
// grid, Ctrl and Shift with the eyedropper, editing a colour, the registry-kept choices and
// what OK and Cancel leave in the frame.

#include "DlgPaletteImage.h"
#include "FrameObject.h"
#include "PaletteGridWnd.h"
#include "PaletteImageWnd.h"
#include "PaletteTestSupport.h"
#include "SmallControls.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

using kfm::dialogs::CDlgPaletteImage;
using kfm::dialogs::CPaletteGridWnd;
using kfm::dialogs::CPaletteImageWnd;
using kfm::test::ArtifactPath;
using kfm::test::cellCentre;
using kfm::test::MakePaletteImage;

constexpr std::uint32_t kTransparent = 0x01000000;

// Counts of each entry's pixels.
std::vector<std::int32_t> usage(KpxHandle image) {
    std::vector<std::int32_t> counts(256);
    KPXNumColorUsed(image, counts.data());
    return counts;
}

// A frame of a 16 x 16 8-bit picture using entries 1, 2 and 3, and the dialog on it, shown.
struct ImageDialog {
    ImageDialog(int mode, std::uint32_t transparency) {
        frame = std::make_unique<CObjFrame>(MakePaletteImage(8, {1, 2, 3}), 16, 16, 0, 0, 10, 1,
                                            transparency, "", "", nullptr, nullptr, nullptr,
                                            nullptr, 0);
        original = frame->GetImage();
        dialog = std::make_unique<CDlgPaletteImage>(nullptr, frame.get(), mode);
        dialog->SetColourChooser([this](COLORREF, QWidget*) { return answer; });
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        QApplication::processEvents();
    }
    CPaletteImageWnd& window() const { return *dialog->ImageWindow(); }
    // A point of the image window over a pixel of the entry.
    QPoint pixelOf(int index) const {
        RECT laid;
        window().GetImageClientRect(&laid);
        for (int y = laid.top; y < laid.bottom; ++y)
            for (int x = laid.left; x < laid.right; ++x)
                if (window().GetColorIndexAt(window().GetImage(), x, y) == index)
                    return QPoint(x, y);
        ADD_FAILURE() << "no pixel of entry " << index;
        return QPoint();
    }
    void clickImage(QPoint at, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(window().viewport(), Qt::LeftButton, modifiers, at);
    }
    // Holds a key over the dialog's focus while clicking.
    void clickHolding(Qt::Key key, Qt::KeyboardModifier modifier, QPoint at) {
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : dialog.get();
        QTest::keyPress(focus, key, modifier);
        clickImage(at, modifier);
        QTest::keyRelease(focus, key, Qt::NoModifier);
    }
    QAbstractButton* button(int id) const { return dialog->kit().controlAs<QAbstractButton>(id); }

    std::unique_ptr<CObjFrame> frame;
    KpxHandle original = 0;
    std::unique_ptr<CDlgPaletteImage> dialog;
    std::optional<COLORREF> answer;
};

TEST(PaletteImageDialog, TransparentModeOkMakesTheFrameTransparentWithTheChosenEntry) {
    ImageDialog d(CDlgPaletteImage::kModeTransparentColour, 0);
    EXPECT_EQ(d.dialog->ChosenIndex(), 0);
    EXPECT_TRUE(d.window().ShowsTransparency());
    EXPECT_EQ(d.window().GetTool(), CPaletteImageWnd::kToolPick);
    EXPECT_FALSE(d.dialog->kit().control(CDlgPaletteImage::kApplySelection)->isVisible());
    EXPECT_FALSE(d.dialog->ColourButton()->Clickable());
    QTest::mouseClick(d.dialog->Grid(), Qt::LeftButton, {}, cellCentre(*d.dialog->Grid(), 3));
    EXPECT_EQ(d.dialog->ChosenIndex(), 3);
    EXPECT_EQ(d.dialog->ColourButton()->GetColor(), RGB(3, 252, 60));
    QTest::mouseClick(d.button(IDOK), Qt::LeftButton);
    EXPECT_EQ(d.dialog->result(), QDialog::Accepted);
    EXPECT_EQ(d.frame->transparency, kTransparent + 3);
    EXPECT_NE(d.frame->GetImage(), d.original);
    EXPECT_EQ(usage(d.frame->GetImage()), usage(d.dialog->WorkImage()));
}

TEST(PaletteImageDialog, CancelLeavesTheFrameAsItWas) {
    ImageDialog d(CDlgPaletteImage::kModeTransparentColour, kTransparent + 2);
    EXPECT_EQ(d.dialog->ChosenIndex(), 2);
    EXPECT_EQ(d.dialog->Grid()->Selection(), 2);
    d.clickHolding(Qt::Key_Control, Qt::ControlModifier, d.pixelOf(1));
    QTest::mouseClick(d.button(IDCANCEL), Qt::LeftButton);
    EXPECT_EQ(d.dialog->result(), QDialog::Rejected);
    EXPECT_EQ(d.frame->GetImage(), d.original);
    EXPECT_EQ(d.frame->transparency, kTransparent + 2);
    EXPECT_GT(usage(d.original)[1], 0);
}

TEST(PaletteImageDialog, TheEyedropperPicksInTheImageAndTheGridFollows) {
    ImageDialog d(CDlgPaletteImage::kModeTransparentColour, kTransparent + 2);
    d.clickImage(d.pixelOf(3));
    EXPECT_EQ(d.dialog->ChosenIndex(), 3);
    EXPECT_EQ(d.dialog->Grid()->Selection(), 3);
    EXPECT_EQ(d.window().TransparentIndex(), 3);
    // Hovering the image names the entry under the mouse.
    QTest::mouseMove(d.window().viewport(), d.pixelOf(1));
    const auto* swatch =
        d.dialog->kit().controlAs<kfm::ui::CColorSwatch>(CDlgPaletteImage::kSwatch);
    EXPECT_TRUE(kfm::test::WaitFor([&] { return swatch->GetColor() == RGB(1, 254, 60); }));
    EXPECT_TRUE(d.dialog->grab().save(ArtifactPath("palette-image-dialog-transparent.png")));
}

TEST(PaletteImageDialog, CtrlClickMakesAnEntryTransparentAndCrossesItsCell) {
    ImageDialog d(CDlgPaletteImage::kModeTransparentColour, kTransparent + 2);
    const QPoint one = d.pixelOf(1);
    d.clickHolding(Qt::Key_Control, Qt::ControlModifier, one);
    EXPECT_EQ(d.window().GetTool(), CPaletteImageWnd::kToolPick) << "the key's release restores";
    EXPECT_EQ(usage(d.window().GetImage())[1], 0);
    EXPECT_EQ(usage(d.window().GetImage())[2], 16 * 16 * 2 / 3 + 1);
    EXPECT_EQ(d.dialog->Grid()->Usage(1), 0);
    EXPECT_EQ(d.dialog->ChosenIndex(), 2);
    // The transparent entry itself keeps its pixels and stays uncrossed.
    d.clickHolding(Qt::Key_Control, Qt::ControlModifier, d.pixelOf(2));
    EXPECT_NE(d.dialog->Grid()->Usage(2), 0);
    // The restore tool (Shift) brings entry 1 back from the frame's image.
    d.clickHolding(Qt::Key_Shift, Qt::ShiftModifier, one);
    EXPECT_EQ(usage(d.window().GetImage()), usage(d.original));
    EXPECT_NE(d.dialog->Grid()->Usage(1), 0);
}

TEST(PaletteImageDialog, ToolButtonsAndHeldKeysChooseTheTool) {
    ImageDialog d(CDlgPaletteImage::kModeTransparentColour, kTransparent + 2);
    auto* makeTransparent = d.button(CDlgPaletteImage::kMakeTransparent);
    auto* restore = d.button(CDlgPaletteImage::kRestore);
    QTest::mouseClick(makeTransparent, Qt::LeftButton);
    EXPECT_EQ(d.window().GetTool(), CPaletteImageWnd::kToolMakeTransparent);
    QTest::mouseClick(restore, Qt::LeftButton);
    EXPECT_EQ(d.window().GetTool(), CPaletteImageWnd::kToolRestore);
    EXPECT_FALSE(makeTransparent->isChecked());
    QTest::mouseClick(restore, Qt::LeftButton);
    EXPECT_EQ(d.window().GetTool(), CPaletteImageWnd::kToolPick);
    // The zoom tool stays while a toggle is checked and while Ctrl is held; the zoom button and
    // the eyedropper show which of the two is the tool.
    auto* zoom = d.button(CDlgPaletteImage::kZoom);
    auto* eyedropper = d.button(CDlgPaletteImage::kEyedropper);
    EXPECT_TRUE(eyedropper->isChecked());
    EXPECT_FALSE(zoom->isChecked());
    QTest::mouseClick(zoom, Qt::LeftButton);
    EXPECT_EQ(d.window().GetTool(), CPaletteImageWnd::kToolZoom);
    EXPECT_TRUE(zoom->isChecked());
    EXPECT_FALSE(eyedropper->isChecked());
    QTest::mouseClick(makeTransparent, Qt::LeftButton);
    EXPECT_EQ(d.window().GetTool(), CPaletteImageWnd::kToolZoom);
    QTest::keyPress(d.dialog.get(), Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(d.window().GetTool(), CPaletteImageWnd::kToolZoom);
    QTest::keyRelease(d.dialog.get(), Qt::Key_Control, Qt::NoModifier);
    // The eyedropper takes the checked toggle's tool, and a second click leaves it checked.
    QTest::mouseClick(eyedropper, Qt::LeftButton);
    EXPECT_EQ(d.window().GetTool(), CPaletteImageWnd::kToolMakeTransparent);
    EXPECT_FALSE(zoom->isChecked());
    QTest::mouseClick(eyedropper, Qt::LeftButton);
    EXPECT_TRUE(eyedropper->isChecked());
    EXPECT_EQ(d.window().GetTool(), CPaletteImageWnd::kToolMakeTransparent);
    // Zoom out acts at once and stays up.
    QTest::mouseClick(d.button(CDlgPaletteImage::kZoomOut), Qt::LeftButton);
    EXPECT_FALSE(d.button(CDlgPaletteImage::kZoomOut)->isChecked());
    // Outside the picture the tool changes nothing.
    const std::vector<std::int32_t> before = usage(d.window().GetImage());
    d.clickImage(QPoint(1, 1));
    EXPECT_EQ(usage(d.window().GetImage()), before);
}

TEST(PaletteImageDialog, WithoutATransparentEntryTheMakeTransparentToolWaits) {
    ImageDialog d(CDlgPaletteImage::kModeTransparentColour, 0);
    const std::vector<std::int32_t> before = usage(d.window().GetImage());
    d.clickHolding(Qt::Key_Control, Qt::ControlModifier, d.pixelOf(1));
    EXPECT_EQ(usage(d.window().GetImage()), before);
    EXPECT_NE(d.dialog->Grid()->Usage(1), 0);
}

TEST(PaletteImageDialog, PaletteModeEditsAColourAndKeepsTheChoicesInTheRegistry) {
    {
        ImageDialog d(CDlgPaletteImage::kModePaletteColour, 0);
        EXPECT_FALSE(d.window().ShowsTransparency());
        EXPECT_FALSE(d.dialog->kit().control(CDlgPaletteImage::kMakeTransparent)->isVisible());
        auto* apply = d.dialog->kit().controlAs<QCheckBox>(CDlgPaletteImage::kApplySelection);
        auto* byColour = d.dialog->kit().controlAs<QRadioButton>(CDlgPaletteImage::kMethodColour);
        if (apply->isChecked())
            apply->click();
        EXPECT_FALSE(byColour->isEnabled());
        apply->click();
        EXPECT_TRUE(byColour->isEnabled());
        byColour->click();

        d.clickImage(d.pixelOf(2));
        EXPECT_EQ(d.dialog->ChosenIndex(), 2);
        d.answer = RGB(200, 100, 50);
        QTest::mouseClick(d.dialog->ColourButton(), Qt::LeftButton);
        EXPECT_EQ(KPXGetColorFromPalette(d.dialog->WorkImage(), 2), RGB(200, 100, 50));
        EXPECT_EQ(KPXGetColorFromPalette(d.window().GetImage(), 2), RGB(200, 100, 50));
        EXPECT_EQ(d.dialog->ColourButton()->GetColor(), RGB(200, 100, 50));
        EXPECT_TRUE(d.dialog->grab().save(ArtifactPath("palette-image-dialog-palette.png")));
        QTest::mouseClick(d.button(IDOK), Qt::LeftButton);
        EXPECT_EQ(d.dialog->GetApplySelection(), 1);
        EXPECT_EQ(d.dialog->GetApplyMethod(), 2);
        EXPECT_EQ(KPXGetColorFromPalette(d.frame->GetImage(), 2), RGB(200, 100, 50));
        EXPECT_EQ(d.frame->transparency, 0u) << "palette mode leaves the transparency";
    }
    ImageDialog again(CDlgPaletteImage::kModePaletteColour, 0);
    EXPECT_TRUE(
        again.dialog->kit().controlAs<QCheckBox>(CDlgPaletteImage::kApplySelection)->isChecked());
    EXPECT_TRUE(
        again.dialog->kit().controlAs<QRadioButton>(CDlgPaletteImage::kMethodColour)->isChecked());
    EXPECT_EQ(again.dialog->GetApplyMethod(), 2);
}

TEST(PaletteImageDialog, ResetStartsOverFromTheFramesImage) {
    ImageDialog d(CDlgPaletteImage::kModeTransparentColour, kTransparent + 2);
    d.clickHolding(Qt::Key_Control, Qt::ControlModifier, d.pixelOf(1));
    QTest::mouseClick(d.dialog->Grid(), Qt::LeftButton, {}, cellCentre(*d.dialog->Grid(), 9));
    QTest::mouseClick(d.button(CDlgPaletteImage::kReset), Qt::LeftButton);
    EXPECT_EQ(d.dialog->ChosenIndex(), 2);
    EXPECT_EQ(d.dialog->Grid()->Selection(), 2);
    EXPECT_EQ(usage(d.window().GetImage()), usage(d.original));
    EXPECT_NE(d.dialog->Grid()->Usage(1), 0);
}

} // namespace
