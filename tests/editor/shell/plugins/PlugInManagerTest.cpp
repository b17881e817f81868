// The plug-in manager over folders of test plug-ins: the folder search, the cache file, removal,
// the menu it builds and the preferences page's folder list.

#include "PlugInManager.h"
#include "PluginMenuFake.h"
#include "TestPluginFiles.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using kfm::test::copyTestPlugin;
using kfm::test::newPluginFolder;
using kfm::test::testPluginControl;

namespace {

std::string readText(const std::string& path) {
    const auto bytes = kfm::test::readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A copy of the test plug-in that describes itself so.
std::string describedPlugin(const fs::path& folder, const std::string& file, const char* name,
                            const char* category, int minFrames) {
    const std::string path = copyTestPlugin(folder, "TestPlugin.kfp", file);
    TestPluginControl* control = testPluginControl(path);
    EXPECT_NE(control, nullptr);
    if (control)
        control->setInfo(name, category, minFrames);
    return path;
}

// The folders and their file names as "folder: a.kfp b.kfp".
std::vector<std::string> listing(const CPlugInManager& manager) {
    std::vector<std::string> out;
    for (const PlugInFolder& f : manager.Folders()) {
        std::string line = f.path + ":";
        for (const PlugInRecord& r : f.records)
            line += " " + r.fileName;
        out.push_back(line);
    }
    return out;
}

const std::string kHeader = "[PlugInHeader]\r\n7678\r\n[PlugInPath]\r\n";

} // namespace

TEST(PlugInManagerTest, AFolderWithPlugInsOnlyBelowIsRegisteredAnEmptySubFolderIsNot) {
    const fs::path root = newPluginFolder();
    fs::create_directories(root / "a");
    fs::create_directories(root / "b" / "c");
    fs::create_directories(root / "empty");
    describedPlugin(root / "a", "A.kfp", "Alpha", "", 0);
    describedPlugin(root / "b" / "c", "C.kfp", "Gamma", "", 0);

    CPlugInManager manager;
    EXPECT_EQ(manager.PlugInSearchFolder(root.string()), 1);
    const std::string r = root.string();
    EXPECT_EQ(listing(manager),
              (std::vector<std::string>{r + ":", r + "/a: A.kfp", r + "/b/c: C.kfp"}));
    EXPECT_EQ(manager.PlugInGetCount(), 2);
}

TEST(PlugInManagerTest, BrokenPlugInsAreLeftOutSilently) {
    const fs::path folder = newPluginFolder();
    describedPlugin(folder, "good.kfp", "Good", "", 0);
    copyTestPlugin(folder, "NotALibrary.kfp", "text.kfp");
    copyTestPlugin(folder, "NoExportPlugin.kfp", "noexport.kfp");
    copyTestPlugin(folder, "NullRunPlugin.kfp", "nullrun.kfp");
    copyTestPlugin(folder, "NullNamePlugin.kfp", "nullname.kfp");
    copyTestPlugin(folder, "TestPlugin.kfp", "not-a-plugin.so");
    CPlugInManager manager;
    manager.PlugInSearchFolder(folder.string());
    EXPECT_EQ(listing(manager), (std::vector<std::string>{folder.string() + ": good.kfp"}));
    EXPECT_EQ(manager.Folders()[0].records[0].name, "Good");
}

TEST(PlugInManagerTest, OneFileNameInTwoFoldersGivesTwoRecordsAndASecondSearchNoDuplicate) {
    const fs::path first = newPluginFolder();
    const fs::path second = newPluginFolder();
    describedPlugin(first, "same.kfp", "First", "", 0);
    describedPlugin(second, "same.kfp", "Second", "", 0);
    CPlugInManager manager;
    EXPECT_EQ(manager.PlugInSearchFolder(first.string()), 1);
    EXPECT_EQ(manager.PlugInSearchFolder(second.string()), 1);
    EXPECT_EQ(manager.PlugInGetCount(), 2);
    // A known folder (whatever its case and trailing "/") makes the search rebuild every folder.
    std::string upper = first.string() + "/";
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(manager.PlugInSearchFolder(upper), 0);
    EXPECT_EQ(manager.PlugInGetCount(), 2);
    EXPECT_EQ(manager.Folders().size(), 2u);
}

TEST(PlugInManagerTest, SymbolicLinksBackIntoTheFolderEndTheSearch) {
    const fs::path root = newPluginFolder();
    fs::create_directories(root / "sub");
    describedPlugin(root / "sub", "P.kfp", "Looped", "", 0);
    fs::create_directory_symlink(root, root / "sub" / "loop");
    fs::create_directory_symlink(root / "sub", root / "again");
    CPlugInManager manager;
    manager.PlugInSearchFolder(root.string());
    EXPECT_EQ(manager.PlugInGetCount(), 1);
    manager.PlugInRebuild();
    EXPECT_EQ(manager.PlugInGetCount(), 1);
}

TEST(PlugInManagerTest, RebuildFindsNewPlugInsAndLosesRemovedOnes) {
    const fs::path folder = newPluginFolder();
    const std::string gone = describedPlugin(folder, "gone.kfp", "Gone", "", 0);
    CPlugInManager manager;
    manager.PlugInSearchFolder(folder.string());
    fs::remove(gone);
    describedPlugin(folder, "new.kfp", "New", "", 0);
    fs::create_directories(folder / "later");
    describedPlugin(folder / "later", "sub.kfp", "Sub", "", 0);
    manager.PlugInRebuild();
    EXPECT_EQ(listing(manager), (std::vector<std::string>{folder.string() + ": new.kfp",
                                                          folder.string() + "/later: sub.kfp"}));
}

TEST(PlugInManagerTest, TheCacheIsWrittenByteForByteAndReadBack) {
    const fs::path folder = newPluginFolder();
    describedPlugin(folder, "A.kfp", "Alpha", "Effects", 2);
    describedPlugin(folder, "B.kfp", "Beta", "", 0);
    CPlugInManager manager;
    manager.PlugInSearchFolder(folder.string());
    const kfm::test::TempDir files;
    const std::string cache = files.file("PlugInsKeldo.ini");
    ASSERT_EQ(manager.PlugInWriteCache(cache), 1);
    const std::string f = folder.string();
    EXPECT_EQ(readText(cache), kHeader + f + "\r\n" + "[Effects]\r\nAlpha\r\n" + f +
                                   "/A.kfp\r\n2\r\n" + "[]\r\nBeta\r\n" + f + "/B.kfp\r\n0\r\n");

    // Read twice: the same list, without duplicates and without loading anything.
    CPlugInManager read;
    ASSERT_EQ(read.PlugInReadCache(cache, false), S_OK);
    ASSERT_EQ(read.PlugInReadCache(cache, false), S_OK);
    EXPECT_EQ(listing(read), listing(manager));
    const PlugInRecord& alpha = read.Folders()[0].records[0];
    EXPECT_EQ(alpha.category, "Effects");
    EXPECT_EQ(alpha.name, "Alpha");
    EXPECT_EQ(alpha.minSelectedFrames, 2);
    const std::string again = files.file("again.ini");
    read.PlugInWriteCache(again);
    EXPECT_EQ(readText(again), readText(cache));

    // Folders only.
    CPlugInManager folders;
    ASSERT_EQ(folders.PlugInReadCache(cache, true), S_OK);
    EXPECT_EQ(listing(folders), (std::vector<std::string>{f + ":"}));
}

TEST(PlugInManagerTest, CacheRecordsOfUnknownFoldersAreDroppedAndLineEndsMayBeLFOnly) {
    const kfm::test::TempDir files;
    const std::string cache = files.file("list.ini");
    writeText(cache, "\n[PlugInHeader]\n7678\n[PlugInPath]\n/known\n[Cat]\nOne\n/known/one.kfp\n1\n"
                     "Two\n/known/two.kfp\n3\n[]\nElsewhere\n/other/x.kfp\n0\n");
    CPlugInManager manager;
    ASSERT_EQ(manager.PlugInReadCache(cache, false), S_OK);
    EXPECT_EQ(listing(manager), (std::vector<std::string>{"/known: one.kfp two.kfp"}));
    // A record without a "[" line keeps the category before it.
    EXPECT_EQ(manager.Folders()[0].records[1].category, "Cat");
    EXPECT_EQ(manager.Folders()[0].records[1].minSelectedFrames, 3);
}

TEST(PlugInManagerTest, ABadHeaderIsRefusedAndWhatWasKnownStays) {
    const kfm::test::TempDir files;
    const std::string good = files.file("good.ini");
    writeText(good, kHeader + "/kept\r\n[]\r\nKept\r\n/kept/k.kfp\r\n0\r\n");
    const struct {
        const char* text;
        HRESULT result;
    } cases[] = {
        {"[PlugInHeader]\r\n7677\r\n[PlugInPath]\r\n/new\r\n", E_FAIL},
        {"[PlugInHeader]\r\n[PlugInPath]\r\n/new\r\n", E_FAIL},
        {"PlugInHeader]\r\n7678\r\n[PlugInPath]\r\n/new\r\n", E_FAIL},
        {"[Header]\r\n7678\r\n[PlugInPath]\r\n/new\r\n", E_FAIL},
        {"[PlugInHeader", E_FAIL},
        {"", E_FAIL},
        // The header alone, or cut inside a record: what is whole is read.
        {"[PlugInHeader]\r\n7678", S_OK},
        {"[PlugInHeader]\r\n7678\r\n[PlugInPath]\r\n/new\r\n[]\r\nCut\r\n/new/c.kfp", S_OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CPlugInManager manager;
        ASSERT_EQ(manager.PlugInReadCache(good, false), S_OK);
        const std::string bad = files.file("bad.ini");
        writeText(bad, c.text);
        EXPECT_EQ(manager.PlugInReadCache(bad, false), c.result);
        EXPECT_EQ(manager.Folders()[0].path, "/kept");
        EXPECT_EQ(manager.PlugInGetCount(), 1);
    }
    CPlugInManager manager;
    EXPECT_EQ(manager.PlugInReadCache(files.file("missing.ini"), false), S_OK);
    EXPECT_TRUE(manager.Folders().empty());
}

TEST(PlugInManagerTest, RemovalTakesTheFolderAndTheFoldersBelowIt) {
    const kfm::test::TempDir files;
    const std::string cache = files.file("folders.ini");
    writeText(cache, kHeader + "/p/Plug-Ins\r\n/p/Plug-Ins/extra\r\n/P/PLUG-INS/Other\r\n"
                               "/p/Plug-Ins2\r\n/q\r\n");
    const struct {
        const char* removed;
        int result;
        std::vector<std::string> left;
    } cases[] = {
        {"/p/plug-ins", 1, {"/p/Plug-Ins2:", "/q:"}},
        {"/p/Plug-Ins/", 1, {"/p/Plug-Ins2:", "/q:"}},
        {"/p/Plug-Ins/extra", 1, {"/p/Plug-Ins:", "/P/PLUG-INS/Other:", "/p/Plug-Ins2:", "/q:"}},
        {"/p/Plug",
         0,
         {"/p/Plug-Ins:", "/p/Plug-Ins/extra:", "/P/PLUG-INS/Other:", "/p/Plug-Ins2:", "/q:"}},
        {"",
         0,
         {"/p/Plug-Ins:", "/p/Plug-Ins/extra:", "/P/PLUG-INS/Other:", "/p/Plug-Ins2:", "/q:"}},
        {"/", 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.removed);
        CPlugInManager manager;
        manager.PlugInReadCache(cache, true);
        EXPECT_EQ(manager.PlugInRemove(c.removed), c.result);
        EXPECT_EQ(listing(manager), c.left);
    }
    CPlugInManager manager;
    manager.PlugInReadCache(cache, true);
    EXPECT_EQ(manager.PlugInRemoveAll(), 1);
    EXPECT_TRUE(manager.Folders().empty());
}

TEST(PlugInManagerTest, CommandsAnswerForTheirIdsOnly) {
    const kfm::test::TempDir files;
    const std::string cache = files.file("list.ini");
    writeText(cache, kHeader + "/f\r\n/g/\r\n[]\r\nOne\r\n/f/one.kfp\r\n2\r\n[]\r\nTwo\r\n"
                               "/g/two.kfp\r\n5\r\n");
    CPlugInManager manager;
    manager.PlugInReadCache(cache, false);
    // Before a menu exists no record has an id.
    EXPECT_EQ(manager.GetPluginPathById(0), "");
    FakePluginMenu menu;
    int token = 0;
    manager.BuildPluginMenu(&token, menu, 41500, 42998, false);
    EXPECT_EQ(manager.GetPluginPathById(41500), "/f/one.kfp");
    EXPECT_EQ(manager.GetPluginMinFrames(41500), 2);
    EXPECT_EQ(manager.GetPluginPathById(41501), "/g/two.kfp");
    EXPECT_EQ(manager.GetPluginMinFrames(41501), 5);
    EXPECT_EQ(manager.GetPluginPathById(41502), "");
    EXPECT_EQ(manager.GetPluginMinFrames(41502), 0);
    EXPECT_EQ(manager.GetPluginMinFrames(0), 0);
}

TEST(PlugInManagerTest, TheMenuSortsCommandsAndCategories) {
    struct Record {
        const char* category;
        const char* name;
    };
    const struct {
        const char* what;
        std::vector<std::string> before;
        std::vector<Record> records;
        bool separator;
        std::string expected;
    } cases[] = {
        {"commands sorted byte-wise, after the existing item",
         {"C:Plug-in P&references...:20010"},
         {{"", "Zoom"}, {"", "Blur"}, {"", "Sharpen"}},
         false,
         "C:Blur...:41501 | C:Plug-in P&references...:20010 | C:Sharpen...:41502 | "
         "C:Zoom...:41500"},
        {"sub-menus before the first command, shared categories",
         {},
         {{"", "Alpha"},
          {"Textures", "Wood"},
          {"Effects", "Wave"},
          {"Textures", "Marble"},
          {"", "Zeta"},
          {"Effects", "Blur"}},
         false,
         "S:Effects[C:Blur...:41505 | C:Wave...:41502] | S:Textures[C:Marble...:41503 | "
         "C:Wood...:41501] | C:Alpha...:41500 | C:Zeta...:41504"},
        {"a command sorts among sub-menus by text",
         {},
         {{"Zebra", "Z"}, {"", "Middle"}, {"Alpha", "A"}},
         false,
         "S:Alpha[C:A...:41502] | C:Middle...:41501 | S:Zebra[C:Z...:41500]"},
        {"with filters: after the separator, the filters untouched",
         {"C:Filter B:43500", "C:Filter A:43501"},
         {{"", "Plug"}, {"Effects", "Wave"}, {"", "Able"}},
         true,
         "C:Filter B:43500 | C:Filter A:43501 | - | C:Able...:41502 | "
         "S:Effects[C:Wave...:41501] | C:Plug...:41500"},
    };
    const kfm::test::TempDir files;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text = kHeader + "/f\r\n";
        for (std::size_t i = 0; i < c.records.size(); ++i)
            text += std::string("[") + c.records[i].category + "]\r\n" + c.records[i].name +
                    "\r\n/f/p" + std::to_string(i) + ".kfp\r\n0\r\n";
        const std::string cache = files.file("menu.ini");
        writeText(cache, text);
        CPlugInManager manager;
        ASSERT_EQ(manager.PlugInReadCache(cache, false), S_OK);
        FakePluginMenu menu(c.before);
        int token = 0;
        EXPECT_EQ(manager.BuildPluginMenu(&token, menu, 41500, 42998, c.separator), 0);
        EXPECT_EQ(menu.Describe(), c.expected);
    }
}

TEST(PlugInManagerTest, TheMenuNeedsAHostTokenAndStopsAtTheLastId) {
    const kfm::test::TempDir files;
    const std::string cache = files.file("list.ini");
    writeText(cache, kHeader + "/f\r\n[]\r\nA\r\n/f/a.kfp\r\n0\r\n[]\r\nB\r\n/f/b.kfp\r\n0\r\n"
                               "[]\r\nC\r\n/f/c.kfp\r\n0\r\n");
    CPlugInManager manager;
    manager.PlugInReadCache(cache, false);
    FakePluginMenu menu;
    EXPECT_EQ(manager.BuildPluginMenu(nullptr, menu, 41500, 42998, false), 0);
    EXPECT_EQ(menu.Describe(), "");

    int token = 0;
    manager.BuildPluginMenu(&token, menu, 42997, 42998, false);
    EXPECT_EQ(menu.Describe(), "C:A...:42997 | C:B...:42998");
    EXPECT_EQ(manager.Folders()[0].records[2].commandId, 0u);
    EXPECT_EQ(manager.GetPluginPathById(42999), "");
}

TEST(PlugInManagerTest, TheFolderListMergesFoldersInside) {
    const kfm::test::TempDir files;
    const std::string cache = files.file("folders.ini");
    writeText(cache, kHeader + "/a\r\n/b/inner\r\n/c\r\n");
    CPlugInManager manager;
    manager.PlugInReadCache(cache, true);
    const struct {
        std::vector<std::string> items;
        std::vector<std::string> expected;
    } cases[] = {
        {{}, {"/a", "/b/inner", "/c"}},
        // An item that holds a folder keeps it out.
        {{"/B"}, {"/B", "/a", "/c"}},
        // Items inside a folder give way to it, once.
        {{"/a/x", "/z", "/a/y"}, {"/a", "/z", "/b/inner", "/c"}},
        // A prefix that is no folder of it does not count.
        {{"/ab"}, {"/ab", "/a", "/b/inner", "/c"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MergeFolderList(c.items, manager.Folders()), c.expected);
}
