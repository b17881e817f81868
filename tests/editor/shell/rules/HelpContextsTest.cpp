// Where help pages are found: the folder named after the language library, and the context map.

#include "HelpContexts.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::shell;

TEST(HelpContexts, TheFolderIsNamedAfterTheLanguageLibraryBesideTheProgram) {
    const struct {
        const char* program;
        const char* library;
        const char* folder;
    } cases[] = {
        {"/opt/kfm5/KFM5", "/opt/kfm5/KFM5Res.so", "/opt/kfm5/KFM5Res.help/"},
        // The program's folder counts, wherever the library lies and whatever its extension.
        {"/opt/kfm5/KFM5", "/usr/lib/lang/KFM5ResDE.dll", "/opt/kfm5/KFM5ResDE.help/"},
        {"/a b/KFM5", "/a b/KFM5Res.so", "/a b/KFM5Res.help/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HelpFolder(c.program, c.library), c.folder) << c.library;
}

TEST(HelpContexts, MappedContextsOpenTheirPagesAndOthersTheContents) {
    const auto map = ParseHelpContextMap("# dialogs\n"
                                         "10613 frame-page.html\n"
                                         "20018 import.html   # the import command\n"
                                         "\n"
                                         "abc nonsense.html\n"
                                         "20008\n"
                                         "20009 mail.html extra\n"
                                         "20010 ../outside.html\n"
                                         "70000 too-large.html\n");
    EXPECT_EQ(map.size(), 2u);
    const struct {
        unsigned context;
        const char* page;
    } cases[] = {
        {10613, "frame-page.html"},
        {20018, "import.html"},
        {0x10000 + 20018, "import.html"}, // only the low 16 bits are the context
        {20008, "index.html"},
        {20009, "index.html"},
        {20010, "index.html"},
        {0, "index.html"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HelpPageFor(map, c.context), c.page) << c.context;
}

} // namespace
