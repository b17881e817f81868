#pragma once
// The test plug-in modules of the build, copied into plug-in folders of a test, and the control
// export of a copy. The folders live until the test program ends: a loaded plug-in is never
// unloaded, and the loader knows a library by its file, so a later copy must never reuse the
// file of an earlier one.

#include "TestPluginControl.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

namespace kfm::test {

// The build's folder of test plug-ins (TestPlugin.kfp, NullRunPlugin.kfp, NullNamePlugin.kfp,
// NoExportPlugin.kfp, NotALibrary.kfp).
inline std::filesystem::path testPluginSource(const std::string& name) {
    return std::filesystem::path(KFM_TEST_PLUGIN_DIR) / name;
}

// A new empty folder for plug-ins, removed when the test program ends.
inline std::filesystem::path newPluginFolder() {
    struct Root {
        std::filesystem::path path;
        Root() {
            path = std::filesystem::temp_directory_path() /
                   ("kfm5-plugins-" + std::to_string(::getpid()));
            std::filesystem::create_directories(path);
        }
        ~Root() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static Root root;
    static std::atomic<int> next{0};
    const std::filesystem::path folder = root.path / ("folder" + std::to_string(++next));
    std::filesystem::create_directories(folder);
    return folder;
}

// Copies a test plug-in into the folder under a name of its own; the copy's path.
inline std::string copyTestPlugin(const std::filesystem::path& folder, const std::string& source,
                                  const std::string& name) {
    const std::filesystem::path target = folder / name;
    std::filesystem::copy_file(testPluginSource(source), target,
                               std::filesystem::copy_options::overwrite_existing);
    return target.string();
}

// The control export of the copy at path (loaded as the host loads it); null when missing.
inline TestPluginControl* testPluginControl(const std::string& path) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    const auto control =
        reinterpret_cast<TestPluginControlProc>(dlsym(library, kTestPluginControlName));
    return control ? control() : nullptr;
}

} // namespace kfm::test
