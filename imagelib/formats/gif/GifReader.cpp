#include "GifReader.h"
#include "Bitra5Testing.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Bitra5ResourceIds.h"
#include "DecodeLimits.h"
#include "FileAccess.h"
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

// A GIF file opened for reading and its scan. The source reads it through a window, so that
// the blocks of small frames that lie together cost one read of the file.
struct OpenedGif {
    std::shared_ptr<kpx::FileSource> source;
    std::uint64_t size = 0;
    GifFileIndex index;

    // The bytes from `from` up to `to`; fewer when the file ends before.
    std::vector<std::uint8_t> bytes(std::uint64_t from, std::uint64_t to) const {
        std::vector<std::uint8_t> out(static_cast<std::size_t>(to > from ? to - from : 0));
        out.resize(source->read(from, out));
        return out;
    }
};

std::atomic<unsigned long> scans{0};

std::string scanKey(std::int32_t offset) {
    return "GIF scan at " + std::to_string(offset);
}

// The file and its scan: those the calling thread's file session keeps, else opened and scanned
// now (and kept by the session when there is one). Null when the file cannot be opened.
std::shared_ptr<const OpenedGif> openGif(const char* path, std::int32_t offset) {
    kpx::FileSession* session = kpx::FileSession::of(path);
    if (session)
        if (auto kept = session->kept<OpenedGif>(scanKey(offset)))
            return kept;
    auto source = kpx::openSource(path);
    if (!source)
        return nullptr;
    auto opened = std::make_shared<OpenedGif>();
    opened->size = source->size();
    opened->source = std::move(source);
    if (offset >= 0)
        opened->index = scanGif(*opened->source, {.offset = static_cast<std::size_t>(offset)});
    else
        opened->index.status = CodecStatus::Damaged;
    ++scans;
    if (session)
        session->keep(scanKey(offset), opened);
    return opened;
}

// Runs work on the opened file; kKpxCannotOpen when the file cannot be opened.
template <typename Work> KpxResult withOpenGif(const char* path, std::int32_t offset, Work work) {
    const auto opened = openGif(path, offset);
    return opened ? work(*opened) : kKpxCannotOpen;
}

// The palette of a frame: the file's, or its local table read from the file.
std::array<std::uint8_t, 768> paletteOf(const OpenedGif& gif, const FrameLocation& f) {
    if (f.localTableBits == 0)
        return gif.index.palette;
    const auto table = gif.bytes(f.localTable, f.localTable + (std::size_t{3} << f.localTableBits));
    FrameLocation inTable = f;
    inTable.localTable = 0;
    return framePalette(table, gif.index, inTable);
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
KpxResult fillContextFromScan(KpxCodecContext& context, const OpenedGif& file,
                              const kpx::DecodeLimits& limits) {
    const GifFileIndex& index = file.index;
    context.fileSize = static_cast<std::int32_t>(std::min<std::uint64_t>(file.size, INT32_MAX));
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
            setPalette(context, paletteOf(file, f));
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

KpxResult loadFrame(KpxCodecContext& context, const OpenedGif& file, KpxProgressProc progress,
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

    // The extensions between the image before and this one, read from the file.
    PendingItemsReader pending(context.readExtensions != 0);
    visitExtensions(file.bytes(f.runStart, f.descriptor), 0, pending);
    moveItemsToContext(pending.items, context);

    // Rows the data does not reach take the background index.
    kpx::RowPacker packer(context, progress, kpx::RowPacker::Source::Indices,
                          static_cast<std::uint8_t>(context.backgroundIndex));
    PackerSink sink(packer);
    // The image data arrives from the file a piece at a time.
    kpx::SourceChunks data(*file.source, f.dataStart, f.dataEnd);
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
        visitExtensions(file.bytes(index.trailingRunStart, index.scanEnd), 0, trailing);
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

unsigned long KpxGifFileReadCountForTest() {
    return scans.load();
}

KpxResult KpxScanGifBlocks(KpxCodecContext* context, const char* path, std::int32_t offset,
                           KpxGifBlockInfo* list, std::int32_t capacity, std::int32_t* count) {
    if (count)
        *count = 0;
    if (!context || !path)
        return kKpxCannotOpen;
    return withOpenGif(path, offset, [&](const OpenedGif& file) {
        const KpxResult result = fillContextFromScan(*context, file, kpx::kDefaultDecodeLimits);
        if (!list || capacity <= 0)
            return result;
        std::vector<BlockEntry> entries;
        scanGif(*file.source, {.offset = static_cast<std::size_t>(std::max(offset, 0)),
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
    return withOpenGif(path, offset, [&](const OpenedGif& file) {
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
