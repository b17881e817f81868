#include "PluginCommands.h"

#include "AnimationData.h"
#include "ImageUtilities.h"
#include "Kfm5ResourceIds.h"
#include "MainFrame.h"
#include "PlugInManager.h"
#include "PluginRunner.h"
#include "ProgramState.h"
#include "QtPluginMenu.h"
#include "ResourceAccess.h"
#include "ShellServices.h"
#include "StartupValues.h"
#include "UndoHistory.h"
#include "views/ImageView.h"
#include "views/MainPanes.h"

#include <QApplication>
#include <QColorDialog>
#include <QMenu>

#include <algorithm>

namespace kfm::ui {

using namespace kfm5res;
using kfm::filterhost::FilterHost;
using kfm::filterhost::TheFilterHost;

namespace {

constexpr int kAppPathAdobeList = 0;
constexpr int kAppPathKeldoList = 1;

// Set when a menu opening found neither filters nor plug-ins and released the host context, so
// that the release happens once.
bool hostReleased = false;

std::string appPath(int kind) {
    char path[4096];
    return kfm::shell::GetAppPath(kind, path, sizeof path) ? std::string(path) : std::string();
}

void deleteCommand(kfm::filterhost::PluginMenu& menu, UINT id) {
    for (int pos = menu.ItemCount() - 1; pos >= 0; --pos)
        if (menu.CommandId(pos) == id)
            menu.DeleteItem(pos);
}

void deleteAllItems(kfm::filterhost::PluginMenu& menu) {
    for (int pos = menu.ItemCount() - 1; pos >= 0; --pos)
        menu.DeleteItem(pos);
}

// The states of the menu's commands and of its sub-menus' commands.
void updateMenuTree(CommandRouter& router, QMenu* menu) {
    router.UpdateMenu(menu);
    for (const QAction* action : menu->actions())
        if (QMenu* sub = action->menu())
            updateMenuTree(router, sub);
}

HWND windowHandle(QWidget* window) {
    return reinterpret_cast<HWND>(window);
}

void writeColour(int* red, int* green, int* blue, int r, int g, int b) {
    if (red)
        *red = r;
    if (green)
        *green = g;
    if (blue)
        *blue = b;
}

} // namespace

PluginCommands::PluginCommands(CMainFrame& frame) : CommandHandler(frame) {}

PluginCommands::~PluginCommands() {
    ReleasePluginHost();
}

void PluginCommands::RouteCommands(CommandRouter& router) {
    router.Route(
        ID_PLUGIN_FIRST, ID_PLUGIN_LAST, [this](UINT id) { OnPluginCommand(id); },
        [this](CmdUI& ui) { updatePluginCommand(ui); });
    router.Route(
        ID_FILTER_FIRST, ID_FILTER_LAST, [this](UINT id) { RunHostFilter(id); },
        [this](CmdUI& ui) { updateFilterCommand(ui); });
}

void PluginCommands::updatePluginCommand(CmdUI& ui) {
    const bool hasFrames = g_pAnimationData != nullptr;
    ui.Enable(hasFrames &&
              kfm::plugins::IsPluginCommandEnabled(
                  frame_.GetActiveDocument() != nullptr, true,
                  kfm::plugins::CountSelectedFramesWithPicture(g_pAnimationData->frames),
                  ThePlugInManager().GetPluginMinFrames(ui.id), g_bPreviewPlaying != 0));
}

void PluginCommands::updateFilterCommand(CmdUI& ui) {
    ui.Enable(g_pAnimationData && kfm::plugins::IsFilterCommandEnabled(
                                      frame_.GetActiveDocument() != nullptr, true,
                                      g_pAnimationData->frames, g_bPreviewPlaying != 0));
}

void PluginCommands::FillPluginMenu(QMenu* menu) {
    if (!menu || context_)
        return;
    QtPluginMenu items(menu, frame_.Router());
    if (rebuild_) {
        deleteAllItems(items);
        rebuild_ = false;
        hostReleased = false;
    }
    FilterHost& host = TheFilterHost();
    host.CreateContext(&context_);
    CPlugInManager& manager = ThePlugInManager();
    const std::string adobeList = appPath(kAppPathAdobeList);
    const std::string keldoList = appPath(kAppPathKeldoList);
    bool filled = false;
    if (context_ && !adobeList.empty() && host.LoadList(context_, adobeList) == 0) {
        manager.PlugInReadCache(keldoList, false);
        int filters = 0;
        host.CountFilters(context_, &filters);
        if (filters + manager.PlugInGetCount() > 0) {
            host.InsertFilterCommands(context_, items, ID_FILTER_FIRST, ID_FILTER_LAST);
            manager.BuildPluginMenu(context_, items, ID_PLUGIN_FIRST, ID_PLUGIN_LAST, filters > 0);
            filled = true;
        }
    }
    if (!filled && !keldoList.empty()) {
        manager.PlugInReadCache(keldoList, false);
        if (manager.PlugInGetCount() > 0) {
            manager.BuildPluginMenu(context_, items, ID_PLUGIN_FIRST, ID_PLUGIN_LAST, false);
            filled = true;
        }
    }
    if (filled) {
        deleteCommand(items, ID_TOOLS_PLUGIN_PREFERENCES);
    } else if (!hostReleased) {
        hostReleased = true;
        host.ReleaseContext(context_);
        context_ = nullptr;
        if (items.ItemCount() == 0)
            items.InsertCommand(0, ResourceText(IDS_PLUGIN_MENU_EMPTY),
                                ID_TOOLS_PLUGIN_PREFERENCES);
    }
    // The new items take their states before the menu shows.
    updateMenuTree(frame_.Router(), menu);
}

int PluginCommands::RunPlugin(const std::string& path) {
    const int result = kfm::plugins::RunPlugin(path);
    frame_.Panes().FramesChanged();
    return result;
}

void PluginCommands::OnPluginCommand(UINT id) {
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindPlugin);
    RunPlugin(ThePlugInManager().GetPluginPathById(id));
    undo.EndStep(0);
}

void PluginCommands::RunHostFilter(UINT id) {
    CObjFrame* current = GetCurrentFrame();
    const KpxHandle picture = current ? static_cast<KpxHandle>(current->GetImage()) : 0;
    if (!picture || !context_)
        return;
    ScopedImage working;
    if (KPXbpp(picture) != 24)
        working.reset(KPXColorConvert(picture, 24, 0, 0, 0, nullptr, nullptr));
    const KpxHandle source = working.get() ? working.get() : picture;

    FilterHost& host = TheFilterHost();
    kfm::filterhost::FilterHostFilter* filter = nullptr;
    if (host.PrepareFilter(context_, id, &filter) < 0) {
        ShellMessageBox(IDS_FILTER_PREPARE_FAILED, MB_ICONEXCLAMATION_);
        return;
    }
    kfm::filterhost::FilterImage result = 0;
    int status = -1;
    if (KPXbpp(source) == 24) {
        const ShownProgress progress(IDS_CAPTION_RENDERING);
        const kfm::filterhost::FilterCallbacks callbacks{
            kfm::filterhost::kFilterCallbacksSize, 0, FilterProgressCallback, FilterColourCallback};
        const RECT whole{0, 0, KPXWidth(source), KPXHeight(source)};
        status =
            host.RunFilter(filter, windowHandle(&frame_), source, whole, 0, &result, callbacks);
    }
    host.ReleaseFilter(filter);
    ScopedImage filtered(result);
    if (status < 0 || !filtered.get()) {
        ShellMessageBox(IDS_FILTER_RUN_FAILED, MB_ICONEXCLAMATION_);
        return;
    }
    CUndoHistory& undo = TheUndoHistory();
    undo.BeginStep(kUndoKindPlugin);
    if (const std::uint16_t old = current->SetImage(static_cast<std::uint16_t>(filtered.release())))
        KPXDeleteImage(static_cast<KpxHandle>(old));
    current->transparency = 0;
    current->softAlpha = 1;
    DeleteEmptyFrames();
    undo.EndStep(0);
    frame_.update();
    if (CImageView* canvas = frame_.Panes().Canvas())
        canvas->RefreshCanvas();
    frame_.Router().RequestIdleUpdate();
}

void PluginCommands::ReleasePluginHost() {
    rebuild_ = true;
    if (context_) {
        TheFilterHost().ReleaseContext(context_);
        context_ = nullptr;
    }
}

void FilterProgressCallback(int reserved, int current, int total) {
    kfm::plugins::PluginProgressCallback(reserved, current, total);
}

int FilterColourCallback(void* context, int mode, int* red, int* green, int* blue) {
    if (!context)
        return 0;
    switch (mode) {
    case 0: {
        const auto component = [](const int* c) { return c ? std::clamp(*c, 0, 255) : 0; };
        const QColor initial(component(red), component(green), component(blue));
        const QColor chosen = QColorDialog::getColor(initial, QApplication::activeWindow());
        if (!chosen.isValid())
            return 0;
        writeColour(red, green, blue, chosen.red(), chosen.green(), chosen.blue());
        return 1;
    }
    case 1:
        writeColour(red, green, blue, 0, 0, 0);
        return 1;
    case 2:
        writeColour(red, green, blue, 255, 255, 255);
        return 1;
    default:
        return 1;
    }
}

} // namespace kfm::ui
