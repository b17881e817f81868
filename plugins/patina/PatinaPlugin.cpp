#include "PatinaPlugin.h"

#include "BackgroundDlg.h"

#include "resources/ResourceLibrary.h"

#include <QApplication>

namespace {

using kfm::patina::CBackgroundDlg;

// The plug-in's own module: its texts (code page 1250) are the tables it exports itself.
HINSTANCE ownTexts() {
    return kfm::resources::moduleOfAddress(reinterpret_cast<const void*>(&KFMRunPlugin));
}

PluginResult* runPatina(PluginRunInput* input, PluginRunContext* context) {
    if (!input || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    CBackgroundDlg dialog(QApplication::activeWindow(), ownTexts(),
                          CBackgroundDlg::PluginPresetsFolder());
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return dialog.BuildResult(input->width, input->height, context ? context->progress : nullptr);
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
    info->name = "Generátor podkladů";
    info->category = nullptr;
    info->author = "Keldo software";
    info->minSelectedFrames = 0;
    return 1;
}

PluginResult* KFM_PLUGIN_CALL KFMRunPlugin(PluginRunInput* input, PluginRunContext* context) {
    try {
        return runPatina(input, context);
    } catch (...) {
        return nullptr;
    }
}

int KFM_PLUGIN_CALL KFMCleanUp(PluginResult* result) {
    return FreePluginResult(result);
}

} // extern "C"
