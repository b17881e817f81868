#include "TgaRoutines.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "CodecDescriptions.h"
#include "CodecIo.h"
#include "DecodeLimits.h"
#include "FetchRowSource.h"
#include "PackerRowSink.h"
#include "RowCallbacks.h"
#include "TgaFormat.h"

namespace {

using kpx::CodecStatus;
using namespace kpx::tga;

constexpr std::int16_t kFlagBottomUp = 0x40;

bool withinLimits(std::uint64_t size, const TgaHeader& h) {
    const kpx::DecodeLimits& limits = kpx::kDefaultDecodeLimits;
    const auto width = static_cast<std::uint64_t>(h.width);
    const auto height = static_cast<std::uint64_t>(h.height);
    return kpx::withinSize(limits, width, height) &&
           kpx::dataCanFill(limits, width, height, static_cast<std::uint64_t>(h.depth),
                            dataReach(size, h));
}

KpxResult info(KpxCodecContext& c, std::span<const std::uint8_t> data, std::uint64_t size,
               std::int32_t fileSize) {
    kpx::setDescriptionText(c, kpx::description::kUncompressed);
    c.fileSize = fileSize;
    const HeaderResult header = readHeader(data);
    if (header.status != CodecStatus::Ok)
        return kKpxBadData;
    const TgaHeader& h = header.header;
    if (isRunLength(h))
        kpx::setDescriptionText(c, kpx::description::kRunLength);
    kpx::setPictureSize(c, h.width, h.height, h.depth);
    c.flags = topRowFirst(h) ? 0 : kFlagBottomUp;
    c.dataSize = kpx::planarDataSize(h.width, h.height, h.depth);
    std::memcpy(c.palette, h.palette, sizeof c.palette);
    return withinLimits(size, h) ? kKpxOk : kKpxBadData;
}

KpxResult load(KpxCodecContext& c, std::span<const std::uint8_t> data, KpxProgressProc progress) {
    const HeaderResult header = readHeader(data);
    if (header.status != CodecStatus::Ok)
        return header.status == CodecStatus::Truncated ? kKpxReadError : kKpxBadData;
    const TgaHeader& h = header.header;
    if (h.width != c.width || h.height != c.height || h.depth != c.bitsPerPixel ||
        !withinLimits(data.size(), h))
        return kKpxBadData;
    kpx::RowPacker packer(c, progress,
                          isTrueColour(h) ? kpx::RowPacker::Source::Bgr
                                          : kpx::RowPacker::Source::Indices);
    kpx::PackerRowSink sink(packer);
    return kpx::toLoadResult(decodePixels(data, h, sink));
}

} // namespace

KpxResult KpxTgaGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry*, std::int32_t*) {
    if (!context)
        return kKpxBadData;
    // The headers and the colour map are enough; the file's length bounds the pixels.
    const auto file = kpx::readFileFrom(path, offset, kLongestHeader);
    if (!file)
        return kKpxCannotOpen;
    return info(*context, file->bytes, kpx::bytesFromOffset(*file, offset), file->fileSize);
}

KpxResult KpxTgaLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    return kpx::loadOfWholeFile(context, path, offset, progress, load);
}

KpxResult KpxTgaSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    kpx::FetchRowSource rows(*context, progress);
    const Picture picture{context->width, context->height, context->bitsPerPixel, rows.depth(),
                          context->palette};
    return kpx::encodeToFile(path,
                             [&](kpx::ByteSink& out) { return encodeTga(picture, rows, out); });
}
