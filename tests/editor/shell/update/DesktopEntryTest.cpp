// The outside programs' lookup: Exec lines to command lines, and the bitmap editor and browsers
// found through a desktop set up in temporary folders (xdg-mime reads its mimeapps.list).

#include "DesktopEntry.h"

#include "AppSettings.h"
#include "TestSupport.h"
#include "shell/Process.h"

#include <QByteArray>
#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

namespace kfm::extedit {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

TEST(DesktopEntryTest, ExecLinesSplitWithoutFieldCodes) {
    struct Case {
        const char* exec;
        std::optional<Arguments> arguments;
    };
    const Case cases[] = {
        {"kolourpaint %U", Arguments{"kolourpaint"}},
        {"gimp-2.10 %f --new", Arguments{"gimp-2.10", "--new"}},
        {R"("/opt/My Editor/edit" "%f")", Arguments{"/opt/My Editor/edit"}},
        {R"(edit --title="a \"b\" \\ \$c")", Arguments{"edit", R"(--title=a "b" \ $c)"}},
        {"edit --x=%f 100%%", Arguments{"edit", "--x=", "100%"}},
        {"edit \"\" %i %c %k", Arguments{"edit", ""}},
        {"  edit   a\tb ", Arguments{"edit", "a", "b"}},
        {"\"edit", std::nullopt},
        {"%f %U", std::nullopt},
        {"", std::nullopt},
        {"\"\" x", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExecArguments(c.exec), c.arguments) << c.exec;
}

TEST(DesktopEntryTest, TheEntrysExecBecomesACommandLineThatSplitsBack) {
    const std::string entry =
        "# comment\n[Desktop Action New]\nExec=wrong\n[Desktop Entry]\n"
        "Name=Paint\nExec[de]=falsch\nExec = \"/opt/My Editor/edit\"\\s-n %f\n";
    EXPECT_EQ(DesktopEntryExec(entry), R"("/opt/My Editor/edit" -n %f)");
    const std::string line = CommandLineFromDesktopEntry(entry);
    EXPECT_EQ(line, R"("/opt/My Editor/edit" -n)");
    EXPECT_EQ(kfm::shell::splitCommandLine(line), (Arguments{"/opt/My Editor/edit", "-n"}));
    EXPECT_EQ(CommandLineFromDesktopEntry("[Desktop Entry]\nName=x\n"), "");
    EXPECT_EQ(CommandLineFromDesktopEntry("[Desktop Entry]\nExec=edit --q=\"a\\\"b\"\n"), "");
    EXPECT_EQ(JoinCommandLine({"a b", "", "c"}), R"("a b" "" c)");
}

// A desktop of the test's own: folders for the configuration and the data, a desktop entry per
// program, and the default application for a MIME type in mimeapps.list.
class TestDesktop {
public:
    TestDesktop() {
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS",
                                 "XDG_CONFIG_DIRS", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
                                 "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "BROWSER"})
            saved_[name] = qgetenv(name);
        fs::create_directories(dir_.path() / "config");
        fs::create_directories(dir_.path() / "data" / "applications");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir_.file("config")));
        qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString(dir_.file("config")));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir_.file("data")));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(dir_.file("data")));
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID", "BROWSER"})
            qunsetenv(name);
    }
    ~TestDesktop() {
        for (const auto& [name, value] : saved_)
            if (value.isNull())
                qunsetenv(name.c_str());
            else
                qputenv(name.c_str(), value);
    }
    void addEntry(const std::string& id, const std::string& exec) {
        std::ofstream(dir_.path() / "data" / "applications" / id)
            << "[Desktop Entry]\nType=Application\nName=" << id << "\nExec=" << exec << "\n";
    }
    void setDefault(const std::string& mimeType, const std::string& id) {
        std::ofstream(dir_.path() / "config" / "mimeapps.list", std::ios::app)
            << "[Default Applications]\n"
            << mimeType << "=" << id << "\n";
    }
    const kfm::test::TempDir& dir() const { return dir_; }

private:
    kfm::test::TempDir dir_;
    std::map<std::string, QByteArray> saved_;
};

class FindProgramsTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = kfm::shell::g_AppSettings; }
    void TearDown() override { kfm::shell::g_AppSettings = saved_; }
    kfm::shell::AppSettings saved_;
};

TEST_F(FindProgramsTest, TheBitmapEditorIsTheDesktopsProgramForBmp) {
    TestDesktop desktop;
    // xdg-mime takes only an entry whose program exists (and reads its path up to a blank).
    const fs::path paint = desktop.dir().path() / "paint";
    std::ofstream(paint) << "#!/bin/sh\n";
    fs::permissions(paint, fs::perms::owner_all);
    desktop.addEntry("kfm-paint.desktop", paint.string() + " --edit \"%f\" --title=\"A b\"");
    desktop.setDefault("image/bmp", "kfm-paint.desktop");
    kfm::shell::g_AppSettings.EditorPath.clear();
    FindBitmapEditor();
    EXPECT_EQ(kfm::shell::g_AppSettings.EditorPath, paint.string() + R"( --edit "--title=A b")");
}

TEST_F(FindProgramsTest, NoEntryLeavesTheEditorEmpty) {
    TestDesktop desktop;
    desktop.setDefault("image/bmp", "missing.desktop");
    kfm::shell::g_AppSettings.EditorPath.clear();
    FindBitmapEditor();
    EXPECT_EQ(kfm::shell::g_AppSettings.EditorPath, "");
}

TEST_F(FindProgramsTest, AStoredEditorIsNeverLookedUp) {
    int runs = 0;
    const ToolRunner counting = [&](const std::string&, const Arguments&) {
        ++runs;
        return std::string("x.desktop");
    };
    kfm::shell::g_AppSettings.EditorPath = "/usr/bin/mine";
    FindBitmapEditor(counting);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(kfm::shell::g_AppSettings.EditorPath, "/usr/bin/mine");
    kfm::shell::g_AppSettings.BrowserPathAutoDetect = 0;
    kfm::shell::g_AppSettings.BrowserPathIE = "kept";
    FindBrowsers(counting);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(kfm::shell::g_AppSettings.BrowserPathIE, "kept");
}

TEST_F(FindProgramsTest, TheBrowsersAreTheDesktopsDefaultAndOneOnThePath) {
    TestDesktop desktop;
    desktop.addEntry("web.desktop", "/opt/web/browse %u");
    // A browser on PATH: an executable file named like one.
    const fs::path bin = desktop.dir().path() / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "firefox") << "#!/bin/sh\n";
    fs::permissions(bin / "firefox", fs::perms::owner_all);
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.string()));
    const ToolRunner desktopSays = [](const std::string& program, const Arguments& args) {
        return program == "xdg-settings" && args == Arguments{"get", "default-web-browser"}
                   ? std::string("web.desktop")
                   : std::string();
    };
    kfm::shell::g_AppSettings.BrowserPathAutoDetect = 1;
    FindBrowsers(desktopSays);
    EXPECT_EQ(kfm::shell::g_AppSettings.BrowserPathIE, "/opt/web/browse");
    EXPECT_EQ(kfm::shell::g_AppSettings.BrowserPathNN, (bin / "firefox").string());
    const ToolRunner silent = [](const std::string&, const Arguments&) { return std::string(); };
    FindBrowsers(silent);
    EXPECT_EQ(kfm::shell::g_AppSettings.BrowserPathIE, (bin / "firefox").string());
    EXPECT_EQ(kfm::shell::g_AppSettings.BrowserPathNN, "");
    qputenv("PATH", QByteArray::fromStdString(desktop.dir().file("nothing")));
    FindBrowsers(silent);
    EXPECT_EQ(kfm::shell::g_AppSettings.BrowserPathIE, "");
    qputenv("PATH", savedPath);
}

} // namespace
} // namespace kfm::extedit
