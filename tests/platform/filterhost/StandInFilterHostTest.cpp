// The filter host this platform ships: it keeps its folder list in the list file's layout and
// has no filter to offer or run.

#include "filterhost/StandInFilterHost.h"
#include "filterhost/PluginListFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace kfm::filterhost;

namespace {

// A context released at the end of the scope.
struct Context {
    StandInFilterHost host;
    FilterHostContext* context = nullptr;
    Context() { EXPECT_EQ(host.CreateContext(&context), 0); }
    ~Context() { host.ReleaseContext(context); }
};

std::string readText(const std::string& path) {
    const auto bytes = kfm::test::readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(StandInFilterHostTest, KeepsItsFoldersInTheListFileAndFindsNoFilter) {
    const kfm::test::TempDir files;
    std::filesystem::create_directories(files.path() / "filters" / "more");
    const std::string filters = (files.path() / "filters").string();
    Context c;
    EXPECT_EQ(c.host.AddFolder(c.context, filters), 0);
    EXPECT_EQ(c.host.AddFolder(c.context, filters + "/"), 1);
    EXPECT_EQ(c.host.AddFolder(c.context, filters + "/more"), 0);
    EXPECT_LT(c.host.AddFolder(c.context, files.file("missing")), 0);
    EXPECT_EQ(c.host.Rescan(c.context), 0);
    const std::string list = files.file("PlugInsAdobe.ini");
    ASSERT_EQ(c.host.WriteList(c.context, list), 0);
    EXPECT_EQ(readText(list), "[PlugInHeader]\r\n7678\r\n[PlugInPath]\r\n" + filters + "\r\n" +
                                  filters + "/more\r\n");

    Context again;
    ASSERT_EQ(again.host.LoadList(again.context, list), 0);
    std::vector<std::string> folders;
    again.host.QueryFolders(again.context, folders);
    EXPECT_EQ(folders, (std::vector<std::string>{filters, filters + "/more"}));
    int count = -1;
    EXPECT_EQ(again.host.CountFilters(again.context, &count), 0);
    EXPECT_EQ(count, 0);
    FilterHostFilter* filter = nullptr;
    EXPECT_LT(again.host.PrepareFilter(again.context, 43500, &filter), 0);
    EXPECT_EQ(filter, nullptr);
    // Removing a folder takes the ones below it.
    EXPECT_EQ(again.host.RemoveFolder(again.context, filters), 0);
    again.host.QueryFolders(again.context, folders);
    EXPECT_TRUE(folders.empty());
}

TEST(StandInFilterHostTest, AMissingOrDamagedListDoesNotLoad) {
    const kfm::test::TempDir files;
    Context c;
    EXPECT_NE(c.host.LoadList(c.context, files.file("missing.ini")), 0);
    const std::string damaged = files.file("damaged.ini");
    std::ofstream(damaged, std::ios::binary) << "[PlugInHeader]\r\n1234\r\n";
    EXPECT_NE(c.host.LoadList(c.context, damaged), 0);
    EXPECT_NE(c.host.LoadList(nullptr, damaged), 0);
}

TEST(PluginListFileTest, FolderComparisonsIgnoreCaseAndATrailingSlashButNotAPrefix) {
    EXPECT_TRUE(IsInsideFolder("/a/B", "/A/b/"));
    EXPECT_TRUE(IsInsideFolder("/a/b/c", "/a/b"));
    EXPECT_FALSE(IsInsideFolder("/a/bc", "/a/b"));
    EXPECT_FALSE(IsInsideFolder("/a", "/a/b"));
    EXPECT_FALSE(IsInsideFolder("/a", ""));
    EXPECT_EQ(FolderOfPath("/x/y/p.kfp"), "/x/y/");
    EXPECT_EQ(FolderOfPath("p.kfp"), "");
    EXPECT_EQ(FileNameOfPath("/x/y/p.kfp"), "p.kfp");
    EXPECT_EQ(JoinPath("/x", "p.kfp"), "/x/p.kfp");
    EXPECT_EQ(JoinPath("/x/", "p.kfp"), "/x/p.kfp");
}

TEST(PluginListFileTest, CountsReadAsNumbersWithinRange) {
    const struct {
        const char* count;
        int expected;
    } cases[] = {{"7", 7}, {" 12abc", 12}, {"-3", 0},
                 {"x", 0}, {"", 0},        {"99999999999999999999", 2147483647},
                 {"+4", 4}};
    for (const auto& c : cases) {
        const std::string text =
            std::string("[PlugInHeader]\r\n7678\r\n[PlugInPath]\r\n/f\r\n[]\r\n"
                        "Name\r\n/f/n.kfp\r\n") +
            c.count + "\r\n";
        PluginList list;
        ASSERT_EQ(
            ParsePluginList(
                std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), list),
            S_OK);
        ASSERT_EQ(list.records.size(), 1u) << c.count;
        EXPECT_EQ(list.records[0].minSelectedFrames, c.expected) << c.count;
    }
}
