#pragma once
// The commands that open the file dialogs: new animation, GIF details, print options and the
// custom thumbnail size.

#include "CommandHandler.h"

class CFlimmerApp;

namespace kfm::ui {

class FileDialogCommands : public CommandHandler {
public:
    FileDialogCommands(CMainFrame& frame, CFlimmerApp& app) : CommandHandler(frame), app_(app) {}
    void RouteCommands(CommandRouter& router) override;

    // The new-animation dialog; on OK the chosen size and a new document.
    void OnNewAnimation();
    // The blocks of the document's GIF file.
    void OnGifDetails();
    void OnPrintOptions();
    void OnThumbnailCustomSize();

private:
    CFlimmerApp& app_;
};

} // namespace kfm::ui
