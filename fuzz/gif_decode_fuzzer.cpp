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
#include "GifLzw.h"
#include "GifObjectBlocks.h"
#include "ImageCreation.h"
#include "MultiFrameFiles.h"

#include <sys/mman.h>
#include <unistd.h>

#include <string>

namespace {

constexpr std::size_t kMaxFrames = 64;
constexpr std::size_t kMaxPixels = 512 * 512;

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

// The input as a file the load can open: an anonymous in-memory file reached through its
// descriptor's path, rewritten for every input.
class InputFile {
public:
    InputFile() : fd_(memfd_create("gif_decode_fuzzer", 0)) {
        if (fd_ >= 0)
            path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~InputFile() {
        if (fd_ >= 0)
            close(fd_);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The path holding exactly these bytes, or null when they could not be written.
    const char* write(std::span<const std::uint8_t> bytes) {
        if (fd_ < 0 || ftruncate(fd_, 0) != 0)
            return nullptr;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n <= 0)
                return nullptr;
            done += static_cast<std::size_t>(n);
        }
        return path_.c_str();
    }

private:
    int fd_;
    std::string path_;
};

// Inputs whose frames all pass the decode bounds go through the library's animation load.
bool withinLoadBounds(const kpx::gif::GifFileIndex& index) {
    if (index.frames.empty() || index.frames.size() > kMaxFrames)
        return false;
    for (const kpx::gif::FrameLocation& frame : index.frames)
        if (std::size_t{frame.width} * frame.height > kMaxPixels)
            return false;
    return true;
}

void loadThroughLibrary(std::span<const std::uint8_t> file) {
    static InputFile input;
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
    if (withinLoadBounds(index))
        loadThroughLibrary(file);
    return 0;
}
