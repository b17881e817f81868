#pragma once
// The Edit menu: undo (its item names the step it reverts), the clipboard, delete, the
// selection of the previous, next or every frame, and the label edit in the frame strip.

#include "CommandHandler.h"

namespace kfm::ui {

class EditCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;

private:
    // Undo of the last step, refreshing what the undone kind changed.
    void undo();
    // The previous (-1) or next (1) entry becomes the only selected and current one.
    void selectNeighbour(int step);
    void selectAll();

    // Delete: the key to a focused text widget; the selected frames while the strip has the
    // focus; nothing elsewhere.
    void deleteWhereFocused();

    bool forwardingDeleteKey_ = false;
};

} // namespace kfm::ui
