#pragma once
// Loading ".kfp" plug-in libraries and asking them for their entry table and description.
// A library is loaded once per path and stays loaded for the life of the process: the plug-in
// manager and the runner call into it at any time, and frames it returned may still be in use.

#include <optional>
#include <string>

#include "PluginInterface.h"
#include "types/Win32Types.h"

namespace kfm::plugins {

// The library at path (loaded on first use); null with the loader's reason when it cannot be
// loaded.
HMODULE LoadPluginModule(const std::string& path, std::string* reason = nullptr);

// The library's entry table: KFMGetPluginInterface called with a zeroed table holding size 24
// and version 1. False when the library does not export it.
bool GetPluginTable(HMODULE module, PluginInterface& table);

// The plug-in's description: its info entry called with a zeroed record holding version 1.
// False when the table has no info entry.
bool GetPluginInfo(const PluginInterface& table, PluginInfo& info);

// What the plug-in menu needs of a plug-in, copied from its description.
struct PluginDescription {
    std::string name;
    std::string category;
    int minSelectedFrames = 0;
};

// The description of the plug-in at path; none when it does not load, lacks the export, has no
// run or info entry, or describes itself without a name.
std::optional<PluginDescription> DescribePlugin(const std::string& path);

} // namespace kfm::plugins
