#pragma once
// Which kinds of media FFmpeg, the stand-in for DirectShow, can open here (asked of the video
// module, VideoModule.h; none when it cannot be loaded).

#include "types/Export.h"

namespace kfm::video {

// True when FFmpeg has the demuxers of MPEG programs and elementary streams, QuickTime, Sun
// audio, AIFF and MPEG audio: the formats that need more than the built-in readers.
KFM_PLATFORM_API bool canOpenStreamedMedia();

} // namespace kfm::video
