// Fuzz target of the reader of the private clipboard block of frames: any bytes another program
// puts under the format must read without touching memory outside them, and whatever frames
// come out must be whole (a base image of the frame's size).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "ClipboardFramesBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = ReadClipboardFramesBytes(std::span<const std::uint8_t>(data, size));
    if (!read.frames)
        std::abort();
    for (const CObjFrame& frame : *read.frames) {
        const auto image = static_cast<KpxHandle>(frame.GetImage());
        if (!image || KPXWidth(image) != frame.width || KPXHeight(image) != frame.height)
            std::abort(); // a frame without its picture went into the list
    }
    return 0;
}
