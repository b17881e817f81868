// The readers of menu, toolbar and accelerator resources, and the editor's own resource library.

#include "ResourceScripts.h"

#include "Kfm5ResourceIds.h"
#include "resources/ResourceLibrary.h"
#include "resources/ResourceTable.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

using namespace kfm::shell;

TEST(ResourceScripts, MenusNestAndKeepTheirTexts) {
    const auto menu = ParseMenuScript(R"(// comment
POPUP "&File"
    MENUITEM "&New\tCtrl+N", 57600
    MENUITEM SEPARATOR
    POPUP "Sub ""quoted"""
        MENUITEM "Deep", 20001
    END
END
POPUP "&Help"
END
)");
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->size(), 2u);
    const MenuEntry& file = (*menu)[0];
    EXPECT_EQ(file.text, "&File");
    ASSERT_EQ(file.children.size(), 3u);
    EXPECT_EQ(file.children[0].text, "&New\tCtrl+N");
    EXPECT_EQ(file.children[0].id, 57600u);
    EXPECT_EQ(file.children[1].kind, MenuEntry::Kind::Separator);
    EXPECT_EQ(file.children[2].text, "Sub \"quoted\"");
    EXPECT_EQ(file.children[2].children.at(0).id, 20001u);
    EXPECT_TRUE((*menu)[1].children.empty());
}

TEST(ResourceScripts, MalformedScriptsAreRefused) {
    for (const char* bad : {"POPUP \"&File\"\n", "END\n", "POPUP \"x\"\nMENUITEM \"a\" 5\nEND\n",
                            "POPUP \"x\"\nMENUITEM \"a\", 0\nEND\n", "MENUITEM \"open, 5\n",
                            "POPUP x\nEND\n", "WHATEVER\n"})
        EXPECT_FALSE(ParseMenuScript(bad)) << bad;
    EXPECT_FALSE(ParseToolbarScript("BUTTON\n"));
    EXPECT_FALSE(ParseToolbarScript("BUTTON 12 13\n"));
    EXPECT_FALSE(ParseAcceleratorScript("Ctrl+N, 57600\n"));
    EXPECT_FALSE(ParseAcceleratorScript("\"\", 57600\n"));
}

TEST(ResourceScripts, ToolbarPicturesSkipSeparators) {
    const auto bar = ParseToolbarScript("BUTTON 1\nSEPARATOR\nBUTTON 2\n\nBUTTON 3\r\n");
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->size(), 4u);
    EXPECT_EQ((*bar)[1].id, 0u);
    EXPECT_EQ((*bar)[2].image, 1);
    EXPECT_EQ((*bar)[3].image, 2);
}

// Every id of a menu, in order.
void collectIds(const std::vector<MenuEntry>& entries, std::vector<UINT>& ids) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::Item)
            ids.push_back(e.id);
        collectIds(e.children, ids);
    }
}

class EditorResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryA((kfm::test::programFolder() / "KFM5Res.so").c_str());
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override { FreeLibrary(module); }

    std::string text(UINT type, UINT id) const {
        const unsigned char* data = nullptr;
        UINT size = 0;
        if (!kfm::resources::findBinary(module, type, id, &data, &size))
            return {};
        return std::string(reinterpret_cast<const char*>(data), size);
    }

    HMODULE module = nullptr;
};

TEST_F(EditorResourcesTest, MenusToolbarsAndAcceleratorsReadAndEveryCommandHasAPrompt) {
    const auto menu = ParseMenuScript(text(RT_MENU, kfm5res::kMainMenu));
    ASSERT_TRUE(menu);
    std::vector<UINT> ids;
    collectIds(*menu, ids);
    EXPECT_GT(ids.size(), 80u);
    EXPECT_EQ(std::set<UINT>(ids.begin(), ids.end()).size(), ids.size()) << "an id twice";
    for (const UINT toolbar :
         {kfm5res::kToolbarStandard, kfm5res::kToolbarAnimation, kfm5res::kToolbarFrames}) {
        const auto buttons = ParseToolbarScript(text(RT_TOOLBAR, toolbar));
        ASSERT_TRUE(buttons) << toolbar;
        int pictures = 0;
        for (const ToolbarButton& b : *buttons) {
            if (b.id)
                ids.push_back(b.id);
            pictures += b.id ? 1 : 0;
        }
        // The bitmap holds one 16 x 16 picture per button: a PNG as wide as that.
        const std::string png = text(RT_BITMAP, toolbar);
        ASSERT_GT(png.size(), 24u) << toolbar;
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(png[i]); };
        const unsigned width = (byte(16) << 24) | (byte(17) << 16) | (byte(18) << 8) | byte(19);
        EXPECT_EQ(width, 16u * static_cast<unsigned>(pictures)) << toolbar;
    }
    const auto accelerators =
        ParseAcceleratorScript(text(RT_ACCELERATOR, kfm5res::kMainAccelerators));
    ASSERT_TRUE(accelerators);
    EXPECT_FALSE(accelerators->empty());
    for (const UINT id : ids)
        EXPECT_FALSE(kfm::resources::loadString(module, id).empty()) << "no prompt for " << id;
}

TEST_F(EditorResourcesTest, TheOuterButtonsShowTheEditorAndTheBrowser) {
    const auto buttons = ParseToolbarScript(text(RT_TOOLBAR, kfm5res::kToolbarStandard));
    ASSERT_TRUE(buttons);
    std::map<int, UINT> byPicture;
    for (const ToolbarButton& b : *buttons)
        if (b.id)
            byPicture[b.image] = b.id;
    EXPECT_EQ(byPicture[23], kfm5res::ID_FRAME_EDIT_OBJECT);
    EXPECT_EQ(byPicture[27], kfm5res::ID_VIEW_BROWSER_CUSTOM);
}

} // namespace
