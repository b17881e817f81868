// The new-animation dialog with its settings in a temporary registry: the banner formats, user
// formats added, deleted and kept after Cancel, a stale or hostile "Dlgs\NewDoc", the add limit,
// set as default and what OK hands back.

#include "DlgNewDoc.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "ViewTestSupport.h"
#include "registry/RegistryHelpers.h"

#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <string>

namespace {

using kfm::dialogs::CDlgNewDoc;
using kfm::dialogs::NewDocFormat;
using kfm::test::ArtifactPath;

constexpr char kSection[] = "Dlgs\\NewDoc";

struct Results {
    int width = -1, height = -1, defaultIndex = -1, defaultWidth = -1, defaultHeight = -1;
};

class NewDocDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<CDlgNewDoc> open() {
        auto dialog = std::make_unique<CDlgNewDoc>(nullptr, &r.width, &r.height, &r.defaultIndex,
                                                   &r.defaultWidth, &r.defaultHeight);
        dialog->SetFormatAsker([this](QWidget*, QString& name, int& width, int& height) {
            askedName = name;
            if (!answer)
                return false;
            name = answerName;
            width = answerWidth;
            height = answerHeight;
            return true;
        });
        dialog->show();
        return dialog;
    }
    static void click(CDlgNewDoc& d, int id) { d.kit().controlAs<QPushButton>(id)->click(); }
    static bool enabled(CDlgNewDoc& d, int id) { return d.kit().control(id)->isEnabled(); }
    static void storeFormats(int count, int stored) {
        WriteRegInt(kSection, "NumUserDefFormats", stored);
        for (int n = 0; n < count; ++n) {
            WriteRegString(kSection, ("ID" + std::to_string(n)).c_str(),
                           ("Format " + std::to_string(n)).c_str());
            WriteRegInt(kSection, ("W" + std::to_string(n)).c_str(), 10 + n);
            WriteRegInt(kSection, ("H" + std::to_string(n)).c_str(), 20 + n);
        }
    }

    kfm::test::ScopedRegistry registry;
    Results r;
    bool answer = true;
    QString answerName = "Skyscraper";
    int answerWidth = 160;
    int answerHeight = 600;
    QString askedName;
};

TEST_F(NewDocDialogTest, OpensWithTheBannerFormatsAndTheirSizes) {
    const auto d = open();
    QTreeWidget* list = d->List();
    ASSERT_EQ(list->topLevelItemCount(), 8);
    const char* sizes[] = {"468 x 60", "392 x 72", "234 x 60",  "120 x 40",
                           "120 x 90", "120 x 60", "125 x 125", "88 x 31"};
    const unsigned texts[] = {10841, 10840, 10839, 10835, 10837, 10836, 10838, 10842};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(list->topLevelItem(i)->text(1), sizes[i]);
        EXPECT_EQ(list->topLevelItem(i)->text(0), kfm::ui::ResourceString(texts[i]));
    }
    // Nothing stored: entry 0 at 468 x 60 is selected.
    EXPECT_EQ(d->Selection(), 0);
    EXPECT_FALSE(enabled(*d, CDlgNewDoc::kDelete)); // banner formats stay
    EXPECT_TRUE(enabled(*d, CDlgNewDoc::kAdd));
    list->setCurrentItem(list->topLevelItem(7));
    d->grab().save(ArtifactPath("new-animation-dialog.png"));
    click(*d, IDOK);
    EXPECT_EQ(r.width, 88);
    EXPECT_EQ(r.height, 31);
    EXPECT_EQ(ReadRegInt(kSection, "SelectedID", -5, 0, 0), 7);
    EXPECT_EQ(ReadRegInt(kSection, "SelectedWidth", -5, 0, 0), 88);
    EXPECT_EQ(ReadRegInt(kSection, "SelectedHeight", -5, 0, 0), 31);
}

TEST_F(NewDocDialogTest, AddedFormatsAreKeptAfterCancelAndDeleteMovesTheSelectionBack) {
    {
        const auto d = open();
        d->List()->setCurrentItem(d->List()->topLevelItem(2));
        click(*d, CDlgNewDoc::kAdd);
        EXPECT_EQ(askedName, kfm::ui::ResourceString(10839)); // the selected entry's name
        ASSERT_EQ(d->List()->topLevelItemCount(), 9);
        EXPECT_EQ(d->Selection(), 8);
        EXPECT_EQ(d->List()->topLevelItem(8)->text(0), "Skyscraper");
        EXPECT_TRUE(enabled(*d, CDlgNewDoc::kDelete));
        answerName = "Tower";
        answerWidth = 120;
        answerHeight = 240;
        click(*d, CDlgNewDoc::kAdd);
        answer = false;
        click(*d, CDlgNewDoc::kAdd); // cancelled: nothing added
        EXPECT_EQ(d->List()->topLevelItemCount(), 10);
        d->reject();
    }
    EXPECT_EQ(ReadRegInt(kSection, "NumUserDefFormats", -1, 0, 0), 2);
    {
        const auto d = open();
        ASSERT_EQ(d->List()->topLevelItemCount(), 10);
        EXPECT_EQ(d->List()->topLevelItem(9)->text(0), "Tower");
        EXPECT_EQ(d->List()->topLevelItem(9)->text(1), "120 x 240");
        d->List()->setCurrentItem(d->List()->topLevelItem(8));
        click(*d, CDlgNewDoc::kDelete);
        ASSERT_EQ(d->List()->topLevelItemCount(), 9);
        EXPECT_EQ(d->Selection(), 7); // the previous entry, its size shown
        EXPECT_EQ(d->List()->topLevelItem(8)->text(0), "Tower");
        click(*d, IDOK);
        EXPECT_EQ(r.width, 88);
        EXPECT_EQ(r.height, 31);
    }
    EXPECT_EQ(ReadRegInt(kSection, "NumUserDefFormats", -1, 0, 0), 1);
    EXPECT_EQ(ReadRegString(kSection, "ID0", ""), "Tower");
}

TEST_F(NewDocDialogTest, StaleAndHostileSettingsAreHeldToWhatTheListHolds) {
    struct Case {
        const char* what;
        int storedCount, claimed;
        int selectedId, selectedWidth, selectedHeight;
        int wantEntries, wantSelection;
    } const cases[] = {
        {"a stored choice whose size still matches", 3, 3, 9, 11, 21, 11, 9},
        {"a stored choice whose size changed selects nothing", 3, 3, 9, 50, 50, 11, -1},
        {"a choice beyond the list selects nothing", 3, 3, 40, 11, 21, 11, -1},
        {"a negative choice selects nothing", 3, 3, -3, 11, 21, 11, -1},
        {"a count above what is stored reads what is there", 2, 9, 0, 468, 60, 10, 0},
        {"a negative count reads nothing", 3, -7, 0, 468, 60, 8, 0},
        {"a huge count reads at most 192", 200, 100000, 0, 468, 60, 200, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kfm::test::ScopedRegistry fresh;
        storeFormats(c.storedCount, c.claimed);
        WriteRegInt(kSection, "SelectedID", c.selectedId);
        WriteRegInt(kSection, "SelectedWidth", c.selectedWidth);
        WriteRegInt(kSection, "SelectedHeight", c.selectedHeight);
        const auto d = open();
        EXPECT_EQ(d->List()->topLevelItemCount(), c.wantEntries);
        EXPECT_EQ(d->Selection(), c.wantSelection);
        click(*d, IDOK);
        EXPECT_EQ(r.width, c.selectedWidth); // the stored size stays in the fields
        EXPECT_EQ(r.height, c.selectedHeight);
        EXPECT_EQ(enabled(*d, CDlgNewDoc::kAdd), c.wantEntries < 200);
    }
}

TEST_F(NewDocDialogTest, SizesOutsideOneToNineThousandAreSkipped) {
    storeFormats(4, 4);
    WriteRegInt(kSection, "W1", 0);
    WriteRegInt(kSection, "H2", 10000);
    WriteRegInt(kSection, "W3", -4);
    const auto d = open();
    ASSERT_EQ(d->List()->topLevelItemCount(), 9);
    EXPECT_EQ(d->List()->topLevelItem(8)->text(0), "Format 0");
}

TEST_F(NewDocDialogTest, TwoHundredEntriesDisableAddAndSetDefaultKeepsTheDialogOpen) {
    storeFormats(191, 191);
    const auto d = open();
    ASSERT_EQ(d->List()->topLevelItemCount(), 199);
    EXPECT_TRUE(enabled(*d, CDlgNewDoc::kAdd));
    click(*d, CDlgNewDoc::kAdd);
    EXPECT_EQ(d->List()->topLevelItemCount(), 200);
    EXPECT_FALSE(enabled(*d, CDlgNewDoc::kAdd));

    d->List()->setCurrentItem(d->List()->topLevelItem(4));
    click(*d, CDlgNewDoc::kSetDefault);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(r.defaultIndex, 4);
    EXPECT_EQ(r.defaultWidth, 120);
    EXPECT_EQ(r.defaultHeight, 90);
    d->reject();
    EXPECT_EQ(ReadRegInt(kSection, "NumUserDefFormats", -1, 0, 0), 192);
}

} // namespace
