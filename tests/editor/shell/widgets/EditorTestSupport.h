#pragma once
// The editor under test: the application object started with its settings in a temporary
// folder, and helpers that answer the modal dialogs it opens.

#include "FlimmerApp.h"
#include "MainFrame.h"

#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QString>

class QMessageBox;

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kfm::test {

class EditorFixture {
public:
    EditorFixture();
    ~EditorFixture();

    // Starts the program with the arguments; false when it ends at start-up.
    bool Start(const std::vector<std::string>& arguments = {});
    // Closes the main window (as the user does) and runs the exit.
    void Stop();
    // Stops and starts a new application object on the same settings.
    bool Restart(const std::vector<std::string>& arguments = {});

    CFlimmerApp& App() { return *app_; }
    // Started and not stopped yet.
    bool Running() const { return app_ && !stopped_; }
    kfm::ui::CMainFrame& Frame() { return *app_->MainFrame(); }
    QAction* Action(unsigned id) { return Frame().Router().Action(id); }
    // Shows the main window in its normal state at (20, 20) with the given size, then idles.
    void ShowAt(int width, int height);
    // Lets the event loop run the idle update.
    void Idle();
    // Presses keys on the main window.
    void Keys(const QKeySequence& keys);
    const ScopedRegistry& Registry() const { return registry_; }

private:
    // The desktop's choices of programs (the bitmap editor, the browsers) come from empty
    // folders while the fixture lives, so no program of the machine's desktop is found.
    class EmptyDesktop {
    public:
        explicit EmptyDesktop(const std::string& folder);
        ~EmptyDesktop();

    private:
        std::vector<std::pair<const char*, QByteArray>> saved_;
    };

    ScopedRegistry registry_;
    EmptyDesktop desktop_{registry_.folder().file("desktop")};
    std::unique_ptr<CFlimmerApp> app_;
    bool stopped_ = true;
};

// Clicks through the menu bar: the top menu, submenus, then the item (texts without "&").
// False when an entry is missing.
bool ClickMenu(kfm::ui::CMainFrame& frame, const QStringList& path);

// Runs answer on the next modal dialog once it shows (from a timer, while the caller blocks in
// the dialog's own loop). Fails the test when no dialog comes within the time.
void AnswerNextDialog(std::function<void(QWidget* dialog)> answer);
// Answers a file dialog by typing path into its name field and pressing Enter.
void AnswerFileDialog(const QString& path);
// Clicks the button of a message box with the given text, after running check on the box.
void AnswerMessageBox(const QString& buttonText,
                      std::function<void(const QMessageBox& box)> check = {});

// The folder for screenshots of the build.
std::string ArtifactsFolder();

} // namespace kfm::test
