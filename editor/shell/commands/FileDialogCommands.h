#pragma once
// The commands that open the file dialogs: new animation, GIF details, print options, the
// custom thumbnail size, the preferences, and saving one frame in another format.

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
    // The first selected frame's image saved in a format the user chooses by its name (the
    // compression dialog follows).
    void OnSaveFrame();
    void OnThumbnailCustomSize();
    // The preferences sheet on a page (-1: the page used last); on OK the settings, the undo
    // ring, the outside filter host and the views take the choices.
    void ShowPreferences(int page);
    // Every immediate effect of the general page's Reset.
    static void ResetPreferences();

private:
    CFlimmerApp& app_;
};

} // namespace kfm::ui
