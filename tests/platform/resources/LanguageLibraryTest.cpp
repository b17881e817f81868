// The language-library loader: the roads with and without a guide file, the silent set-up and
// the fatal errors that end the process with exit code -1.

#include "resources/LanguageLibrary.h"
#include "Bitra5ResourceIds.h"

#include "registry/Registry.h"
#include "resources/ResourceLibrary.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr const char* kGuideValue = "Bitra5Language"; // 14 characters

// A temporary program folder: the loader's base module lives there, and the test puts the
// resource libraries, guide file and set-up program it needs beside it.
class LanguageLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "fast");
        registryFolder = dir.path() / "registry";
        kfm::registry::setStorageFolder(registryFolder.string());
        // The outside set-up program reads the registry folder from the environment.
        setenv("KFM5_REGISTRY_DIR", registryFolder.c_str(), 1);
        // Any shared object serves as the base module; its folder is the base folder.
        fs::copy_file(builtResources(), dir.path() / "Anchor.so");
        anchor = LoadLibraryA(dir.file("Anchor.so").c_str());
        ASSERT_NE(anchor, nullptr);
        SetLanguageBaseModule(anchor);
    }
    void TearDown() override {
        SetLanguageBaseModule(nullptr);
        FreeLibrary(anchor);
        kfm::registry::setStorageFolder("");
        unsetenv("KFM5_REGISTRY_DIR");
    }

    static fs::path builtResources() { return kfm::test::programFolder() / "Bitra5Res.so"; }
    void addResources(const std::string& name) {
        fs::copy_file(builtResources(), dir.path() / name);
    }
    void writeFile(const std::string& name, const std::string& text) {
        std::ofstream(dir.file(name), std::ios::binary) << text;
    }
    void writeGuide(const std::string& firstLine) {
        writeFile("Keldo.lng", firstLine + "\r\nrest\n");
    }
    void storeLanguage(const std::string& valueName, const std::string& suffix) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kfm::language::kLanguageKey, &key),
                  ERROR_SUCCESS);
        RegSetValueExA(key, valueName.c_str(), REG_SZ,
                       reinterpret_cast<const BYTE*>(suffix.c_str()),
                       static_cast<DWORD>(suffix.size() + 1));
        RegCloseKey(key);
    }
    std::string storedLanguage(const std::string& valueName) {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_CURRENT_USER, kfm::language::kLanguageKey, &key) != ERROR_SUCCESS)
            return {};
        char value[256] = {};
        DWORD size = sizeof value;
        RegQueryValueExA(key, valueName.c_str(), nullptr, reinterpret_cast<BYTE*>(value), &size);
        RegCloseKey(key);
        return value;
    }
    // A stand-in set-up program that only records how it was started.
    void addRecordingSetup() {
        writeFile(kfm::language::kSetupProgram,
                  "#!/bin/sh\necho \"$@\" >> \"" + dir.file("setup-runs.txt") + "\"\n");
        chmod(dir.file(kfm::language::kSetupProgram).c_str(), 0755);
    }
    std::string setupRuns() {
        std::ifstream in(dir.file("setup-runs.txt"));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The real stand-in program, with the platform library it needs beside it.
    void addRealSetup() {
        fs::copy_file(kfm::test::programFolder() / "Glossa5", dir.path() / "Glossa5");
        fs::create_symlink(kfm::test::programFolder() / "libKfmPlatform.so",
                           dir.path() / "libKfmPlatform.so");
    }
    static std::string fileOf(HMODULE module) {
        char path[4096] = {};
        GetModuleFileNameA(module, path, sizeof path);
        return path;
    }

    kfm::test::TempDir dir;
    fs::path registryFolder;
    HMODULE anchor = nullptr;
};

TEST_F(LanguageLibraryTest, WithoutGuideTheDefaultLibraryIsLoadedWithoutTheRegistry) {
    addResources("Bitra5Res.so");
    HMODULE module = reinterpret_cast<HMODULE>(1);
    EXPECT_EQ(LoadLanguageLibrary("Bitra5Res", &module), S_OK);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(fileOf(module), dir.file("Bitra5Res.so"));
    EXPECT_FALSE(kfm::resources::loadString(module, bitra5res::IDS_FORMAT_GIF).empty());
    EXPECT_FALSE(fs::exists(registryFolder)) << "the registry was touched";
    EXPECT_EQ(FreeLanguageLibrary(module), S_OK);
    EXPECT_EQ(FreeLanguageLibrary(nullptr), S_OK);
}

TEST_F(LanguageLibraryTest, NoGuideAndNoLibraryIsFatal) {
    HMODULE module = nullptr;
    EXPECT_EXIT(LoadLanguageLibrary("Bitra5Res", &module), ::testing::ExitedWithCode(255),
                "GuideFile and DefaultResources\\(\\.dll\\) are missing!\nCurrent module:.*\n"
                "BasePath extract from HINSTANCE = .*Anchor\\.so \\(HINSTANCE=-?[0-9]+\\)");
}

TEST_F(LanguageLibraryTest, AThreeLetterChoiceNamesTheLibrary) {
    addResources("Bitra5Res.deu");
    addResources("Bitra5Res.so"); // present, but the guide file decides
    writeGuide(kGuideValue);
    storeLanguage(kGuideValue, "deu");
    HMODULE module = nullptr;
    EXPECT_EQ(LoadLanguageLibrary("Bitra5Res", &module), S_OK);
    EXPECT_EQ(fileOf(module), dir.file("Bitra5Res.deu"));
    FreeLanguageLibrary(module);
}

TEST_F(LanguageLibraryTest, AGuideLineOfTenCharactersIsAChoice) {
    addResources("Bitra5Res.eng");
    writeGuide("Bitra5Lang");
    storeLanguage("Bitra5Lang", "eng");
    HMODULE module = nullptr;
    EXPECT_EQ(LoadLanguageLibrary("Bitra5Res", &module), S_OK);
    EXPECT_EQ(fileOf(module), dir.file("Bitra5Res.eng"));
    FreeLanguageLibrary(module);
}

TEST_F(LanguageLibraryTest, AGuideLineOfNineCharactersIsNoChoice) {
    addResources("Bitra5Res.deu");
    writeGuide("Bitra5Lan");
    storeLanguage("Bitra5Lan", "deu");
    addRecordingSetup();
    HMODULE module = nullptr;
    EXPECT_EXIT(LoadLanguageLibrary("Bitra5Res", &module), ::testing::ExitedWithCode(255),
                "Failed to load resources!");
    EXPECT_EQ(setupRuns(), "/silent\n"); // started once, silently
}

TEST_F(LanguageLibraryTest, AChoiceNamingAMissingFileRunsTheSetUp) {
    writeGuide(kGuideValue);
    storeLanguage(kGuideValue, "xyz");
    addRecordingSetup();
    HMODULE module = nullptr;
    EXPECT_EXIT(LoadLanguageLibrary("Bitra5Res", &module), ::testing::ExitedWithCode(255),
                "Failed to load resources!");
    EXPECT_EQ(setupRuns(), "/silent\n");
}

TEST_F(LanguageLibraryTest, AMissingSetUpProgramIsFatal) {
    addResources("Bitra5Res.deu");
    writeGuide(kGuideValue);
    HMODULE module = nullptr;
    EXPECT_EXIT(LoadLanguageLibrary("Bitra5Res", &module), ::testing::ExitedWithCode(255),
                "Failed to start language setting application!");
}

TEST_F(LanguageLibraryTest, TheSilentSetUpWritesTheChoiceAndTheLoadSucceeds) {
    addResources("Bitra5Res.fra");
    writeGuide(kGuideValue);
    addRealSetup();
    HMODULE module = nullptr;
    EXPECT_EQ(LoadLanguageLibrary("Bitra5Res", &module), S_OK);
    EXPECT_EQ(fileOf(module), dir.file("Bitra5Res.fra"));
    EXPECT_EQ(storedLanguage(kGuideValue), "fra");
    FreeLanguageLibrary(module);
}

TEST_F(LanguageLibraryTest, ALibraryThatCannotBeLoadedIsFatal) {
    writeFile("Bitra5Res.so", "not a shared object");
    HMODULE module = nullptr;
    EXPECT_EXIT(LoadLanguageLibrary("Bitra5Res", &module), ::testing::ExitedWithCode(255),
                "Failed to load resource file: .*Bitra5Res\\.so");
}

TEST(LanguageErrors, MessagesByCode) {
    using kfm::language::errorMessage;
    EXPECT_EQ(errorMessage(2, nullptr), "Failed to start language setting application!");
    EXPECT_EQ(errorMessage(7, nullptr), "Failed to load resources!");
    EXPECT_EQ(errorMessage(8, nullptr), "GuideFile and DefaultResources(.dll) are missing!");
    EXPECT_EQ(errorMessage(9, "/x/Bitra5Res.eng"),
              "Failed to load resource file: /x/Bitra5Res.eng");
    EXPECT_EQ(errorMessage(3, nullptr), "Unknown error");
}

TEST(LanguageErrors, ANonFatalReportDoesNotEndTheProcess) {
    testing::internal::CaptureStderr();
    ReportLanguageError(7, 0, nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Failed to load resources!"),
              std::string::npos);
}

} // namespace
