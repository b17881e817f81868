#pragma once
// The commands of object frames that are built: New Control Object (20019) inserts a frame made
// by the system-control dialog, and Edit Object (20012) on a control frame reopens the dialog on
// it and puts the frame it makes in the edited frame's place. Each is one undo step; a dialog
// that makes no frame changes nothing. Edit Object on a text frame runs the text dialog
// (EditTextFrame); on a picture frame it hands the first selected frame's picture to the outside
// bitmap editor.

#include "CommandHandler.h"

namespace kfm::ui {

class ObjectCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;

private:
    void newControlObject();
    void editObject();
    void editControlObject();
};

} // namespace kfm::ui
