// The palette grid driven offscreen: arrow keys, clicks, double clicks, hover tooltips, the
// usage crosses and colour changes through the image library.

#include "ColourTexts.h"
#include "Kfm5ResourceIds.h"
#include "PaletteGridWnd.h"
#include "PaletteTestSupport.h"
#include "ResourceAccess.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

using kfm::dialogs::CPaletteGridWnd;
using kfm::test::ArtifactPath;
using kfm::test::cellCentre;
using kfm::test::ImageHolder;
using kfm::test::MakePaletteImage;

QColor pixelAt(CPaletteGridWnd& grid, int x, int y) {
    return grid.grab().toImage().pixelColor(x, y);
}

// A shown grid of 200 x 200 with the focus.
struct GridWindow {
    explicit GridWindow(KpxHandle image) {
        grid.resize(200, 200);
        grid.show();
        QApplication::setActiveWindow(&grid);
        grid.setFocus();
        used = grid.SetImage(image);
        QApplication::processEvents();
    }
    std::vector<int> usageTable() const {
        std::vector<int> table;
        for (int i = 0; i < 256; ++i)
            table.push_back(grid.Usage(i));
        return table;
    }
    CPaletteGridWnd grid;
    int used = 0;
};

TEST(PaletteGrid, ArrowKeysWalkAndReportAsTheRowsWrap) {
    ImageHolder image(MakePaletteImage(8, {1, 2, 3}));
    GridWindow w(image.get());
    QSignalSpy chosen(&w.grid, &CPaletteGridWnd::selected);
    const struct {
        int from;
        Qt::Key key;
        int to;
    } cases[] = {
        {0, Qt::Key_Left, 15},    {3, Qt::Key_Up, 3},    {255, Qt::Key_Right, 240},
        {250, Qt::Key_Down, 250}, {3, Qt::Key_Down, 19}, {20, Qt::Key_Left, 19},
    };
    for (const auto& c : cases) {
        w.grid.SetSelection(c.from);
        chosen.clear();
        QTest::keyClick(&w.grid, c.key);
        EXPECT_EQ(w.grid.Selection(), c.to) << c.from << " " << c.key;
        ASSERT_EQ(chosen.count(), 1) << "the parent hears every arrow, even one that stays";
        EXPECT_EQ(chosen.at(0).at(0).toInt(), c.to);
    }
}

TEST(PaletteGrid, ArrowKeysKeepTheSelectionInsideAndTheUsageMarksIntact) {
    ImageHolder image(MakePaletteImage(8, {1, 2, 3}));
    GridWindow w(image.get());
    const std::vector<int> before = w.usageTable();
    QSignalSpy chosen(&w.grid, &CPaletteGridWnd::selected);
    // A selection from outside the cells means none; the arrows then land inside.
    for (const int outside : {-40, -17, 256, 300}) {
        w.grid.SetSelection(outside);
        EXPECT_EQ(w.grid.Selection(), -1) << outside;
        for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Left, Qt::Key_Down, Qt::Key_Right}) {
            w.grid.SetSelection(outside);
            QTest::keyClick(&w.grid, key);
            EXPECT_GE(w.grid.Selection(), 0) << outside << " " << key;
            EXPECT_LT(w.grid.Selection(), 256) << outside << " " << key;
        }
    }
    // A long walk in every direction, with usage changes reported for the cells passed.
    for (int round = 0; round < 40; ++round)
        for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down,
                                  Qt::Key_Down, Qt::Key_Right}) {
            QTest::keyClick(&w.grid, key);
            ASSERT_GE(w.grid.Selection(), 0);
            ASSERT_LT(w.grid.Selection(), 256);
        }
    for (const QVariantList& signal : chosen) {
        EXPECT_GE(signal.at(0).toInt(), 0);
        EXPECT_LT(signal.at(0).toInt(), 256);
    }
    // Usage for indices outside the cells changes nothing.
    for (const int outside : {-1, -2, 256, 1000})
        w.grid.SetUsage(outside, 0);
    EXPECT_EQ(w.usageTable(), before);
    EXPECT_EQ(w.grid.UsedColourCount(), 3);
}

TEST(PaletteGrid, ASixteenColourTableShowsOneRowButTheArrowsStillReachEmptyRows) {
    ImageHolder image(MakePaletteImage(4, {0, 5}));
    GridWindow w(image.get());
    EXPECT_EQ(w.grid.EntryCount(), 16);
    EXPECT_EQ(w.used, 2);
    QSignalSpy chosen(&w.grid, &CPaletteGridWnd::selected);
    w.grid.SetSelection(3);
    QTest::mouseClick(&w.grid, Qt::LeftButton, {}, cellCentre(w.grid, 19));
    EXPECT_EQ(chosen.count(), 0);
    EXPECT_EQ(w.grid.Selection(), 3);
    QTest::keyClick(&w.grid, Qt::Key_Down);
    EXPECT_EQ(w.grid.Selection(), 19);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), 19);
    // The empty rows show no cells.
    const QColor empty = pixelAt(w.grid, cellCentre(w.grid, 100).x(), cellCentre(w.grid, 100).y());
    EXPECT_EQ(empty.rgb(), w.grid.palette().color(QPalette::Button).rgb());
}

TEST(PaletteGrid, ClicksChooseOtherCellsOnlyAndDoubleClickOrSpaceOpens) {
    ImageHolder image(MakePaletteImage(8, {1}));
    GridWindow w(image.get());
    QSignalSpy chosen(&w.grid, &CPaletteGridWnd::selected);
    QSignalSpy opened(&w.grid, &CPaletteGridWnd::activated);
    QTest::mouseClick(&w.grid, Qt::LeftButton, {}, cellCentre(w.grid, 17));
    EXPECT_EQ(w.grid.Selection(), 17);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), 17);
    // The chosen cell again, a gap, the margin: nothing.
    QTest::mouseClick(&w.grid, Qt::LeftButton, {}, cellCentre(w.grid, 17));
    const RECT cell = w.grid.Layout().CellRect(17);
    QTest::mouseClick(&w.grid, Qt::LeftButton, {}, QPoint(cell.right + 1, cell.top + 2));
    QTest::mouseClick(&w.grid, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_EQ(w.grid.Selection(), 17);
    QTest::mouseDClick(&w.grid, Qt::LeftButton, {}, cellCentre(w.grid, 17));
    EXPECT_EQ(opened.count(), 1);
    QTest::keyClick(&w.grid, Qt::Key_Space);
    EXPECT_EQ(opened.count(), 2);
}

TEST(PaletteGrid, HoverNamesTheEntryAndReportsLeavingTheCells) {
    ImageHolder image(MakePaletteImage(8, {1}));
    KPXSetColorToPalette(image.get(), 40, RGB(10, 20, 30));
    KPXSetColorToPalette(image.get(), 41, RGB(10, 20, 30));
    GridWindow w(image.get());
    QSignalSpy hover(&w.grid, &CPaletteGridWnd::hovered);
    QTest::mouseMove(&w.grid, cellCentre(w.grid, 40));
    ASSERT_TRUE(kfm::test::WaitFor([&] { return hover.count() > 0; }));
    QList<QVariant> last = hover.takeLast();
    EXPECT_EQ(last.at(0).toInt(), 40);
    EXPECT_TRUE(last.at(1).toBool());
    EXPECT_EQ(last.at(2).toUInt(), RGB(10, 20, 30));
    const auto tip = [](int index) {
        return kfm::ui::FromCodePage1252(kfm::shell::PaletteColourText(
            kfm::ui::ResourceText(kfm5res::IDS_PALETTE_COLOUR_TIP), index, RGB(10, 20, 30)));
    };
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), tip(40));
    // The next entry has the same colour: the tip still names its own index.
    QTest::mouseMove(&w.grid, cellCentre(w.grid, 41));
    EXPECT_EQ(w.grid.TipText(), tip(41));
    // The margin: off the cells.
    hover.clear();
    QTest::mouseMove(&w.grid, QPoint(1, 1));
    ASSERT_GE(hover.count(), 1);
    last = hover.takeLast();
    EXPECT_EQ(last.at(0).toInt(), -1);
    EXPECT_FALSE(last.at(1).toBool());
    EXPECT_TRUE(kfm::test::WaitFor([] { return !QToolTip::isVisible(); }));
}

TEST(PaletteGrid, CrossesMarkUnusedEntriesAndFollowUsageButNotColourChanges) {
    ImageHolder image(MakePaletteImage(8, {1, 2}));
    GridWindow w(image.get());
    const auto crossPixel = [&](int index) {
        const RECT r = w.grid.Layout().CellRect(index);
        return pixelAt(w.grid, r.left + 2, r.top + 2);
    };
    const QColor grey(0x84, 0x82, 0x84);
    EXPECT_EQ(crossPixel(3), grey);
    EXPECT_NE(crossPixel(2), grey);

    // Usage reported by the image window.
    w.grid.SetUsage(3, 12);
    EXPECT_EQ(w.grid.Usage(3), 12);
    EXPECT_NE(crossPixel(3), grey);
    w.grid.SetUsage(2, 0);
    EXPECT_EQ(crossPixel(2), grey);
    // Not on the chosen entry.
    w.grid.SetSelection(1);
    w.grid.SetUsage(1, 0);
    EXPECT_NE(w.grid.Usage(1), 0);

    // A new colour goes into the image's table; a used entry made black stays used.
    w.grid.SetEntryColor(1, RGB(0, 0, 0));
    EXPECT_EQ(KPXGetColorFromPalette(image.get(), 1), RGB(0, 0, 0));
    EXPECT_NE(w.grid.Usage(1), 0);
    EXPECT_NE(crossPixel(1), grey);
    // Only the chosen entry changes.
    const COLORREF before = KPXGetColorFromPalette(image.get(), 7);
    w.grid.SetEntryColor(7, RGB(1, 2, 3));
    w.grid.SetEntryColor(-1, RGB(1, 2, 3));
    EXPECT_EQ(KPXGetColorFromPalette(image.get(), 7), before);
}

TEST(PaletteGrid, WithoutAnImageDrawsNothingAndIgnoresTheMouse) {
    CPaletteGridWnd grid;
    grid.resize(100, 100);
    grid.show();
    QSignalSpy chosen(&grid, &CPaletteGridWnd::selected);
    QSignalSpy hover(&grid, &CPaletteGridWnd::hovered);
    QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(&grid, QPoint(40, 40));
    QApplication::processEvents();
    EXPECT_EQ(chosen.count(), 0);
    EXPECT_EQ(hover.count(), 0);
    EXPECT_EQ(grid.SetImage(0), 0);
}

TEST(PaletteGrid, Screenshot) {
    ImageHolder image(MakePaletteImage(8, {0, 1, 2, 3, 17, 40, 200}));
    GridWindow w(image.get());
    w.grid.SetSelection(17);
    EXPECT_TRUE(w.grid.grab().save(ArtifactPath("palette-grid.png")));
}

} // namespace
