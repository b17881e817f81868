// The program's settings: defaults of a first run, values of an earlier run, damaged values, and
// what the model and the clipboard get from the start-up.

#include "AppSettings.h"

#include "AnimationData.h"
#include "ProgramState.h"
#include "UndoHistory.h"
#include "clipboard/Clipboard.h"
#include "registry/Registry.h"
#include "registry/RegistryHelpers.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::shell;

class AppSettingsTest : public ::testing::Test {
protected:
    void TearDown() override { DestroyProgramAnimation(); }

    // The stored type of a value of "Settings": REG_DWORD, REG_SZ, or 0 when missing.
    static DWORD storedType(const char* name) {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_CURRENT_USER, "SOFTWARE\\KELDO\\Keldo Flimmer 5\\Settings", &key) !=
            ERROR_SUCCESS)
            return 0;
        DWORD type = 0;
        DWORD size = 0;
        const LONG result = RegQueryValueExA(key, name, &type, nullptr, &size);
        RegCloseKey(key);
        return result == ERROR_SUCCESS ? type : 0;
    }

    kfm::test::ScopedRegistry registry;
};

TEST_F(AppSettingsTest, AFirstRunUsesTheDefaultsAndWritesEveryValue) {
    LoadSettings();
    ASSERT_NE(g_pAnimationData, nullptr);
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 468);
    EXPECT_EQ(g_pAnimationData->AnimationHeight, 60);
    EXPECT_EQ(g_pAnimationData->TabPosition, 2);
    EXPECT_EQ(g_pAnimationData->OptimizeBandwidth, 14400);
    EXPECT_EQ(g_AppSettings.ThumbnailWidth, 80);
    EXPECT_EQ(g_AppSettings.ThumbnailHeight, 80);
    EXPECT_EQ(g_Settings.animBkColor, RgbColour(255, 255, 255));
    EXPECT_EQ(static_cast<COLORREF>(g_AppSettings.ColorImageView), RgbColour(255, 255, 192));
    EXPECT_EQ(g_AppSettings.FirstRun, 1);
    EXPECT_TRUE(g_AppSettings.EditorPath.empty());
    EXPECT_FALSE(g_AppSettings.programFolder.empty());
    EXPECT_EQ(g_AppSettings.programFolder.back(), '/');

    g_AppSettings.FirstRun = 0;
    SaveSettings();
    EXPECT_EQ(g_pAnimationData, nullptr);
    for (const char* name : StoredSettingNames())
        EXPECT_EQ(storedType(name), REG_DWORD) << name;
    EXPECT_EQ(ReadRegInt("UpdateInfo", "FirstRun", -1, 0, 0), 0);
    for (const char* path : {"BrowserPathCustom", "BrowserPathIE", "BrowserPathNN", "EditorPath"})
        EXPECT_EQ(storedType(path), REG_SZ) << path;
}

TEST_F(AppSettingsTest, ValuesOfAnEarlierRunComeBackUnchanged) {
    WriteRegInt("Settings", "UndoSteps", 100);
    WriteRegInt("Settings", "ShowState", 7);
    WriteRegInt("Settings", "TopMost", 1);
    WriteRegInt("Settings", "UpdateReminder", 3);
    WriteRegInt("Settings", "AnimationWidth", 320);
    WriteRegInt("Settings", "OptimizeNumColors", 64);
    WriteRegString("Settings", "EditorPath", "/usr/bin/gimp");
    LoadSettings();
    EXPECT_EQ(g_Settings.undoSteps, 100);
    // The ring itself never holds more than 30 steps.
    EXPECT_EQ(TheUndoHistory().GetSize(), kUndoSlotCount);
    EXPECT_EQ(g_AppSettings.ShowState, 7);
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 320);
    EXPECT_EQ(g_pAnimationData->OptimizeNumColors, 64);
    EXPECT_EQ(g_AppSettings.EditorPath, "/usr/bin/gimp");
    SaveSettings();
    EXPECT_EQ(ReadRegInt("Settings", "UndoSteps", 0, 0, 0), 100);
    EXPECT_EQ(ReadRegInt("Settings", "ShowState", 0, 0, 0), 7);
    EXPECT_EQ(ReadRegInt("Settings", "TopMost", 0, 0, 0), 1);
    EXPECT_EQ(ReadRegInt("Settings", "UpdateReminder", 0, 0, 0), 3);
    EXPECT_EQ(ReadRegString("Settings", "EditorPath", ""), "/usr/bin/gimp");
}

TEST_F(AppSettingsTest, TheModelGetsItsSettingsFromTheRegistry) {
    WriteRegInt("Settings", "UndoSteps", 5);
    WriteRegInt("Settings", "TransparentGridSize", 3);
    WriteRegInt("Settings", "TransparentGridColor", 4);
    WriteRegInt("Settings", "OptionsAnimBkColor", static_cast<int>(RgbColour(10, 20, 30)));
    LoadSettings();
    EXPECT_EQ(g_Settings.undoSteps, 5);
    EXPECT_EQ(g_Settings.transparentGridSize, 3);
    EXPECT_EQ(g_Settings.transparentGridColor, 4);
    EXPECT_EQ(g_Settings.animBkColor, RgbColour(10, 20, 30));
    EXPECT_EQ(TheUndoHistory().GetSize(), 5);
    // Changed in memory, they go back at exit.
    g_Settings.undoSteps = 12;
    SaveSettings();
    EXPECT_EQ(ReadRegInt("Settings", "UndoSteps", 0, 0, 0), 12);
}

TEST_F(AppSettingsTest, ValuesOfTheWrongTypeKeepTheirDefaults) {
    WriteRegString("Settings", "UndoSteps", "abc");
    WriteRegString("Settings", "AnimationWidth", "wide");
    WriteRegString("Settings", "ThumbnailWidth", "");
    WriteRegInt("Settings", "AnimationHeight", -5);
    LoadSettings();
    EXPECT_EQ(g_Settings.undoSteps, 10);
    EXPECT_EQ(g_pAnimationData->AnimationWidth, 468);
    EXPECT_EQ(g_AppSettings.ThumbnailWidth, 80);
    // Out-of-range values are loaded as stored; their readers apply the limits.
    EXPECT_EQ(g_pAnimationData->AnimationHeight, -5);
    SaveSettings();
    EXPECT_EQ(ReadRegInt("Settings", "UndoSteps", 0, 0, 0), 10);
}

TEST_F(AppSettingsTest, ThePrivateClipboardFormatIsRegistered) {
    LoadSettings();
    EXPECT_GE(g_AppSettings.clipboardFormat, 0xC000u);
    EXPECT_EQ(g_cfPrivateFormat, g_AppSettings.clipboardFormat);
    EXPECT_EQ(RegisterClipboardFormatA("KeldoFlimmer5"), g_cfPrivateFormat);
    EXPECT_EQ(kfm::clipboard::mimeTypeOf(g_cfPrivateFormat), "application/x-keldoflimmer5");
    EXPECT_EQ(kfm::clipboard::mimeTypeOf(g_cfPrivateFormat), kPrivateClipboardMimeType);
    char name[32];
    EXPECT_EQ(GetClipboardFormatNameA(g_cfPrivateFormat, name, sizeof name), 13);
    EXPECT_STREQ(name, "KeldoFlimmer5");
    EXPECT_EQ(kfm::clipboard::mimeTypeOf(CF_DIB), "");
}

} // namespace
