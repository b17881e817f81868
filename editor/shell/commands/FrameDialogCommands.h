#pragma once
// The frame commands that run a frame dialog: Tween (20029), Resize (20025), Rotate (20027),
// Adjust Delays (20016), New Frame (20017), New Text (20020) and the edit of a text frame
// (Edit Object, 20012, on text frames). Each change is one undo step; a dialog that is
// cancelled or makes no picture changes nothing.

#include "CommandHandler.h"

namespace kfm::ui {

class CMainFrame;

// Runs the text dialog on the current text frame and puts the frame it makes in its place, in
// one undo step; false when the current frame has no text.
bool EditTextFrame(CMainFrame& frame);

class FrameDialogCommands : public CommandHandler {
public:
    using CommandHandler::CommandHandler;
    void RouteCommands(CommandRouter& router) override;

private:
    void tween();
    void resize();
    void rotate();
    void adjustDelays();
    void newFrame();
    void newText();
    void refreshFrames();
};

} // namespace kfm::ui
