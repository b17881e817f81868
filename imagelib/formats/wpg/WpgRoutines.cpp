#include "WpgRoutines.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "CodecDescriptions.h"
#include "CodecIo.h"
#include "DecodeLimits.h"
#include "FetchRowSource.h"
#include "PackerRowSink.h"
#include "RowCallbacks.h"
#include "WpgFormat.h"

namespace {

using kpx::CodecStatus;
using namespace kpx::wpg;

// Two bytes of row data give at most 255 bytes of rows (80 n: n bytes 0xFF). A repeat of rows
// counts for no more than its two bytes could give that way, so a few kilobytes of repeats never
// vouch for a huge picture.
bool withinLimits(const WpgScan& scan) {
    const kpx::DecodeLimits& limits = kpx::kDefaultDecodeLimits;
    const auto width = static_cast<std::uint64_t>(scan.width);
    const auto height = static_cast<std::uint64_t>(scan.height);
    const auto depth = static_cast<std::uint64_t>(scan.depth);
    const std::uint64_t reachBytes = kpx::runLengthReach(scan.rowsEnd - scan.rowsStart, 255);
    return kpx::withinSize(limits, width, height) &&
           kpx::dataCanFill(limits, width, height, depth, reachBytes * 8 / depth);
}

KpxResult info(KpxCodecContext& c, std::span<const std::uint8_t> data, std::int32_t fileSize) {
    kpx::setDescriptionText(c, kpx::description::kWordPerfect);
    c.fileSize = fileSize;
    c.width = 0;
    c.height = 0;
    c.bitsPerPixel = 0;
    const WpgScan scan = scanRecords(data);
    if (scan.status != CodecStatus::Ok || !withinLimits(scan))
        return kKpxBadData;
    kpx::setPictureSize(c, scan.width, scan.height, scan.depth);
    c.dataSize = kpx::planarDataSize(scan.width, scan.height, scan.depth);
    std::memcpy(c.palette, scan.palette, sizeof c.palette);
    return kKpxOk;
}

KpxResult load(KpxCodecContext& c, std::span<const std::uint8_t> data, KpxProgressProc progress) {
    const WpgScan scan = scanRecords(data);
    if (scan.status != CodecStatus::Ok)
        return kKpxBadData;
    if (scan.width != c.width || scan.height != c.height || scan.depth != c.bitsPerPixel ||
        !withinLimits(scan))
        return kKpxBadData;
    std::memcpy(c.palette, scan.palette, sizeof c.palette);
    kpx::RowPacker packer(c, progress, kpx::RowPacker::Source::Indices);
    kpx::PackerRowSink sink(packer);
    return kpx::toLoadResult(decodeRows(data, scan, sink));
}

} // namespace

KpxResult KpxWpgGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry*, std::int32_t*) {
    return kpx::infoOfWholeFile(context, path, offset, info);
}

KpxResult KpxWpgLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    return kpx::loadOfWholeFile(context, path, offset, progress, load);
}

KpxResult KpxWpgSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    kpx::FetchRowSource rows(*context, progress);
    const Picture picture{context->width, context->height, context->bitsPerPixel, rows.depth(),
                          context->palette};
    return kpx::encodeThenWrite(
        path, [&](std::vector<std::uint8_t>& bytes) { return encodeWpg(picture, rows, bytes); });
}
