#include "ToolCommands.h"

#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "about/AboutDlg.h"

namespace kfm::ui {

using namespace kfm5res;

void ToolCommands::RouteCommands(CommandRouter& router) {
    routeWaiting(router,
                 {ID_TOOLS_PREFERENCES, ID_TOOLS_PLUGIN_PREFERENCES, ID_TOOLS_UPDATE_WIZARD,
                  ID_HELP_WEB_PAGE, ID_HELP_FINDER, ID_CONTEXT_HELP, ID_HELP, ID_DEFAULT_HELP});
    route(router, {ID_APP_ABOUT}, [this](UINT) { OnAppAbout(&frame_); });
}

} // namespace kfm::ui
