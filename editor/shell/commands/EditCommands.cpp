#include "EditCommands.h"

#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "views/AnimationView.h"
#include "views/MainPanes.h"

namespace kfm::ui {

using namespace kfm5res;

void EditCommands::RouteCommands(CommandRouter& router) {
    routeWaiting(router, {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
                          ID_EDIT_PASTE_SPECIAL, ID_EDIT_DELETE, ID_EDIT_SELECT_ALL,
                          ID_EDIT_SELECT_PREVIOUS, ID_EDIT_SELECT_NEXT});
    route(router, {ID_EDIT_LABEL}, [this](UINT) {
        if (CAnimationView* strip = frame_.Panes().Strip())
            strip->EditLabel();
    });
}

} // namespace kfm::ui
