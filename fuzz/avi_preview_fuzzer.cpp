// Fuzz target of the video layer as the AVI import dialog's preview uses it: every input is an
// AVI file in memory, opened, its first video stream asked for its information and decoded at
// a few positions, forwards, backwards and past the end. It must never read outside the input,
// crash or hang.

#include <cstddef>
#include <cstdint>
#include <span>

#include "MemoryFile.h"
#include "video/AviFile.h"

namespace {

// The positions asked for: the first frames in order, then back to the start, a jump and beyond.
constexpr long kPositions[] = {0, 1, 2, 3, 0, 5, 2, 1000, -1};

void decodeSome(PAVISTREAM stream) {
    AVISTREAMINFOA info{};
    AVIStreamInfoA(stream, &info, sizeof info);
    const long length = AVIStreamLength(stream);
    PGETFRAME frames = AVIStreamGetFrameOpen(stream, nullptr);
    if (!frames)
        return;
    for (const long position : kPositions) {
        const long at = position == 1000 ? length : position;
        volatile const void* picture = AVIStreamGetFrame(frames, AVIStreamStart(stream) + at);
        (void)picture;
    }
    AVIStreamGetFrameClose(frames);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file("avi-fuzz");
    const char* path = file.write(std::span<const std::uint8_t>(data, size));
    if (!path)
        return 0;
    PAVIFILE avi = nullptr;
    if (AVIFileOpenA(&avi, path, OF_READ, nullptr) != AVIERR_OK)
        return 0;
    AVIFILEINFOA info{};
    AVIFileInfoA(avi, &info, sizeof info);
    PAVISTREAM stream = nullptr;
    if (AVIFileGetStream(avi, &stream, streamtypeVIDEO, 0) == AVIERR_OK) {
        decodeSome(stream);
        AVIStreamRelease(stream);
    }
    AVIFileRelease(avi);
    return 0;
}
