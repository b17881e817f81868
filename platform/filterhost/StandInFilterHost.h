#pragma once
// The filter host this platform ships: it keeps its folders in the list file as the real host
// does, so the preferences page can show and edit them, and finds no filter it can run.

#include "FilterHost.h"

namespace kfm::filterhost {

class KFM_PLATFORM_API StandInFilterHost final : public FilterHost {
public:
    int CreateContext(FilterHostContext** out) override;
    int ReleaseContext(FilterHostContext* context) override;
    // 0 when the file exists and its header is good.
    int LoadList(FilterHostContext* context, const std::string& path) override;
    int CountFilters(FilterHostContext* context, int* count) override;
    int InsertFilterCommands(FilterHostContext* context, PluginMenu& menu, UINT first,
                             UINT last) override;
    int PrepareFilter(FilterHostContext* context, UINT commandId, FilterHostFilter** out) override;
    int RunFilter(FilterHostFilter* filter, HWND owner, FilterImage image24, const RECT& rect,
                  int reserved, FilterImage* result, const FilterCallbacks& callbacks) override;
    int ReleaseFilter(FilterHostFilter* filter) override;
    int QueryFolders(FilterHostContext* context, std::vector<std::string>& out) override;
    int AddFolder(FilterHostContext* context, const std::string& folder) override;
    int Rescan(FilterHostContext* context) override;
    int WriteList(FilterHostContext* context, const std::string& path) override;
    int RemoveFolder(FilterHostContext* context, const std::string& folder) override;
};

} // namespace kfm::filterhost
