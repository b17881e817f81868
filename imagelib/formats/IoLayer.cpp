#include "IoLayer.h"

namespace {

// Per thread: a stream dispatcher sets it around a codec that runs on the calling thread, and
// file loads on other threads (their info step runs outside the loader's busy flag) must not
// see or replace it.
thread_local KpxByteStream* currentStream = nullptr;

} // namespace

void KpxSetCurrentStream(KpxByteStream* stream) {
    currentStream = stream;
}
KpxByteStream* KpxGetCurrentStream() {
    return currentStream;
}

int KpxIoSeek(FILE* file, long offset, int origin) {
    if (file)
        return std::fseek(file, offset, origin);
    if (currentStream)
        return currentStream->seek(offset, origin) < 0 ? -1 : 0;
    return 0;
}

long KpxIoTell(FILE* file) {
    if (file)
        return std::ftell(file);
    if (currentStream)
        return static_cast<long>(currentStream->seek(0, SEEK_CUR));
    return 0;
}

std::size_t KpxIoRead(void* buffer, std::size_t size, std::size_t count, FILE* file) {
    if (file)
        return std::fread(buffer, size, count, file);
    if (!currentStream || count > UINT32_MAX)
        return 0;
    // Only the bytes that arrived count, so a short read never passes for a full one.
    const std::int64_t n = currentStream->read(buffer, static_cast<std::uint32_t>(count));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::size_t KpxIoWrite(const void* data, std::size_t size, std::size_t count, FILE* file) {
    if (file)
        return std::fwrite(data, size, count, file);
    if (!currentStream || count > UINT32_MAX)
        return 0;
    const std::int64_t n = currentStream->write(data, static_cast<std::uint32_t>(count));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

int KpxIoClose(FILE* file) {
    return file ? std::fclose(file) : 0;
}
