#pragma once
// The shared base of every dialog and property page: built for a template id, its controls
// registered and reached by their numeric control ids, its texts taken by id from a language
// resource library, its remembered settings kept in a section of the program's registry key, and
// a preview refresh that waits for a pause in the user's changes and computes off the UI thread.
//
// A modal dialog derives from ResourceDialog, a page of a property sheet from ResourcePage; both
// carry a DialogKit (kit()) that does the work, so code written against the kit serves either.
// Layouts are Qt layouts (no fixed coordinates), so longer translated texts still fit.

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

#include "types/Win32Types.h"

namespace kfm::ui {

// The look every dialog is shown in: the Qt "Windows" style, set once for the application.
void UseDialogStyle();

// A text of a language resource library by id, turned into Unicode from the code page its
// tables tell (1252 for tables that tell none); empty when the library has no such text or the
// module is null.
QString LibraryText(HINSTANCE module, UINT id);

// Controls by id, texts by id and registry-backed settings for one dialog or page.
class DialogKit {
public:
    // owner is the dialog or page; resources is the language library its texts come from;
    // section is the registry section of its settings (empty: the settings are not stored).
    DialogKit(QWidget* owner, UINT templateId, HINSTANCE resources, std::string section = {});

    QWidget* owner() const { return owner_; }
    UINT templateId() const { return templateId_; }
    HINSTANCE resources() const { return resources_; }

    // The text with the id, or fallback when the library has none.
    QString text(UINT id, const QString& fallback = {}) const;

    // Registers a control under its id (replacing an earlier one) and returns it; the control is
    // also named "id<number>" so tests and style sheets find it.
    template <class W> W* add(int id, W* control) {
        remember(id, control);
        return control;
    }
    // The control with the id, or null; controlAs is also null when it is no W.
    QWidget* control(int id) const;
    template <class W> W* controlAs(int id) const { return qobject_cast<W*>(control(id)); }

    // Settings of the registry section (defaults when there is no section or no value).
    int readInt(const char* name, int defaultValue, int min = 0, int max = 0) const;
    void writeInt(const char* name, int value) const;
    QString readString(const char* name, const QString& defaultValue = {}) const;
    void writeString(const char* name, const QString& value) const;

private:
    void remember(int id, QWidget* control);

    QWidget* owner_;
    UINT templateId_;
    HINSTANCE resources_;
    std::string section_;
    // Guarded: a control that goes away is no longer reachable by its id.
    std::map<int, QPointer<QWidget>> controls_;
};

// A refresh that runs once the changes pause: request() (re)starts a short timer; when it fires,
// the job runs on a worker thread and the step it returns runs back on the UI thread. A request
// made while a job runs starts one more job after it, so the last change is always shown, and
// a finished job's step is dropped when a newer request came in. Jobs must work on copies of
// what they read: the owner may change its state while they run. The destructor waits for a
// running job.
class PreviewRefresh : public QObject {
    Q_OBJECT
public:
    // What runs on the UI thread after the job.
    using Apply = std::function<void()>;
    // Runs on a worker thread; returns the UI-thread step (may be empty).
    using Job = std::function<Apply()>;

    explicit PreviewRefresh(QObject* parent = nullptr, int delayMs = 60);
    ~PreviewRefresh() override;

    void setJob(Job job) { job_ = std::move(job); }
    // Another refresh after the pause.
    void request();
    // Another refresh without the pause.
    void requestNow();
    // True while a refresh waits or runs.
    bool pending() const;
    // Runs the event loop until no refresh waits or runs; false when milliseconds pass first.
    bool waitUntilIdle(int milliseconds = 5000);

signals:
    // A refresh's UI-thread step has run.
    void refreshed();

private:
    void start();
    void finish(unsigned generation, const Apply& apply);

    Job job_;
    QTimer timer_;
    QThreadPool pool_;
    unsigned generation_ = 0;
    bool running_ = false;
    bool again_ = false;
};

// The base of a modal dialog built for a template id. The title is the text of the template id
// when the library has one.
class ResourceDialog : public QDialog {
    Q_OBJECT
public:
    ResourceDialog(QWidget* parent, UINT templateId, HINSTANCE resources, std::string section = {});
    DialogKit& kit() { return kit_; }
    const DialogKit& kit() const { return kit_; }

private:
    DialogKit kit_;
};

// The base of a page of a property sheet built for a template id.
class ResourcePage : public QWidget {
    Q_OBJECT
public:
    ResourcePage(QWidget* parent, UINT templateId, HINSTANCE resources, std::string section = {});
    DialogKit& kit() { return kit_; }
    const DialogKit& kit() const { return kit_; }

private:
    DialogKit kit_;
};

} // namespace kfm::ui
