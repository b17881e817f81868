// Fuzz target of the GIF block scanner, the reader of the own object blocks and the LZW
// decoder. Every image the scanner finds (up to 64,
// none larger than 512 x 512) is decoded, encoded again and decoded once more: the second decode
// must give the same indices. Inputs within those bounds are then loaded as a whole animation
// through the library's file load, which must return a chain or nothing and never crash.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "GifBlocks.h"
#include "GifInputBounds.h"
#include "GifLzw.h"
#include "GifObjectBlocks.h"
#include "ImageCreation.h"
#include "MemoryFile.h"
#include "MultiFrameFiles.h"

namespace {

using gif_fuzz::kMaxFrames;
using gif_fuzz::kMaxPixels;

void checkFrame(std::span<const std::uint8_t> file, const kpx::gif::FrameLocation& frame) {
    using kpx::CodecStatus;
    using namespace kpx::gif;
    const std::size_t pixels = std::size_t{frame.width} * frame.height;
    if (pixels > kMaxPixels)
        return;
    const RowOrder order = frame.interlaced() ? RowOrder::Interlaced : RowOrder::Sequential;
    std::vector<std::uint8_t> image(pixels, 0);
    const auto data = file.subspan(frame.dataStart, frame.dataEnd - frame.dataStart);
    const LzwDecodeResult decoded =
        decodeLzwImage(data, frame.minimumCodeSize, frame.width, frame.height, order, image);
    if (decoded.rowsDone > frame.height)
        std::abort();
    if (decoded.status != CodecStatus::Ok || decoded.rowsDone != frame.height)
        return;
    std::vector<std::uint8_t> encoded;
    if (encodeLzwImage(image, frame.width, frame.height, frame.minimumCodeSize, order, encoded) !=
        CodecStatus::Ok)
        std::abort();
    std::vector<std::uint8_t> again(pixels, 0);
    const auto chain = std::span<const std::uint8_t>(encoded).subspan(1);
    const LzwDecodeResult second =
        decodeLzwImage(chain, encoded[0], frame.width, frame.height, order, again);
    if (second.status != CodecStatus::Ok || again != image)
        std::abort();
}

void loadThroughLibrary(std::span<const std::uint8_t> file) {
    static MemoryFile input("gif_decode_fuzzer");
    const char* path = input.write(file);
    if (!path)
        return;
    const KpxHandle first = KPXLoadImageFramesOffset(path, 0, nullptr, nullptr);
    if (first > 0)
        KPXDeleteImage(first);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kpx::CodecStatus;
    using namespace kpx::gif;
    const std::span<const std::uint8_t> file(data, size);
    std::vector<BlockEntry> list;
    const GifFileIndex index = scanGif(file, {.list = &list, .listCapacity = 256});
    for (std::size_t i = 0; i < index.frames.size() && i < kMaxFrames; ++i) {
        const FrameLocation& frame = index.frames[i];
        // The extensions before each image, with the own object blocks read into records.
        PendingItemsReader items(true);
        visitExtensions(file, frame.runStart, items);
        framePalette(file, index, frame);
        checkFrame(file, frame);
    }
    PendingItemsReader trailing(true);
    visitExtensions(file, index.trailingRunStart, trailing);
    if (gif_fuzz::withinLoadBounds(index))
        loadThroughLibrary(file);
    return 0;
}
