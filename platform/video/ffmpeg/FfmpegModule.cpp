// The video module's one exported function: its table of functions.

#include "FfmpegVideo.h"
#include "types/Export.h"
#include "video/VideoModuleTable.h"

namespace {

using namespace kfm::video;

constexpr VideoModuleTable kTable{
    kVideoModuleVersion,   sizeof(VideoModuleTable),    ffmpeg::fileOpen,
    ffmpeg::fileInfo,      ffmpeg::fileGetStream,       ffmpeg::fileRelease,
    ffmpeg::streamInfo,    ffmpeg::streamStart,         ffmpeg::streamLength,
    ffmpeg::streamRelease, ffmpeg::getFrameOpen,        ffmpeg::getFrame,
    ffmpeg::getFrameClose, ffmpeg::decodedPictureCount, ffmpeg::canOpenStreamedMedia,
};

} // namespace

extern "C" KFM_PLATFORM_API const VideoModuleTable* kfmVideoModuleTable() {
    return &kTable;
}
