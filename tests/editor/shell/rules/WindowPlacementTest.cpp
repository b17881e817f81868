// Window placement: stored values, their clamps and the fit onto this run's screens.

#include "WindowPlacement.h"

#include "registry/RegistryHelpers.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::shell;

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

class WindowPlacementTest : public ::testing::Test {
protected:
    kfm::test::ScopedRegistry registry;
};

TEST_F(WindowPlacementTest, NothingStoredOpensMaximisedWithTheInsetRectangle) {
    const auto p = ReadWindowPlacement("Windows", "Main", 1024, 768, {});
    EXPECT_EQ(p.showCommand, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(sameRect(p.normal, RECT{102, 76, 922, 692})) << text(p.normal);
    EXPECT_EQ(ShowAsFor(p.showCommand), ShowAs::Maximized);
}

TEST_F(WindowPlacementTest, StoredValuesComeBackClamped) {
    WindowPlacementValues stored;
    stored.showCommand = SW_SHOWNORMAL;
    stored.minPosition = {-32000, -32000};
    stored.maxPosition = {-4, -4};
    stored.normal = {-50, 20, 12000, 700};
    WriteWindowPlacement("Windows", "Main", stored);
    const auto p = ReadWindowPlacement("Windows", "Main", 1024, 768, {});
    EXPECT_EQ(p.showCommand, SW_SHOWNORMAL);
    EXPECT_EQ(p.minPosition.x, -32000);
    EXPECT_EQ(p.maxPosition.y, -4);
    EXPECT_TRUE(sameRect(p.normal, RECT{0, 20, 10000, 700})) << text(p.normal);

    WriteRegInt("Windows\\Main", "Show state", 40000);
    EXPECT_EQ(ReadWindowPlacement("Windows", "Main", 1024, 768, {}).showCommand, 32765);
}

TEST_F(WindowPlacementTest, AMinimisedMainWindowComesBackMaximised) {
    WriteRegInt("Windows\\Main", "Show state", SW_SHOWMINIMIZED);
    EXPECT_EQ(ReadWindowPlacement("Windows", "Main", 1024, 768, {}).showCommand, SW_SHOWMAXIMIZED);
}

TEST_F(WindowPlacementTest, DamagedShowStatesNeverHideTheWindow) {
    WriteRegString("Windows\\Main", "Show state", "max");
    EXPECT_EQ(ReadWindowPlacement("Windows", "Main", 1024, 768, {}).showCommand, SW_SHOWMAXIMIZED);
    const struct {
        int command;
        ShowAs shown;
    } cases[] = {{0, ShowAs::Maximized},  {1, ShowAs::Normal},     {2, ShowAs::Maximized},
                 {3, ShowAs::Maximized},  {4, ShowAs::Normal},     {5, ShowAs::Normal},
                 {6, ShowAs::Maximized},  {7, ShowAs::Maximized},  {9, ShowAs::Normal},
                 {11, ShowAs::Maximized}, {-1, ShowAs::Maximized}, {32765, ShowAs::Maximized}};
    for (const auto& c : cases)
        EXPECT_EQ(ShowAsFor(c.command), c.shown) << c.command;
}

TEST(WindowPlacementFit, RectanglesAreMadeUsableOnTheScreens) {
    const RECT primary{0, 0, 1920, 1080};
    const RECT second{1920, 0, 3200, 1024};
    const std::vector<RECT> screens{primary, second};
    struct Case {
        const char* label;
        RECT stored;
        RECT expected;
    };
    const Case cases[] = {
        {"inside the first screen", {100, 100, 900, 700}, {100, 100, 900, 700}},
        {"inside the second screen", {2000, 50, 2600, 600}, {2000, 50, 2600, 600}},
        {"partly off the right edge but reachable", {1800, 100, 2400, 500}, {1800, 100, 2400, 500}},
        {"outside every screen", {9000, 9000, 9800, 9600}, {2400, 424, 3200, 1024}},
        {"only 10 pixels on a screen", {-790, 100, 10, 500}, {0, 100, 800, 500}},
        {"larger than any screen", {0, 0, 10000, 10000}, {0, 0, 1920, 1080}},
        {"inverted", {800, 600, 100, 100}, {192, 108, 1728, 972}},
        {"empty", {300, 300, 300, 300}, {192, 108, 1728, 972}},
    };
    for (const Case& c : cases) {
        const RECT fitted = FitRectToScreens(c.stored, screens);
        EXPECT_TRUE(sameRect(fitted, c.expected)) << c.label << ": " << text(fitted);
    }
    EXPECT_TRUE(sameRect(FitRectToScreens({5, 6, 7, 8}, {}), RECT{5, 6, 7, 8}));
}

} // namespace
