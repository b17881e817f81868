#pragma once
// Commands that rebuild frames from what they show: crop to the non-transparent rectangles,
// object frames to plain pictures, merging the selection into one frame and replacing frames by
// the visible animation state. Each is one undo step.
#include "CommandHandler.h"

namespace kfm::ui {

class OptimizeCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;

private:
    void crop();
    void objectsToImages();
    void merge();
    void renderStates();
};

} // namespace kfm::ui
