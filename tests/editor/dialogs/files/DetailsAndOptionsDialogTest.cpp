// The GIF details, print options and thumbnail size dialogs driven offscreen: the size text, the
// rows of a GIF file's blocks with texts from the file, the kept window size; the exclusive
// rendered pair; the thumbnail range.

#include "DlgDetailsGIF.h"
#include "DlgPrintOptions.h"
#include "DlgThumbSize.h"
#include "NumEdit.h"
#include "ViewTestSupport.h"
#include "registry/RegistryHelpers.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSizeGrip>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using kfm::dialogs::CDlgDetailsGIF;
using kfm::dialogs::CDlgPrintOptions;
using kfm::dialogs::CDlgThumbSize;
using kfm::dialogs::FillFormat;
using kfm::dialogs::GifFileSizeText;
using kfm::dialogs::ReadGifBlocks;
using kfm::test::ArtifactPath;

TEST(GifDetails, SizeTextUsesBytesBelowAThousandAndCommaKilobytesAbove) {
    struct Case {
        long long bytes;
        const char* text;
    } const cases[] = {
        {0, "0 bytes"},     {999, "999 bytes"},       {1000, "1,000 kB"},
        {1234, "1,234 kB"}, {1000001, "1000,001 kB"}, {5'000'000'000LL, "5000000,000 kB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GifFileSizeText(c.bytes, "%d bytes").toStdString(), c.text) << c.bytes;
}

TEST(GifDetails, FormatsTakeTheirValuesInOrder) {
    EXPECT_EQ(FillFormat("%d bits, %d colours", {"3", "8"}), "3 bits, 8 colours");
    EXPECT_EQ(FillFormat("%s at 100%%", {"a"}), "a at 100%");
    EXPECT_EQ(FillFormat("%s and %s", {"one"}), "one and ");
    EXPECT_EQ(FillFormat("%s", {"%d"}), "%d"); // a value is no format
    EXPECT_EQ(FillFormat("50%", {}), "50%");
}

// A GIF89a of one 2 x 2 image with a comment in Windows-1252 and a looping block.
std::vector<std::uint8_t> smallGif() {
    std::vector<std::uint8_t> b = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x80, 0, 0};
    b.insert(b.end(), {0, 0, 0, 255, 255, 255}); // global table of 2 entries
    b.insert(b.end(), {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1,
                       0, 0, 0});
    b.insert(b.end(), {0x21, 0xFE, 4, 'C', 'a', 'f', 0xE9, 0});
    b.insert(b.end(), {0x21, 0xF9, 4, 0, 10, 0, 0, 0});
    b.insert(b.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 2, 0x84, 0x51, 0, 0x3B});
    return b;
}

class GifDetailsDialogTest : public ::testing::Test {
protected:
    kfm::test::ScopedRegistry registry;
    kfm::test::TempDir files;
};

TEST_F(GifDetailsDialogTest, ListsEveryBlockWithItsDetailsAndKeepsItsSize) {
    const std::string path = files.file("small.gif");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, smallGif()));
    const std::vector<KpxGifBlockInfo> blocks = ReadGifBlocks(path.c_str());
    ASSERT_GE(blocks.size(), 6u);
    {
        CDlgDetailsGIF d(nullptr, QString::fromStdString(path), 999,
                         static_cast<int>(blocks.size()), blocks.data());
        d.show();
        QTreeWidget* list = d.List();
        ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(blocks.size()));
        EXPECT_EQ(list->columnCount(), 5);
        QStringList kinds;
        QString all;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            EXPECT_EQ(list->topLevelItem(i)->text(0), QString::number(i + 1));
            kinds << list->topLevelItem(i)->text(1);
            all += list->topLevelItem(i)->text(4) + "\n";
        }
        EXPECT_EQ(kinds.front(), "Header");
        EXPECT_TRUE(kinds.contains("Comment extension"));
        EXPECT_TRUE(all.contains(QString::fromUtf8("\"Caf\u00e9\""))) << all.toStdString();
        EXPECT_TRUE(all.contains("Identifier \"NETSCAPE2.0\" (looping)")) << all.toStdString();
        EXPECT_TRUE(all.contains("1 bits, 2 colours")) << all.toStdString();
        EXPECT_TRUE(all.contains("2 x 2 pixels")) << all.toStdString();
        EXPECT_EQ(d.kit().controlAs<QLabel>(CDlgDetailsGIF::kFileSize)->text(), "999 bytes");
        EXPECT_GE(d.width(), 520);
        EXPECT_EQ(d.minimumSize(), QSize(350, 240));
        EXPECT_NE(d.findChild<QSizeGrip*>(), nullptr);
        d.grab().save(ArtifactPath("gif-details-dialog.png"));
        d.resize(600, 300);
    }
    EXPECT_EQ(ReadRegInt("Dlgs\\DetailsGIF", "Width", 0, 0, 0), 600);
    EXPECT_EQ(ReadRegInt("Dlgs\\DetailsGIF", "Height", 0, 0, 0), 300);
    // A stored size below the smallest opens at the smallest.
    WriteRegInt("Dlgs\\DetailsGIF", "Width", 10);
    WriteRegInt("Dlgs\\DetailsGIF", "Height", -10);
    CDlgDetailsGIF small(nullptr, "x.gif", 1234, 0, nullptr);
    EXPECT_EQ(small.size(), QSize(350, 240));
    EXPECT_EQ(small.kit().controlAs<QLabel>(CDlgDetailsGIF::kFileSize)->text(), "1,234 kB");
}

TEST_F(GifDetailsDialogTest, ManyBlocksAreAllListedAndAFileOfNoBlocksGivesNone) {
    // 300 comments: more than the first buffer holds.
    std::vector<std::uint8_t> gif = smallGif();
    gif.pop_back();
    for (int i = 0; i < 300; ++i)
        gif.insert(gif.end(), {0x21, 0xFE, 1, 'x', 0});
    gif.push_back(0x3B);
    const std::string path = files.file("many.gif");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, gif));
    EXPECT_GE(ReadGifBlocks(path.c_str()).size(), 306u);
    const std::string text = files.file("not.gif");
    ASSERT_TRUE(kfm::test::writeFileBytes(text, {'h', 'e', 'l', 'l', 'o'}));
    EXPECT_TRUE(ReadGifBlocks(text.c_str()).empty());
    EXPECT_TRUE(ReadGifBlocks(files.file("missing.gif").c_str()).empty());
}

TEST(PrintOptionsDialog, TheRenderedPairExcludesItselfAndOkWritesTheSixValues) {
    int rim = 1, title = 0, rendered = 7, bypass = 1, columns = 0, rows = 1;
    CDlgPrintOptions d(nullptr, &rim, &title, &rendered, &bypass, &columns, &rows);
    d.show();
    const auto check = [&](int id) { return d.kit().controlAs<QCheckBox>(id); };
    EXPECT_TRUE(check(CDlgPrintOptions::kRendered)->isChecked());
    EXPECT_FALSE(check(CDlgPrintOptions::kAsStored)->isChecked());
    check(CDlgPrintOptions::kAsStored)->click();
    EXPECT_FALSE(check(CDlgPrintOptions::kRendered)->isChecked());
    check(CDlgPrintOptions::kAsStored)->click(); // the pair never has neither
    EXPECT_TRUE(check(CDlgPrintOptions::kAsStored)->isChecked());
    check(CDlgPrintOptions::kTitle)->click();
    check(CDlgPrintOptions::kRim)->click();
    d.grab().save(ArtifactPath("print-options-dialog.png"));
    d.kit().controlAs<QPushButton>(IDOK)->click();
    EXPECT_EQ(rim, 0);
    EXPECT_EQ(title, 1);
    EXPECT_EQ(rendered, 0);
    EXPECT_EQ(bypass, 1);
    EXPECT_EQ(columns, 0);
    EXPECT_EQ(rows, 1);

    CDlgPrintOptions again(nullptr, &rim, &title, &rendered, &bypass, &columns, &rows);
    again.kit().controlAs<QCheckBox>(CDlgPrintOptions::kRendered)->click();
    again.kit().controlAs<QPushButton>(IDCANCEL)->click();
    EXPECT_EQ(rendered, 0); // Cancel writes nothing
}

TEST(ThumbSizeDialog, TakesEightyToFourHundredSixtyEight) {
    struct Case {
        int startWidth, startHeight;
        const char* typedWidth;
        int wantWidth, wantHeight;
    } const cases[] = {
        {100, 120, "", 100, 120},
        {10, 900, "", 80, 468},
        {100, 100, "200", 200, 100},
        {100, 100, "999", 468, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typedWidth);
        int width = c.startWidth;
        int height = c.startHeight;
        CDlgThumbSize d(nullptr, &width, &height);
        d.show();
        if (*c.typedWidth) {
            auto* edit = d.kit().controlAs<kfm::ui::CNumEdit>(CDlgThumbSize::kWidth);
            edit->setText(c.typedWidth);
        }
        d.kit().controlAs<QPushButton>(IDOK)->click();
        EXPECT_EQ(width, c.wantWidth);
        EXPECT_EQ(height, c.wantHeight);
    }
    int width = 100, height = 100;
    CDlgThumbSize shot(nullptr, &width, &height);
    shot.show();
    shot.grab().save(ArtifactPath("thumbnail-size-dialog.png"));
}

} // namespace
