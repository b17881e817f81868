#pragma once
// The one road from the animation model to the application shell. The model never sees a
// window: it asks the shell for messages, progress, the Esc key, the views' refresh and the
// document's modified flag through this interface. The shell implements it; tests implement it
// with a recording fake. Without an installed implementation every call is a quiet no-op.

#include <initializer_list>
#include <string>

#include "types/Win32Types.h"

// The progress messages to the main window.
constexpr UINT WM_PROGRESS_BEGIN = WM_USER + 100; // wParam caption string id, lParam total
constexpr UINT WM_PROGRESS_STEP = WM_USER + 101;  // wParam new position, 0 = previous + 1
constexpr UINT WM_PROGRESS_END = WM_USER + 102;

// Message-box flags the model uses.
constexpr UINT MB_OK_ = 0x0;
constexpr UINT MB_OKCANCEL_ = 0x1;
constexpr UINT MB_ICONHAND_ = 0x10;
constexpr UINT MB_ICONEXCLAMATION_ = 0x30;
constexpr UINT MB_YESNO_ = 0x4;
constexpr UINT MB_ICONQUESTION_ = 0x20;
// The second button is the default one (the first without it).
constexpr UINT MB_DEFBUTTON2_ = 0x100;
// The answer of the Yes button.
constexpr int IDYES_ = 6;

// The program's open and save file dialog: paths of up to 260 characters, the chosen path in
// file and its folder in folder, the chosen filter index.
struct FileDialogRequest {
    std::string file;
    std::string folder;
    int filterIndex = 1;
    bool open = true;
    std::string defaultExtension;
    std::string filter;
    std::string title;
};

class ShellServices {
public:
    virtual ~ShellServices() = default;

    // A resource text of the program's language library (empty when missing).
    virtual std::string loadString(UINT id) = 0;
    // Shows a message box with a text; returns IDOK, IDCANCEL ...
    virtual int messageBox(const std::string& text, UINT flags) = 0;

    // The main window exists (it is the progress window of long operations).
    virtual bool hasMainWindow() = 0;
    // Sends a message to the main window (progress messages, the stop-preview command ...).
    virtual LRESULT sendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Removes and reports a pending Esc key press of the user-interface thread.
    virtual bool escapePressed() = 0;
    virtual void setWaitCursor(bool wait) = 0;

    // The active document and its modified flag.
    virtual bool hasActiveDocument() = 0;
    virtual void setDocumentModified(bool modified) = 0;

    // The views' refresh operations.
    virtual void refreshStripView() = 0;
    virtual void redrawViews(int canvas, int strip) = 0;
    virtual void updateAnimationPage() = 0;
    virtual void updateOptimizeState() = 0;

    // The framework's update of every view of the document.
    virtual void updateAllViews() {}
    // Every view of the document: invalidated (erasing the background when erase) when
    // invalidate, then repainted at once.
    virtual void refreshViews(BOOL invalidate, BOOL erase) {}
    // Shows the file dialog; IDOK when the user chose a file.
    virtual int doFileDialog(FileDialogRequest& request) { return IDCANCEL; }
};

// The installed implementation, or a quiet stand-in when none is installed.
ShellServices& shell();

// The wait cursor for the lifetime of the object.
class WaitCursor {
public:
    WaitCursor() { shell().setWaitCursor(true); }
    ~WaitCursor() { shell().setWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
// Installs an implementation (not owned); null returns to the quiet stand-in.
void setShellServices(ShellServices* services);

// Shows the resource text `id` with the given flags.
int ShellMessageBox(UINT id, UINT flags);
// The resource text `id` with its placeholders filled in order: "%s", "%d" (any printf
// conversion) and "%1".."%9" take the values as given; "%%" is a percent sign. Placeholders
// without a value become empty; the values are never read as format strings themselves.
std::string FormatResourceText(UINT id, std::initializer_list<std::string> values);
// The same over a text of its own.
std::string FormatText(const std::string& format, std::initializer_list<std::string> values);
// Shows FormatResourceText(id, values) with the given flags.
int ShellMessageBoxFormatted(UINT id, UINT flags, std::initializer_list<std::string> values);
// Shows text `id` of the image library's resource library, its placeholders filled as FormatText
// fills them, with the given flags.
int ShellMessageBoxLibraryText(UINT id, UINT flags, std::initializer_list<std::string> values);
