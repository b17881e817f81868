// Texts of resource libraries in the code page their tables tell: the distortion plug-in's
// Windows-1250 table, a table of the format's first version (read as 1252), and a module that
// exports its own table and finds it through an address of its code.

#include "framework/ResourceDialog.h"

#include "VaroreResourceIds.h"
#include "resources/ResourceLibrary.h"
#include "resources/ResourceTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string testResource(const char* file) {
    return std::string(KFM_TEST_RESOURCES_DIR) + "/" + file;
}

class LibraryTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        varore = LoadLibraryA(testResource("VaroreResProbe.so").c_str());
        firstVersion = LoadLibraryA(testResource("FirstVersionRes.so").c_str());
        ASSERT_NE(varore, nullptr) << kfm::resources::lastLoadError();
        ASSERT_NE(firstVersion, nullptr) << kfm::resources::lastLoadError();
    }
    void TearDown() override {
        FreeLibrary(varore);
        FreeLibrary(firstVersion);
    }
    HMODULE varore = nullptr;
    HMODULE firstVersion = nullptr;
};

} // namespace

TEST_F(LibraryTextTest, Code1250TextsDecodeWithTheirCzechLetters) {
    using namespace varoreres;
    EXPECT_EQ(kfm::resources::codePageOf(varore), 1250);
    const struct {
        unsigned id;
        const char* utf8;
    } cases[] = {
        {IDS_APP_NAME, "Chvění"},
        {IDS_COMPUTING_FRAME, "Počítám rámec %d z %d"},
        {IDS_READY, "Připraven"},
        {IDC_SEQUENCE, "Číslo sekvence"},
        {IDC_FRAME_COUNT, "Počet rámců"},
        {IDS_TYPE_FIRST + 0, "Buněčná struktura 1"},
        {IDS_TYPE_FIRST + 6, "Perlinův šum 5"},
        {IDS_TYPE_FIRST + 8, "Absolut Perlin"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kfm::ui::LibraryText(varore, c.id), QString::fromUtf8(c.utf8)) << c.id;
    // The stored bytes are 1250's: "ě" is 0xEC, "ř" 0xF8.
    EXPECT_EQ(kfm::resources::loadString(varore, IDS_APP_NAME), "Chv\xECn\xED");
    EXPECT_EQ(kfm::resources::loadString(varore, IDS_READY), "P\xF8ipraven");
}

TEST_F(LibraryTextTest, TablesOfTheFirstVersionStayReadableAs1252) {
    EXPECT_EQ(kfm::resources::codePageOf(firstVersion), 1252);
    EXPECT_EQ(kfm::ui::LibraryText(firstVersion, 1), QString::fromUtf8("Crème brûlée"));
    EXPECT_EQ(kfm::resources::codePageOf(nullptr), 1252);
}

TEST_F(LibraryTextTest, AModuleFindsItsOwnTablesThroughAnAddressOfItsCode) {
    void* entry = GetProcAddress(varore, kKfmResourceTablesSymbol);
    ASSERT_NE(entry, nullptr);
    HMODULE own = kfm::resources::moduleOfAddress(entry);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(kfm::resources::codePageOf(own), 1250);
    EXPECT_EQ(kfm::ui::LibraryText(own, varoreres::IDS_APP_NAME), QString::fromUtf8("Chvění"));
    // A module without tables of its own does not borrow those of a library it uses.
    HMODULE test = kfm::resources::moduleOfAddress(reinterpret_cast<const void*>(&testResource));
    EXPECT_EQ(kfm::ui::LibraryText(test, varoreres::IDS_APP_NAME), QString());
}
