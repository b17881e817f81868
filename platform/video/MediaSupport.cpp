#include "MediaSupport.h"

#include "VideoModule.h"

namespace kfm::video {

bool canOpenStreamedMedia() {
    const VideoModuleTable* module = videoModule();
    return module && module->canOpenStreamedMedia();
}

} // namespace kfm::video
