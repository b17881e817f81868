#include "BmpReader.h"

#include <algorithm>
#include <cstring>

#include "BmpDecoder.h"
#include "BmpHeader.h"
#include "CodecDescriptions.h"
#include "CodecIo.h"
#include "DecodeLimits.h"
#include "PackerRowSink.h"
#include "RowCallbacks.h"
#include "RowPacker.h"

namespace {

using kpx::CodecStatus;
using namespace kpx::bmp;

// Enough for the longest headers, the masks and a full colour table.
constexpr std::size_t kHeaderBytes = 14 + 124 + 16 + 256 * 4;
constexpr std::int16_t kFlagRunLength = 64;

unsigned descriptionOf(const BmpHeader& h) {
    if (!isSupported(h))
        return kpx::description::kUnsupportedCompression;
    if (h.compression == kRle8)
        return kpx::description::kRle8;
    if (h.compression == kRle4)
        return kpx::description::kRle4;
    return kpx::description::kUncompressed;
}

// Whether the library can hold the picture and the data could fill it (or the picture is small
// enough to load even when its data is cut short). `size` is the length of the bitmap from its
// first byte; data may hold only its headers when the rows are stored uncompressed.
bool withinLimits(std::span<const std::uint8_t> data, std::uint64_t size, const BmpHeader& h,
                  const kpx::DecodeLimits& limits) {
    if (!kpx::withinSize(limits, static_cast<std::uint32_t>(h.width),
                         static_cast<std::uint32_t>(h.height)))
        return false;
    const auto width = static_cast<std::uint64_t>(h.width);
    const auto height = static_cast<std::uint64_t>(h.height);
    const auto bits = static_cast<std::uint64_t>(KpxNormalizeBitCount(h.bitCount));
    if (width * height <= limits.alwaysLoadablePixels)
        return kpx::dataCanFill(limits, width, height, bits, 0);
    const std::uint64_t reach = isRle(h) ? dataReach(data, h) : storedReach(size, h);
    return kpx::dataCanFill(limits, width, height, bits, reach);
}

// Whether the limits need the run-length data itself, not only the file's length.
bool needsAllData(const BmpHeader& h) {
    return isRle(h) && static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height) >
                           kpx::kDefaultDecodeLimits.alwaysLoadablePixels;
}

void fillContext(KpxCodecContext& c, const BmpHeader& h, std::int32_t fileSize) {
    kpx::setDescriptionText(c, descriptionOf(h));
    c.frameCount = 1;
    c.flags = isRle(h) ? kFlagRunLength : 0;
    c.fileSize = fileSize;
    c.width = static_cast<std::int16_t>(h.width);
    c.height = static_cast<std::int16_t>(h.height);
    c.bitsPerPixel = static_cast<std::int16_t>(h.bitCount);
    c.backgroundIndex = 0;
    const std::uint64_t dataSize = static_cast<std::uint64_t>(h.height) *
                                   ((static_cast<std::uint64_t>(h.width) + 7) / 8) * h.bitCount;
    c.dataSize = static_cast<std::int32_t>(std::min<std::uint64_t>(dataSize, INT32_MAX));
    std::memcpy(c.palette, h.palette, sizeof c.palette);
}

kpx::RowPacker::Source sourceOf(const BmpHeader& h) {
    switch (pixelKind(h)) {
    case PixelKind::Bgr:
        return kpx::RowPacker::Source::Bgr;
    case PixelKind::Bgra:
        return kpx::RowPacker::Source::Bgra;
    case PixelKind::Indices:
        break;
    }
    return kpx::RowPacker::Source::Indices;
}

// A header that failed to read: not a bitmap, or (on loads) a file cut inside its headers.
KpxResult headerFailure(CodecStatus status, bool load) {
    return status == CodecStatus::Truncated && load ? kKpxReadError : kKpxBadData;
}

KpxResult infoFrom(KpxCodecContext& c, std::span<const std::uint8_t> data, std::uint64_t size,
                   std::int32_t fileSize, Start start) {
    c.frameCount = 1;
    c.flags = 0;
    std::memset(c.palette, 0, sizeof c.palette);
    std::fill_n(&c.palette[1][0], 3, std::uint8_t{255});
    const HeaderResult header = readHeader(data, start);
    if (header.status != CodecStatus::Ok)
        return headerFailure(header.status, false);
    fillContext(c, header.header, fileSize);
    if (!isSupported(header.header) ||
        !withinLimits(data, size, header.header, kpx::kDefaultDecodeLimits))
        return kKpxBadData;
    return kKpxOk;
}

KpxResult loadFrom(KpxCodecContext& c, std::span<const std::uint8_t> data, Start start,
                   KpxProgressProc progress) {
    const HeaderResult header = readHeader(data, start);
    if (header.status != CodecStatus::Ok)
        return headerFailure(header.status, true);
    const BmpHeader& h = header.header;
    kpx::setDescriptionText(c, descriptionOf(h));
    // The image was made from the info: a file changed since then is not loaded into it.
    if (!isSupported(h) || h.width != c.width || h.height != c.height ||
        KpxNormalizeBitCount(h.bitCount) != KpxNormalizeBitCount(c.bitsPerPixel) ||
        !withinLimits(data, data.size(), h, kpx::kDefaultDecodeLimits))
        return kKpxBadData;
    kpx::RowPacker packer(c, progress, sourceOf(h), 0);
    kpx::PackerRowSink sink(packer);
    const DecodeResult decoded = decodePixels(data, h, sink);
    if (decoded.status == CodecStatus::Stopped || !packer.fillMissingRows())
        return kKpxStopped;
    if (decoded.status == CodecStatus::OutOfMemory || decoded.status == CodecStatus::Unsupported)
        return kpx::toResult(decoded.status);
    // Data cut short or damaged still loads: the rows it did not reach hold index 0 (black).
    c.dataIncomplete = decoded.status == CodecStatus::Ok ? 0 : 1;
    return kKpxOk;
}

// The bytes of the bitmap that starts at the stream's position: its headers and all the pixel
// data they describe (to the stream's end for run-length data of unknown size).
std::span<const std::uint8_t> bitmapFromStream(kpx::StreamBytes& in) {
    const std::span<const std::uint8_t> head = in.ensure(kHeaderBytes);
    const HeaderResult header = readHeader(head);
    // A picture larger than the library holds is refused before its data is read.
    if (header.status != CodecStatus::Ok ||
        !kpx::withinSize(kpx::kDefaultDecodeLimits, static_cast<std::uint32_t>(header.header.width),
                         static_cast<std::uint32_t>(header.header.height)))
        return head;
    return in.ensure(
        static_cast<std::size_t>(std::min<std::uint64_t>(pixelDataEnd(header.header), SIZE_MAX)));
}

} // namespace

KpxResult KpxBmpGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry*, std::int32_t*) {
    if (!context)
        return kKpxBadData;
    // The headers are enough, unless the limits need the run-length data.
    auto file = kpx::readFileFrom(path, offset, kHeaderBytes);
    if (!file)
        return kKpxCannotOpen;
    const HeaderResult header = readHeader(file->bytes, Start::FileOrInfoHeader);
    if (header.status == CodecStatus::Ok && needsAllData(header.header))
        file = kpx::readFileFrom(path, offset);
    if (!file)
        return kKpxCannotOpen;
    return infoFrom(*context, file->bytes, kpx::bytesFromOffset(*file, offset), file->fileSize,
                    Start::FileOrInfoHeader);
}

KpxResult KpxBmpLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    return kpx::withFileFrom(context, path, offset,
                             [progress](KpxCodecContext& c, const kpx::FileBytes& file) {
                                 return loadFrom(c, file.bytes, Start::FileOrInfoHeader, progress);
                             });
}

KpxResult KpxBmpGetInfoOleStream(KpxCodecContext* context, KpxByteStream* stream,
                                 KpxTransparentEntry*, std::int32_t*) {
    if (!context || !stream)
        return kKpxBadData;
    kpx::StreamBytes in(*stream);
    if (!in.valid())
        return kKpxCannotOpen;
    const std::span<const std::uint8_t> data = bitmapFromStream(in);
    const KpxResult result =
        infoFrom(*context, data, data.size(), in.streamSize(), Start::FileHeader);
    in.seekTo(0);
    return result;
}

KpxResult KpxBmpLoadOleStream(KpxCodecContext* context, KpxByteStream* stream,
                              KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    if (!context || !stream)
        return kKpxBadData;
    kpx::StreamBytes in(*stream);
    if (!in.valid())
        return kKpxCannotOpen;
    const std::span<const std::uint8_t> data = bitmapFromStream(in);
    const KpxResult result = loadFrom(*context, data, Start::FileHeader, progress);
    const HeaderResult header = readHeader(data);
    const std::uint64_t end = header.status == CodecStatus::Ok ? pixelDataEnd(header.header) : 0;
    in.seekTo(static_cast<std::size_t>(std::min<std::uint64_t>(end, data.size())));
    return result;
}
