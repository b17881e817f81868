#include "VideoModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <optional>

namespace kfm::video {

namespace {

// The module in use: opened once per path asked for, kept mapped for the program's life (the
// handles it gave out point into it).
struct ModuleState {
    std::mutex mutex;
    std::string path; // empty: the default place
    std::optional<LoadedVideoModule> loaded;
};

ModuleState& state() {
    static ModuleState moduleState;
    return moduleState;
}

std::string loaderReason() {
    const char* reason = dlerror();
    return reason ? reason : "unknown reason";
}

std::string moduleError(const std::string& path, const std::string& reason) {
    return "The video module " + path +
           " could not be loaded, so video clips cannot be opened: " + reason;
}

} // namespace

LoadedVideoModule loadVideoModule(const std::string& path) {
    // RTLD_LOCAL: FFmpeg's symbols stay out of the program's global scope.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return {nullptr, moduleError(path, loaderReason())};
    const auto entry = reinterpret_cast<VideoModuleEntry>(dlsym(module, kVideoModuleEntryName));
    const VideoModuleTable* table = entry ? entry() : nullptr;
    if (!table || table->version != kVideoModuleVersion ||
        table->size != sizeof(VideoModuleTable)) {
        dlclose(module);
        return {nullptr, moduleError(path, "it is not a video module of this version")};
    }
    return {table, {}};
}

std::string defaultVideoModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&defaultVideoModulePath), &info) == 0 ||
        !info.dli_fname)
        return kVideoModuleFileName;
    const std::filesystem::path library = std::filesystem::absolute(info.dli_fname);
    return (library.parent_path() / kVideoModuleFileName).string();
}

namespace {

const LoadedVideoModule& loadedModule(ModuleState& s) {
    if (!s.loaded)
        s.loaded = loadVideoModule(s.path.empty() ? defaultVideoModulePath() : s.path);
    return *s.loaded;
}

} // namespace

const VideoModuleTable* videoModule() {
    ModuleState& s = state();
    const std::lock_guard lock(s.mutex);
    return loadedModule(s).table;
}

std::string videoModuleError() {
    ModuleState& s = state();
    const std::lock_guard lock(s.mutex);
    return loadedModule(s).error;
}

void useVideoModuleForTest(const std::string& path) {
    ModuleState& s = state();
    const std::lock_guard lock(s.mutex);
    s.path = path;
    s.loaded.reset();
}

} // namespace kfm::video
