#include "PluginLibrary.h"

#include "resources/ResourceLibrary.h"

#include <algorithm>
#include <map>

namespace kfm::plugins {

namespace {

// The loaded libraries by path. Never destroyed: the libraries are never unloaded.
std::map<std::string, HMODULE>& loadedModules() {
    static auto* modules = new std::map<std::string, HMODULE>;
    return *modules;
}

} // namespace

HMODULE LoadPluginModule(const std::string& path, std::string* reason) {
    auto& modules = loadedModules();
    if (const auto it = modules.find(path); it != modules.end())
        return it->second;
    const HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        if (reason)
            *reason = kfm::resources::lastLoadError();
        return nullptr;
    }
    modules.emplace(path, module);
    return module;
}

bool GetPluginTable(HMODULE module, PluginInterface& table) {
    const auto getInterface =
        reinterpret_cast<PluginGetInterfaceProc>(GetProcAddress(module, kPluginGetInterfaceName));
    if (!getInterface)
        return false;
    table = PluginInterface{};
    table.size = kPluginInterfaceSize;
    table.version = kPluginInterfaceVersion;
    getInterface(&table);
    return true;
}

bool GetPluginInfo(const PluginInterface& table, PluginInfo& info) {
    if (!table.pfnGetPluginInfo)
        return false;
    info = PluginInfo{};
    info.version = kPluginInfoVersion;
    table.pfnGetPluginInfo(&info);
    return true;
}

std::optional<PluginDescription> DescribePlugin(const std::string& path) {
    const HMODULE module = LoadPluginModule(path);
    PluginInterface table{};
    if (!module || !GetPluginTable(module, table) || !table.pfnRunPlugin)
        return std::nullopt;
    PluginInfo info{};
    if (!GetPluginInfo(table, info) || !info.name)
        return std::nullopt;
    PluginDescription description;
    description.name = info.name;
    description.category = info.category ? info.category : "";
    description.minSelectedFrames = std::max(info.minSelectedFrames, 0);
    return description;
}

} // namespace kfm::plugins
