#pragma once
// The File menu: new, open, save, save as, the recent files, import of files and drawings, saving
// the selected frame in another format, revert, mail and exit.

#include <QString>

#include "CommandHandler.h"

class CFlimmerApp;

namespace kfm::ui {

class FileCommands : public CommandHandler {
public:
    FileCommands(CMainFrame& frame, CFlimmerApp& app) : CommandHandler(frame), app_(app) {}
    void RouteCommands(CommandRouter& router) override;

private:
    // Import (vector false) or insert vector files: the multi-selection file dialog, then the
    // chosen files as one undo step.
    void importFiles(bool vector);
    void saveSelectedFrame();
    void revert();
    void sendMail();
    // The recent-file items under the "Recent File" placeholder: one per entry, or the
    // disabled placeholder alone when the list is empty.
    void updateRecentFileItems(CommandRouter& router);

    CFlimmerApp& app_;
    // The menu's text of the first entry, shown while the list is empty.
    QString placeholderText_;
};

} // namespace kfm::ui
