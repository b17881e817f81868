#pragma once
// The help viewer: one top-level text browser over the language library's HTML help pages
// (HelpContexts.h), placed along the main window's right edge. F1 asks for the page of the
// window in front (a dialog or property page by its template id, the main window by its own
// id); Shift+F1 enters the "What's This?" mode; a context without a page shows the contents.

#include <QTextBrowser>

#include <string>

namespace kfm::ui {

// The main window's own help context (its resource id).
constexpr unsigned kMainWindowHelpContext = 128;

class HelpWindow : public QTextBrowser {
    Q_OBJECT
public:
    // The viewer, made on first use; null before.
    static HelpWindow* Instance();

    // Shows the page of context from the help folder, beside mainWindow.
    static HelpWindow* ShowContext(QWidget* mainWindow, const std::string& folder,
                                   unsigned context);

    // The file name of the page shown.
    QString CurrentPage() const;

private:
    HelpWindow();
};

// The help folder of the running program and its loaded language library.
std::string ProgramHelpFolder();

// Shows help for a context (the low 16 bits count) from the program's help folder.
HelpWindow* WinHelp(QWidget* mainWindow, unsigned context);

// The help context of a widget: the template id of the dialog or property page that holds it,
// else the main window's context.
unsigned HelpContextOf(const QWidget* widget);

// F1 in a dialog or any window but the main window (whose F1 is its help command) opens the
// page of that window. One filter serves the application; the latest main window takes it over.
void InstallHelpKey(QWidget* mainWindow);

} // namespace kfm::ui
