#include "ShiverPlugin.h"

#include "ShiverDlg.h"
#include "ShiverEscape.h"
#include "ShiverMachine.h"
#include "ShiverRun.h"

#include "resources/ResourceLibrary.h"

#include <QApplication>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

using namespace kfm::shiver;

// The plug-in's own module: its texts (code page 1250) are the tables it exports itself.
HINSTANCE ownTexts() {
    return kfm::resources::moduleOfAddress(reinterpret_cast<const void*>(&KFMRunPlugin));
}

// Shows the dialog and generates the frames on OK.
PluginResult* runShiver(PluginRunInput* input, PluginRunContext* context) {
    if (!input || input->count < 1 || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    const std::unique_ptr<CShiverRun> run = CShiverRun::create(input);
    if (!run)
        return nullptr;
    ShiverSettings settings;
    {
        CShiverDlg dialog(QApplication::activeWindow(), *run, ownTexts());
        if (dialog.exec() != QDialog::Accepted)
            return nullptr;
        settings = dialog.Settings();
    }
    // OK stopped the preview with its own flag; the generation starts with a clear one.
    std::atomic<bool> cancel{false};
    CShiverEscape escape(cancel);
    ShiverHooks hooks;
    hooks.progress = context ? context->progress : nullptr;
    hooks.pump = [&escape] { escape.Pump(); };
    hooks.cancel = &cancel;
    return MakeFrames(*run, settings, hooks);
}

} // namespace

extern "C" {

int KFM_PLUGIN_CALL KFMGetPluginInterface(PluginInterface* table) {
    return WritePluginInterface(table, &KFMGetPluginInterface, &KFMRunPlugin, &KFMGetPluginInfo,
                                &KFMCleanUp);
}

int KFM_PLUGIN_CALL KFMGetPluginInfo(PluginInfo* info) {
    if (!info)
        return 0;
    *info = PluginInfo{};
    info->version = kPluginInfoVersion;
    info->name = "Chvění";
    info->category = "Efekty";
    info->author = "Keldo software";
    info->minSelectedFrames = 1;
    return 1;
}

PluginResult* KFM_PLUGIN_CALL KFMRunPlugin(PluginRunInput* input, PluginRunContext* context) {
    try {
        return runShiver(input, context);
    } catch (...) {
        return nullptr;
    }
}

int KFM_PLUGIN_CALL KFMCleanUp(PluginResult* result) {
    return FreePluginResult(result);
}

ShiverInfo* GetInfo() {
    auto* info = static_cast<ShiverInfo*>(std::malloc(sizeof(ShiverInfo)));
    if (!info)
        return nullptr;
    info->version = 1;
    info->name = static_cast<char*>(std::malloc(8));
    if (info->name)
        std::memcpy(info->name, "Varore", 7);
    return info;
}

void DeleteInfo(ShiverInfo* info) {
    if (!info)
        return;
    std::free(info->name);
    std::free(info);
}

void* CreateMachine(int width, int height) {
    try {
        return CShiverMachine::Create(width, height).release();
    } catch (...) {
        return nullptr;
    }
}

void DeleteMachine(void* machine) {
    delete static_cast<CShiverMachine*>(machine);
}

} // extern "C"
