// Paths of the program's data, the limits on stored values, and the reminder's first date.

#include "StartupValues.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "registry/RegistryHelpers.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::shell;

TEST(StartupValues, GetAppPath) {
    g_AppSettings.programFolder = "/opt/kfm5/";
    char out[64];
    const struct {
        int kind;
        const char* path;
    } cases[] = {{0, "/opt/kfm5/PlugInsAdobe.ini"},
                 {1, "/opt/kfm5/PlugInsKeldo.ini"},
                 {2, "/opt/kfm5/Plug-Ins"},
                 {3, "/opt/kfm5/Samples"}};
    for (const auto& c : cases) {
        ASSERT_EQ(GetAppPath(c.kind, out, sizeof out), 1) << c.kind;
        EXPECT_STREQ(out, c.path);
    }
    EXPECT_EQ(GetAppPath(4, out, sizeof out), 0);
    EXPECT_EQ(GetAppPath(-1, out, sizeof out), 0);
    EXPECT_EQ(GetAppPath(0, nullptr, 64), 0);
    char small[8];
    EXPECT_EQ(GetAppPath(3, small, sizeof small), 0);
    // Exactly the path and its zero fit.
    char exact[18];
    EXPECT_EQ(GetAppPath(3, exact, sizeof exact), 1);
    EXPECT_EQ(GetAppPath(3, exact, sizeof exact - 1), 0);
}

TEST(StartupValues, ReadersBoundDamagedValues) {
    const struct {
        int w, h;
        int boundW, boundH;
    } sizes[] = {{468, 60, 468, 60}, {0, -5, 1, 1}, {100000, 70000, 65535, 65535}};
    for (const auto& s : sizes) {
        const AnimationSize b = BoundedAnimationSize(s.w, s.h);
        EXPECT_EQ(b.width, s.boundW);
        EXPECT_EQ(b.height, s.boundH);
    }
    for (const int id : {80, 96, 112, 128, 144, 160, 170, 180, 181, 182, 183, 184})
        EXPECT_EQ(BoundedThumbnailId(id), id);
    for (const int id : {0, -1, 81, 185, 20063})
        EXPECT_EQ(BoundedThumbnailId(id), 80) << id;
    EXPECT_EQ(BoundedFlag(7), 1);
    EXPECT_EQ(BoundedFlag(0), 0);
}

TEST(StartupValues, ANewDocumentTakesTheBoundedInitialSize) {
    kfm::test::ScopedRegistry registry;
    CreateProgramAnimation();
    g_pAnimationData->frameCount = 4;
    g_pAnimationData->comment = "old";
    g_AppSettings.InitAnimWidth = -20;
    g_AppSettings.InitAnimHeight = 90;
    ApplyNewDocumentDefaults(false);
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 1);
    EXPECT_EQ(g_pAnimationData->AnimationHeight, 90);
    EXPECT_EQ(g_pAnimationData->frameCount, 0);
    EXPECT_TRUE(g_pAnimationData->comment.empty());
    g_pAnimationData->AnimationWidth = 300;
    ApplyNewDocumentDefaults(true);
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 300);
    DestroyProgramAnimation();
    g_AppSettings = AppSettings{};
}

TEST(StartupValues, TheFirstStartStoresTodayForTheReminder) {
    kfm::test::ScopedRegistry registry;
    const ReminderDate first = ReadOrStartReminderDate(3, 4, 2025);
    EXPECT_EQ(first.day, 3);
    EXPECT_EQ(ReadRegInt("UpdateInfo", "LastYear", 0, 0, 0), 2025);
    const ReminderDate later = ReadOrStartReminderDate(9, 9, 2026);
    EXPECT_EQ(later.year, 2025);
    EXPECT_EQ(later.month, 4);
    // One missing part makes a new start.
    DeleteRegValue("UpdateInfo", "LastMonth");
    EXPECT_EQ(ReadOrStartReminderDate(9, 9, 2026).year, 2026);
}

} // namespace
