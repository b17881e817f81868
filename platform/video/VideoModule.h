#pragma once
// Finds and opens the clip module (see VideoModuleTable.h) the first time a clip or the media
// question needs it. The module is looked for in the folder of the platform library, where the
// build and the install put it.

#include <string>

#include "types/Export.h"
#include "video/VideoModuleTable.h"

namespace kfm::video {

// The module's file name.
inline constexpr const char* kVideoModuleFileName = "libKfmVideoFFmpeg.so";

// A module opened from one path: its table, or null and the reason it could not be used.
struct LoadedVideoModule {
    const VideoModuleTable* table = nullptr;
    std::string error;
};

// Opens the module at path and checks its table's version (the module stays mapped).
KFM_PLATFORM_API LoadedVideoModule loadVideoModule(const std::string& path);

// The module beside the platform library, opened on the first call; null when it is missing
// or unusable (videoModuleError() then says why).
KFM_PLATFORM_API const VideoModuleTable* videoModule();
// Why videoModule() is null: names the module's path and the loader's reason.
KFM_PLATFORM_API std::string videoModuleError();

// Where the module is expected: the platform library's folder and the module's name.
KFM_PLATFORM_API std::string defaultVideoModulePath();

// Makes videoModule() open the module at path from now on (an empty path: the default place
// again). For tests of a missing module.
KFM_PLATFORM_API void useVideoModuleForTest(const std::string& path);

} // namespace kfm::video
