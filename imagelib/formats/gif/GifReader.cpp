#include "GifReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "GifBlocks.h"
#include "GifLzw.h"
#include "GifObjectBlocks.h"
#include "LibraryStartup.h"
#include "RowCallbacks.h"
#include "resources/ResourceLibrary.h"

namespace {

using kpx::CodecStatus;
using namespace kpx::gif;

constexpr unsigned kInterlacedTextId = 8155;
constexpr unsigned kNotInterlacedTextId = 8156;
constexpr unsigned kTransparentTextId = 8157;

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

void setPalette(KpxCodecContext& context, const std::array<std::uint8_t, 768>& palette) {
    std::memcpy(context.palette, palette.data(), palette.size());
}

void appendResourceText(std::string& text, unsigned id) {
    char buffer[64] = {};
    LoadStringA(KpxGetResourceInstance(), id, buffer, sizeof buffer);
    text += buffer;
}

// The library's sizes and positions are signed 16-bit values; a GIF may store up to 65535.
bool fitsInt16(std::uint16_t v) {
    return v <= INT16_MAX;
}

bool frameFitsInt16(const FrameLocation& f) {
    return fitsInt16(f.left) && fitsInt16(f.top) && fitsInt16(f.width) && fitsInt16(f.height);
}

// Frames up to this many pixels load even when their data is cut short (the rows not reached get
// the background); larger frames must carry data that could at least fill them.
constexpr std::uint64_t kAlwaysLoadablePixels = std::uint64_t{1} << 22;

// The most pixels the frame's LZW data could produce: every code adds at most one pixel more
// than the code before it, and no string is longer than the 4096-entry table allows.
std::uint64_t pixelsWithinReach(const FrameLocation& f) {
    const std::uint64_t bits = std::uint64_t{8} * (f.dataEnd - f.dataStart);
    const std::uint64_t codes = bits / (std::uint64_t{f.minimumCodeSize} + 1);
    constexpr std::uint64_t kTable = 4096;
    if (codes <= kTable)
        return codes * (codes + 1) / 2;
    return kTable * (kTable + 1) / 2 + (codes - kTable) * kTable;
}

// A damaged size field must not make a few bytes of file ask for a picture of a gigabyte.
bool plausibleFrameSize(const FrameLocation& f) {
    const std::uint64_t pixels = std::uint64_t{f.width} * f.height;
    return pixels <= kAlwaysLoadablePixels || pixels <= pixelsWithinReach(f);
}

// Fills the context from the scan, for the context's frame number.
KpxResult fillContextFromScan(KpxCodecContext& context, const LoadedFile& file) {
    const GifFileIndex& index = file.index;
    context.fileSize = static_cast<std::int32_t>(std::min<std::uintmax_t>(file.size, INT32_MAX));
    if (index.description.empty())
        return toResult(index.status);
    if (!fitsInt16(index.screenWidth) || !fitsInt16(index.screenHeight))
        return kKpxBadData;
    // The frame count is a 16-bit value too: a longer file is refused rather than cut short.
    if (index.frames.size() > static_cast<std::size_t>(INT16_MAX))
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
        if (!frameFitsInt16(f) || !plausibleFrameSize(f))
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
            appendResourceText(description,
                               f.interlaced() ? kInterlacedTextId : kNotInterlacedTextId);
            if (f.control.transparent & kKpxTransparentIndexFlag &&
                f.control.transparent < kKpxNoTransparentColor)
                appendResourceText(description, kTransparentTextId);
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

// Packs decoded index rows into the image's row layout and hands them to the store-row callback.
class StoreRowSink final : public LzwRowSink {
public:
    StoreRowSink(const KpxCodecContext& context, KpxProgressProc progress)
        : storeRow_(context.storeRow), progress_(progress), width_(context.width),
          bits_(context.bitsPerPixel),
          background_(static_cast<std::uint8_t>(context.backgroundIndex)),
          indices_(static_cast<std::size_t>(std::max<int>(context.width, 0))),
          packed_(std::max<std::size_t>(KpxGetRowLayout().rowBytes, indices_.size()) + 4),
          delivered_(static_cast<std::size_t>(std::max<int>(context.height, 0)), false) {}

    std::span<std::uint8_t> rowBuffer(int) override { return indices_; }

    bool rowDone(int row) override {
        if (progress_)
            progress_();
        delivered_[static_cast<std::size_t>(row)] = true;
        if (!storeRow_)
            return true;
        pack();
        return storeRow_(packed_.data(), row) == 0;
    }

    // Gives every row the data did not reach the background index; false when stopped.
    bool fillMissingRows() {
        std::fill(indices_.begin(), indices_.end(), background_);
        for (std::size_t row = 0; row < delivered_.size(); ++row)
            if (!delivered_[row] && !rowDone(static_cast<int>(row)))
                return false;
        return true;
    }

private:
    void pack() {
        const std::size_t w = indices_.size();
        if (bits_ <= 1) {
            std::fill(packed_.begin(), packed_.end(), 0xFF); // padding bits set
            for (std::size_t x = 0; x < w; ++x)
                if (indices_[x] == 0)
                    packed_[x >> 3] &= static_cast<std::uint8_t>(~(0x80u >> (x & 7)));
        } else if (bits_ <= 4) {
            const std::uint8_t pad = static_cast<std::uint8_t>((background_ & 0x0F) * 0x11);
            std::fill(packed_.begin(), packed_.end(), pad);
            for (std::size_t x = 0; x < w; ++x) {
                std::uint8_t& b = packed_[x >> 1];
                const std::uint8_t v = indices_[x] & 0x0F;
                b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | v)
                            : static_cast<std::uint8_t>((b & 0x0F) | (v << 4));
            }
        } else {
            std::copy(indices_.begin(), indices_.end(), packed_.begin());
            std::fill(packed_.begin() + static_cast<long>(w), packed_.end(), background_);
        }
    }

    KpxRowFunction storeRow_;
    KpxProgressProc progress_;
    int width_;
    int bits_;
    std::uint8_t background_;
    std::vector<std::uint8_t> indices_;
    std::vector<std::uint8_t> packed_;
    std::vector<bool> delivered_;
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

KpxResult loadFrame(KpxCodecContext& context, const LoadedFile& file, KpxProgressProc progress) {
    const GifFileIndex& index = file.index;
    const auto wanted = static_cast<std::size_t>(std::max<int>(context.frameNumber, 0));
    // Without the wanted image there are no rows to hand out: that is no success.
    if (wanted >= index.frames.size())
        return index.status == CodecStatus::Ok ? kKpxBadData : toResult(index.status);
    const FrameLocation& f = index.frames[wanted];
    if (!frameFitsInt16(f) || !fitsInt16(index.screenWidth) || !fitsInt16(index.screenHeight))
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

    StoreRowSink sink(context, progress);
    const auto data = std::span(file.bytes).subspan(f.dataStart, f.dataEnd - f.dataStart);
    const LzwDecodeResult decoded =
        decodeLzw(data, f.minimumCodeSize, context.width, context.height,
                  f.interlaced() ? RowOrder::Interlaced : RowOrder::Sequential, sink);
    if (decoded.status == CodecStatus::Stopped || !sink.fillMissingRows())
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
    std::lock_guard lock(kpx::gifCodecMutex());
    const auto file = openGif(path, offset);
    if (!file) {
        releaseUnlessKept();
        return kKpxCannotOpen;
    }
    KpxResult result = fillContextFromScan(*context, *file);
    if (list && capacity > 0) {
        std::vector<BlockEntry> entries;
        scanGif(file->bytes, {.offset = static_cast<std::size_t>(std::max(offset, 0)),
                              .list = &entries,
                              .listCapacity = static_cast<std::size_t>(capacity)});
        for (std::size_t i = 0; i < entries.size(); ++i)
            toBlockInfo(entries[i], list[i]);
        if (count)
            *count = static_cast<std::int32_t>(entries.size());
        result = toResult(file->index.status);
    }
    releaseUnlessKept();
    return result;
}

KpxResult KpxGifGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry*, std::int32_t*) {
    return KpxScanGifBlocks(context, path, offset, nullptr, 0, nullptr);
}

KpxResult KpxGifLoadFrame(KpxCodecContext* context, const char* path, std::int32_t offset,
                          KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    if (!context || !path)
        return kKpxCannotOpen;
    std::lock_guard lock(kpx::gifCodecMutex());
    const auto file = openGif(path, offset);
    if (!file) {
        releaseUnlessKept();
        return kKpxCannotOpen;
    }
    const KpxResult result = loadFrame(*context, *file, progress);
    releaseUnlessKept();
    return result;
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
