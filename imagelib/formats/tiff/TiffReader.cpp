#include "TiffReader.h"

#include "Bitra5ResourceIds.h"
#include "CodecPictures.h"
#include "RowCallbacks.h"
#include "TiffCodec.h"
#include "debug/DebugOutput.h"

#include <tiffio.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using bitra5res::IDS_DESCRIPTION_FIRST;
using kpx::CodecStatus;

// Description strings by compression, and the words the photometric interpretation appends.
constexpr std::pair<int, unsigned> kCompressionTexts[] = {
    {COMPRESSION_NONE, IDS_DESCRIPTION_FIRST + 1},
    {COMPRESSION_CCITTRLE, IDS_DESCRIPTION_FIRST + 6},
    {COMPRESSION_CCITTFAX3, IDS_DESCRIPTION_FIRST + 7},
    {COMPRESSION_CCITTFAX4, IDS_DESCRIPTION_FIRST + 8},
    {COMPRESSION_LZW, IDS_DESCRIPTION_FIRST + 0},
    {COMPRESSION_OJPEG, IDS_DESCRIPTION_FIRST + 9},
    {COMPRESSION_JPEG, IDS_DESCRIPTION_FIRST + 10},
    {COMPRESSION_NEXT, IDS_DESCRIPTION_FIRST + 11},
    {COMPRESSION_CCITTRLEW, IDS_DESCRIPTION_FIRST + 12},
    {COMPRESSION_PACKBITS, IDS_DESCRIPTION_FIRST + 13},
    {COMPRESSION_THUNDERSCAN, IDS_DESCRIPTION_FIRST + 14},
    {COMPRESSION_PIXARFILM, IDS_DESCRIPTION_FIRST + 15},
    {COMPRESSION_PIXARLOG, IDS_DESCRIPTION_FIRST + 16},
    {COMPRESSION_DEFLATE, IDS_DESCRIPTION_FIRST + 17},
    {COMPRESSION_JBIG, IDS_DESCRIPTION_FIRST + 18},
};
constexpr std::pair<int, unsigned> kPhotometricTexts[] = {
    {PHOTOMETRIC_MASK, IDS_DESCRIPTION_FIRST + 19},
    {PHOTOMETRIC_SEPARATED, IDS_DESCRIPTION_FIRST + 20},
    {PHOTOMETRIC_YCBCR, IDS_DESCRIPTION_FIRST + 21},
    {PHOTOMETRIC_CIELAB, IDS_DESCRIPTION_FIRST + 22},
};

// How far compressed strips may expand: at most this many decoded bytes per stored byte.
std::uint64_t expansionOf(int compression) {
    switch (compression) {
    case COMPRESSION_NONE:
        return 1;
    case COMPRESSION_PACKBITS:
        return 128;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        return std::uint64_t{1} << 17;
    default:
        return 4096;
    }
}

template <std::size_t N>
std::string lookUpText(const std::pair<int, unsigned> (&table)[N], int key) {
    for (const auto& [value, id] : table)
        if (value == key)
            return kpx::libraryText(id);
    return {};
}

// A descriptor that closes itself.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

struct OpenTiff {
    std::unique_ptr<Descriptor> descriptor;
    std::unique_ptr<kpx::tiff::TiffFile> file;
    kpx::tiff::TiffLayout layout;
    std::int64_t length = 0;
};

KpxResult openTiff(const char* path, std::int32_t offset, OpenTiff& tiff) {
    if (offset < 0)
        return kKpxCannotOpen;
    tiff.descriptor = std::make_unique<Descriptor>(::open(path, O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (tiff.descriptor->get() < 0 || ::fstat(tiff.descriptor->get(), &status) != 0)
        return kKpxCannotOpen;
    tiff.length = status.st_size;
    tiff.file = kpx::tiff::TiffFile::readFromDescriptor(tiff.descriptor->get(),
                                                        static_cast<std::uint64_t>(offset), path);
    if (!tiff.file)
        return kKpxBadData;
    const CodecStatus layoutRead = kpx::tiff::readLayout(tiff.file->handle(), tiff.layout);
    if (layoutRead != CodecStatus::Ok)
        return kKpxBadData;
    const kpx::tiff::TiffLayout& layout = tiff.layout;
    // Strip sizes are what the file claims (libtiff puts the whole picture's size in place of a
    // bogus count): no more bytes are stored than the file holds.
    const std::uint64_t stored = std::min<std::uint64_t>(
        layout.storedBytes,
        static_cast<std::uint64_t>(std::max<std::int64_t>(tiff.length - offset, 0)));
    const std::uint64_t reach = stored * expansionOf(layout.compression);
    return kpx::pictureFits(layout.width, layout.height, layout.depth, reach) ? kKpxOk
                                                                              : kKpxBadData;
}

void describe(KpxCodecContext& context, const OpenTiff& tiff, std::int32_t offset) {
    const kpx::tiff::TiffLayout& layout = tiff.layout;
    context.fileSize = kpx::reportedFileSize(tiff.length, offset);
    context.frameCount = 1;
    context.flags = layout.photometric == PHOTOMETRIC_SEPARATED ? kKpxFlagHasAlpha : 0;
    context.width = static_cast<std::int16_t>(layout.width);
    context.height = static_cast<std::int16_t>(layout.height);
    context.bitsPerPixel = static_cast<std::int16_t>(layout.depth);
    const std::int64_t rowBytes = TIFFScanlineSize64(tiff.file->handle());
    context.dataSize =
        static_cast<std::int32_t>(std::min<std::int64_t>(rowBytes * layout.height, INT32_MAX));
    std::vector<std::uint8_t> triplets;
    for (const auto& c : layout.colours)
        triplets.insert(triplets.end(), c.begin(), c.end());
    kpx::setContextPalette(context, triplets);
    const std::string text = lookUpText(kCompressionTexts, layout.compression) +
                             lookUpText(kPhotometricTexts, layout.photometric);
    kpx::setDescription(context, text.c_str());
}

// Hands the decoder's rows to the store-row callback, in a row of the image's layout.
class StoreSink final : public kpx::RowSink {
public:
    StoreSink(const KpxCodecContext& context, KpxProgressProc progress, std::size_t pictureRow)
        : context_(context), progress_(progress),
          row_(std::max<std::size_t>(KpxGetRowLayout().rowBytes, pictureRow)) {}
    std::span<std::uint8_t> rowBuffer() override { return row_; }
    bool rowDone(int row) override {
        if (progress_)
            progress_();
        return context_.storeRow && context_.storeRow(row_.data(), row) == 0;
    }

private:
    const KpxCodecContext& context_;
    KpxProgressProc progress_;
    std::vector<std::uint8_t> row_;
};

// The load's failure: a line in the debug sink, and the read-error code whatever the cause
// (a stop asked by the row callback included), as callers of this routine expect.
KpxResult loadFailure(const char* path, CodecStatus status) {
    kfm::debug::printf("KPX32: the TIFF file %s was not loaded\n", path);
    return status == CodecStatus::OutOfMemory ? kKpxOutOfMemory : kKpxReadError;
}

} // namespace

KpxResult KpxTiffGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                         KpxTransparentEntry*, std::int32_t*) {
    if (!context || !path)
        return kKpxCannotOpen;
    OpenTiff tiff;
    const KpxResult opened = openTiff(path, offset, tiff);
    if (opened != kKpxOk)
        return opened;
    describe(*context, tiff, offset);
    return kKpxOk;
}

KpxResult KpxTiffLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                      KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    if (!context || !path)
        return kKpxCannotOpen;
    OpenTiff tiff;
    const KpxResult opened = openTiff(path, offset, tiff);
    if (opened != kKpxOk)
        return opened;
    const kpx::tiff::TiffLayout& layout = tiff.layout;
    // The image was made from the info request: a file that changed since is not loaded.
    if (context->width != static_cast<std::int64_t>(layout.width) ||
        context->height != static_cast<std::int64_t>(layout.height) ||
        KpxNormalizeBitCount(context->bitsPerPixel) != layout.depth)
        return kKpxBadData;
    StoreSink sink(*context, progress,
                   layout.depth == 24 ? std::size_t{layout.width} * 3
                                      : (std::size_t{layout.width} * layout.depth + 7) / 8);
    const CodecStatus status = kpx::tiff::decode(tiff.file->handle(), layout, sink);
    return status == CodecStatus::Ok ? kKpxOk : loadFailure(path, status);
}
