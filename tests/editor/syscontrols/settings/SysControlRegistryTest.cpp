// The remembered values of the system-control dialog on a temporary registry: the defaults of a
// fresh registry, saving and loading again, values an edited registry holds, and the reset.

#include "SysControlRegistry.h"

#include "SysControlTypes.h"
#include "registry/RegistryHelpers.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

using namespace kfm::syscontrols;
namespace w = word;

constexpr const char* kSection = "Dlgs\\SysControl";

LoadContext context() {
    LoadContext c;
    c.animationWidth = 160;
    c.animationHeight = 120;
    c.clock = [] { return UtcDateTime{2021, 3, 4, 5, 6, 7}; };
    return c;
}

class SysControlRegistryTest : public ::testing::Test {
protected:
    kfm::test::ScopedRegistry registry;
};

TEST_F(SysControlRegistryTest, TheTableHas147DistinctWordsAndNames) {
    const auto stored = StoredWords();
    EXPECT_EQ(stored.size(), 147u);
    std::set<int> words;
    std::set<std::string> names;
    for (const StoredWord& s : stored) {
        words.insert(s.word);
        names.insert(s.name);
        EXPECT_EQ(std::string(s.name).rfind("sc", 0), 0u) << s.name;
    }
    EXPECT_EQ(words.size(), 147u);
    EXPECT_EQ(names.size(), 147u);
    for (const int unstored :
         {w::Width, w::Height, w::Text, w::Caption, w::LBCurSel, w::CBCurSel, w::TCCurSel,
          w::TCHotItem, w::TCHighlightItem, w::DTUpDown, w::Reserved})
        EXPECT_EQ(words.count(unstored), 0u) << unstored;
    auto nameOf = [&](int word) {
        for (const StoredWord& s : stored)
            if (s.word == word)
                return std::string(s.name);
        return std::string();
    };
    EXPECT_EQ(nameOf(140), "scMCNoTodayCircle");
    EXPECT_EQ(nameOf(141), "scMCNoToday");
    EXPECT_EQ(nameOf(155), "scMBButtons");
    EXPECT_EQ(nameOf(156), "scMBIcon");
}

TEST_F(SysControlRegistryTest, AFreshRegistryGivesTheDefaults) {
    SysControlSettings s;
    s[w::Width] = 11;
    s[w::Reserved] = 99;
    EXPECT_EQ(LoadSettings(s, context()), Dialog);
    EXPECT_EQ(s[w::Type], Dialog);
    EXPECT_EQ(s.Text, "System Control");
    EXPECT_TRUE(s.Caption.empty());
    EXPECT_EQ(s[w::DlgWidth], 160);
    EXPECT_EQ(s[w::DlgHeight], 120);
    EXPECT_EQ(s[w::DlgCaption], 1);
    EXPECT_EQ(s[w::DlgSysMenu], 1);
    EXPECT_EQ(s[w::LBColumnWidth], 160);
    EXPECT_EQ(s[w::SBHHeight], 16);
    EXPECT_EQ(s[w::SBVWidth], 16);
    EXPECT_EQ(s[w::EBWidth], 90);
    EXPECT_EQ(s[w::EBSpinOrient], 1);
    EXPECT_EQ(s[w::ICWidth], 32);
    EXPECT_EQ(s[w::SLRange], 100);
    EXPECT_EQ(s[w::DTYear], 2021);
    EXPECT_EQ(s[w::DTSecond], 7);
    EXPECT_EQ(s[w::MCSelDay], 4);
    EXPECT_EQ(s[w::LBCurSel], -1);
    EXPECT_EQ(s[w::TCHotItem], 1);
    EXPECT_EQ(s[w::Width], 11) << "the current size is the dialog's";
    EXPECT_EQ(s[w::Reserved], 99) << "word 92 is never touched";
}

TEST_F(SysControlRegistryTest, SavedValuesComeBackButTheUnstoredWordsDoNot) {
    SysControlSettings s;
    LoadSettings(s, context());
    s[w::Type] = ListBox;
    s[w::LBWidth] = 77;
    s[w::MCNoToday] = 1;
    s[w::MBIcon] = 2;
    s[w::LBCurSel] = 3;
    s[w::TCHotItem] = 4;
    s.Text = "changed";
    SaveSettings(s);

    SysControlSettings again;
    EXPECT_EQ(LoadSettings(again, context()), ListBox);
    EXPECT_EQ(again[w::LBWidth], 77);
    EXPECT_EQ(again[w::MCNoToday], 1);
    EXPECT_EQ(again[w::MCNoTodayCircle], 0);
    EXPECT_EQ(again[w::MBIcon], 2);
    EXPECT_EQ(again[w::MBButtons], 0);
    EXPECT_EQ(again[w::LBCurSel], -1);
    EXPECT_EQ(again[w::TCHotItem], 1);
    EXPECT_EQ(again.Text, "System Control");
}

TEST_F(SysControlRegistryTest, EditedValuesAreReadWithoutClamping) {
    WriteRegInt(kSection, "scPBWidth", -5);
    WriteRegInt(kSection, "scSLRange", 1000000);
    WriteRegInt(kSection, "scGBFlat", 256);
    WriteRegInt(kSection, "scType", 2147483647);
    SysControlSettings s;
    EXPECT_EQ(LoadSettings(s, context()), 2147483647);
    EXPECT_EQ(s[w::PBWidth], -5);
    EXPECT_EQ(s[w::SLRange], 1000000);
    EXPECT_EQ(s[w::GBFlat], 256);
}

TEST_F(SysControlRegistryTest, SavingAgainstWhatWasLoadedWritesOnlyTheChanges) {
    SysControlSettings s;
    StoredValues stored;
    LoadSettings(s, context(), &stored);
    EXPECT_EQ(std::count(stored.present.begin(), stored.present.end(), true), 0);
    s[w::PBWidth] = 40;
    SaveSettings(s, &stored); // a fresh registry: every value is written
    SysControlSettings again;
    StoredValues nowStored;
    LoadSettings(again, context(), &nowStored);
    EXPECT_EQ(std::count(nowStored.present.begin(), nowStored.present.end(), true), 147);
    EXPECT_EQ(again[w::GBWidth], 160);
    // Another run changes a value meanwhile; this one changes another and keeps the first.
    WriteRegInt(kSection, "scPBWidth", 55);
    again[w::EBWidth] = 66;
    SaveSettings(again, &nowStored);
    EXPECT_EQ(ReadRegInt(kSection, "scEBWidth", 0, 0, 0), 66);
    EXPECT_EQ(ReadRegInt(kSection, "scPBWidth", 0, 0, 0), 55);
    // Every number can be stored, the smallest one too.
    WriteRegInt(kSection, "scSLPos", -2147483647 - 1);
    LoadSettings(again, context(), &nowStored);
    EXPECT_EQ(again[w::SLPos], -2147483647 - 1);
    EXPECT_TRUE(nowStored.present[w::SLPos]);
}

TEST_F(SysControlRegistryTest, TheResetDeletesEveryValueAndTheUpDownOne) {
    SysControlSettings s;
    LoadSettings(s, context());
    s[w::EBWidth] = 5;
    SaveSettings(s);
    WriteRegInt(kSection, "scDTUpDown", 1);
    DeleteSysControlSettings();
    for (const StoredWord& stored : StoredWords())
        EXPECT_EQ(ReadRegInt(kSection, stored.name, -123, 0, 0), -123) << stored.name;
    EXPECT_EQ(ReadRegInt(kSection, "scDTUpDown", -123, 0, 0), -123);
    SysControlSettings fresh;
    LoadSettings(fresh, context());
    EXPECT_EQ(fresh[w::EBWidth], 90);
}

} // namespace
