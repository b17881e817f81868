// The desktop's choices looked up on a worker thread: the findings reach the settings once, on
// the GUI thread (by itself or when finish() asks for them), and what the settings ask to keep
// (a stored editor, browsers not detected) is kept.

#include "DesktopToolSearch.h"

#include "AppSettings.h"
#include "TestSupport.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace kfm::extedit {
namespace {

using Arguments = std::vector<std::string>;

constexpr int kPatienceMs = kfm::test::kHangMilliseconds;

// Names a desktop entry that does not exist for every question, and counts the questions.
struct CountingRunner {
    std::atomic<int>* browserRuns;
    std::atomic<int>* editorRuns;
    std::shared_future<void> release; // the answers wait for it
    std::string operator()(const std::string& program, const Arguments&) const {
        release.wait();
        ++*(program == "xdg-mime" ? editorRuns : browserRuns);
        return {};
    }
};

class DesktopToolSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        kfm::test::ensureGuiApplication();
        saved_ = kfm::shell::g_AppSettings;
        released_.set_value();
        answers_ = released_.get_future().share();
        // No browser of the machine is found on PATH.
        savedPath_ = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(emptyFolder_.path().string()));
    }
    void TearDown() override {
        qputenv("PATH", savedPath_);
        kfm::shell::g_AppSettings = saved_;
    }

    std::atomic<int> browserRuns_{0};
    std::atomic<int> editorRuns_{0};
    std::promise<void> released_;
    std::shared_future<void> answers_; // at once
    CountingRunner runner() { return {&browserRuns_, &editorRuns_, answers_}; }

private:
    kfm::shell::AppSettings saved_;
    kfm::test::TempDir emptyFolder_;
    QByteArray savedPath_;
};

TEST_F(DesktopToolSearchTest, TheFindingsReachTheSettingsOnceOnTheGuiThread) {
    auto& settings = kfm::shell::g_AppSettings;
    settings.BrowserPathAutoDetect = 1;
    settings.BrowserPathIE = "old default";
    settings.BrowserPathNN = "old second";
    settings.EditorPath.clear();
    int found = 0;
    bool onGuiThread = false;
    DesktopToolSearch search(
        [&] {
            ++found;
            onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        },
        runner());
    ASSERT_TRUE(QTest::qWaitFor([&] { return found > 0; }, kPatienceMs));
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(browserRuns_, 1);
    EXPECT_EQ(editorRuns_, 1);
    // Nothing found: the old browsers go, as a search on the GUI thread would have left them.
    EXPECT_EQ(settings.BrowserPathIE, "");
    EXPECT_EQ(settings.BrowserPathNN, "");
    EXPECT_FALSE(search.finish());
    QCoreApplication::processEvents();
    EXPECT_EQ(found, 1);
}

TEST_F(DesktopToolSearchTest, FinishWaitsForTheSearchAndTheNoticeDoesNotFollow) {
    kfm::shell::g_AppSettings.BrowserPathAutoDetect = 1;
    kfm::shell::g_AppSettings.BrowserPathIE = "old default";
    int found = 0;
    std::promise<void> gate;
    CountingRunner held = runner();
    held.release = gate.get_future().share();
    DesktopToolSearch search([&] { ++found; }, held);
    std::thread opener([&gate] { gate.set_value(); });
    EXPECT_TRUE(search.finish());
    opener.join();
    EXPECT_EQ(kfm::shell::g_AppSettings.BrowserPathIE, "");
    QCoreApplication::processEvents();
    EXPECT_EQ(found, 0);
}

TEST_F(DesktopToolSearchTest, KeepsWhatTheSettingsAskToKeep) {
    auto& settings = kfm::shell::g_AppSettings;
    const struct {
        const char* what;
        int autoDetect;
        const char* storedEditor;
        int browserRuns;
        int editorRuns;
    } cases[] = {
        {"browsers not detected", 0, "", 0, 1},
        {"an editor stored", 1, "/usr/bin/mine", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        browserRuns_ = 0;
        editorRuns_ = 0;
        settings.BrowserPathAutoDetect = c.autoDetect;
        settings.BrowserPathIE = "kept";
        settings.EditorPath = c.storedEditor;
        { DesktopToolSearch search({}, runner()); }
        EXPECT_EQ(browserRuns_, c.browserRuns);
        EXPECT_EQ(editorRuns_, c.editorRuns);
        EXPECT_EQ(settings.BrowserPathIE, c.autoDetect ? "" : "kept");
        EXPECT_EQ(settings.EditorPath, c.storedEditor);
    }
}

TEST_F(DesktopToolSearchTest, AnEditorStoredWhileTheSearchRunsStays) {
    auto& settings = kfm::shell::g_AppSettings;
    settings.EditorPath.clear();
    std::promise<void> gate;
    CountingRunner held = runner();
    held.release = gate.get_future().share();
    DesktopToolSearch search({}, held);
    settings.EditorPath = "/usr/bin/chosen";
    gate.set_value();
    EXPECT_TRUE(search.finish());
    EXPECT_EQ(editorRuns_, 1);
    EXPECT_EQ(settings.EditorPath, "/usr/bin/chosen");
}

} // namespace
} // namespace kfm::extedit
