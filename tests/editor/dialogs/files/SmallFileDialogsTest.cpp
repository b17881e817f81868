// The compression dialog and the font report driven offscreen: which options a format offers
// and checks, what OK hands back, and the report's rows.

#include "DlgCompress.h"
#include "DlgFontSubst.h"
#include "ViewTestSupport.h"

#include "Bitra5.h"

#include <QAbstractButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <set>

namespace {

using kfm::dialogs::CDlgCompress;
using kfm::dialogs::CDlgFontSubst;
using kfm::test::ArtifactPath;

constexpr int kOptionControls[] = {CDlgCompress::kNone,          CDlgCompress::kRle,
                                   CDlgCompress::kLzw,           CDlgCompress::kHuffman,
                                   CDlgCompress::kQualityOption, CDlgCompress::kInterlaced,
                                   CDlgCompress::kPredictor};

QAbstractButton* button(const CDlgCompress& d, int id) {
    return d.kit().controlAs<QAbstractButton>(id);
}

TEST(CompressDialog, OffersAndChecksByFormatAndDepthAndHandsBackTheBits) {
    struct Case {
        const char* what;
        int formatId, depth;
        std::set<int> enabled;
        int checked;    // 0 none
        int extraClick; // a control the user clicks before OK (0 none)
        int wantBits;
        bool qualityActive;
    } const cases[] = {
        {"24-bit in format 90 offers only the quality",
         90,
         24,
         {CDlgCompress::kQualityOption},
         CDlgCompress::kQualityOption,
         0,
         16,
         true},
        {"8-bit in format 90 offers nothing", 90, 8, {}, 0, 0, 0, false},
        {"a format of no options", 60, 8, {}, 0, 0, 0, false},
        {"an unknown depth", 30, 16, {}, 0, 0, 0, false},
        {"1-bit in format 30: four methods, LZW first",
         30,
         1,
         {CDlgCompress::kNone, CDlgCompress::kRle, CDlgCompress::kLzw, CDlgCompress::kHuffman},
         CDlgCompress::kLzw,
         CDlgCompress::kHuffman,
         8,
         false},
        {"24-bit in format 30 adds interlacing",
         30,
         24,
         {CDlgCompress::kNone, CDlgCompress::kRle, CDlgCompress::kLzw, CDlgCompress::kQualityOption,
          CDlgCompress::kInterlaced},
         CDlgCompress::kLzw,
         CDlgCompress::kInterlaced,
         4 | 64,
         false},
        {"format 20 checks LZW and offers the predictor",
         20,
         8,
         {CDlgCompress::kLzw, CDlgCompress::kPredictor},
         CDlgCompress::kLzw,
         CDlgCompress::kPredictor,
         4 | 128,
         false},
        {"format 10 offers RLE alone",
         10,
         4,
         {CDlgCompress::kRle},
         CDlgCompress::kRle,
         0,
         2,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int quality = 150;
        int bits = -1;
        CDlgCompress d(nullptr, c.formatId, c.depth, &bits, &quality);
        d.show();
        for (const int id : kOptionControls) {
            EXPECT_EQ(button(d, id)->isEnabled(), c.enabled.count(id) == 1) << id;
            EXPECT_EQ(button(d, id)->isChecked(), id == c.checked) << id;
        }
        EXPECT_EQ(d.kit().control(CDlgCompress::kQuality)->isEnabled(), c.qualityActive);
        if (c.extraClick)
            button(d, c.extraClick)->click();
        button(d, IDOK)->click();
        EXPECT_EQ(bits, c.wantBits);
        EXPECT_EQ(quality, 100); // held to 5..100
    }
}

TEST(CompressDialog, TheCaptionNamesTheFormatAndCancelChangesNothing) {
    KpxFormatEntry entry{};
    ASSERT_EQ(KPXGetFormatName(90, &entry), 1);
    int quality = 3;
    int bits = 77;
    CDlgCompress d(nullptr, 90, 24, &bits, &quality);
    d.show();
    EXPECT_TRUE(d.windowTitle().contains(QString::fromLatin1(entry.name)))
        << d.windowTitle().toStdString();
    d.grab().save(ArtifactPath("compress-dialog.png"));
    QTest::mouseClick(button(d, IDCANCEL), Qt::LeftButton);
    EXPECT_EQ(bits, 77);
    EXPECT_EQ(quality, 3);
    CDlgCompress again(nullptr, 90, 24, &bits, &quality);
    QTest::mouseClick(button(again, IDOK), Qt::LeftButton);
    EXPECT_EQ(quality, 5); // a stored 3 comes back as the smallest quality
}

TEST(FontReportDialog, ShowsWholeRowsAsWindowsText) {
    CDlgFontSubst d(nullptr, "2|Caf\xe9 Sans|Liberation Sans|5|Gone|DejaVu Sans|7|cut");
    d.show();
    QTreeWidget* list = d.List();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "2");
    EXPECT_EQ(list->topLevelItem(0)->text(1), QString::fromUtf8("Caf\u00e9 Sans"));
    EXPECT_EQ(list->topLevelItem(0)->text(2), "Liberation Sans");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "Gone");
    EXPECT_EQ(list->columnCount(), 3);
    EXPECT_EQ(list->columnWidth(0), 50);
    d.grab().save(ArtifactPath("font-report-dialog.png"));
}

} // namespace
