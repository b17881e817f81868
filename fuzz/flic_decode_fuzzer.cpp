// Fuzz target of the FLIC reader. The span level first: the header is read and, whatever its
// depth says, the chunks from the first frame on are walked and every frame chunk (up to 64)
// decoded into a picture, which must keep its size. Inputs whose header the reader accepts then
// go through the exported reader from memory: every frame and the ring frame are read and
// filled into an 8-bit image, the reader is rewound and reads the first frame again. Pictures
// larger than 512 x 512 are left out.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Bitra5.h"
#include "FlicChunks.h"
#include "MemoryFile.h"

namespace {

constexpr std::size_t kMaxChunks = 64;
constexpr std::size_t kMaxPixels = 512 * 512;

void decodeChunks(std::span<const std::uint8_t> file, const kpx::flic::FileHeader& header) {
    using namespace kpx::flic;
    Canvas canvas(header.width, header.height);
    const std::size_t pixels = canvas.pixels.size();
    std::size_t offset = header.firstFrameOffset;
    for (std::size_t i = 0; i < kMaxChunks && offset < file.size(); ++i) {
        ChunkHeader chunk;
        if (!readChunkHeader(file.subspan(offset), chunk) || chunk.size < kChunkHeaderSize)
            return;
        if (chunk.type == kFrameChunk) {
            const std::size_t bodyStart = offset + kChunkHeaderSize;
            const std::size_t body =
                std::min<std::size_t>(chunk.size - kChunkHeaderSize, file.size() - bodyStart);
            decodeFrame(file.subspan(bodyStart, body), chunk.subChunks, canvas);
            if (canvas.pixels.size() != pixels)
                std::abort();
        }
        offset += chunk.size;
    }
}

void readThroughLibrary(std::span<const std::uint8_t> file) {
    static MemoryFile input("flic_decode_fuzzer");
    const char* path = input.write(file);
    KpxFlicReader* reader = nullptr;
    if (!path || FLICFileOpen(&reader, path) != 0)
        return;
    const KpxHandle image = KPXCreateImage(reader->width, reader->height, 8);
    const int frames = std::min<int>(reader->frameCount + 1, kMaxChunks);
    for (int i = 0; i < frames && FLICStreamGetNextFrame(reader) == 0; ++i)
        if (FLICStreamFillImage8(reader, image, i % 2) != 0)
            std::abort();
    FLICStreamSetCurFrame(reader);
    if (FLICStreamGetNextFrame(reader) == 0 && reader->currentFrame != 1)
        std::abort();
    KPXDeleteImage(image);
    FLICFileRelease(reader);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kpx::flic;
    const std::span<const std::uint8_t> file(data, size);
    FileHeader header;
    const kpx::CodecStatus status = readFileHeader(file, header);
    if (status != kpx::CodecStatus::Ok && status != kpx::CodecStatus::Unsupported)
        return 0;
    if (std::size_t{header.width} * header.height > kMaxPixels)
        return 0;
    decodeChunks(file, header);
    if (status == kpx::CodecStatus::Ok && header.width > 0 && header.height > 0)
        readThroughLibrary(file);
    return 0;
}
