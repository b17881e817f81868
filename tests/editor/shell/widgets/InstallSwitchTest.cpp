// The install switches: the program registers or removes its desktop entry and ends without a
// window, whether the application object is started in process or the program is run.

#include "EditorTestSupport.h"

#include "DesktopRegistration.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(InstallSwitches, RegserverInProcessEndsWithoutAWindow) {
    kfm::test::TempDir data;
    setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    {
        kfm::test::EditorFixture editor;
        EXPECT_FALSE(editor.Start({"/RegServer"}));
        EXPECT_EQ(editor.App().MainFrame(), nullptr);
    }
    EXPECT_TRUE(fs::exists(kfm::shell::DesktopEntryPath()));
    {
        kfm::test::EditorFixture editor;
        EXPECT_FALSE(editor.Start({"-UNREGSERVER"}));
    }
    EXPECT_FALSE(fs::exists(kfm::shell::DesktopEntryPath()));
    unsetenv("XDG_DATA_HOME");
}

TEST(InstallSwitches, TheProgramRegistersAndUnregisters) {
    kfm::test::TempDir data;
    kfm::test::TempDir settings;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", QString::fromStdString(data.path().string()));
    env.insert("KFM5_REGISTRY_DIR", QString::fromStdString(settings.path().string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const QString program = QString::fromStdString((kfm::test::programFolder() / "KFM5").string());
    const fs::path entry = data.path() / "applications" / kfm::shell::kDesktopEntryName;
    for (const auto& [argument, registered] :
         {std::pair{"-regserver", true}, std::pair{"/unregserver", false}}) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, {argument});
        ASSERT_TRUE(process.waitForFinished(kfm::test::kHangMilliseconds)) << argument;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << argument;
        EXPECT_EQ(process.exitCode(), 0) << argument;
        EXPECT_EQ(fs::exists(entry), registered) << argument;
    }
    // The settings were written on the way out, as after any run.
    EXPECT_TRUE(fs::exists(settings.path() / "registry.ini"));
}

} // namespace
