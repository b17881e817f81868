#pragma once
// The editor's application object: brings the program up in a fixed order (language library,
// settings, command line, document, main window, placement, the file named on the command
// line), owns the document, the main window and the recent-file list, opens and saves
// documents for the commands, and shuts the program down in order (settings written, language
// library freed).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RecentFileList.h"
#include "types/Win32Types.h"

class CGIFAnimDoc;

namespace kfm::ui {
class CAppMessageFilter;
class CMainFrame;
class EditorShellServices;
class EditorDialogServices;
} // namespace kfm::ui

class CFlimmerApp {
public:
    CFlimmerApp();
    ~CFlimmerApp();
    CFlimmerApp(const CFlimmerApp&) = delete;
    CFlimmerApp& operator=(const CFlimmerApp&) = delete;

    // The start-up; needs the QApplication. False ends the program (after ExitInstance): an
    // install switch ran, or the main window could not be built. A document named on the
    // command line opens once the main window shows, so its messages have their owner; when it
    // is not opened (refused, cancelled, failed) the editor starts with an empty animation.
    bool InitInstance(const std::vector<std::string>& arguments);
    // Writes the settings and frees what start-up took; the process's exit code.
    int ExitInstance();

    kfm::ui::CMainFrame* MainFrame() const { return frame_.get(); }
    CGIFAnimDoc* Document() const { return document_.get(); }
    kfm::shell::RecentFileList& RecentFiles() { return recentFiles_; }
    HMODULE ResourceHandle() const { return resources_; }

    // File New: asks to save changes, then starts an empty animation.
    bool OnFileNew();
    // File Open: the open dialog in the remembered folder, then OpenDocumentFile.
    void OnFileOpen();
    // Asks to save changes, then opens path; a good open goes to the recent-file list.
    bool OpenDocumentFile(const std::string& path);
    // Save (with the document's path, or asking for one) and Save As.
    bool OnFileSave();
    bool OnFileSaveAs();
    // Opens entry index of the recent-file list; an entry that fails to open is removed.
    bool OpenRecentFile(int index);
    void AddToRecentFileList(const std::string& path);

private:
    bool createMainWindow();
    void openFromCommandLine(const std::string& path);
    void afterDocumentChanged();
    // Every "ReminderInterval" days (counted from "UpdateInfo"; a first start stores today) the
    // update wizard comes up.
    void runUpdateReminder();

    HMODULE resources_ = nullptr;
    std::unique_ptr<CGIFAnimDoc> document_;
    std::unique_ptr<kfm::ui::CMainFrame> frame_;
    std::unique_ptr<kfm::ui::EditorShellServices> services_;
    std::unique_ptr<kfm::ui::EditorDialogServices> dialogServices_;
    // Passes Tab to the About dialog while it is open.
    std::unique_ptr<kfm::ui::CAppMessageFilter> messageFilter_;
    kfm::shell::RecentFileList recentFiles_;
    bool settingsLoaded_ = false;
    bool networkAvailable_ = false;
};

// The running application object (null outside its lifetime).
CFlimmerApp* AfxGetApp();

namespace kfm::ui {

// What a caller of RunEditor may add: a call once the main window is up (benchmarks).
struct RunHooks {
    std::function<void(CFlimmerApp&)> afterStart;
};

// The program: application object, start-up, event loop, shut-down. The exit code.
int RunEditor(int argc, char** argv, const RunHooks& hooks = {});

} // namespace kfm::ui
