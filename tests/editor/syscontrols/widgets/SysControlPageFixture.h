#pragma once
// The system-control dialog opened offscreen for the page tests, with the user's actions on the
// page controls: a click on a check box or radio button, an entry chosen from a list with the
// keyboard, a number typed and committed with Enter.

#include "SysControlTestSupport.h"
#include "ViewTestSupport.h"

#include "AnimationData.h"
#include "DlgSysControl.h"
#include "NumEdit.h"
#include "ShellServices.h"
#include "SysControlPages.h"
#include "SysControlRegistry.h"
#include "SysControlTypes.h"

#include "TestSupport.h"
#include "registry/Registry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace kfm::test {

// One user action on a page control and the settings word it must leave with a value.
struct PageCase {
    enum Action { Click, Choose, Type };
    const char* name;
    int control;
    Action action;
    int entry; // Choose: the entry; Type: the number typed
    int word;
    int expected;
};

class SysControlPageFixture : public ::testing::Test {
protected:
    void SetUp() override {
        UseEnglishLocale();
        CAnimationData& animation = CreateProgramAnimation();
        animation.AnimationWidth = kAnimationWidth;
        animation.AnimationHeight = kAnimationHeight;
        animation.AnimationStateElasticSize = 0;
        setShellServices(&shell);
    }
    void TearDown() override {
        dialog.reset();
        setShellServices(nullptr);
        DestroyProgramAnimation();
    }

    // Opens the dialog in insert mode with the registry as it is, then shows the type's page.
    kfm::syscontrols::CSysControlPage* open(int type) {
        useOwnRegistry();
        dialog = std::make_unique<kfm::syscontrols::CDlgSysControl>(
            nullptr, kfm::syscontrols::CDlgSysControl::kInsert, nullptr, 0, 0, 0, 0, 0,
            [] { return kfm::syscontrols::UtcDateTime{kClockYear, 2, 29, 13, 14, 15}; });
        dialog->show();
        QApplication::processEvents();
        return show(type);
    }
    kfm::syscontrols::CSysControlPage* show(int type) {
        auto* list =
            dialog->kit().controlAs<QComboBox>(kfm::syscontrols::CDlgSysControl::kTypeList);
        list->setCurrentIndex(kfm::syscontrols::ComboIndexFromType(type));
        dialog->OnSelChangeType();
        QApplication::processEvents();
        page = dialog->Page(kfm::syscontrols::ComboIndexFromType(type));
        return page;
    }
    // Stores settings in the registry as a user's earlier run of the dialog would have.
    void Remember(const kfm::syscontrols::SysControlSettings& s) {
        useOwnRegistry();
        kfm::syscontrols::SaveSettings(s, nullptr);
    }
    // The test's own registry folder (ControlSettings reads the defaults from a registry of its
    // own and leaves none behind).
    void useOwnRegistry() { kfm::registry::setStorageFolder(registry.folder().path().string()); }
    // A control of the page, or else of the dialog.
    template <class W> W* control(int id) const {
        if (page)
            if (W* found = page->kit().controlAs<W>(id))
                return found;
        return dialog->kit().controlAs<W>(id);
    }
    kfm::ui::CNumEdit* edit(int id) const { return control<kfm::ui::CNumEdit>(id); }

    void click(int id) {
        auto* button = control<QAbstractButton>(id);
        ASSERT_NE(button, nullptr) << "control " << id;
        ASSERT_TRUE(button->isEnabled()) << "control " << id;
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    // Steps through the list with the arrow keys to the entry, as a user does.
    void choose(int id, int entry) {
        auto* list = control<QComboBox>(id);
        ASSERT_NE(list, nullptr) << "control " << id;
        list->setFocus();
        if (list->currentIndex() < 0)
            QTest::keyClick(list, Qt::Key_Home);
        while (list->currentIndex() < entry)
            QTest::keyClick(list, Qt::Key_Down);
        while (list->currentIndex() > entry)
            QTest::keyClick(list, Qt::Key_Up);
    }
    void type(int id, const QString& value) {
        kfm::ui::CNumEdit* field = edit(id);
        ASSERT_NE(field, nullptr) << "control " << id;
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, value);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void act(const PageCase& c) {
        switch (c.action) {
        case PageCase::Click:
            click(c.control);
            break;
        case PageCase::Choose:
            choose(c.control, c.entry);
            break;
        case PageCase::Type:
            type(c.control, QString::number(c.entry));
            break;
        }
    }
    // Runs each case on the type's page and checks its word, and that a check box or list
    // touched no other option word of the page (sizes aside).
    void runTable(int type, std::initializer_list<PageCase> cases) {
        open(type);
        for (const PageCase& c : cases) {
            SCOPED_TRACE(c.name);
            const kfm::syscontrols::SysControlSettings before = settings();
            act(c);
            const kfm::syscontrols::SysControlSettings after = settings();
            EXPECT_EQ(after[c.word], c.expected);
            for (int w = kfm::syscontrols::word::GeneralClientEdge;
                 w < kfm::syscontrols::kSettingsWordCount; ++w)
                if (w != c.word && !isSizeWord(w))
                    EXPECT_EQ(after[w], before[w]) << "word " << w;
        }
    }
    static bool isSizeWord(int w) {
        for (int type = 1; type <= 20; ++type) {
            const kfm::syscontrols::SizeWords size = kfm::syscontrols::SizeWordsOfType(type);
            if (w == size.width || w == size.height)
                return true;
        }
        return false;
    }
    kfm::syscontrols::SysControlSettings settings() const {
        kfm::syscontrols::SysControlSettings s;
        dialog->Preview()->GetSettings(s);
        return s;
    }
    void screenshot(const std::string& name) { dialog->grab().save(ArtifactPath(name.c_str())); }

    ScopedRegistry registry;
    AnsweringShell shell;
    std::unique_ptr<kfm::syscontrols::CDlgSysControl> dialog;
    kfm::syscontrols::CSysControlPage* page = nullptr;
};

} // namespace kfm::test
