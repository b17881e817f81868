#include "ViewCommands.h"

#include "AppSettings.h"
#include "CanvasGeometry.h"
#include "GIFAnimDoc.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "views/ImageView.h"
#include "views/MainPanes.h"

#include "shell/Process.h"

#include <QStatusBar>

#include <filesystem>

namespace kfm::ui {

using namespace kfm5res;

void ViewCommands::RouteCommands(CommandRouter& router) {
    route(router, {ID_VIEW_TOOLBAR_STANDARD, ID_VIEW_TOOLBAR_ANIMATION, ID_VIEW_TOOLBAR_FRAMES},
          [this](UINT id) { toggleToolBar(id); });
    route(router, {ID_VIEW_STATUS_BAR}, [this](UINT) { toggleStatusBar(); });
    route(router, {ID_STOP_PREVIEW}, [this](UINT) {
        if (CImageView* canvas = frame_.Panes().Canvas())
            canvas->StopPreview();
    });
    route(router, {ID_VIEW_PREVIEW}, [this](UINT) {
        if (CImageView* canvas = frame_.Panes().Canvas())
            canvas->TogglePreview();
    });
    routeRange(router, ID_PLAYER_FIRST, ID_PLAYER_PAUSE, [this](UINT id) {
        if (CImageView* canvas = frame_.Panes().Canvas())
            canvas->OnPlayerCommand(id);
    });
    route(router, {ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_ACTUAL, ID_VIEW_ZOOM_IN},
          [this](UINT id) { zoom(id); });
    route(router, {ID_STRIP_TOGGLE, ID_STRIP_STACKED, ID_STRIP_SIDE_BY_SIDE},
          [this](UINT id) { frame_.Panes().OnOrientationCommand(id); });
    route(router, {ID_APPLY_SPLITTER_SIZES}, [this](UINT) {
        frame_.Panes().SetToggleBarSize();
        frame_.show();
    });
    routeRange(router, ID_THUMBNAIL_FIRST, ID_THUMBNAIL_LAST,
               [this](UINT id) { frame_.Panes().OnThumbnailCommand(id); });
    // The custom size asks in a dialog of its own.
    routeWaiting(router, {ID_THUMBNAIL_CUSTOM_SIZE});
    route(router, {ID_VIEW_BROWSER_CUSTOM, ID_VIEW_BROWSER_IE, ID_VIEW_BROWSER_NN},
          [this](UINT id) { previewInBrowser(id); });
}

namespace {

const std::string& browserOf(UINT id) {
    const kfm::shell::AppSettings& settings = kfm::shell::g_AppSettings;
    return id == ID_VIEW_BROWSER_IE   ? settings.BrowserPathIE
           : id == ID_VIEW_BROWSER_NN ? settings.BrowserPathNN
                                      : settings.BrowserPathCustom;
}

// The browser's program and its own arguments: the whole setting when it names a file (blanks
// and all), else the setting read as a command line.
std::vector<std::string> browserCommand(const std::string& setting) {
    std::error_code ec;
    if (std::filesystem::exists(setting, ec))
        return {setting};
    return kfm::shell::splitCommandLine(setting);
}

} // namespace

void ViewCommands::previewInBrowser(UINT id) {
    auto* document = dynamic_cast<CGIFAnimDoc*>(frame_.GetActiveDocument());
    if (!document)
        return;
    if (g_bPreviewPlaying)
        if (CImageView* canvas = frame_.Panes().Canvas())
            canvas->StopPreview();
    const std::string page = document->SaveTempGIF();
    if (page.empty())
        return;
    std::vector<std::string> command = browserCommand(browserOf(id));
    if (command.empty())
        return;
    const std::string program = command.front();
    command.erase(command.begin());
    command.push_back(page);
    if (!kfm::shell::startDetached(program, command))
        ShellMessageBoxFormatted(IDS_PROGRAM_START_FAILED, MB_OK_ | MB_ICONEXCLAMATION_, {program});
}

void ViewCommands::zoom(UINT id) {
    const int mode = id == ID_VIEW_ZOOM_OUT      ? kfm::shell::kZoomOut
                     : id == ID_VIEW_ZOOM_ACTUAL ? kfm::shell::kZoomActual
                                                 : kfm::shell::kZoomIn;
    if (CImageView* canvas = frame_.Panes().Canvas())
        canvas->Zoom(mode);
}

void ViewCommands::toggleToolBar(UINT id) {
    const CMainFrame::Bar bar = id == ID_VIEW_TOOLBAR_STANDARD    ? CMainFrame::Standard
                                : id == ID_VIEW_TOOLBAR_ANIMATION ? CMainFrame::Animation
                                                                  : CMainFrame::Frames;
    QToolBar* toolbar = frame_.ToolBar(bar);
    toolbar->setVisible(toolbar->isHidden());
}

void ViewCommands::toggleStatusBar() {
    QStatusBar* status = frame_.statusBar();
    status->setVisible(status->isHidden());
}

} // namespace kfm::ui
