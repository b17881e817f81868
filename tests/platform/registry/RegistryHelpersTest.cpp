// The registry helpers: one value of a section under the program's key.

#include "registry/RegistryHelpers.h"

#include "registry/Registry.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class RegistryHelpersTest : public ::testing::Test {
protected:
    kfm::test::ScopedRegistry registry;
};

bool keyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

TEST_F(RegistryHelpersTest, ProgramKeyPath) {
    char path[kRegistryPathSize];
    MakeRegistryPath(path, nullptr);
    EXPECT_STREQ(path, "SOFTWARE\\KELDO\\Keldo Flimmer 5");
    MakeRegistryPath(path, "Dlgs\\FileOpenSave");
    EXPECT_STREQ(path, "SOFTWARE\\KELDO\\Keldo Flimmer 5\\Dlgs\\FileOpenSave");
    MakeRegistryPath(nullptr, "Settings"); // does nothing
    HKEY key = OpenRegistryKey();
    ASSERT_NE(key, nullptr);
    RegCloseKey(key);
    EXPECT_TRUE(keyExists("SOFTWARE\\KELDO\\Keldo Flimmer 5"));
}

struct ClampCase {
    const char* label;
    bool store;
    int stored;
    int defaultValue, min, max;
    int expected;
};

TEST_F(RegistryHelpersTest, ReadRegIntClampsStoredValuesAndDefaults) {
    const ClampCase cases[] = {
        {"nothing stored: the default is clamped", false, 0, 50, 10, 20, 20},
        {"stored below the range", true, 5, 50, 10, 20, 10},
        {"stored inside the range", true, 15, 50, 10, 20, 15},
        {"stored above the range", true, 99, 50, 10, 20, 20},
        {"no bounds keep a negative value", true, -7, 0, 0, 0, -7},
        {"equal bounds mean no bounds", true, 1000, 0, 5, 5, 1000},
        {"nothing stored, no bounds", false, 0, -3, 0, 0, -3},
    };
    int n = 0;
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string name = "Value" + std::to_string(n++);
        if (c.store)
            WriteRegInt("Settings", name.c_str(), c.stored);
        EXPECT_EQ(ReadRegInt("Settings", name.c_str(), c.defaultValue, c.min, c.max), c.expected);
    }
}

TEST_F(RegistryHelpersTest, BooleansAreUnclampedIntegers) {
    EXPECT_EQ(ReadRegBool("Settings", "Flag", 1), 1);
    WriteRegBool("Settings", "Flag", 0);
    EXPECT_EQ(ReadRegBool("Settings", "Flag", 1), 0);
    WriteRegBool("Settings", "Flag", 7);
    EXPECT_EQ(ReadRegBool("Settings", "Flag", 0), 7);
    EXPECT_EQ(ReadRegInt("Settings", "Flag", 0, 0, 0), 7);
}

TEST_F(RegistryHelpersTest, StringsAndTheirDefaults) {
    EXPECT_EQ(ReadRegString("UpdateInfo", "LastCheck", "never"), "never");
    // Reading from a missing section creates the empty section.
    EXPECT_TRUE(keyExists("SOFTWARE\\KELDO\\Keldo Flimmer 5\\UpdateInfo"));
    WriteRegString("UpdateInfo", "LastCheck", "2024-05-01");
    EXPECT_EQ(ReadRegString("UpdateInfo", "LastCheck", "never"), "2024-05-01");
    WriteRegString("UpdateInfo", "Empty", "");
    EXPECT_EQ(ReadRegString("UpdateInfo", "Empty", "default"), "");
    // An integer value is no text: the default stays.
    WriteRegInt("UpdateInfo", "Number", 3);
    EXPECT_EQ(ReadRegString("UpdateInfo", "Number", "dflt"), "dflt");
}

TEST_F(RegistryHelpersTest, TextsOf256BytesOrMoreAreNotRead) {
    const std::string longest(255, 'a');
    WriteRegString("Settings", "Longest", longest.c_str());
    EXPECT_EQ(ReadRegString("Settings", "Longest", "d"), longest);
    const std::string tooLong(256, 'b');
    WriteRegString("Settings", "TooLong", tooLong.c_str());
    EXPECT_EQ(ReadRegString("Settings", "TooLong", "d"), "d");
}

TEST_F(RegistryHelpersTest, TextsStoredWithoutTheirZeroAreAccepted) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "SOFTWARE\\KELDO\\Keldo Flimmer 5\\Settings", &key),
              ERROR_SUCCESS);
    const char text[] = "abc";
    RegSetValueExA(key, "Raw", REG_SZ, reinterpret_cast<const BYTE*>(text), 3);
    RegCloseKey(key);
    EXPECT_EQ(ReadRegString("Settings", "Raw", "d"), "abc");
}

TEST_F(RegistryHelpersTest, NestedSectionsAreKeysOfTheirOwn) {
    WriteRegInt("Dlgs\\FileOpenSave", "FilterIndex", 4);
    WriteRegInt("Dlgs", "FilterIndex", 9);
    EXPECT_EQ(ReadRegInt("Dlgs\\FileOpenSave", "FilterIndex", 0, 0, 0), 4);
    EXPECT_EQ(ReadRegInt("Dlgs", "FilterIndex", 0, 0, 0), 9);
    EXPECT_EQ(ReadRegInt("FileOpenSave", "FilterIndex", 1, 0, 0), 1);
    EXPECT_TRUE(keyExists("SOFTWARE\\KELDO\\Keldo Flimmer 5\\Dlgs\\FileOpenSave"));
}

TEST_F(RegistryHelpersTest, DeleteRegValue) {
    WriteRegInt("Settings", "Gone", 12);
    WriteRegInt("Settings", "Kept", 13);
    EXPECT_EQ(DeleteRegValue("Settings", "Gone"), ERROR_SUCCESS);
    EXPECT_EQ(ReadRegInt("Settings", "Gone", -1, 0, 0), -1);
    EXPECT_EQ(ReadRegInt("Settings", "Kept", -1, 0, 0), 13);
    EXPECT_NE(DeleteRegValue("Settings", "Gone"), ERROR_SUCCESS);
    // A section that does not exist: its error, and nothing is created.
    EXPECT_EQ(DeleteRegValue("NoSuchSection", "Kept"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(keyExists("SOFTWARE\\KELDO\\Keldo Flimmer 5\\NoSuchSection"));
}

TEST_F(RegistryHelpersTest, ATextWhereANumberBelongsKeepsTheDefault) {
    // "abc" with its zero is four bytes, the size of a number: only the type tells them apart.
    WriteRegString("Settings", "UndoSteps", "abc");
    EXPECT_EQ(ReadRegInt("Settings", "UndoSteps", 10, 0, 0), 10);
    EXPECT_EQ(ReadRegInt("Settings", "UndoSteps", 10, 1, 30), 10);
    EXPECT_EQ(ReadRegBool("Settings", "UndoSteps", 1), 1);
}

TEST_F(RegistryHelpersTest, NamesAreFoundWithoutRegardToCase) {
    struct Spelling {
        const char* writtenSection;
        const char* writtenName;
        const char* readSection;
        const char* readName;
    };
    const Spelling spellings[] = {
        {"Settings", "ThumbnailID", "Settings", "ThumbnailId"},
        {"settings", "TabPosition", "SETTINGS", "tabposition"},
        {"Dlgs\\FileOpenSave", "OpenFilter", "dlgs\\fileopensave", "OPENFILTER"},
    };
    int value = 100;
    for (const Spelling& s : spellings) {
        SCOPED_TRACE(std::string(s.writtenSection) + "/" + s.writtenName);
        WriteRegInt(s.writtenSection, s.writtenName, ++value);
        EXPECT_EQ(ReadRegInt(s.readSection, s.readName, -1, 0, 0), value);
        // A write under the other spelling replaces the one value instead of adding a second.
        WriteRegInt(s.readSection, s.readName, value + 50);
        EXPECT_EQ(ReadRegInt(s.writtenSection, s.writtenName, -1, 0, 0), value + 50);
        EXPECT_EQ(DeleteRegValue(s.readSection, s.readName), ERROR_SUCCESS);
        EXPECT_EQ(ReadRegInt(s.writtenSection, s.writtenName, -1, 0, 0), -1);
    }
    WriteRegString("Settings", "EditorPath", "/usr/bin/gimp");
    EXPECT_EQ(ReadRegString("SETTINGS", "editorpath", ""), "/usr/bin/gimp");
    EXPECT_TRUE(keyExists("software\\keldo\\keldo flimmer 5\\settings"));
}

TEST_F(RegistryHelpersTest, ValuesLiveInTheTemporaryFolder) {
    WriteRegInt("Settings", "Here", 1);
    EXPECT_EQ(kfm::registry::storagePath(), (registry.folder().path() / "registry.ini").string());
    EXPECT_TRUE(std::filesystem::exists(registry.folder().path() / "registry.ini"));
}

} // namespace
