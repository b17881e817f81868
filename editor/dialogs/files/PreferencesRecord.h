#pragma once
// What the preferences sheet and its pages share: the preferences record the caller fills from
// the settings and stores back after OK, the hooks through which Reset and the plug-ins page act
// at once, and the sheet as its pages reach it.

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace kfm::dialogs {

struct PreferencesRecord {
    int showSplash = 1;
    int restorePage = 0; // open on the page used last
    int renderFrames = 0;
    int browserAutoDetect = 1;
    int undoSteps = 10;
    QString browser1;
    QString browser2;
    QString browser3;
    QString editorProgram;
};

constexpr int kMinUndoSteps = 5;
constexpr int kMaxUndoSteps = 30;

// The plug-in folders as the plug-ins page manages them: the outside filter host's and the
// plug-in manager's together.
class PluginFolders {
public:
    virtual ~PluginFolders() = default;
    // Called when the page is first shown: read the lists afresh.
    virtual void Load() = 0;
    virtual std::vector<std::string> Folders() const = 0;
    // Filters and plug-ins found.
    virtual unsigned Count() const = 0;
    // Searches and adds a folder: 0 added, 1 listed already, negative when it cannot be searched.
    virtual int Add(const std::string& folder) = 0;
    virtual void Rebuild() = 0;
    virtual void Remove(const std::string& folder) = 0;
    virtual void Clear() = 0;
    // Writes both list files.
    virtual void Save() = 0;
    // Lets go of every loaded plug-in.
    virtual void UnloadAll() = 0;
};

struct PreferencesHooks {
    // Every immediate effect of Reset on the program: settings, undo ring, the notice and
    // control settings, the plug-in list, the file dialogs' folders, the views.
    std::function<void()> resetProgram;
    // The plug-in folders; null: the page lists none.
    PluginFolders* plugins = nullptr;
    // Asks for a folder (empty: cancelled).
    std::function<QString(QWidget* parent, const QString& title)> chooseFolder;
    // Asks for a program file starting at path; false when cancelled. The section keeps the
    // dialog's folder and filter.
    std::function<bool(QWidget* parent, QString& path, const std::string& section)> chooseProgram;
    // Asks a yes/no question (No the default); true for Yes.
    std::function<bool(QWidget* parent, const QString& text)> askYesNo;
    // Shows a warning.
    std::function<void(QWidget* parent, const QString& text)> warn;
};

// On Linux a program is an executable regular file; an empty path is none.
bool IsProgramFile(const QString& path);

// The sheet as its pages reach it.
class PreferencesHost {
public:
    virtual ~PreferencesHost() = default;
    virtual PreferencesRecord* GetRecord() const = 0;
    // Replaces the record and shows it on the pages that show record values.
    virtual void SetRecord(PreferencesRecord* record) = 0;
    virtual const PreferencesHooks& Hooks() const = 0;
};

} // namespace kfm::dialogs
