#include "ToolCommands.h"

#include "DlgUpdateWizardSheet.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "UpdateCheck.h"
#include "about/AboutDlg.h"

namespace kfm::ui {

using namespace kfm5res;

void ToolCommands::RouteCommands(CommandRouter& router) {
    routeWaiting(router, {ID_TOOLS_PREFERENCES, ID_TOOLS_PLUGIN_PREFERENCES, ID_HELP_WEB_PAGE,
                          ID_HELP_FINDER, ID_CONTEXT_HELP, ID_HELP, ID_DEFAULT_HELP});
    route(router, {ID_APP_ABOUT}, [this](UINT) { OnAppAbout(&frame_); });
    router.Route(
        ID_TOOLS_UPDATE_WIZARD, [this](UINT) { RunUpdateWizard(&frame_); },
        [](CmdUI& ui) { ui.Enable(kfm::update::LoadWinInet() != 0); });
}

void RunUpdateWizard(QWidget* owner) {
    kfm::update::CDlgUpdateWizardSheet sheet(IDS_UPDATE_WIZARD, owner);
    sheet.exec();
}

} // namespace kfm::ui
