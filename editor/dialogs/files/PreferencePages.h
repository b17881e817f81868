#pragma once
// The four pages of the preferences sheet.

#include "PreferencesRecord.h"
#include "framework/ResourceDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kfm::ui {
class CUpDown;
}

namespace kfm::dialogs {

// Splash, frames rendered in dialogs, undo steps (5..30) and Reset (template 10609).
class CPagePrefGeneral final : public kfm::ui::ResourcePage {
    Q_OBJECT
public:
    enum Control : int {
        kRenderFrames = 10195,
        kReset = 10196,
        kUndoSteps = 10197,
        kUndoSpin = 10198,
        kSplash = 10525,
    };
    CPagePrefGeneral(QWidget* parent, PreferencesHost& sheet);
    void ShowRecord(const PreferencesRecord& record);
    // False (the page stays) when the undo steps lie outside 5..30.
    bool OnOK(PreferencesRecord& record);

private:
    void reset();

    PreferencesHost& sheet_;
    kfm::ui::CUpDown* undoSpin_;
};

// The three browsers and their auto-detection (template 10611).
class CPagePrefPreview final : public kfm::ui::ResourcePage {
    Q_OBJECT
public:
    enum Control : int {
        kBrowseThird = 10200,
        kThird = 10201,
        kThirdIcon = 10202,
        kBrowseFirst = 10206,
        kFirst = 10207,
        kBrowseSecond = 10209,
        kSecond = 10210,
        kAutoDetect = 10199,
    };
    static constexpr char kSection[] = "Dlgs\\Preferences\\Preview";
    CPagePrefPreview(QWidget* parent, PreferencesHost& sheet);
    void ShowRecord(const PreferencesRecord& record);
    bool OnOK(PreferencesRecord& record);

private:
    void enableBrowsers();
    void browse(int editId);

    PreferencesHost& sheet_;
};

// The outside bitmap editor (template 10608).
class CPagePrefEdit final : public kfm::ui::ResourcePage {
    Q_OBJECT
public:
    enum Control : int { kBrowse = 10058, kPath = 10059, kIcon = 10060, kNoProgram = 10061 };
    static constexpr char kSection[] = "Dlgs\\Preferences\\Edit";
    CPagePrefEdit(QWidget* parent, PreferencesHost& sheet);
    void ShowRecord(const PreferencesRecord& record);
    bool OnOK(PreferencesRecord& record);

private:
    void showIcon();

    PreferencesHost& sheet_;
};

// The plug-in folders (template 10610).
class CPagePrefPlugins final : public kfm::ui::ResourcePage {
    Q_OBJECT
public:
    enum Control : int {
        kAdd = 10189,
        kCount = 10190,
        kList = 10191,
        kRemove = 10192,
        kClear = 10193,
        kRebuild = 10194,
    };
    CPagePrefPlugins(QWidget* parent, PreferencesHost& sheet);
    // Reads the lists the first time the page is shown.
    void Activate();
    void Refresh();
    void OnOK();
    void OnCancel();
    bool Modified() const { return modified_; }

private:
    void add();
    void rebuild();
    void remove();
    void clear();
    void enableRemove();

    PreferencesHost& sheet_;
    QListWidget* list_;
    bool activated_ = false;
    bool modified_ = false;
};

} // namespace kfm::dialogs
