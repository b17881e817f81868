#include "MacPaintRoutines.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "CodecDescriptions.h"
#include "CodecIo.h"
#include "FetchRowSource.h"
#include "MacPaintFormat.h"
#include "PackerRowSink.h"
#include "RowCallbacks.h"

namespace {

using kpx::CodecStatus;
using namespace kpx::macpaint;

void blackAndWhite(KpxCodecContext& c) {
    std::memset(c.palette, 0, sizeof c.palette);
    std::fill_n(&c.palette[1][0], 3, std::uint8_t{255});
}

std::string fileNameOf(const char* path) {
    const std::string text = path;
    const std::size_t slash = text.find_last_of("/\\");
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

} // namespace

KpxResult KpxMacPaintGetInfo(KpxCodecContext* context, const char* path, std::int32_t offset,
                             KpxTransparentEntry*, std::int32_t*) {
    if (!context)
        return kKpxBadData;
    // A file that cannot be read gives no 128 bytes either.
    const auto file = kpx::readFileFrom(path, offset, kMacBinaryBytes);
    if (!file || file->bytes.size() < kMacBinaryBytes)
        return kKpxReadError;
    if (hasMacBinaryHeader(file->bytes))
        kpx::setDescriptionText(*context, kpx::description::kMacBinary);
    context->fileSize = file->fileSize;
    context->width = kWidth;
    context->height = kHeight;
    context->bitsPerPixel = 1;
    context->dataSize = static_cast<std::int32_t>(kLineBytes) * kHeight;
    blackAndWhite(*context);
    return kKpxOk;
}

KpxResult KpxMacPaintLoad(KpxCodecContext* context, const char* path, std::int32_t offset,
                          KpxProgressProc progress, KpxTransparentEntry*, std::int32_t*) {
    return kpx::withFileFrom(
        context, path, offset, [progress](KpxCodecContext& c, const kpx::FileBytes& file) {
            if (c.width != kWidth || c.height != kHeight || c.bitsPerPixel != 1)
                return kKpxBadData;
            const std::span<const std::uint8_t> data = file.bytes;
            const std::size_t start = std::min(linesStart(data), data.size());
            kpx::RowPacker packer(c, progress, kpx::RowPacker::Source::Indices);
            kpx::PackedRowSink sink(packer, 1, kLineBytes);
            return kpx::toLoadResult(decodeLines(data.subspan(start), sink));
        });
}

KpxResult KpxMacPaintSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                          const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    kpx::FetchRowSource rows(*context, progress);
    // The name of the file being saved, not of the temporary file the bytes go into first.
    const std::string name = context->targetName.empty() ? fileNameOf(path) : context->targetName;
    const Picture picture{context->width, context->height, rows.depth(), name,
                          static_cast<std::int64_t>(std::time(nullptr))};
    return kpx::encodeThenWrite(path, [&](std::vector<std::uint8_t>& bytes) {
        return encodeMacPaint(picture, rows, bytes);
    });
}
