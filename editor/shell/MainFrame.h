#pragma once
// The editor's main window: menus, the three toolbars (their layout kept between runs), the
// status bar with the frame counter and the progress display, the panes (frame strip and
// canvas in their splitters), the caption and the placement.
// It routes every command id to one of its handler classes (file, edit, frame, view, tools)
// and keeps none of the commands' work itself.

#include <QToolBar>

class QMenu;

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "CommandRules.h"
#include "FrameWindow.h"
#include "StatusPanel.h"

class CFlimmerApp;

namespace kfm::extedit {
class DesktopToolSearch;
class ExternalEdits;
} // namespace kfm::extedit

namespace kfm::ui {

class CommandHandler;
class MainPanes;
class PluginCommands;

class CMainFrame : public CFrameWnd {
public:
    // The toolbars in creation order: standard (resource 100), animation (103), frames (104).
    enum Bar { Standard, Animation, Frames, BarCount };

    explicit CMainFrame(CFlimmerApp& app);
    ~CMainFrame() override;

    // Builds the furniture from the resources; false when a menu, toolbar or the accelerators
    // cannot be loaded.
    bool OnCreate();

    // The placement under "Windows\Main" (shows the window), and its saving.
    void LoadPlacement();
    void SavePlacement();

    QToolBar* ToolBar(Bar bar) const { return bars_[bar]; }
    // The panes: 1 the property sheet, 2 the frame strip, 3 the canvas; null when the pane does
    // not exist.
    QWidget* GetPaneView(int n) const;
    MainPanes& Panes() { return *panes_; }
    // Frames handed to the outside bitmap editor.
    kfm::extedit::ExternalEdits& ExtEdits() { return *extEdits_; }
    StatusPanel& Status() { return *status_; }
    // Puts the icon of the program a command line names on a button of the standard toolbar
    // (counted without separators); a program without an icon changes nothing.
    void UpdateExternalToolIcons(const std::string& programPath, int buttonIndex);
    // Waits for the desktop's choices of the browsers and the bitmap editor, looked up while the
    // window builds and shows, and puts them into the settings and the toolbar.
    void WaitForDesktopTools();
    // The state the command rules look at.
    kfm::shell::UiState UiSnapshot() const;

    // The in-place label edit of the frame strip (most commands are disabled meanwhile).
    bool labelEditing = false;

    // A top-level menu opens: the undo item names its step; menu 6, the plug-in menu, is filled
    // the first time (PluginCommands.h).
    void OnInitMenuPopup(QMenu* menu, int index);
    // Plug-ins and outside filters (PluginCommands.h).
    int RunPlugin(const std::string& path);
    void OnPluginCommand(UINT id);
    void RunHostFilter(UINT id);
    // After the preferences closed: the plug-in menu is built again at its next opening.
    void ReleasePluginHost();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnClose() override;
    void OnDocumentSaved() override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createToolBars();
    void dockToolBarsInOneRow();
    void updateIndicators();

    CFlimmerApp& app_;
    std::array<QToolBar*, BarCount> bars_{};
    std::unique_ptr<StatusPanel> status_;
    std::vector<std::unique_ptr<CommandHandler>> handlers_;
    PluginCommands* plugins_ = nullptr;
    std::unique_ptr<MainPanes> panes_;
    std::unique_ptr<kfm::extedit::ExternalEdits> extEdits_;
    std::unique_ptr<kfm::extedit::DesktopToolSearch> desktopTools_;
    // The settings took the desktop's choices: the editor's icon and the commands' states follow.
    void desktopToolsFound();
};

} // namespace kfm::ui
