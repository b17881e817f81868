// The classic look's colour table and metrics (its font and palette are tested with the
// control frames' widgets, whose application object ends before the program does).

#include "gdi/SystemLook.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemLookTest, ClassicColoursByIndex) {
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), RGB(212, 208, 200));
    EXPECT_EQ(GetSysColor(COLOR_3DSHADOW), RGB(128, 128, 128));
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), RGB(64, 64, 64));
    EXPECT_EQ(GetSysColor(COLOR_3DHILIGHT), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(10, 36, 106));
    EXPECT_EQ(GetSysColor(COLOR_HOTLIGHT), RGB(0, 0, 128));
    EXPECT_EQ(GetSysColor(COLOR_MENUBAR), RGB(212, 208, 200));
    for (const int outside : {-1, 31, 1000})
        EXPECT_EQ(GetSysColor(outside), 0u) << outside;
    // No classic colour is the pure red or blue a capture's backgrounds use.
    for (int i = 0; i <= COLOR_MENUBAR; ++i) {
        EXPECT_NE(GetSysColor(i), RGB(255, 0, 0)) << i;
        EXPECT_NE(GetSysColor(i), RGB(0, 0, 255)) << i;
    }
}

TEST(SystemLookTest, ClassicMetrics) {
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 18);
    EXPECT_EQ(GetSystemMetrics(SM_CYSMCAPTION), 15);
    EXPECT_EQ(GetSystemMetrics(SM_CXDLGFRAME), 3);
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
    EXPECT_EQ(GetSystemMetrics(9999), 0);
}

} // namespace
