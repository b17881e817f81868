#include "StandInFilterHost.h"

#include "PluginListFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kfm::filterhost {

namespace {

struct StandInContext final : FilterHostContext {
    std::vector<std::string> folders;
};

StandInContext* contextOf(FilterHostContext* context) {
    return dynamic_cast<StandInContext*>(context);
}

bool isListed(const StandInContext& c, const std::string& folder) {
    const std::string key = FolderKey(folder);
    return std::any_of(c.folders.begin(), c.folders.end(),
                       [&key](const std::string& f) { return FolderKey(f) == key; });
}

FilterHost*& installedHost() {
    static FilterHost* host = nullptr;
    return host;
}

} // namespace

int StandInFilterHost::CreateContext(FilterHostContext** out) {
    if (!out)
        return -1;
    *out = new StandInContext;
    return 0;
}

int StandInFilterHost::ReleaseContext(FilterHostContext* context) {
    delete contextOf(context);
    return 0;
}

int StandInFilterHost::LoadList(FilterHostContext* context, const std::string& path) {
    StandInContext* c = contextOf(context);
    PluginList list;
    if (!c || ReadPluginListFile(path, list) != PluginListRead::Read)
        return 1;
    for (const std::string& folder : list.folders)
        if (!folder.empty() && !isListed(*c, folder))
            c->folders.push_back(folder);
    return 0;
}

int StandInFilterHost::CountFilters(FilterHostContext* context, int* count) {
    if (!contextOf(context) || !count)
        return -1;
    *count = 0;
    return 0;
}

int StandInFilterHost::InsertFilterCommands(FilterHostContext*, PluginMenu&, UINT, UINT) {
    return 0;
}

int StandInFilterHost::PrepareFilter(FilterHostContext*, UINT, FilterHostFilter** out) {
    if (out)
        *out = nullptr;
    return -1;
}

int StandInFilterHost::RunFilter(FilterHostFilter*, HWND, FilterImage, const RECT&, int,
                                 FilterImage* result, const FilterCallbacks&) {
    if (result)
        *result = 0;
    return -1;
}

int StandInFilterHost::ReleaseFilter(FilterHostFilter* filter) {
    delete filter;
    return 0;
}

int StandInFilterHost::QueryFolders(FilterHostContext* context, std::vector<std::string>& out) {
    const StandInContext* c = contextOf(context);
    if (!c)
        return -1;
    out = c->folders;
    return static_cast<int>(out.size());
}

int StandInFilterHost::AddFolder(FilterHostContext* context, const std::string& folder) {
    StandInContext* c = contextOf(context);
    std::error_code error;
    if (!c || folder.empty() || !std::filesystem::is_directory(folder, error))
        return -1;
    if (isListed(*c, folder))
        return 1;
    c->folders.push_back(folder);
    return 0;
}

int StandInFilterHost::Rescan(FilterHostContext* context) {
    return contextOf(context) ? 0 : -1;
}

int StandInFilterHost::WriteList(FilterHostContext* context, const std::string& path) {
    const StandInContext* c = contextOf(context);
    if (!c)
        return -1;
    PluginList list;
    list.folders = c->folders;
    return WritePluginListFile(path, list) ? 0 : -1;
}

int StandInFilterHost::RemoveFolder(FilterHostContext* context, const std::string& folder) {
    StandInContext* c = contextOf(context);
    if (!c)
        return -1;
    const auto removed = std::erase_if(
        c->folders, [&folder](const std::string& f) { return IsInsideFolder(f, folder); });
    return removed ? 0 : 1;
}

FilterHost& TheFilterHost() {
    static StandInFilterHost standIn;
    FilterHost* installed = installedHost();
    return installed ? *installed : standIn;
}

void SetFilterHost(FilterHost* host) {
    installedHost() = host;
}

} // namespace kfm::filterhost
