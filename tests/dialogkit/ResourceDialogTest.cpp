// The dialog kit driven offscreen through a tiny dialog and a tiny page: texts by id from the
// image library's language library, controls by id, settings kept in the registry, and the
// preview refresh that waits for a pause and computes off the UI thread.

#include "framework/ResourceDialog.h"

#include "Bitra5ResourceIds.h"
#include "WidgetApplication.h"
#include "resources/ResourceLibrary.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using kfm::ui::DialogKit;
using kfm::ui::PreviewRefresh;
using kfm::ui::ResourceDialog;
using kfm::ui::ResourcePage;

// The widget application in the dialogs' own style.
class QtEnvironment : public kfm::test::WidgetApplication {
public:
    void SetUp() override {
        WidgetApplication::SetUp();
        kfm::ui::UseDialogStyle();
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

constexpr int kEditId = 101;
constexpr int kSpinId = 102;

// A dialog of one edit and one spin box whose value is remembered in the registry.
class TinyDialog : public ResourceDialog {
public:
    TinyDialog(HINSTANCE resources, UINT templateId)
        : ResourceDialog(nullptr, templateId, resources, "DialogKitTest") {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(kit().add(kEditId, new QLineEdit(kit().text(bitra5res::IDS_FORMAT_PNG))));
        auto* spin = kit().add(kSpinId, new QSpinBox);
        spin->setRange(0, 50);
        spin->setValue(kit().readInt("Size", 7, 0, 50));
        layout->addWidget(spin);
    }
    void accept() override {
        kit().writeInt("Size", kit().controlAs<QSpinBox>(kSpinId)->value());
        ResourceDialog::accept();
    }
};

class ResourceDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        resources = LoadLibraryA("./Bitra5Res.so");
        ASSERT_NE(resources, nullptr);
    }
    void TearDown() override { FreeLibrary(resources); }
    HINSTANCE resources = nullptr;
};

TEST_F(ResourceDialogTest, TakesTitleAndTextsFromTheLanguageLibrary) {
    TinyDialog dialog(resources, bitra5res::IDS_FORMAT_GIF);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("GIF - CompuServe Graphics Interchange"));
    EXPECT_EQ(dialog.kit().controlAs<QLineEdit>(kEditId)->text(),
              QStringLiteral("PNG - Portable Network Graphics"));
    EXPECT_EQ(dialog.kit().text(1, QStringLiteral("none")), QStringLiteral("none"));
    EXPECT_EQ(kfm::ui::LibraryText(nullptr, bitra5res::IDS_FORMAT_GIF), QString());
    EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("windows"));
}

TEST_F(ResourceDialogTest, ReachesControlsByIdAndForgetsDestroyedOnes) {
    TinyDialog dialog(resources, bitra5res::IDS_FORMAT_GIF);
    DialogKit& kit = dialog.kit();
    EXPECT_NE(kit.controlAs<QSpinBox>(kSpinId), nullptr);
    EXPECT_EQ(kit.controlAs<QLineEdit>(kSpinId), nullptr) << "wrong type";
    EXPECT_EQ(kit.control(999), nullptr);
    EXPECT_EQ(dialog.findChild<QSpinBox*>(QStringLiteral("id102")), kit.control(kSpinId));
    delete kit.control(kEditId);
    EXPECT_EQ(kit.control(kEditId), nullptr);
}

TEST_F(ResourceDialogTest, RemembersSettingsInTheRegistryOnOk) {
    {
        TinyDialog dialog(resources, bitra5res::IDS_FORMAT_GIF);
        dialog.show();
        auto* spin = dialog.kit().controlAs<QSpinBox>(kSpinId);
        spin->selectAll();
        QTest::keyClicks(spin, "23");
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    TinyDialog again(resources, bitra5res::IDS_FORMAT_GIF);
    EXPECT_EQ(again.kit().controlAs<QSpinBox>(kSpinId)->value(), 23);
    const QString folder = QStringLiteral(KFM_TEST_ARTIFACTS_DIR);
    QDir().mkpath(folder);
    again.show();
    QApplication::processEvents();
    EXPECT_TRUE(again.grab().save(folder + "/dialog-kit-tiny.png"));
}

TEST_F(ResourceDialogTest, PageWithoutSectionKeepsNoSettings) {
    ResourcePage page(nullptr, bitra5res::IDS_FORMAT_TIF, resources);
    EXPECT_EQ(page.windowTitle(), QStringLiteral("TIFF - Tagged Image File Format"));
    page.kit().writeInt("Size", 3);
    EXPECT_EQ(page.kit().readInt("Size", 9), 9);
    EXPECT_EQ(page.kit().readString("Name", QStringLiteral("x")), QStringLiteral("x"));
}

TEST(PreviewRefreshTest, RunsOnceAfterAPauseOffTheUiThread) {
    PreviewRefresh refresh(nullptr, 20);
    std::atomic<int> runs = 0;
    std::atomic<bool> onWorker = false;
    const auto uiThread = std::this_thread::get_id();
    int applied = 0;
    refresh.setJob([&]() -> PreviewRefresh::Apply {
        ++runs;
        onWorker = std::this_thread::get_id() != uiThread;
        return [&] { ++applied; };
    });
    for (int i = 0; i < 5; ++i)
        refresh.request();
    EXPECT_TRUE(refresh.pending());
    ASSERT_TRUE(refresh.waitUntilIdle());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(applied, 1);
    EXPECT_TRUE(onWorker);
}

TEST(PreviewRefreshTest, ShowsOnlyTheLastChangeWhenChangesArriveDuringAJob) {
    PreviewRefresh refresh(nullptr, 1);
    std::atomic<int> value = 1;
    std::atomic<bool> release = false;
    std::vector<int> shown;
    refresh.setJob([&]() -> PreviewRefresh::Apply {
        const int seen = value;
        while (seen == 1 && !release)
            std::this_thread::yield();
        return [&shown, seen] { shown.push_back(seen); };
    });
    refresh.requestNow();
    // The UI thread stays free while the job runs: it takes further changes.
    value = 2;
    refresh.request();
    value = 3;
    refresh.requestNow();
    release = true;
    ASSERT_TRUE(refresh.waitUntilIdle());
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), 3);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 1), 0) << "a stale result was shown";
}

TEST(PreviewRefreshTest, GoingAwayWhileAJobRunsIsSafe) {
    std::atomic<bool> started = false;
    {
        auto refresh = std::make_unique<PreviewRefresh>(nullptr, 1);
        refresh->setJob([&]() -> PreviewRefresh::Apply {
            started = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            return [] { FAIL() << "applied after the refresh went away"; };
        });
        refresh->requestNow();
        while (!started)
            std::this_thread::yield();
    }
    QApplication::processEvents();
    QTest::qWait(10);
}

} // namespace
