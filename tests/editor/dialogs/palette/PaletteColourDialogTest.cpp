// The palette colour dialog driven offscreen: choosing with the grid, editing a colour through
// the colour chooser, the hover fields, and what OK and Cancel leave in the image's table.

#include "DlgPaletteColor.h"
#include "Kfm5ResourceIds.h"
#include "PaletteGridWnd.h"
#include "PaletteTestSupport.h"
#include "ResourceAccess.h"
#include "SmallControls.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using kfm::dialogs::CDlgPaletteColor;
using kfm::dialogs::CPaletteGridWnd;
using kfm::test::ArtifactPath;
using kfm::test::cellCentre;
using kfm::test::ImageHolder;
using kfm::test::MakePaletteImage;

QString label(const CDlgPaletteColor& dialog, int id) {
    return dialog.kit().controlAs<QLabel>(id)->text();
}

// A shown dialog whose colour chooser answers with the next colour of a list and counts asks.
struct ColourDialog {
    ColourDialog(KpxHandle image, int index) : dialog(nullptr, image, index) {
        dialog.SetColourChooser([this](COLORREF start, QWidget*) -> std::optional<COLORREF> {
            starts.push_back(start);
            if (answers.empty())
                return std::nullopt;
            const COLORREF next = answers.front();
            answers.erase(answers.begin());
            return next;
        });
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.Grid()->setFocus();
        QApplication::processEvents();
    }
    void press(int id) {
        QTest::mouseClick(dialog.kit().controlAs<QAbstractButton>(id), Qt::LeftButton);
    }
    CDlgPaletteColor dialog;
    std::vector<COLORREF> answers;
    std::vector<COLORREF> starts;
};

TEST(PaletteColourDialog, StartsOnTheGivenEntryAndShowsItsNumbers) {
    ImageHolder image(MakePaletteImage(8, {1, 2, 3}));
    ColourDialog d(image.get(), 5);
    EXPECT_EQ(d.dialog.Grid()->Selection(), 5);
    EXPECT_EQ(d.dialog.GetIndex(), 5);
    EXPECT_EQ(label(d.dialog, CDlgPaletteColor::kChosenIndex), "Index: 5");
    EXPECT_EQ(label(d.dialog, CDlgPaletteColor::kChosenRed), "Red: 5");
    EXPECT_EQ(label(d.dialog, CDlgPaletteColor::kChosenGreen), "Green: 250");
    EXPECT_EQ(label(d.dialog, CDlgPaletteColor::kChosenBlue), "Blue: 60");
    EXPECT_EQ(label(d.dialog, CDlgPaletteColor::kUsedCount), "Colours used: 3");
    EXPECT_EQ(label(d.dialog, CDlgPaletteColor::kTableCount), "Colours in the palette: 256");
    EXPECT_EQ(d.dialog.ColourButton()->GetPaletteIndex(), 5);
    EXPECT_EQ(d.dialog.ColourButton()->toolTip(), d.dialog.ColourButton()->TipText());
    EXPECT_EQ(label(d.dialog, CDlgPaletteColor::kHoverIndex), "Index: ");
    EXPECT_EQ(d.dialog.windowTitle(), kfm::ui::ResourceString(kfm5res::IDD_PALETTE_COLOUR));
}

TEST(PaletteColourDialog, OkKeepsEveryColourChange) {
    ImageHolder image(MakePaletteImage(8, {1, 2, 3}));
    ColourDialog d(image.get(), 5);
    d.answers = {RGB(9, 8, 7), RGB(1, 1, 1)};
    d.press(CDlgPaletteColor::kColourButton);
    ASSERT_EQ(d.starts.size(), 1u);
    EXPECT_EQ(d.starts[0], RGB(5, 250, 60));
    EXPECT_EQ(KPXGetColorFromPalette(image.get(), 5), RGB(9, 8, 7));
    EXPECT_EQ(label(d.dialog, CDlgPaletteColor::kChosenRed), "Red: 9");
    EXPECT_EQ(d.dialog.ColourButton()->GetColor(), RGB(9, 8, 7));
    // Right, then a double click on the new entry edits it.
    QTest::keyClick(d.dialog.Grid(), Qt::Key_Right);
    EXPECT_EQ(d.dialog.GetIndex(), 6);
    QTest::mouseDClick(d.dialog.Grid(), Qt::LeftButton, {}, cellCentre(*d.dialog.Grid(), 6));
    EXPECT_EQ(KPXGetColorFromPalette(image.get(), 6), RGB(1, 1, 1));
    d.press(IDOK);
    EXPECT_EQ(d.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(d.dialog.GetIndex(), 6);
    EXPECT_EQ(KPXGetColorFromPalette(image.get(), 5), RGB(9, 8, 7));
    EXPECT_EQ(KPXGetColorFromPalette(image.get(), 6), RGB(1, 1, 1));
}

TEST(PaletteColourDialog, CancelRestoresOnlyTheStartingEntry) {
    ImageHolder image(MakePaletteImage(8, {1, 2, 3}));
    ColourDialog d(image.get(), 5);
    d.answers = {RGB(9, 8, 7), RGB(1, 1, 1)};
    d.press(CDlgPaletteColor::kColourButton);
    QTest::mouseClick(d.dialog.Grid(), Qt::LeftButton, {}, cellCentre(*d.dialog.Grid(), 40));
    EXPECT_EQ(d.dialog.GetIndex(), 40);
    QTest::keyClick(d.dialog.Grid(), Qt::Key_Space);
    EXPECT_EQ(KPXGetColorFromPalette(image.get(), 40), RGB(1, 1, 1));
    // A cancelled chooser changes nothing.
    QTest::keyClick(d.dialog.Grid(), Qt::Key_Space);
    EXPECT_EQ(d.starts.size(), 3u);
    EXPECT_EQ(KPXGetColorFromPalette(image.get(), 40), RGB(1, 1, 1));
    d.press(IDCANCEL);
    EXPECT_EQ(d.dialog.result(), QDialog::Rejected);
    EXPECT_EQ(d.dialog.GetIndex(), 5);
    EXPECT_EQ(KPXGetColorFromPalette(image.get(), 5), RGB(5, 250, 60));
    EXPECT_EQ(KPXGetColorFromPalette(image.get(), 40), RGB(1, 1, 1));
}

TEST(PaletteColourDialog, HoverFieldsFollowTheMouseAndKeepTheirLabelsOffTheCells) {
    ImageHolder image(MakePaletteImage(8, {1}));
    ColourDialog d(image.get(), 0);
    QTest::mouseMove(d.dialog.Grid(), cellCentre(*d.dialog.Grid(), 33));
    ASSERT_TRUE(kfm::test::WaitFor(
        [&] { return label(d.dialog, CDlgPaletteColor::kHoverIndex) == "Index: 33"; }, 1000));
    EXPECT_EQ(label(d.dialog, CDlgPaletteColor::kHoverGreen), "Green: 222");
    const auto* swatch = d.dialog.kit().controlAs<kfm::ui::CColorSwatch>(CDlgPaletteColor::kSwatch);
    EXPECT_EQ(swatch->GetColor(), RGB(33, 222, 60));
    const RECT cell = d.dialog.Grid()->Layout().CellRect(33);
    QTest::mouseMove(d.dialog.Grid(), QPoint(cell.right + 1, cell.top + 2)); // the gap
    EXPECT_EQ(label(d.dialog, CDlgPaletteColor::kHoverIndex), "Index: ");
    EXPECT_EQ(label(d.dialog, CDlgPaletteColor::kHoverBlue), "Blue: ");
    EXPECT_NE(swatch->GetColor(), RGB(33, 222, 60));
    EXPECT_TRUE(d.dialog.grab().save(ArtifactPath("palette-colour-dialog.png")));
}

TEST(PaletteColourDialog, ArrowsIntoTheEmptyRowsOfAShortTableChooseNothing) {
    ImageHolder image(MakePaletteImage(4, {0, 5}));
    ColourDialog d(image.get(), 3);
    QTest::keyClick(d.dialog.Grid(), Qt::Key_Down);
    EXPECT_EQ(d.dialog.GetIndex(), 3);
    EXPECT_EQ(d.dialog.Grid()->Selection(), 3);
    QTest::keyClick(d.dialog.Grid(), Qt::Key_Space);
    d.answers = {RGB(7, 7, 7)};
    QTest::keyClick(d.dialog.Grid(), Qt::Key_Right);
    QTest::keyClick(d.dialog.Grid(), Qt::Key_Space);
    EXPECT_EQ(d.dialog.GetIndex(), 4);
    EXPECT_EQ(KPXGetColorFromPalette(image.get(), 4), RGB(7, 7, 7));
}

TEST(PaletteColourDialog, WithoutAStartingEntryCancelChangesNothing) {
    ImageHolder image(MakePaletteImage(8, {1}));
    ColourDialog d(image.get(), -1);
    EXPECT_EQ(d.dialog.Grid()->Selection(), -1);
    d.press(CDlgPaletteColor::kColourButton); // nothing chosen: no chooser
    EXPECT_TRUE(d.starts.empty());
    d.press(IDCANCEL);
    EXPECT_EQ(d.dialog.GetIndex(), -1);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(KPXGetColorFromPalette(image.get(), i), RGB(i, 255 - i, 60)) << i;
}

} // namespace
