// Fuzz target of the plug-in manager's reading of its cache file ("PlugInsKeldo.ini", which any
// program can write beside the editor): any bytes must read without touching memory outside
// them, and what was read must survive a write and a second read unchanged. The menu built from
// it gives every command an id of its range and a path.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

#include "MemoryFile.h"
#include "PlugInManager.h"
#include "PluginMenuFake.h"

namespace {

// The cache file the manager writes, as bytes.
std::string written(const CPlugInManager& manager, MemoryFile& file) {
    const char* path = file.write({});
    if (!path || !manager.PlugInWriteCache(path))
        std::abort();
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile input("plugin-cache");
    static MemoryFile output("plugin-cache-out");
    const char* path = input.write(std::span<const std::uint8_t>(data, size));
    if (!path)
        return 0;

    CPlugInManager manager;
    if (manager.PlugInReadCache(path, false) != S_OK)
        return 0;
    CPlugInManager foldersOnly;
    foldersOnly.PlugInReadCache(path, true);
    if (foldersOnly.PlugInGetCount() != 0 ||
        foldersOnly.Folders().size() != manager.Folders().size())
        std::abort();

    // Written and read again: the same list.
    const std::string first = written(manager, output);
    const char* again =
        input.write(std::span(reinterpret_cast<const std::uint8_t*>(first.data()), first.size()));
    CPlugInManager reread;
    if (!again || reread.PlugInReadCache(again, false) != S_OK)
        std::abort();
    if (written(reread, output) != first)
        std::abort();

    FakePluginMenu menu;
    int token = 0;
    manager.BuildPluginMenu(&token, menu, 41500, 41600, size % 2 == 1);
    for (const PlugInFolder& folder : manager.Folders())
        for (const PlugInRecord& r : folder.records)
            if (r.commandId != 0 && (r.commandId < 41500 || r.commandId > 41600 ||
                                     manager.GetPluginPathById(r.commandId).empty()))
                std::abort();
    return 0;
}
