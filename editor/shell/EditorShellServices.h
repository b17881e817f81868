#pragma once
// The model's road to the editor's windows: resource texts, message boxes, the progress
// messages to the main window, the Esc key, the wait cursor, the document's modified flag and
// the file dialog.

#include "ShellServices.h"

#include <QString>

class CFlimmerApp;

namespace kfm::ui {

class CMainFrame;

// The message-box result of a Qt button (IDOK, IDCANCEL, IDYES, IDNO ...).
int MessageBoxResult(int standardButton);

class EditorShellServices final : public ShellServices {
public:
    // Also shows the platform's message boxes (MessageBoxA) as the program's own while it lives.
    explicit EditorShellServices(CFlimmerApp& app);
    ~EditorShellServices() override;

    std::string loadString(UINT id) override;
    int messageBox(const std::string& text, UINT flags) override;
    bool hasMainWindow() override;
    LRESULT sendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool escapePressed() override;
    void setWaitCursor(bool wait) override;
    bool hasActiveDocument() override;
    void setDocumentModified(bool modified) override;
    void refreshStripView() override;
    void redrawViews(int canvas, int strip) override;
    void updateAnimationPage() override;
    void updateOptimizeState() override;
    void updateAllViews() override;
    void refreshViews(BOOL invalidate, BOOL erase) override;
    int doFileDialog(FileDialogRequest& request) override;

private:
    CMainFrame* frame() const;
    int showBox(const QString& text, const QString& caption, UINT flags);

    CFlimmerApp& app_;
};

} // namespace kfm::ui
