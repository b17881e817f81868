#pragma once
// Arranging frames: the eight align commands (edges to the current frame, centring, spacing),
// moving the selection one place earlier or later and duplicating it. Each is one undo step.
#include "CommandHandler.h"

namespace kfm::ui {

class ArrangeCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;

private:
    void align(UINT id);
    void move(bool earlier);
    void duplicate();
};

// The mode of AlignFrames for an align command id (0 for other ids).
int AlignModeForCommand(UINT id);

} // namespace kfm::ui
