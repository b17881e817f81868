#include <algorithm>
#include <cstring>

#include "BmiFormat.h"
#include "BmiRoutines.h"
#include "CodecDescriptions.h"
#include "CodecIo.h"
#include "DecodeLimits.h"
#include "PackerRowSink.h"
#include "RowCallbacks.h"

namespace {

using kpx::CodecStatus;
using namespace kpx::bmi;

enum class Rows { Skip, Load };

// What the walk over the directory found.
struct Walk {
    KpxResult result = kKpxOk;
    int images = 0;
    std::int32_t end = 0;
    ImageBlock wanted;
    bool found = false;
};

KpxResult resultOf(CodecStatus status) {
    return status == CodecStatus::Truncated ? kKpxReadError : kKpxBadData;
}

void copyPalette(KpxCodecContext& c, const std::uint8_t (&palette)[256][3]) {
    std::memcpy(c.palette, palette, sizeof c.palette);
}

bool withinLimits(std::span<const std::uint8_t> data, const ImageBlock& block) {
    const kpx::DecodeLimits& limits = kpx::kDefaultDecodeLimits;
    const auto width = static_cast<std::uint64_t>(block.width);
    const auto height = static_cast<std::uint64_t>(block.height);
    return kpx::withinSize(limits, width, height) &&
           kpx::dataCanFill(limits, width, height, static_cast<std::uint64_t>(block.bits),
                            reachableRows(data, block) * width);
}

// The header's values go into the context first; the wanted image's block replaces them.
void takeHeader(KpxCodecContext& c, const BmiIndex& index, std::int32_t fileSize) {
    kpx::setDescription(c, "");
    c.fileSize = fileSize;
    c.width = index.width;
    c.height = index.height;
    c.bitsPerPixel = index.bits;
    c.backgroundIndex = 0;
    c.dataSize = static_cast<std::int32_t>(
        std::min<std::uint64_t>(std::uint64_t{rowBytes(index.width, index.bits)} *
                                    static_cast<std::uint64_t>(std::max<int>(index.height, 0)),
                                INT32_MAX));
    if (index.hasPalette)
        copyPalette(c, index.palette);
}

void takeImageBlock(KpxCodecContext& c, const ImageBlock& block) {
    kpx::setDescriptionText(c, block.compressed ? kpx::description::kCompressed
                                                : kpx::description::kUncompressed);
    c.width = block.width;
    c.height = block.height;
    c.bitsPerPixel = block.bits;
    c.dataSize = block.dataSize;
    if (block.hasPalette)
        copyPalette(c, block.palette);
}

KpxResult readTransparencyInto(std::span<const std::uint8_t> data, std::size_t offset,
                               KpxTransparentEntry* transparent, std::int32_t* count) {
    const TransparencyList list = readTransparency(data, offset);
    if (list.status != CodecStatus::Ok)
        return resultOf(list.status);
    std::copy(list.entries.begin(), list.entries.end(), transparent);
    if (count)
        *count = static_cast<std::int32_t>(list.entries.size());
    return kKpxOk;
}

KpxResult readRotate(std::span<const std::uint8_t> data, std::size_t offset, KpxCodecContext& c) {
    const std::optional<std::int32_t> angle = readRotateAngle(data, offset);
    if (!angle)
        return kKpxReadError;
    c.rotateAngle = static_cast<std::int16_t>(*angle);
    return kKpxOk;
}

// Walks the directory: the wanted image's header and palette, the rotate angle, the
// transparency list when one is asked for, and the end of the data.
Walk walkDirectory(std::span<const std::uint8_t> data, const BmiIndex& index, KpxCodecContext& c,
                   KpxTransparentEntry* transparent, std::int32_t* count) {
    Walk walk;
    const int wanted = std::max<int>(c.frameNumber, 0);
    for (const DirectoryEntry& entry : index.entries) {
        const auto offset = static_cast<std::size_t>(std::max(entry.offset, 0));
        switch (entry.type) {
        case kEndOfData:
            walk.end = entry.offset;
            break;
        case kImageBlock:
            if (walk.images++ == wanted) {
                walk.wanted = readImageBlock(data, offset);
                if (walk.wanted.status != CodecStatus::Ok)
                    walk.result = resultOf(walk.wanted.status);
                walk.found = true;
            }
            break;
        case kTransparencyBlock:
            if (transparent)
                walk.result = readTransparencyInto(data, offset, transparent, count);
            break;
        case kRotateBlock:
            walk.result = readRotate(data, offset, c);
            break;
        default:
            break;
        }
        if (walk.result != kKpxOk)
            return walk;
    }
    return walk;
}

KpxResult loadRows(KpxCodecContext& c, std::span<const std::uint8_t> data, const ImageBlock& block,
                   KpxProgressProc progress) {
    if (block.width != c.width || block.height != c.height || block.bits != c.bitsPerPixel)
        return kKpxBadData;
    kpx::RowPacker packer(c, progress, kpx::packerSourceFor(block.bits));
    kpx::PackedRowSink sink(packer, block.bits, rowBytes(block.width, block.bits));
    const CodecStatus status = decodeImageRows(data, block, sink);
    if (status == CodecStatus::Stopped)
        return kKpxStopped;
    if (status != CodecStatus::Ok)
        return status == CodecStatus::OutOfMemory ? kKpxOutOfMemory : kKpxReadError;
    return kKpxOk;
}

// Info and load share the walk; load also decodes the wanted image's rows.
KpxResult read(KpxCodecContext& c, std::span<const std::uint8_t> data, std::int32_t fileSize,
               Rows rows, KpxProgressProc progress, KpxTransparentEntry* transparent,
               std::int32_t* count, std::int32_t* end) {
    if (data.size() < kHeaderBytes)
        return kKpxBadData;
    const BmiIndex index = readIndex(data);
    if (index.status != CodecStatus::Ok)
        return resultOf(index.status);
    if (rows == Rows::Skip)
        takeHeader(c, index, fileSize);
    const Walk walk = walkDirectory(data, index, c, transparent, count);
    if (end)
        *end = walk.end;
    if (walk.result != kKpxOk)
        return walk.result;
    if (rows == Rows::Skip) {
        c.frameCount = static_cast<std::int16_t>(walk.images);
        if (walk.found)
            takeImageBlock(c, walk.wanted);
    }
    // A second image that is not there is no failure of the info (the caller counts frames);
    // the first must be there.
    if (!walk.found)
        return c.frameNumber > 0 && rows == Rows::Skip ? kKpxOk : kKpxBadData;
    if (!withinLimits(data, walk.wanted))
        return kKpxBadData;
    return rows == Rows::Load ? loadRows(c, data, walk.wanted, progress) : kKpxOk;
}

// The BMI data at a stream's position: the header, palette and directory first, then everything
// up to the end the directory names (the rest of the stream when it names none).
std::span<const std::uint8_t> bmiFromStream(kpx::StreamBytes& in) {
    const std::span<const std::uint8_t> head = in.ensure(kHeaderBytes + 256 * 4 + 64 * kEntryBytes);
    const BmiIndex index = readIndex(head);
    if (index.status != CodecStatus::Ok)
        return in.ensure(SIZE_MAX);
    const auto end = std::find_if(index.entries.begin(), index.entries.end(),
                                  [](const DirectoryEntry& e) { return e.type == kEndOfData; });
    return end != index.entries.end() && end->offset > 0
               ? in.ensure(static_cast<std::size_t>(end->offset))
               : in.ensure(SIZE_MAX);
}

} // namespace

KpxResult KpxBmiGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                        KpxTransparentEntry* transparent, std::int32_t* count) {
    return kpx::withFileFrom(context, path, offset,
                             [=](KpxCodecContext& c, const kpx::FileBytes& file) {
                                 return read(c, file.bytes, file.fileSize, Rows::Skip, nullptr,
                                             transparent, count, nullptr);
                             });
}

KpxResult KpxBmiLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                     KpxProgressProc progress, KpxTransparentEntry* transparent,
                     std::int32_t* count) {
    return kpx::withFileFrom(context, path, offset,
                             [=](KpxCodecContext& c, const kpx::FileBytes& file) {
                                 return read(c, file.bytes, file.fileSize, Rows::Load, progress,
                                             transparent, count, nullptr);
                             });
}

KpxResult KpxBmiGetInfoOleStream(KpxCodecContext* context, KpxByteStream* stream,
                                 KpxTransparentEntry* transparent, std::int32_t* count) {
    if (!context || !stream)
        return kKpxBadData;
    kpx::StreamBytes in(*stream);
    if (!in.valid())
        return kKpxCannotOpen;
    const KpxResult result = read(*context, bmiFromStream(in), in.streamSize(), Rows::Skip, nullptr,
                                  transparent, count, nullptr);
    in.seekTo(0);
    return result;
}

KpxResult KpxBmiLoadOleStream(KpxCodecContext* context, KpxByteStream* stream,
                              KpxProgressProc progress, KpxTransparentEntry* transparent,
                              std::int32_t* count) {
    if (!context || !stream)
        return kKpxBadData;
    kpx::StreamBytes in(*stream);
    if (!in.valid())
        return kKpxCannotOpen;
    std::int32_t end = 0;
    const KpxResult result = read(*context, bmiFromStream(in), in.streamSize(), Rows::Load,
                                  progress, transparent, count, &end);
    in.seekTo(result == kKpxOk ? static_cast<std::size_t>(std::max(end, 0)) : 0);
    return result;
}
