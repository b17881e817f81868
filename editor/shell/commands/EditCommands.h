#pragma once
// The Edit menu: undo, the clipboard, delete, selection and the label edit. The label edit runs
// in the frame strip; the others wait for their parts of the program and stay disabled.

#include "CommandHandler.h"

namespace kfm::ui {

class EditCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;

private:
    // Delete: the key to a focused text widget; the selected frames while the strip has the
    // focus; nothing elsewhere.
    void deleteWhereFocused();

    bool forwardingDeleteKey_ = false;
};

} // namespace kfm::ui
