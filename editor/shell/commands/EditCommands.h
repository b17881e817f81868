#pragma once
// The Edit menu: undo, the clipboard, delete, selection and the label edit. Their windows (the
// frame strip, the canvas) are not part of this build yet, so the commands stay disabled.

#include "CommandHandler.h"

namespace kfm::ui {

class EditCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;
};

} // namespace kfm::ui
