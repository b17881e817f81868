#pragma once
// The Tools and Help menus: preferences, update check, web page, about and help.

#include "CommandHandler.h"

namespace kfm::ui {
class ToolCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;
};

} // namespace kfm::ui
