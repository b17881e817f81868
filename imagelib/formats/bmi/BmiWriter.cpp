#include <vector>

#include "BmiFormat.h"
#include "BmiRoutines.h"
#include "CodecIo.h"
#include "FetchRowSource.h"

namespace {

using kpx::CodecStatus;
using namespace kpx::bmi;

std::span<const KpxTransparentEntry> listOf(const KpxTransparentEntry* transparent,
                                            std::int32_t count) {
    if (!transparent || count <= 0)
        return {};
    return {transparent, static_cast<std::size_t>(std::min(count, kMaxTransparentEntries))};
}

Picture pictureOf(const KpxCodecContext& c, const kpx::FetchRowSource& rows) {
    return {c.width, c.height, rows.depth(), c.palette};
}

kpx::bmi::WrittenFile encodeFile(const KpxCodecContext& c, KpxProgressProc progress,
                                 const KpxTransparentEntry* transparent, std::int32_t count) {
    kpx::FetchRowSource rows(c, progress);
    return writeFile(pictureOf(c, rows), rows, listOf(transparent, count), c.rotateAngle);
}

std::vector<std::uint8_t> entryBytes(std::int16_t type, std::int32_t offset) {
    std::vector<std::uint8_t> entry;
    putEntry(entry, type, offset);
    return entry;
}

// Appends the image as the second one of the BMI data the stream's position ends: its block
// at the end, its entry in the spare slot and the new end in the slot after.
KpxResult appendImage(KpxCodecContext& c, KpxByteStream& stream, KpxProgressProc progress) {
    if (c.streamSpareSlot <= 0 || c.streamDataEnd <= 0)
        return kKpxOk;
    const std::int64_t here = stream.seek(0, SEEK_CUR);
    const std::int64_t base = here - c.streamDataEnd;
    if (here < 0 || base < 0)
        return kKpxWriteError;
    std::vector<std::uint8_t> block;
    kpx::FetchRowSource rows(c, progress);
    const CodecStatus status = writeImageBlock(pictureOf(c, rows), rows, block);
    if (status != CodecStatus::Ok)
        return kpx::toResult(status);
    const auto newEnd =
        static_cast<std::int32_t>(c.streamDataEnd + static_cast<std::int64_t>(block.size()));
    const std::int64_t slot = base + c.streamSpareSlot;
    if (kpx::writeToStream(stream, block) != kKpxOk || stream.seek(slot, SEEK_SET) != slot ||
        kpx::writeToStream(stream, entryBytes(kImageBlock, c.streamDataEnd)) != kKpxOk ||
        kpx::writeToStream(stream, entryBytes(kEndOfData, newEnd)) != kKpxOk) {
        stream.seek(here, SEEK_SET);
        return kKpxWriteError;
    }
    stream.seek(base + newEnd, SEEK_SET);
    c.streamSpareSlot += static_cast<std::int32_t>(kEntryBytes);
    c.streamDataEnd = newEnd;
    return kKpxOk;
}

} // namespace

KpxResult KpxBmiSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry* transparent, std::int32_t count) {
    if (!context || !path)
        return kKpxCannotCreate;
    const WrittenFile file = encodeFile(*context, progress, transparent, count);
    if (file.status != CodecStatus::Ok)
        return kpx::toResult(file.status);
    return kpx::writeNewFile(path, file.bytes);
}

KpxResult KpxBmiSaveOleStream(KpxCodecContext* context, KpxByteStream* stream,
                              KpxProgressProc progress, const KpxTransparentEntry* transparent,
                              std::int32_t count) {
    if (!context || !stream)
        return kKpxCannotCreate;
    if (context->frameNumber != 0)
        return appendImage(*context, *stream, progress);
    const WrittenFile file = encodeFile(*context, progress, transparent, count);
    if (file.status != CodecStatus::Ok)
        return kpx::toResult(file.status);
    const KpxResult written = kpx::writeToStream(*stream, file.bytes);
    if (written == kKpxOk) {
        context->streamSpareSlot = file.spareSlot;
        context->streamDataEnd = static_cast<std::int32_t>(file.bytes.size());
    }
    return written;
}
