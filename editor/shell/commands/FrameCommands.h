#pragma once
// The Frame menu's picture commands: mirroring the current frame and editing its palette, whose
// change the other selected frames may follow. The frame dialogs (new frame, text object, rotate,
// resize, delays, tween) are routed here and stay disabled until their windows are wired.
#include "CommandHandler.h"

namespace kfm::ui {

class FrameCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;

private:
    void mirror(int flags);
    void palette();
};

} // namespace kfm::ui
