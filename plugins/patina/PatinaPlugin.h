#pragma once
// Patina.kfp's exports: the four entry points of the plug-in interface.

#include "PluginInterface.h"

extern "C" {

// Writes size 24, version 1 and the four entry points; 0 for null.
KFM_PLUGIN_EXPORT int KFM_PLUGIN_CALL KFMGetPluginInterface(PluginInterface* table);
// "Generátor podkladů" by "Keldo software", without a category, always enabled; 0 for null.
KFM_PLUGIN_EXPORT int KFM_PLUGIN_CALL KFMGetPluginInfo(PluginInfo* info);
// The texture dialog; on OK one 24-bit frame of the canvas size with the texture. Null on
// Cancel, for a canvas without pixels (no progress call then) or when memory runs out. The
// selected frames are not read.
KFM_PLUGIN_EXPORT PluginResult* KFM_PLUGIN_CALL KFMRunPlugin(PluginRunInput* input,
                                                             PluginRunContext* context);
// Frees a result of KFMRunPlugin; 1, also for null.
KFM_PLUGIN_EXPORT int KFM_PLUGIN_CALL KFMCleanUp(PluginResult* result);

} // extern "C"
