#pragma once
// The View and Animation menus: the toolbar and status-bar toggles, stopping the preview, and
// the commands of the canvas, the strip and the splitters (disabled until those panes are part
// of the build).

#include "CommandHandler.h"

namespace kfm::ui {

class ViewCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;

private:
    void toggleToolBar(UINT id);
    void toggleStatusBar();
};

} // namespace kfm::ui
