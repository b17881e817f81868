#include "JpegWriter.h"

#include "CodecIo.h"
#include "CodecPictures.h"
#include "EncoderRows.h"
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
    const bool grey = context->saveOption == kGreyOption;
    kpx::EncoderRows rows(*context, progress,
                          grey ? kpx::EncoderRows::Form::Grey : kpx::EncoderRows::Form::Bgr);
    const int depth = rows.depth();
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)
        return kKpxWriteError;
    const jpeg::JpegEncodeOptions options{
        .width = static_cast<std::uint32_t>(std::max<int>(context->width, 0)),
        .height = static_cast<std::uint32_t>(std::max<int>(context->height, 0)),
        .grey = grey,
        .quality = std::clamp<int>(context->saveOption2, kMinQuality, kMaxQuality)};
    kpx::FileByteSink sink(path);
    if (!sink.opened())
        return kKpxCannotOpen;
    jpeg::JpegWriter writer(sink);
    if (!writer.start(options))
        return kKpxWriteError;
    for (std::uint32_t y = 0; y < options.height; ++y) {
        const std::span<const std::uint8_t> row = rows.row(static_cast<int>(y));
        if (row.empty())
            return kKpxStopped;
        if (!writer.writeRow(row.data()))
            return kKpxWriteError;
    }
    if (!writer.finish())
        return kKpxWriteError;
    return sink.finish();
}
