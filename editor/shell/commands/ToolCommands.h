#pragma once
// The Tools and Help menus: preferences, update check, web page, about and help.

#include "CommandHandler.h"

class QWidget;

namespace kfm::ui {
class ToolCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;
};

// The update wizard (caption 10988), modal over owner: command 20030 and the start-up reminder.
void RunUpdateWizard(QWidget* owner);

} // namespace kfm::ui
