// Fuzz target of the whole load road: the input goes through the library's exported loaders as
// a caller would use them, from memory. The last three bytes choose how (a GIF decoder ignores
// what follows its trailer, so every GIF file of the corpus stays a seed):
//   byte 0  the road: the single-image file load at an offset, the core load of one frame, the
//           multi-frame load, the callback-stream load or the byte-stream load
//   byte 1  the frame the core load decodes
//   byte 2  the progress call at which the load is asked to stop (0: never)
// The file the path roads open holds the three bytes and then the GIF, read from offset 3.
// Inputs that scan to more than 64 images or to one larger than 512 x 512 are not loaded.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "ByteStream.h"
#include "GifBlocks.h"
#include "GifInputBounds.h"
#include "ImageCreation.h"
#include "LoadFrontEnd.h"
#include "MemoryFile.h"
#include "MultiFrameFiles.h"
#include "RowCallbacks.h"

namespace {

constexpr std::size_t kControlBytes = 3;

enum class Road : std::uint8_t { FileOffset, CoreFrame, Frames, CallbackStream, ByteStream };
constexpr std::uint8_t kRoadCount = 5;

struct LoadRequest {
    Road road;
    std::int32_t frameNumber;
    int stopAtCall; // 0: never
};

LoadRequest requestFrom(std::span<const std::uint8_t> control) {
    return {static_cast<Road>(control[0] % kRoadCount), control[1], control[2]};
}

// Counts the progress calls of the running load and asks it to stop at the chosen one.
int progressCalls = 0;
int stopAtCall = 0;

bool stopHere() {
    ++progressCalls;
    return stopAtCall != 0 && progressCalls >= stopAtCall;
}

void singleImageProgress() {
    if (stopHere())
        KpxSetKeepLoading(0);
}

int framesProgress(KpxHandle, int, void*) {
    return stopHere() ? 1 : 0;
}

// A caller's callback stream over the input bytes.
struct MemoryCallbacks {
    KpxStreamCallbacks calls;
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

std::uint32_t readMemory(KpxStreamCallbacks* stream, void* buffer, std::uint32_t count) {
    auto* memory = reinterpret_cast<MemoryCallbacks*>(stream);
    const std::size_t left = memory->bytes.size() - memory->position;
    const std::size_t n = std::min<std::size_t>(count, left);
    if (n > 0)
        std::memcpy(buffer, memory->bytes.data() + memory->position, n);
    memory->position += n;
    return static_cast<std::uint32_t>(n);
}

std::uint32_t writeNothing(KpxStreamCallbacks*, const void*, std::uint32_t) {
    return 0;
}

std::int32_t seekMemory(KpxStreamCallbacks* stream, std::int32_t offset, std::int32_t origin) {
    auto* memory = reinterpret_cast<MemoryCallbacks*>(stream);
    const std::int64_t base = origin == SEEK_SET ? 0
                              : origin == SEEK_CUR
                                  ? static_cast<std::int64_t>(memory->position)
                                  : static_cast<std::int64_t>(memory->bytes.size());
    const std::int64_t target = base + offset;
    if (target < 0 || target > static_cast<std::int64_t>(memory->bytes.size()))
        return -1;
    memory->position = static_cast<std::size_t>(target);
    return 0;
}

std::int32_t tellMemory(KpxStreamCallbacks* stream) {
    return static_cast<std::int32_t>(reinterpret_cast<MemoryCallbacks*>(stream)->position);
}

KpxHandle loadFromPath(const LoadRequest& request, const char* path) {
    constexpr auto offset = static_cast<std::int32_t>(kControlBytes);
    switch (request.road) {
    case Road::FileOffset:
        return KPXLoadImageOffset(nullptr, path, offset, singleImageProgress);
    case Road::CoreFrame: {
        KpxCodecContext context;
        return KpxLoadImageCore(nullptr, path, offset, request.frameNumber, &context, 0,
                                singleImageProgress);
    }
    case Road::Frames: {
        const KpxHandle first = KPXLoadImageFramesOffset(path, offset, framesProgress, nullptr);
        return first > 0 ? first : 0;
    }
    default:
        return 0;
    }
}

// The control bytes and the GIF after them.
std::vector<std::uint8_t> fileBytes(std::span<const std::uint8_t> control,
                                    std::span<const std::uint8_t> gif) {
    std::vector<std::uint8_t> bytes(control.begin(), control.end());
    bytes.insert(bytes.end(), gif.begin(), gif.end());
    return bytes;
}

KpxHandle load(const LoadRequest& request, std::span<const std::uint8_t> control,
               std::span<const std::uint8_t> gif) {
    switch (request.road) {
    case Road::CallbackStream: {
        MemoryCallbacks stream{{readMemory, writeNothing, seekMemory, tellMemory}, gif};
        return KPXLoadImageStreamCB(&stream.calls, singleImageProgress);
    }
    case Road::ByteStream: {
        KpxMemoryStream stream(std::vector<std::uint8_t>(gif.begin(), gif.end()));
        return KPXLoadImageOleStream(nullptr, &stream, singleImageProgress);
    }
    default: {
        static MemoryFile file("gif_load_fuzzer");
        const char* path = file.write(fileBytes(control, gif));
        return path ? loadFromPath(request, path) : 0;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    if (input.size() < kControlBytes)
        return 0;
    const auto gif = input.first(input.size() - kControlBytes);
    const auto control = input.last(kControlBytes);
    std::vector<kpx::gif::BlockEntry> list;
    const auto index = kpx::gif::scanGif(gif, {.list = &list, .listCapacity = 256});
    if (!gif_fuzz::withinLoadBounds(index))
        return 0;
    const LoadRequest request = requestFrom(control);
    progressCalls = 0;
    stopAtCall = request.stopAtCall;
    const KpxHandle image = load(request, control, gif);
    if (image > 0)
        KPXDeleteImage(image);
    KpxSetKeepLoading(1);
    return 0;
}
