// Fuzz target of the GIF block scanner and LZW decoder. Every image the scanner finds (up to 64,
// none larger than 512 x 512) is decoded, encoded again and decoded once more: the second decode
// must give the same indices.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "GifBlocks.h"
#include "GifLzw.h"

namespace {

constexpr std::size_t kMaxFrames = 64;
constexpr std::size_t kMaxPixels = 512 * 512;

class IgnoreExtensions final : public kpx::gif::ExtensionVisitor {};

void checkFrame(std::span<const std::uint8_t> file, const kpx::gif::FrameLocation& frame) {
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
    if (decoded.status != LzwStatus::Ok || decoded.rowsDone != frame.height)
        return;
    std::vector<std::uint8_t> encoded;
    if (encodeLzwImage(image, frame.width, frame.height, frame.minimumCodeSize, order, encoded) !=
        LzwStatus::Ok)
        std::abort();
    std::vector<std::uint8_t> again(pixels, 0);
    const auto chain = std::span<const std::uint8_t>(encoded).subspan(1);
    const LzwDecodeResult second =
        decodeLzwImage(chain, encoded[0], frame.width, frame.height, order, again);
    if (second.status != LzwStatus::Ok || again != image)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kpx::gif;
    const std::span<const std::uint8_t> file(data, size);
    std::vector<BlockEntry> list;
    const GifFileIndex index = scanGif(file, {.list = &list, .listCapacity = 256});
    IgnoreExtensions visitor;
    for (std::size_t i = 0; i < index.frames.size() && i < kMaxFrames; ++i) {
        const FrameLocation& frame = index.frames[i];
        visitExtensions(file, frame.runStart, visitor);
        framePalette(file, index, frame);
        checkFrame(file, frame);
    }
    visitExtensions(file, index.trailingRunStart, visitor);
    return 0;
}
