#include "FileCommands.h"

#include "FlimmerApp.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "ResourceAccess.h"
#include "views/AnimationView.h"
#include "views/MainPanes.h"

#include <QDir>
#include <QMenu>

namespace kfm::ui {

using namespace kfm5res;

void FileCommands::RouteCommands(CommandRouter& router) {
    route(router, {ID_FILE_NEW}, [this](UINT) { app_.OnFileNew(); });
    route(router, {ID_FILE_OPEN}, [this](UINT) { app_.OnFileOpen(); });
    route(router, {ID_FILE_SAVE}, [this](UINT) { app_.OnFileSave(); });
    route(router, {ID_FILE_SAVE_AS}, [this](UINT) { app_.OnFileSaveAs(); });
    route(router, {ID_APP_EXIT}, [this](UINT) { frame_.close(); });
    const UINT lastRecent = ID_FILE_MRU_FILE1 + static_cast<UINT>(app_.RecentFiles().Size()) - 1;
    routeRange(router, ID_FILE_MRU_FILE1, lastRecent,
               [this](UINT id) { app_.OpenRecentFile(static_cast<int>(id - ID_FILE_MRU_FILE1)); });
    routeWaiting(router, {ID_FILE_NEW_ANIMATION, ID_FILE_REVERT, ID_FILE_SAVE_FRAME, ID_FILE_IMPORT,
                          ID_FILE_INSERT_VECTOR, ID_FILE_GIF_DETAILS, ID_FILE_PRINT_OPTIONS,
                          ID_FILE_SEND_MAIL});
    // Printing is the frame strip's.
    route(router, {ID_FILE_PRINT}, [this](UINT) {
        if (CAnimationView* strip = frame_.Panes().Strip())
            strip->Print();
    });
    // The recent files are listed afresh at every idle pass.
    QObject::connect(&router, &CommandRouter::idle, &router,
                     [this, &router] { updateRecentFileItems(router); });
}

void FileCommands::updateRecentFileItems(CommandRouter& router) {
    const kfm::shell::RecentFileList& list = app_.RecentFiles();
    QAction* first = router.Action(ID_FILE_MRU_FILE1);
    if (placeholderText_.isEmpty())
        placeholderText_ = first->text();
    const auto widgets = first->associatedObjects();
    const std::string folder = QDir::currentPath().toStdString();
    for (int i = 0; i < list.Size(); ++i) {
        QAction* action = router.Action(ID_FILE_MRU_FILE1 + static_cast<UINT>(i));
        const bool present = i < list.Count();
        action->setStatusTip(CommandPrompt(ID_FILE_MRU_FILE1 + static_cast<UINT>(i)));
        if (present)
            action->setText(FromCodePage1252(list.MenuText(i, folder)));
        else if (i == 0)
            action->setText(placeholderText_);
        action->setVisible(present || i == 0);
        // The entries follow the first one in every menu that shows it.
        for (QObject* owner : widgets) {
            auto* menu = qobject_cast<QMenu*>(owner);
            if (!menu || i == 0 || menu->actions().contains(action))
                continue;
            const QList<QAction*> items = menu->actions();
            const qsizetype at = items.indexOf(router.Action(ID_FILE_MRU_FILE1 + i - 1));
            menu->insertAction(at + 1 < items.size() ? items[at + 1] : nullptr, action);
        }
    }
}

} // namespace kfm::ui
