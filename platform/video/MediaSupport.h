#pragma once
// Which kinds of media FFmpeg, the stand-in for DirectShow, can open here.

namespace kfm::video {

// True when FFmpeg has the demuxers of MPEG programs and elementary streams, QuickTime, Sun
// audio, AIFF and MPEG audio: the formats that need more than the built-in readers.
bool canOpenStreamedMedia();

} // namespace kfm::video
