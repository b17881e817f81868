#pragma once
// The View and Animation menus: the toolbar and status-bar toggles, the canvas's zoom, the
// strip's thumbnail sizes and layout, stopping the preview and its transport, and the preview in
// a browser.

#include "CommandHandler.h"

namespace kfm::ui {

class ViewCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;

private:
    void toggleToolBar(UINT id);
    void toggleStatusBar();
    void zoom(UINT id);
    // Saves the animation as a new temporary page and starts the browser of the command on it.
    void previewInBrowser(UINT id);
};

} // namespace kfm::ui
