#include <algorithm>
#include <cstring>

#include "CodecDescriptions.h"
#include "CodecIo.h"
#include "DecodeLimits.h"
#include "PackerRowSink.h"
#include "PcxFormat.h"
#include "PcxRoutines.h"
#include "RowCallbacks.h"

namespace {

using kpx::CodecStatus;
using namespace kpx::pcx;

KpxResult headerFailure(CodecStatus status) {
    return status == CodecStatus::Ok ? kKpxOk : kKpxBadData;
}

// size: the length of the file from its header on.
bool withinLimits(std::uint64_t size, const PcxHeader& h) {
    const kpx::DecodeLimits& limits = kpx::kDefaultDecodeLimits;
    const auto width = static_cast<std::uint64_t>(h.width);
    const auto height = static_cast<std::uint64_t>(h.height);
    const std::uint64_t lines = size > kHeaderBytes ? size - kHeaderBytes : 0;
    return kpx::withinSize(limits, width, height) &&
           kpx::dataCanFill(limits, width, height, static_cast<std::uint64_t>(h.depth),
                            dataReach(lines, h));
}

KpxResult info(KpxCodecContext& c, std::span<const std::uint8_t> data,
               std::span<const std::uint8_t> tail, std::uint64_t size, std::int32_t fileSize) {
    kpx::setDescriptionText(c, kpx::description::kRunLength);
    c.fileSize = fileSize;
    const HeaderResult header = readHeader(data);
    if (header.status != CodecStatus::Ok)
        return headerFailure(header.status);
    const PcxHeader& h = header.header;
    kpx::setPictureSize(c, h.width, h.height, h.depth);
    c.dataSize = static_cast<std::int32_t>(std::min<std::uint64_t>(
        (static_cast<std::uint64_t>(h.depth) * static_cast<std::uint64_t>(h.width) + 31) / 32 * 4 *
            static_cast<std::uint64_t>(h.height),
        INT32_MAX));
    paletteOf(h, tail, c.palette);
    return withinLimits(size, h) ? kKpxOk : kKpxBadData;
}

KpxResult load(KpxCodecContext& c, std::span<const std::uint8_t> data, KpxProgressProc progress) {
    const HeaderResult header = readHeader(data);
    if (header.status != CodecStatus::Ok)
        return headerFailure(header.status);
    const PcxHeader& h = header.header;
    if (h.width != c.width || h.height != c.height || h.depth != c.bitsPerPixel ||
        !withinLimits(data.size(), h))
        return kKpxBadData;
    kpx::RowPacker packer(c, progress,
                          isTrueColour(h) ? kpx::RowPacker::Source::Bgr
                                          : kpx::RowPacker::Source::Indices);
    kpx::PackerRowSink sink(packer);
    const std::span<const std::uint8_t> lines = data.subspan(kHeaderBytes);
    const DecodeResult decoded = decodeLines(lines, h, sink);
    if (decoded.status != CodecStatus::Ok)
        return kpx::toLoadResult(decoded.status);
    if (h.depth == 8 && h.version >= 5 &&
        trailingPalette(lines.subspan(decoded.consumed), c.palette))
        c.flags = kKpxFlagPaletteLearned;
    return kKpxOk;
}

} // namespace

KpxResult KpxPcxGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry*, std::int32_t*) {
    if (!context)
        return kKpxBadData;
    // The header, and the palette that may end the file; the file's length bounds the lines.
    const auto file = kpx::readFileFrom(path, offset, kHeaderBytes);
    if (!file)
        return kKpxCannotOpen;
    const kpx::ByteBuffer tail = kpx::readFileTail(path, kTrailingPaletteBytes);
    return info(*context, file->bytes, tail, kpx::bytesFromOffset(*file, offset), file->fileSize);
}

KpxResult KpxPcxLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    return kpx::loadOfWholeFile(context, path, offset, progress, load);
}
