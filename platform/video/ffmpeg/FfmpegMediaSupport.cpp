#include "FfmpegVideo.h"

#include <initializer_list>

extern "C" {
#include <libavformat/avformat.h>
}

namespace kfm::video::ffmpeg {

bool canOpenStreamedMedia() {
    for (const char* name : {"mpeg", "mpegvideo", "mov", "au", "aiff", "mp3"})
        if (!av_find_input_format(name))
            return false;
    return true;
}

} // namespace kfm::video::ffmpeg
