// The FLIC entry points: open a file, step through its frame chunks one at a time (skipping
// prefix chunks, going round through the ring frame) and copy the picture into 8-bit images.
// Only the header and one frame chunk at a time are read into memory.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "Bitra5.h"
#include "DecodeLimits.h"
#include "FlicChunks.h"
#include "ImageTable.h"
#include "PixelAccess.h"

namespace {

using kpx::CodecStatus;
namespace flic = kpx::flic;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// Results of FLICFileOpen.
constexpr int kOpenFailed = -1;
constexpr int kBadHeader = 1;
constexpr int kBadDepth = 2;
// Results of FLICStreamGetNextFrame.
constexpr int kNoFrame = 1;

int openResultOf(CodecStatus status) {
    return status == CodecStatus::Unsupported ? kBadDepth : kBadHeader;
}

std::uint64_t fileSizeOf(std::FILE* file) {
    if (fseeko(file, 0, SEEK_END) != 0)
        return 0;
    const off_t size = ftello(file);
    return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

// No picture larger than the library's images, and none larger than the file's data could
// draw.
bool pictureWithinLimits(const flic::FileHeader& header, std::uint64_t fileSize) {
    const kpx::DecodeLimits& limits = kpx::kDefaultDecodeLimits;
    return kpx::withinSize(limits, header.width, header.height) &&
           kpx::dataCanFill(limits, header.width, header.height, 8, flic::flicReach(fileSize));
}

} // namespace

struct KpxFlicStream {
    KpxFlicStream(FilePointer f, std::uint64_t size, const flic::FileHeader& h)
        : file(std::move(f)), fileSize(size), header(h), canvas(h.width, h.height) {}

    // Up to n bytes from offset into buffer; false when not even one can be read there.
    bool readAt(std::uint64_t offset, std::size_t n, std::vector<std::uint8_t>& buffer) {
        buffer.clear();
        if (offset >= fileSize || fseeko(file.get(), static_cast<off_t>(offset), SEEK_SET) != 0)
            return false;
        buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(n, fileSize - offset)));
        buffer.resize(std::fread(buffer.data(), 1, buffer.size(), file.get()));
        return !buffer.empty();
    }

    // The header of the frame chunk at or after offset (prefix chunks skipped), moving offset
    // to it; false when there is none.
    bool findFrameChunk(std::uint64_t& offset, flic::ChunkHeader& chunk) {
        std::vector<std::uint8_t> bytes;
        for (;;) {
            if (!readAt(offset, flic::kChunkHeaderSize, bytes) ||
                !flic::readChunkHeader(bytes, chunk))
                return false;
            // A chunk smaller than its own header would never move on.
            if (chunk.size < flic::kChunkHeaderSize)
                return false;
            if (chunk.type == flic::kFrameChunk)
                return true;
            if (chunk.type != flic::kPrefixChunk)
                return false;
            offset += chunk.size;
        }
    }

    void rewind() {
        nextFrameOffset = header.firstFrameOffset;
        restartOffset = header.firstFrameOffset;
    }

    FilePointer file;
    std::uint64_t fileSize;
    flic::FileHeader header;
    std::uint64_t nextFrameOffset = 0;
    std::uint64_t restartOffset = 0;
    flic::Canvas canvas;
    std::vector<std::uint8_t> chunk; // the frame chunk being decoded, kept for the next one
};

namespace {

void resetPosition(KpxFlicReader& reader) {
    reader.stream->rewind();
    reader.currentFrame = 0;
    reader.paletteChanged = 1;
}

// The 16-bit values of the reader and its stream; null when memory is short.
KpxFlicReader* newReader(FilePointer file, std::uint64_t fileSize, const flic::FileHeader& header) {
    try {
        auto reader = std::make_unique<KpxFlicReader>();
        auto stream = std::make_unique<KpxFlicStream>(std::move(file), fileSize, header);
        reader->frameCount = header.frames;
        reader->width = header.width;
        reader->height = header.height;
        reader->delay = header.delayMs;
        reader->stream = stream.release();
        resetPosition(*reader);
        return reader.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void copyPalette(const flic::Canvas& canvas, KpxImageRecord& record) {
    const std::size_t entries = std::min<std::size_t>(256, record.colorCount());
    for (std::size_t i = 0; i < entries; ++i)
        record.colors()[i] =
            RGBQUAD{canvas.palette[i * 3 + 2], canvas.palette[i * 3 + 1], canvas.palette[i * 3], 0};
}

} // namespace

int FLICFileOpen(KpxFlicReader** reader, const char* path) {
    if (!reader)
        return kOpenFailed;
    *reader = nullptr;
    if (!path)
        return kOpenFailed;
    FilePointer file(std::fopen(path, "rb"));
    if (!file)
        return kOpenFailed;
    const std::uint64_t fileSize = fileSizeOf(file.get());
    std::uint8_t bytes[flic::kFileHeaderSize];
    if (fseeko(file.get(), 0, SEEK_SET) != 0 ||
        std::fread(bytes, 1, sizeof bytes, file.get()) != sizeof bytes)
        return kBadHeader;
    flic::FileHeader header;
    const CodecStatus status = flic::readFileHeader(bytes, header);
    if (status != CodecStatus::Ok)
        return openResultOf(status);
    if (header.width == 0 || header.height == 0)
        return kBadHeader;
    if (!pictureWithinLimits(header, fileSize))
        return kOpenFailed;
    *reader = newReader(std::move(file), fileSize, header);
    return *reader ? 0 : kOpenFailed;
}

int FLICFileRelease(KpxFlicReader* reader) {
    if (!reader)
        return 0;
    delete reader->stream;
    delete reader;
    return 0;
}

int FLICStreamGetNextFrame(KpxFlicReader* reader) {
    if (!reader || !reader->stream)
        return -1;
    KpxFlicStream& stream = *reader->stream;
    reader->paletteChanged = 0;
    stream.canvas.paletteChanged = false;
    std::uint64_t offset = stream.nextFrameOffset;
    flic::ChunkHeader chunk;
    if (!stream.findFrameChunk(offset, chunk))
        return kNoFrame;
    try {
        stream.readAt(offset + flic::kChunkHeaderSize, chunk.size - flic::kChunkHeaderSize,
                      stream.chunk);
    } catch (const std::bad_alloc&) {
        return kNoFrame;
    }
    // A frame whose data end early still shows what they held.
    flic::decodeFrame(stream.chunk, chunk.subChunks, stream.canvas);
    reader->paletteChanged = stream.canvas.paletteChanged ? 1 : 0;

    const int frame = reader->currentFrame + 1;
    stream.nextFrameOffset = offset + chunk.size;
    if (frame == 1)
        stream.restartOffset = stream.nextFrameOffset;
    if (frame > reader->frameCount) {
        // The ring frame has turned the last picture back into the first.
        reader->currentFrame = 1;
        stream.nextFrameOffset = stream.restartOffset;
    } else {
        reader->currentFrame = static_cast<std::uint16_t>(frame);
    }
    return 0;
}

int FLICStreamFillImage8(KpxFlicReader* reader, KpxHandle image, int onlyChangedPalette) {
    if (!reader || !reader->stream || !image)
        return -1;
    const flic::Canvas& canvas = reader->stream->canvas;
    const bool withPalette = !onlyChangedPalette || reader->paletteChanged == 1;
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (!kpx::hasPixels(record.get()) || record->bitCount() != 8 ||
            record->width() != canvas.width || record->height() != canvas.height)
            return -1;
        for (std::size_t y = 0; y < canvas.height; ++y)
            std::memcpy(kpx::pictureRow(*record.get(), static_cast<std::int32_t>(y)),
                        canvas.pixels.data() + y * canvas.width, canvas.width);
        if (withPalette)
            copyPalette(canvas, *record.get());
    }
    if (withPalette)
        KPXFillDIBColorTable(image);
    return 0;
}

int FLICStreamSetCurFrame(KpxFlicReader* reader, int) {
    if (reader && reader->stream)
        resetPosition(*reader);
    return 0;
}
