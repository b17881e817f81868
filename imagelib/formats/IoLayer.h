#pragma once
// The I/O layer the codecs read and write through. With a FILE the calls are the standard
// library's; with a null FILE they go to the current stream that a stream dispatcher set, and
// without one they do nothing (seek returns 0, tell, read and write return 0). On streams the
// element size is not applied: the count is taken as bytes.

#include <cstddef>
#include <cstdio>

#include "Bitra5Testing.h"
#include "ByteStream.h"

namespace kpx {
// Makes a stream the current one for its lifetime and restores the previous one after.
class CurrentStreamScope {
public:
    explicit CurrentStreamScope(KpxByteStream* stream) : previous_(KpxGetCurrentStream()) {
        KpxSetCurrentStream(stream);
    }
    ~CurrentStreamScope() { KpxSetCurrentStream(previous_); }
    CurrentStreamScope(const CurrentStreamScope&) = delete;
    CurrentStreamScope& operator=(const CurrentStreamScope&) = delete;

private:
    KpxByteStream* previous_;
};
} // namespace kpx
