// The recent-file list: order, length, storage and menu texts.

#include "RecentFileList.h"

#include "registry/RegistryHelpers.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using kfm::shell::RecentFileList;

class RecentFileListTest : public ::testing::Test {
protected:
    kfm::test::ScopedRegistry registry;
};

TEST_F(RecentFileListTest, NewestFirstFiveAtMostNoDuplicates) {
    RecentFileList list;
    for (const char* p : {"/a/1.gif", "/a/2.gif", "/a/3.gif", "/a/4.gif", "/a/5.gif", "/a/6.gif"})
        list.Add(p);
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.At(0), "/a/6.gif");
    EXPECT_EQ(list.At(4), "/a/2.gif");
    list.Add("/a/./4.gif");
    EXPECT_EQ(list.Count(), 5);
    EXPECT_EQ(list.At(0), "/a/4.gif");
    EXPECT_EQ(list.At(1), "/a/6.gif");
    list.Remove(0);
    EXPECT_EQ(list.At(0), "/a/6.gif");
    EXPECT_EQ(list.At(7), "");
    list.Add("");
    EXPECT_EQ(list.Count(), 4);
}

TEST_F(RecentFileListTest, StoredBetweenRuns) {
    RecentFileList list;
    list.Add("/x/one.gif");
    list.Add("/x/two.gif");
    list.WriteList();
    EXPECT_EQ(ReadRegString("Recent File List", "File1", ""), "/x/two.gif");
    RecentFileList next;
    next.ReadList();
    ASSERT_EQ(next.Count(), 2);
    EXPECT_EQ(next.At(1), "/x/one.gif");
    // Removed entries leave no stale names behind.
    next.Remove(1);
    next.WriteList();
    EXPECT_EQ(ReadRegString("Recent File List", "File2", "none"), "none");
}

TEST_F(RecentFileListTest, MenuTexts) {
    RecentFileList list;
    list.Add("/very/long/folder/name/of/the/user/animation.gif");
    list.Add("/home/me/R&D.gif");
    list.Add("/work/short.gif");
    EXPECT_EQ(list.MenuText(0, "/work"), "&1 short.gif");
    EXPECT_EQ(list.MenuText(0, "/elsewhere"), "&1 /work/short.gif");
    EXPECT_EQ(list.MenuText(1, "/"), "&2 /home/me/R&&D.gif");
    EXPECT_EQ(list.MenuText(2, "/"), "&3 /very/.../animation.gif");
    EXPECT_EQ(list.MenuText(3, "/"), "");
}

} // namespace
