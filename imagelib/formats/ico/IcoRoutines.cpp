#include "IcoRoutines.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "BmpDecoder.h"
#include "CodecDescriptions.h"
#include "CodecIo.h"
#include "DecodeLimits.h"
#include "FetchRowSource.h"
#include "IcoFormat.h"
#include "NearestColor.h"
#include "PackerRowSink.h"
#include "RowCallbacks.h"

namespace {

using kpx::CodecStatus;
using namespace kpx::ico;

constexpr std::int16_t kBackgroundIndex = 15;

kpx::RowPacker::Source sourceOf(const kpx::bmp::BmpHeader& h) {
    switch (kpx::bmp::pixelKind(h)) {
    case kpx::bmp::PixelKind::Bgr:
        return kpx::RowPacker::Source::Bgr;
    case kpx::bmp::PixelKind::Bgra:
        return kpx::RowPacker::Source::Bgra;
    case kpx::bmp::PixelKind::Indices:
        break;
    }
    return kpx::RowPacker::Source::Indices;
}

// The chosen entry's picture; a result code when there is none to read.
KpxResult chosenImage(std::span<const std::uint8_t> data, IconImage& image) {
    const Directory directory = readDirectory(data);
    if (directory.status != CodecStatus::Ok)
        return kKpxBadData;
    image = readImage(data, directory.entries[chooseEntry(directory)]);
    return image.status == CodecStatus::Ok ? kKpxOk : kKpxReadError;
}

KpxResult info(KpxCodecContext& c, std::span<const std::uint8_t> data, std::int32_t fileSize) {
    c.width = 0;
    c.height = 0;
    c.bitsPerPixel = 0;
    kpx::setDescriptionText(c, kpx::description::kIcon);
    c.fileSize = fileSize;
    IconImage image;
    if (const KpxResult result = chosenImage(data, image); result != kKpxOk)
        return result;
    const kpx::bmp::BmpHeader& h = image.bitmap;
    if (!kpx::withinSize(kpx::kDefaultDecodeLimits, static_cast<std::uint32_t>(h.width),
                         static_cast<std::uint32_t>(h.height)))
        return kKpxBadData;
    c.width = static_cast<std::int16_t>(h.width);
    c.height = static_cast<std::int16_t>(h.height);
    c.bitsPerPixel = static_cast<std::int16_t>(h.bitCount);
    c.backgroundIndex = kBackgroundIndex;
    c.dataSize = static_cast<std::int32_t>(kpx::bmp::storedRowBytes(h) *
                                           static_cast<std::uint64_t>(h.height));
    std::memcpy(c.palette, h.palette, sizeof c.palette);
    return kKpxOk;
}

// The palette index nearest to white among the picture's colours.
std::uint8_t nearestToWhite(const kpx::bmp::BmpHeader& h) {
    if (h.bitCount > 8)
        return 0;
    std::vector<kpx::Rgb> colours(std::size_t{1} << h.bitCount);
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = {h.palette[i][0], h.palette[i][1], h.palette[i][2]};
    return static_cast<std::uint8_t>(
        kpx::nearestPaletteIndex(colours.data(), static_cast<int>(colours.size()), 255, 255, 255));
}

KpxResult load(KpxCodecContext& c, std::span<const std::uint8_t> data, KpxProgressProc progress) {
    IconImage image;
    if (const KpxResult result = chosenImage(data, image); result != kKpxOk)
        return result;
    const kpx::bmp::BmpHeader& h = image.bitmap;
    if (h.width != c.width || h.height != c.height || h.bitCount != c.bitsPerPixel)
        return kKpxBadData;
    kpx::RowPacker packer(c, progress, sourceOf(h));
    kpx::PackerRowSink sink(packer);
    return kpx::toLoadResult(decodeImage(data, image, nearestToWhite(h), sink));
}

} // namespace

KpxResult KpxIcoGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry*, std::int32_t*) {
    return kpx::infoOfWholeFile(context, path, offset, info);
}

KpxResult KpxIcoLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    return kpx::loadOfWholeFile(context, path, offset, progress, load);
}

KpxResult KpxIcoSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    kpx::FetchRowSource rows(*context, progress);
    const Picture picture{context->width, context->height, rows.depth(), context->palette,
                          context->transparencyPlane};
    return kpx::encodeThenWrite(
        path, [&](std::vector<std::uint8_t>& bytes) { return encodeIco(picture, rows, bytes); });
}
