// The install registration: desktop entry and GIF association in the user's data folder.

#include "DesktopRegistration.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

using namespace kfm::shell;

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Points XDG_DATA_HOME at a temporary folder for a test.
class ScopedDataHome {
public:
    ScopedDataHome() {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            old_ = old;
        setenv("XDG_DATA_HOME", dir_.path().c_str(), 1);
    }
    ~ScopedDataHome() {
        if (old_.empty())
            unsetenv("XDG_DATA_HOME");
        else
            setenv("XDG_DATA_HOME", old_.c_str(), 1);
    }
    const kfm::test::TempDir& dir() const { return dir_; }

private:
    kfm::test::TempDir dir_;
    std::string old_;
};

TEST(DesktopRegistration, TheDataFolderFollowsXdgDataHome) {
    ScopedDataHome home;
    EXPECT_EQ(UserDataFolder(), home.dir().path().string());
    EXPECT_EQ(DesktopEntryPath(), home.dir().file("applications/keldo-kfm5.desktop"));
    setenv("XDG_DATA_HOME", "relative/path", 1);
    EXPECT_NE(UserDataFolder(), "relative/path");
}

TEST(DesktopRegistration, TheExecLineQuotesThePath) {
    const std::string text = DesktopEntryText("/opt/my \"kfm\"/$bin/100%/KFM5");
    EXPECT_NE(text.find("Exec=\"/opt/my \\\\\"kfm\\\\\"/\\\\$bin/100%%/KFM5\" %f\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("MimeType=image/gif;\n"), std::string::npos);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
}

TEST(DesktopRegistration, AssociationsOfOtherProgramsStay) {
    struct Case {
        const char* label;
        std::string before;
        std::string added;
    };
    const Case cases[] = {
        {"empty list", "", "[Added Associations]\nimage/gif=keldo-kfm5.desktop;\n"},
        {"other sections", "[Default Applications]\nimage/gif=gimp.desktop\n",
         "[Default Applications]\nimage/gif=gimp.desktop\n\n[Added Associations]\n"
         "image/gif=keldo-kfm5.desktop;\n"},
        {"a line for GIF files",
         "[Added Associations]\nimage/png=eog.desktop;\nimage/gif=eog.desktop;gimp.desktop;\n",
         "[Added Associations]\nimage/png=eog.desktop;\n"
         "image/gif=keldo-kfm5.desktop;eog.desktop;gimp.desktop;\n"},
        {"already there", "[Added Associations]\nimage/gif=eog.desktop;keldo-kfm5.desktop;\n",
         "[Added Associations]\nimage/gif=keldo-kfm5.desktop;eog.desktop;\n"},
    };
    for (const Case& c : cases) {
        const std::string added = WithAssociation(c.before, "image/gif", kDesktopEntryName);
        EXPECT_EQ(added, c.added) << c.label;
        const std::string removed = WithoutAssociation(added, kDesktopEntryName);
        EXPECT_EQ(removed.find("keldo-kfm5"), std::string::npos) << c.label;
        EXPECT_EQ(WithAssociation(removed, "image/gif", kDesktopEntryName), added) << c.label;
    }
    EXPECT_EQ(WithoutAssociation("[Added Associations]\nimage/gif=keldo-kfm5.desktop;\n"
                                 "image/png=eog.desktop;\n[Other]\nx=keldo-kfm5.desktop;\n",
                                 kDesktopEntryName),
              "[Added Associations]\nimage/png=eog.desktop;\n[Other]\nx=keldo-kfm5.desktop;\n");
}

TEST(DesktopRegistration, RegisterAndUnregister) {
    ScopedDataHome home;
    const std::string list = home.dir().file("applications/mimeapps.list");
    { std::ofstream out(home.dir().file("applications/../applications.keep")); }
    std::filesystem::create_directories(home.dir().path() / "applications");
    {
        std::ofstream out(list);
        out << "[Added Associations]\nimage/png=eog.desktop;\n";
    }
    EXPECT_EQ(RegisterDesktopEntry("/opt/kfm5/KFM5"), S_OK);
    EXPECT_NE(readFile(DesktopEntryPath()).find("Exec=\"/opt/kfm5/KFM5\" %f"), std::string::npos);
    EXPECT_NE(readFile(list).find("image/gif=keldo-kfm5.desktop;"), std::string::npos);
    EXPECT_EQ(UnregisterDesktopEntry(), S_OK);
    EXPECT_FALSE(std::filesystem::exists(DesktopEntryPath()));
    EXPECT_EQ(readFile(list), "[Added Associations]\nimage/png=eog.desktop;\n");
    // Unregistering twice changes nothing and does not fail.
    EXPECT_EQ(UnregisterDesktopEntry(), S_OK);
}

} // namespace
