#include "JpegWriter.h"

#include "CodecFiles.h"
#include "JpegCodec.h"

#include <algorithm>
#include <vector>

namespace {

namespace jpeg = kpx::jpeg;

constexpr int kMinQuality = 2;
constexpr int kMaxQuality = 100;
constexpr std::int32_t kGreyOption = 1;

} // namespace

KpxResult KpxJpegSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                      const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotOpen;
    kpx::SaveRows rows(*context, progress);
    const int depth = rows.depth();
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)
        return kKpxWriteError;
    const jpeg::JpegEncodeOptions options{
        .width = static_cast<std::uint32_t>(std::max<int>(context->width, 0)),
        .height = static_cast<std::uint32_t>(std::max<int>(context->height, 0)),
        .grey = context->saveOption == kGreyOption,
        .quality = std::clamp<int>(context->saveOption2, kMinQuality, kMaxQuality)};
    std::vector<std::uint8_t> bytes;
    jpeg::JpegWriter writer(bytes);
    if (!writer.start(options))
        return kKpxWriteError;
    std::vector<std::uint8_t> converted(std::size_t{options.width} * (options.grey ? 1 : 3));
    for (std::uint32_t y = 0; y < options.height; ++y) {
        const std::uint8_t* row = rows.fetch(static_cast<int>(y));
        if (!row)
            return kKpxStopped;
        const bool asStored = !options.grey && depth == 24;
        if (options.grey)
            rows.toGrey(row, converted.data());
        else if (!asStored)
            rows.toBgr(row, converted.data());
        if (!writer.writeRow(asStored ? row : converted.data()))
            return kKpxWriteError;
    }
    if (!writer.finish())
        return kKpxWriteError;
    const KpxResult written = kpx::writeWholeFile(path, bytes);
    return written == kKpxCannotCreate ? kKpxCannotOpen : written;
}
