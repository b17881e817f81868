#pragma once
// The outside filter host: a library that lists filters of Adobe's plug-in format from folders
// kept in its list file ("PlugInsAdobe.ini"), puts one command per filter into the plug-in menu
// and runs a filter on a 24-bit picture with its own dialog. The editor reaches it through this
// interface, one method per entry of the host library.
//
// Such filters are Windows program code, which Linux cannot load, and no host for them exists
// here: the program's backend is a stand-in that keeps its folder list and finds no filter it
// can run (StandInFilterHost.h). Tests install a backend of their own.

#include <cstdint>
#include <string>
#include <vector>

#include "PluginMenu.h"
#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::filterhost {

// A backend's context and prepared filter; each backend derives its own.
struct KFM_PLATFORM_API FilterHostContext {
    virtual ~FilterHostContext() = default;
};
struct KFM_PLATFORM_API FilterHostFilter {
    virtual ~FilterHostFilter() = default;
};

// The callbacks a filter run receives: its progress (step `current` of `total`) and its colour
// picker (mode 0 asks the user, 1 black, 2 white; 1 when a colour was written, 0 when the user
// cancelled or the context is null).
using FilterProgressProc = void (*)(int reserved, int current, int total);
using FilterColourProc = int (*)(void* context, int mode, int* red, int* green, int* blue);

struct FilterCallbacks {
    // 16, as the record always had it.
    std::int32_t size;
    std::int32_t reserved;
    FilterProgressProc progress;
    FilterColourProc colour;
};
static_assert(sizeof(FilterCallbacks) == 24);
constexpr std::int32_t kFilterCallbacksSize = 16;

// An image of the image library, by handle (0: none).
using FilterImage = std::int16_t;

class KFM_PLATFORM_API FilterHost {
public:
    virtual ~FilterHost() = default;

    // 107: a new context, written to out; 0 on success.
    virtual int CreateContext(FilterHostContext** out) = 0;
    // 108: releases the context.
    virtual int ReleaseContext(FilterHostContext* context) = 0;
    // 116: loads the filter list from the list file; 0 means success.
    virtual int LoadList(FilterHostContext* context, const std::string& path) = 0;
    // 109: the number of filters in the list.
    virtual int CountFilters(FilterHostContext* context, int* count) = 0;
    // 111: one command per filter into the menu, ids from first up (never past last).
    virtual int InsertFilterCommands(FilterHostContext* context, PluginMenu& menu, UINT first,
                                     UINT last) = 0;
    // 110: prepares the filter of a command and writes its handle; negative on failure.
    virtual int PrepareFilter(FilterHostContext* context, UINT commandId,
                              FilterHostFilter** out) = 0;
    // 106: runs the filter with its dialog on a 24-bit image over the rectangle and writes a new
    // image with the result; negative on failure.
    virtual int RunFilter(FilterHostFilter* filter, HWND owner, FilterImage image24,
                          const RECT& rect, int reserved, FilterImage* result,
                          const FilterCallbacks& callbacks) = 0;
    // 101: releases a prepared filter.
    virtual int ReleaseFilter(FilterHostFilter* filter) = 0;

    // The preferences page's folder management.
    // 112: the folders of the list.
    virtual int QueryFolders(FilterHostContext* context, std::vector<std::string>& out) = 0;
    // 113: searches a folder and adds it: 0 added, 1 already listed, negative when it cannot
    // be searched.
    virtual int AddFolder(FilterHostContext* context, const std::string& folder) = 0;
    // 114: searches every listed folder again.
    virtual int Rescan(FilterHostContext* context) = 0;
    // 115: writes the list file; 0 on success.
    virtual int WriteList(FilterHostContext* context, const std::string& path) = 0;
    // 117: removes the folder and the folders below it.
    virtual int RemoveFolder(FilterHostContext* context, const std::string& folder) = 0;
};

// The program's backend: the one installed, else the stand-in.
KFM_PLATFORM_API FilterHost& TheFilterHost();
// Installs a backend (not owned); null returns to the stand-in.
KFM_PLATFORM_API void SetFilterHost(FilterHost* host);

} // namespace kfm::filterhost
