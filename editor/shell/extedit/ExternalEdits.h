#pragma once
// Outside editing in the main window: a frame's picture goes to a temporary BMP file that the
// desktop's bitmap editor opens; the temporary folder and the files are watched, and when a
// file's last-write time changes the user is asked whether to take the picture back into the
// frame (one undoable step). Edits end when the user says so, when the same frame is handed over
// again, or when the main window goes; their temporary files are deleted then.

#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Bitra5.h"
#include "ExtEditSession.h"
#include "types/Win32Types.h"

class QWidget;

namespace kfm::extedit {

// The message that ends an external edit: wParam the frame id, lParam keep the watcher.
constexpr UINT WM_END_EXT_EDIT = WM_USER + 103;
// The timer id the watcher's notices arrive under.
constexpr UINT kExtEditTimerId = 666;
// "Dlgs\MsgEditor" "ShowNextTime": whether to ask before an edit of the same frame restarts.
constexpr const char* kMsgEditorSection = "Dlgs\\MsgEditor";

// The questions and messages of outside editing (tests answer them without windows).
class ExtEditNotices {
public:
    struct Answer {
        bool ok = false;
        // The notice's check box: "show next time" for the restart notice, "end the edit" for
        // the changed-frame notice.
        bool checked = false;
    };
    virtual ~ExtEditNotices() = default;
    // Before a frame that is being edited is handed over again; showNextTime is the box's start.
    virtual Answer AskBeforeRestart(QWidget* owner, bool showNextTime) = 0;
    // The picture of frame frameNumber changed in the editor: take it back?
    virtual Answer AskTakeChanges(QWidget* owner, int frameNumber) = 0;
    // A message with the information icon.
    virtual void Inform(QWidget* owner, const QString& text) = 0;
};
// The program's own notices (the editor notice and the frame-changed notice).
std::unique_ptr<ExtEditNotices> MakeDialogNotices();

// Starts the editor on the file, without waiting for it: the command line's program with its
// arguments and then the file as its own argument. True when the program was started; the
// edit's process is cleared when it ends.
bool LaunchExternalEditor(QObject* owner, CExtEditSession& session, const std::string& editorPath,
                          const std::string& filePath);

class ExternalEdits : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // Stops the animation preview when it plays.
        std::function<void()> stopPreview;
        // Shows the frames again after a picture came back.
        std::function<void()> refreshViews;
    };
    // mainWindow owns the notices and receives WM_TIMER 666 from the watcher (a MessageTarget).
    ExternalEdits(QWidget& mainWindow, Hooks hooks);
    ~ExternalEdits() override;

    void SetNotices(std::unique_ptr<ExtEditNotices> notices) { notices_ = std::move(notices); }

    // Hands image (of the frame with frameId, at position frameNumber - 1) to the bitmap editor.
    // False when nothing was started.
    bool StartExtEditSession(KpxHandle image, int frameId, int frameNumber);
    // The watched files: asks about each changed one (timer 666).
    void CheckExtEditFiles();
    // Ends the edit of frameId (its files deleted); without keepWatcher the last one stops the
    // watcher.
    void OnEndExtEditSession(int frameId, int keepWatcher);
    // Deletes the files of every edit (the main window goes).
    void DeleteExternalEditFiles();

    // The edits in progress.
    std::vector<CExtEditSession*> Sessions() const;
    CExtEditSession* Find(int frameId) const;
    bool Watching() const { return watcher_ != nullptr; }

private:
    void startWatcher();
    void stopWatcher();
    void watch(const std::string& path);
    void takeChanges(const CExtEditSession& session);
    void raiseMainWindow();

    QWidget& mainWindow_;
    Hooks hooks_;
    std::unique_ptr<ExtEditNotices> notices_;
    std::unique_ptr<QFileSystemWatcher> watcher_;
};

} // namespace kfm::extedit
