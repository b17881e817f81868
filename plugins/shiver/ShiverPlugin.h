#pragma once
// Varore.kfp's exports: the four entry points of the plug-in interface, and four more for a host
// that loads the plug-in as a machine (GetInfo, DeleteInfo, CreateMachine, DeleteMachine).

#include "PluginInterface.h"

extern "C" {

// GetInfo's record: version 1 and the name "Varore".
struct ShiverInfo {
    std::int32_t version;
    char* name;
};

// Writes size 24, version 1 and the four entry points; 0 for null.
KFM_PLUGIN_EXPORT int KFM_PLUGIN_CALL KFMGetPluginInterface(PluginInterface* table);
// "Chvění" in "Efekty" by "Keldo software", for one selected frame at least; 0 for null.
KFM_PLUGIN_EXPORT int KFM_PLUGIN_CALL KFMGetPluginInfo(PluginInfo* info);
// The distortion dialog on the first selected frame; N 8-bit frames on OK, null when there is no
// frame, on Cancel, on Esc during the generation or when memory runs out.
KFM_PLUGIN_EXPORT PluginResult* KFM_PLUGIN_CALL KFMRunPlugin(PluginRunInput* input,
                                                             PluginRunContext* context);
// Frees a result of KFMRunPlugin; 1, also for null.
KFM_PLUGIN_EXPORT int KFM_PLUGIN_CALL KFMCleanUp(PluginResult* result);

// A new record {1, "Varore"}; null when memory runs out.
KFM_PLUGIN_EXPORT ShiverInfo* GetInfo();
// Frees GetInfo's record; null does nothing.
KFM_PLUGIN_EXPORT void DeleteInfo(ShiverInfo* info);
// A new machine (kfm::shiver::CShiverMachine) for a picture of width x height; null when
// memory runs out.
KFM_PLUGIN_EXPORT void* CreateMachine(int width, int height);
// Destroys a machine; null does nothing.
KFM_PLUGIN_EXPORT void DeleteMachine(void* machine);

} // extern "C"
