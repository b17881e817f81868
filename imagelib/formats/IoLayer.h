#pragma once
// The I/O layer the codecs read and write through. With a FILE the calls are the standard
// library's; with a null FILE they go to the current stream that a stream dispatcher set, and
// without one they do nothing (seek returns 0, tell, read and write return 0). On streams the
// element size is not applied: the count is taken as bytes.

#include <cstddef>
#include <cstdio>

#include "ByteStream.h"

BITRA5_API int KpxIoSeek(FILE* file, long offset, int origin);
BITRA5_API long KpxIoTell(FILE* file);
BITRA5_API std::size_t KpxIoRead(void* buffer, std::size_t size, std::size_t count, FILE* file);
BITRA5_API std::size_t KpxIoWrite(const void* data, std::size_t size, std::size_t count,
                                  FILE* file);
BITRA5_API int KpxIoClose(FILE* file);

// The calling thread's current stream of the I/O layer (null: none).
BITRA5_API void KpxSetCurrentStream(KpxByteStream* stream);
BITRA5_API KpxByteStream* KpxGetCurrentStream();

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
