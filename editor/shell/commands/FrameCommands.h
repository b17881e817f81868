#pragma once
// The Frame menu and the align commands: new frames and objects, palette, mirror, rotate,
// resize, crop, delays, tween, merge, order and alignment. Disabled until their dialogs and
// views are part of the build.

#include "CommandHandler.h"

namespace kfm::ui {
class FrameCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;
};

} // namespace kfm::ui
