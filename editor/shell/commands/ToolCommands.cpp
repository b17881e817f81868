#include "ToolCommands.h"

#include "DlgUpdateWizardSheet.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "ResourceAccess.h"
#include "ShellServices.h"
#include "UpdateCheck.h"
#include "about/AboutDlg.h"
#include "help/HelpWindow.h"
#include "shell/Desktop.h"

#include <QApplication>
#include <QWhatsThis>

namespace kfm::ui {

using namespace kfm5res;

void ToolCommands::RouteCommands(CommandRouter& router) {
    routeWaiting(router, {ID_TOOLS_PREFERENCES, ID_TOOLS_PLUGIN_PREFERENCES});
    route(router, {ID_APP_ABOUT}, [this](UINT) { OnAppAbout(&frame_); });
    route(router, {ID_TOOLS_UPDATE_WIZARD}, [this](UINT) { RunUpdateWizard(&frame_); });
    route(router, {ID_HELP_WEB_PAGE}, [](UINT) {
        const std::string address = ResourceText(IDS_WEB_ADDRESS);
        if (!kfm::shell::openUrl(address))
            ShellMessageBoxFormatted(IDS_PROGRAM_START_FAILED, MB_OK_ | MB_ICONEXCLAMATION_,
                                     {address});
    });
    route(router, {ID_HELP_FINDER, ID_DEFAULT_HELP}, [this](UINT) { WinHelp(&frame_, 0); });
    route(router, {ID_HELP},
          [this](UINT) { WinHelp(&frame_, HelpContextOf(QApplication::focusWidget())); });
    route(router, {ID_CONTEXT_HELP}, [](UINT) { QWhatsThis::enterWhatsThisMode(); });
    InstallHelpKey(&frame_);
}

void RunUpdateWizard(QWidget* owner) {
    kfm::update::CDlgUpdateWizardSheet sheet(IDS_UPDATE_WIZARD, owner);
    sheet.exec();
}

} // namespace kfm::ui
