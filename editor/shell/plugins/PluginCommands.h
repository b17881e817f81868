#pragma once
// The main window's plug-in commands: the plug-in menu, filled when it first opens from the
// outside filter host's list and the plug-in manager's cache; commands 41500 to 42998 run a
// ".kfp" plug-in on the selected frames, 43500 to 44998 an outside filter on the current frame,
// each as one undo step.

#include <string>

#include "CommandHandler.h"
#include "filterhost/FilterHost.h"

class QMenu;

namespace kfm::ui {

class PluginCommands final : public CommandHandler {
public:
    explicit PluginCommands(CMainFrame& frame);
    ~PluginCommands() override;

    void RouteCommands(CommandRouter& router) override;

    // Fills the plug-in menu as it opens, while no filter host context exists: after a release
    // of the host every item goes first; then the host's filters and the plug-ins, or the single
    // item 20010 when there is none.
    void FillPluginMenu(QMenu* menu);
    // Runs the plug-in at path (see PluginRunner.h), then refreshes the panes.
    int RunPlugin(const std::string& path);
    // The plug-in of the command, as undo step 33.
    void OnPluginCommand(UINT id);
    // The filter of the command on the current frame, as undo step 33.
    void RunHostFilter(UINT id);
    // Marks the menu for a rebuild at its next opening and releases the host context.
    void ReleasePluginHost();

private:
    void updatePluginCommand(CmdUI& ui);
    void updateFilterCommand(CmdUI& ui);

    kfm::filterhost::FilterHostContext* context_ = nullptr;
    bool rebuild_ = false;
};

// The filter host's progress callback: step `current` of `total`.
void FilterProgressCallback(int reserved, int current, int total);
// The filter host's colour callback: null context 0; mode 0 asks with the colour dialog (1 and
// the colour on OK, 0 on Cancel), 1 writes black, 2 white, others write nothing; 1.
int FilterColourCallback(void* context, int mode, int* red, int* green, int* blue);

} // namespace kfm::ui
