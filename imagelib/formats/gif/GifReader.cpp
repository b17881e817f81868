#include "GifReader.h"
#include "Bitra5Testing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "Bitra5ResourceIds.h"
#include "DecodeLimits.h"
#include "GifBlocks.h"
#include "GifLzw.h"
#include "GifObjectBlocks.h"
#include "LibraryShared.h"
#include "RowCallbacks.h"
#include "RowPacker.h"
#include "resources/ResourceLibrary.h"

namespace {

using kpx::CodecStatus;
using namespace kpx::gif;

// A file read into memory with its scan.
struct LoadedFile {
    std::string path;
    std::int32_t offset = 0;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    std::vector<std::uint8_t> bytes;
    GifFileIndex index;
};

// The cache lives under the GIF codec lock.
struct FileCache {
    std::shared_ptr<const LoadedFile> file;
    int scopes = 0;
    unsigned long reads = 0;
};

FileCache& cache() {
    static FileCache c;
    return c;
}

bool readWholeFile(const char* path, std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    std::vector<std::uint8_t> data;
    std::uint8_t chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        data.insert(data.end(), chunk, chunk + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    if (ok)
        bytes = std::move(data);
    return ok;
}

// The file and its scan, from the cache when the file is unchanged. Null when it cannot be read.
std::shared_ptr<const LoadedFile> openGif(const char* path, std::int32_t offset) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    const auto time =
        error ? std::filesystem::file_time_type{} : std::filesystem::last_write_time(path, error);
    FileCache& c = cache();
    if (!error && c.file && c.file->path == path && c.file->offset == offset &&
        c.file->size == size && c.file->time == time)
        return c.file;
    auto file = std::make_shared<LoadedFile>();
    if (!readWholeFile(path, file->bytes))
        return nullptr;
    ++c.reads;
    file->path = path;
    file->offset = offset;
    file->size = error ? file->bytes.size() : size;
    file->time = time;
    if (offset >= 0)
        file->index = scanGif(file->bytes, {.offset = static_cast<std::size_t>(offset)});
    else
        file->index.status = CodecStatus::Damaged;
    c.file = file;
    return file;
}

// Drops the cached file unless a multi-frame load keeps it.
void releaseUnlessKept() {
    if (cache().scopes == 0)
        cache().file.reset();
}

// Runs work on the opened file under the codec lock, then lets the file go unless a multi-frame
// load keeps it. kKpxCannotOpen when the file cannot be read.
template <typename Work> KpxResult withOpenGif(const char* path, std::int32_t offset, Work work) {
    std::lock_guard lock(kpx::gifCodecMutex());
    const auto file = openGif(path, offset);
    const KpxResult result = file ? work(*file) : kKpxCannotOpen;
    releaseUnlessKept();
    return result;
}

void setPalette(KpxCodecContext& context, const std::array<std::uint8_t, 768>& palette) {
    std::memcpy(context.palette, palette.data(), palette.size());
}

void appendResourceText(std::string& text, unsigned id) {
    char buffer[64] = {};
    LoadStringA(kpx::resourceInstance(), id, buffer, sizeof buffer);
    text += buffer;
}

bool screenWithinLimits(const GifFileIndex& index, const kpx::DecodeLimits& limits) {
    return kpx::withinSize(limits, index.screenWidth, index.screenHeight);
}

bool frameWithinLimits(const FrameLocation& f, const kpx::DecodeLimits& limits) {
    return kpx::withinFrame(limits, f.left, f.top, f.width, f.height);
}

// A damaged size field must not make a few bytes of file ask for a picture of a gigabyte.
bool dataCanFillFrame(const GifFileIndex& index, const FrameLocation& f,
                      const kpx::DecodeLimits& limits) {
    const int bits = KpxNormalizeBitCount(f.localTableBits != 0 ? f.localTableBits : index.bits);
    return kpx::dataCanFill(limits, f.width, f.height, static_cast<std::uint64_t>(bits),
                            kpx::lzwReach(f.dataEnd - f.dataStart, f.minimumCodeSize));
}

// Fills the context from the scan, for the context's frame number.
KpxResult fillContextFromScan(KpxCodecContext& context, const LoadedFile& file,
                              const kpx::DecodeLimits& limits) {
    const GifFileIndex& index = file.index;
    context.fileSize = static_cast<std::int32_t>(std::min<std::uintmax_t>(file.size, INT32_MAX));
    if (index.description.empty())
        return toResult(index.status);
    if (!screenWithinLimits(index, limits) || !kpx::withinFrameCount(limits, index.frames.size()))
        return kKpxBadData;
    std::string description = index.description;
    context.screenWidth = static_cast<std::int16_t>(index.screenWidth);
    context.screenHeight = static_cast<std::int16_t>(index.screenHeight);
    context.width = context.screenWidth;
    context.height = context.screenHeight;
    context.backgroundIndex = index.background;
    context.bitsPerPixel = static_cast<std::int16_t>(index.bits);
    context.flags = 0;
    setPalette(context, index.palette);
    const auto wanted = static_cast<std::size_t>(std::max<int>(context.frameNumber, 0));
    if (wanted < index.frames.size()) {
        const FrameLocation& f = index.frames[wanted];
        if (!frameWithinLimits(f, limits) || !dataCanFillFrame(index, f, limits))
            return kKpxBadData;
        context.left = static_cast<std::int16_t>(f.left);
        context.top = static_cast<std::int16_t>(f.top);
        context.width = static_cast<std::int16_t>(f.width);
        context.height = static_cast<std::int16_t>(f.height);
        context.flags = f.packed;
        if (f.localTableBits != 0) {
            setPalette(context, framePalette(file.bytes, index, f));
            context.bitsPerPixel = static_cast<std::int16_t>(f.localTableBits);
        }
        const std::int64_t dataSize =
            std::int64_t{context.bitsPerPixel} * ((f.width + 7) / 8) * f.height;
        context.dataSize = static_cast<std::int32_t>(std::min<std::int64_t>(dataSize, INT32_MAX));
        context.delay = f.control.delay;
        context.transparentColor = f.control.transparent;
        context.disposal = f.control.disposal;
        if (wanted == 0) {
            context.loopCount = index.loopCountAtFirstImage;
            appendResourceText(description, f.interlaced()
                                                ? bitra5res::IDS_DESCRIPTION_INTERLACED
                                                : bitra5res::IDS_DESCRIPTION_NOT_INTERLACED);
            if (f.control.transparent & kKpxTransparentIndexFlag &&
                f.control.transparent < kKpxNoTransparentColor)
                appendResourceText(description, bitra5res::IDS_DESCRIPTION_TRANSPARENT);
        }
    }
    kpx::setDescription(context, description.c_str());
    context.frameCount = static_cast<std::int16_t>(index.frames.size());
    // A scan that failed after the wanted image still serves it; the frames before a damaged
    // block stay loadable. Without the wanted image there is nothing to describe: reporting the
    // screen's size would have the loader make a picture of it for nothing.
    if (wanted >= index.frames.size())
        return index.status != CodecStatus::Ok ? toResult(index.status) : kKpxBadData;
    return kKpxOk;
}

// Hands the decoder's index rows to the row packer.
class PackerSink final : public LzwRowSink {
public:
    explicit PackerSink(kpx::RowPacker& packer) : packer_(packer) {}
    std::span<std::uint8_t> rowBuffer(int) override { return packer_.rowBuffer(); }
    bool rowDone(int row) override { return packer_.storeRow(row); }

private:
    kpx::RowPacker& packer_;
};

void moveItemsToContext(PendingItems& items, KpxCodecContext& context) {
    if (items.comment)
        context.frameName = std::move(items.comment);
    if (items.text)
        context.textObject = std::move(items.text);
    if (items.control)
        context.controlObject = std::move(items.control);
    if (items.vector)
        context.vectorObject = std::move(items.vector);
    if (items.npImage)
        context.npImageObject = std::move(items.npImage);
}

KpxResult loadFrame(KpxCodecContext& context, const LoadedFile& file, KpxProgressProc progress,
                    const kpx::DecodeLimits& limits) {
    const GifFileIndex& index = file.index;
    const auto wanted = static_cast<std::size_t>(std::max<int>(context.frameNumber, 0));
    // Without the wanted image there are no rows to hand out: that is no success.
    if (wanted >= index.frames.size())
        return index.status == CodecStatus::Ok ? kKpxBadData : toResult(index.status);
    const FrameLocation& f = index.frames[wanted];
    if (!frameWithinLimits(f, limits) || !screenWithinLimits(index, limits))
        return kKpxBadData;
    context.left = static_cast<std::int16_t>(f.left);
    context.top = static_cast<std::int16_t>(f.top);
    context.width = static_cast<std::int16_t>(f.width);
    context.height = static_cast<std::int16_t>(f.height);
    context.delay = f.control.delay;
    context.transparentColor = f.control.transparent;
    context.disposal = f.control.disposal;
    if (f.localTableBits != 0)
        context.bitsPerPixel = static_cast<std::int16_t>(f.localTableBits);
    // The flag word ends with the packed byte of the last image of the file.
    context.flags = index.lastImagePacked();

    PendingItemsReader pending(context.readExtensions != 0);
    visitExtensions(file.bytes, f.runStart, pending);
    moveItemsToContext(pending.items, context);

    // Rows the data does not reach take the background index.
    kpx::RowPacker packer(context, progress, kpx::RowPacker::Source::Indices,
                          static_cast<std::uint8_t>(context.backgroundIndex));
    PackerSink sink(packer);
    const auto data = std::span(file.bytes).subspan(f.dataStart, f.dataEnd - f.dataStart);
    const LzwDecodeResult decoded =
        decodeLzw(data, f.minimumCodeSize, context.width, context.height,
                  f.interlaced() ? RowOrder::Interlaced : RowOrder::Sequential, sink);
    if (decoded.status == CodecStatus::Stopped || !packer.fillMissingRows())
        return toResult(CodecStatus::Stopped);
    // Damaged data still loads: the rows it did not reach were filled above.
    if (decoded.status == CodecStatus::OutOfMemory)
        return toResult(decoded.status);
    context.dataIncomplete = decoded.rowsDone < context.height ? 1 : 0;

    if (wanted == 0) {
        PendingItemsReader trailing(context.readExtensions != 0);
        visitExtensions(file.bytes, index.trailingRunStart, trailing);
        if (trailing.items.comment)
            context.animationComment = std::move(trailing.items.comment);
        if (trailing.items.title)
            context.frameTitle = std::move(trailing.items.title);
    }
    return kKpxOk;
}

void toBlockInfo(const BlockEntry& e, KpxGifBlockInfo& out) {
    out.kind = static_cast<std::int32_t>(e.kind);
    out.offset = e.offset;
    out.size = e.size;
    out.width = e.width;
    out.height = e.height;
    out.bits = e.bits;
    std::memcpy(out.text, e.text.data(), sizeof out.text);
}

} // namespace

namespace kpx::gif {

GifFileCacheScope::GifFileCacheScope() {
    std::lock_guard lock(kpx::gifCodecMutex());
    ++cache().scopes;
}

GifFileCacheScope::~GifFileCacheScope() {
    std::lock_guard lock(kpx::gifCodecMutex());
    if (--cache().scopes == 0)
        cache().file.reset();
}

} // namespace kpx::gif

unsigned long KpxGifFileReadCountForTest() {
    std::lock_guard lock(kpx::gifCodecMutex());
    return cache().reads;
}

KpxResult KpxScanGifBlocks(KpxCodecContext* context, const char* path, std::int32_t offset,
                           KpxGifBlockInfo* list, std::int32_t capacity, std::int32_t* count) {
    if (count)
        *count = 0;
    if (!context || !path)
        return kKpxCannotOpen;
    return withOpenGif(path, offset, [&](const LoadedFile& file) {
        const KpxResult result = fillContextFromScan(*context, file, kpx::kDefaultDecodeLimits);
        if (!list || capacity <= 0)
            return result;
        std::vector<BlockEntry> entries;
        scanGif(file.bytes, {.offset = static_cast<std::size_t>(std::max(offset, 0)),
                             .list = &entries,
                             .listCapacity = static_cast<std::size_t>(capacity)});
        for (std::size_t i = 0; i < entries.size(); ++i)
            toBlockInfo(entries[i], list[i]);
        if (count)
            *count = static_cast<std::int32_t>(entries.size());
        return toResult(file.index.status);
    });
}

KpxResult KpxGifGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry*, std::int32_t*) {
    return KpxScanGifBlocks(context, path, offset, nullptr, 0, nullptr);
}

KpxResult KpxGifLoadFrame(KpxCodecContext* context, const char* path, std::int32_t offset,
                          KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    if (!context || !path)
        return kKpxCannotOpen;
    return withOpenGif(path, offset, [&](const LoadedFile& file) {
        return loadFrame(*context, file, progress, kpx::kDefaultDecodeLimits);
    });
}

int KPXGetGifDetails(const char* path, KpxGifBlockInfo* list, int capacity) {
    if (!path || !list || capacity <= 0)
        return 0;
    KpxCodecContext context;
    std::int32_t count = 0;
    if (KpxScanGifBlocks(&context, path, 0, list, capacity, &count) != kKpxOk)
        return 0;
    return count;
}
