// The preferences sheet driven offscreen with hooks of the test's own: its pages and the page it
// opens on, Reset acting at once, the undo steps held to 5..30, the program paths that keep a
// page open, and the plug-in folders with their messages, question and saving.

#include "Kfm5ResourceIds.h"
#include "NumEdit.h"
#include "PreferencePages.h"
#include "Preferences.h"
#include "ResourceAccess.h"
#include "ViewTestSupport.h"
#include "registry/RegistryHelpers.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

namespace {

using kfm::dialogs::CPagePrefEdit;
using kfm::dialogs::CPagePrefGeneral;
using kfm::dialogs::CPagePrefPlugins;
using kfm::dialogs::CPagePrefPreview;
using kfm::dialogs::CPreferences;
using kfm::dialogs::PreferencesHooks;
using kfm::dialogs::PreferencesRecord;
using kfm::test::ArtifactPath;

class FakeFolders final : public kfm::dialogs::PluginFolders {
public:
    void Load() override { ++loads; }
    std::vector<std::string> Folders() const override { return folders; }
    unsigned Count() const override { return static_cast<unsigned>(folders.size() * 3); }
    int Add(const std::string& folder) override {
        if (addResult == 0)
            folders.push_back(folder);
        return addResult;
    }
    void Rebuild() override { ++rebuilds; }
    void Remove(const std::string& folder) override {
        folders.erase(std::remove(folders.begin(), folders.end(), folder), folders.end());
    }
    void Clear() override { folders.clear(); }
    void Save() override { ++saves; }
    void UnloadAll() override { ++unloads; }

    std::vector<std::string> folders = {"/opt/filters", "/home/me/plug-ins"};
    int addResult = 0;
    int loads = 0, rebuilds = 0, saves = 0, unloads = 0;
};

class PreferencesTest : public ::testing::Test {
protected:
    std::unique_ptr<CPreferences> open(int page) {
        PreferencesHooks hooks;
        hooks.resetProgram = [this] { ++resets; };
        hooks.plugins = &folders;
        hooks.chooseFolder = [this](QWidget*, const QString&) { return chosenFolder; };
        hooks.askYesNo = [this](QWidget*, const QString& text) {
            questions << text;
            return yes;
        };
        hooks.warn = [this](QWidget*, const QString& text) { warnings << text; };
        auto sheet = std::make_unique<CPreferences>(nullptr, page, &record, hooks);
        sheet->show();
        return sheet;
    }
    template <class Page> static QWidget* control(Page* page, int id) {
        return page->kit().control(id);
    }
    static void ok(CPreferences& sheet) {
        sheet.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    }
    static void cancel(CPreferences& sheet) {
        sheet.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    }

    kfm::test::ScopedRegistry registry;
    kfm::test::TempDir files;
    PreferencesRecord record;
    FakeFolders folders;
    int resets = 0;
    QString chosenFolder = "/srv/more";
    bool yes = false;
    QStringList questions;
    QStringList warnings;
};

TEST_F(PreferencesTest, FourPagesInOrderAndTheLastPageComesBack) {
    {
        const auto sheet = open(CPreferences::kEdit);
        QTabWidget* tabs = sheet->Tabs();
        ASSERT_EQ(tabs->count(), 4);
        EXPECT_EQ(tabs->tabText(0), "General");
        EXPECT_EQ(tabs->tabText(1), "Preview");
        EXPECT_EQ(tabs->tabText(2), "Edit");
        EXPECT_EQ(tabs->tabText(3), "Plug-ins");
        EXPECT_EQ(sheet->windowTitle(), "Preferences");
        EXPECT_EQ(tabs->currentIndex(), CPreferences::kEdit);
        for (QPushButton* button : sheet->findChildren<QPushButton*>())
            EXPECT_NE(button->text().remove('&'), "Apply");
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            sheet->grab().save(
                ArtifactPath(("preferences-page-" + std::to_string(i) + ".png").c_str()));
        }
        tabs->setCurrentIndex(CPreferences::kPreview);
        cancel(*sheet);
    }
    EXPECT_EQ(ReadRegInt("Dlgs\\Preferences", "ActivePageIndex", -1, 0, 0), 1);
    record.restorePage = 1;
    const auto again = open(CPreferences::kGeneral);
    EXPECT_EQ(again->Tabs()->currentIndex(), CPreferences::kPreview);
    EXPECT_EQ(folders.loads, 1); // once, when the first sheet showed the page
}

TEST_F(PreferencesTest, ResetActsAtOnceAndShowsTheDefaultsThoughTheSheetIsCancelled) {
    record.undoSteps = 25;
    record.browserAutoDetect = 0;
    record.showSplash = 0;
    record.renderFrames = 1;
    record.browser1 = "/nowhere/browser";
    const auto sheet = open(CPreferences::kGeneral);
    CPagePrefGeneral* general = sheet->General();
    static_cast<QPushButton*>(control(general, CPagePrefGeneral::kReset))->click();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(record.undoSteps, 10);
    EXPECT_EQ(record.browserAutoDetect, 1);
    EXPECT_TRUE(static_cast<QCheckBox*>(control(general, CPagePrefGeneral::kSplash))->isChecked());
    EXPECT_FALSE(
        static_cast<QCheckBox*>(control(general, CPagePrefGeneral::kRenderFrames))->isChecked());
    EXPECT_EQ(
        static_cast<kfm::ui::CNumEdit*>(control(general, CPagePrefGeneral::kUndoSteps))->text(),
        "10");
    // The preview page shows the record again: auto-detection on, the browsers' fields off.
    EXPECT_TRUE(
        static_cast<QCheckBox*>(control(sheet->PreviewPage(), CPagePrefPreview::kAutoDetect))
            ->isChecked());
    EXPECT_FALSE(control(sheet->PreviewPage(), CPagePrefPreview::kFirst)->isEnabled());
    cancel(*sheet);
    EXPECT_EQ(resets, 1); // nothing to undo: Reset has acted
}

TEST_F(PreferencesTest, UndoStepsTakeOnlyFiveToThirty) {
    struct Case {
        const char* typed;
        int steps;
    } const cases[] = {{"17", 17}, {"50", 30}, {"2", 5}, {"5", 5}, {"30", 30}, {"", 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        record.undoSteps = 12;
        const auto sheet = open(CPreferences::kGeneral);
        static_cast<kfm::ui::CNumEdit*>(control(sheet->General(), CPagePrefGeneral::kUndoSteps))
            ->setText(c.typed);
        ok(*sheet);
        EXPECT_EQ(sheet->result(), QDialog::Accepted);
        EXPECT_EQ(record.undoSteps, c.steps);
    }
}

TEST_F(PreferencesTest, ProgramPathsThatAreNoProgramsKeepTheirPageOpen) {
    const std::string plain = files.file("notes.txt");
    ASSERT_TRUE(kfm::test::writeFileBytes(plain, {'x'}));
    const std::string program = files.file("editor.sh");
    ASSERT_TRUE(kfm::test::writeFileBytes(program, {'#', '!', '/', 'b', 'i', 'n', '/', 's', 'h'}));
    ::chmod(program.c_str(), 0755);
    struct Case {
        const char* what;
        QString editor;
        bool accepted;
    } const cases[] = {
        {"an empty path: no editor", "", true},
        {"an executable file", QString::fromStdString(program), true},
        {"a file that is no program", QString::fromStdString(plain), false},
        {"a folder", QString::fromStdString(files.path().string()), false},
        {"a missing file", "/no/such/editor", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        warnings.clear();
        record.editorProgram = "kept";
        const auto sheet = open(CPreferences::kGeneral);
        static_cast<QLineEdit*>(control(sheet->EditPage(), CPagePrefEdit::kPath))
            ->setText(c.editor);
        ok(*sheet);
        EXPECT_EQ(sheet->isVisible(), !c.accepted);
        EXPECT_EQ(record.editorProgram, c.accepted ? c.editor : QString("kept"));
        EXPECT_EQ(warnings.size(), c.accepted ? 0 : 1);
        if (!c.accepted) {
            EXPECT_TRUE(warnings.front().startsWith(c.editor)) << warnings.front().toStdString();
            EXPECT_EQ(sheet->Tabs()->currentIndex(), CPreferences::kEdit);
        }
    }
}

TEST_F(PreferencesTest, BrowsersMustExistWithoutAutoDetection) {
    const std::string program = files.file("browser");
    ASSERT_TRUE(kfm::test::writeFileBytes(program, {'#', '!'}));
    ::chmod(program.c_str(), 0755);
    record.browserAutoDetect = 0;
    record.browser1 = QString::fromStdString(program);
    record.browser2 = "/no/such/browser";
    const auto sheet = open(CPreferences::kGeneral);
    ok(*sheet);
    EXPECT_TRUE(sheet->isVisible());
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.front().startsWith("/no/such/browser"));
    EXPECT_EQ(sheet->Tabs()->currentIndex(), CPreferences::kPreview);
    static_cast<QCheckBox*>(control(sheet->PreviewPage(), CPagePrefPreview::kAutoDetect))->click();
    ok(*sheet);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(record.browserAutoDetect, 1);
}

TEST_F(PreferencesTest, PluginFoldersAreAddedRemovedClearedAndSavedOnlyWhenChanged) {
    const auto sheet = open(CPreferences::kPlugins);
    CPagePrefPlugins* page = sheet->PluginsPage();
    auto* list = static_cast<QListWidget*>(control(page, CPagePrefPlugins::kList));
    EXPECT_EQ(folders.loads, 1);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(static_cast<QLabel*>(control(page, CPagePrefPlugins::kCount))->text(), "6");
    EXPECT_FALSE(control(page, CPagePrefPlugins::kRemove)->isEnabled());

    const auto press = [&](int id) { static_cast<QPushButton*>(control(page, id))->click(); };
    press(CPagePrefPlugins::kAdd);
    EXPECT_EQ(list->count(), 3);
    folders.addResult = 1;
    press(CPagePrefPlugins::kAdd);
    folders.addResult = -2;
    press(CPagePrefPlugins::kAdd);
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_EQ(warnings[0], kfm::ui::ResourceString(kfm5res::IDS_PLUGIN_FOLDER_LISTED));
    EXPECT_EQ(warnings[1], kfm::ui::ResourceString(kfm5res::IDS_PLUGIN_FOLDER_FAILED));

    list->setCurrentRow(0);
    EXPECT_TRUE(control(page, CPagePrefPlugins::kRemove)->isEnabled());
    press(CPagePrefPlugins::kRemove);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "/home/me/plug-ins");

    press(CPagePrefPlugins::kClear); // answered No
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], kfm::ui::ResourceString(kfm5res::IDS_QUESTION_CLEAR_PLUGINS));
    EXPECT_EQ(list->count(), 2);
    yes = true;
    press(CPagePrefPlugins::kClear);
    EXPECT_EQ(list->count(), 0);
    press(CPagePrefPlugins::kRebuild);
    EXPECT_EQ(folders.rebuilds, 1);
    ok(*sheet);
    EXPECT_EQ(folders.saves, 1);
    EXPECT_EQ(folders.unloads, 1);
}

TEST_F(PreferencesTest, AnUnchangedPluginListIsNotWrittenAndCancelWritesNothing) {
    {
        const auto sheet = open(CPreferences::kPlugins);
        ok(*sheet);
    }
    EXPECT_EQ(folders.saves, 0);
    EXPECT_EQ(folders.unloads, 1);
    const auto sheet = open(CPreferences::kPlugins);
    static_cast<QPushButton*>(control(sheet->PluginsPage(), CPagePrefPlugins::kAdd))->click();
    cancel(*sheet);
    EXPECT_EQ(folders.saves, 0);
    EXPECT_EQ(folders.unloads, 2);
}

} // namespace
