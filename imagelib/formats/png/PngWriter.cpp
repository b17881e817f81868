#include "PngWriter.h"

#include "CodecIo.h"
#include "CodecPictures.h"
#include "EncoderRows.h"
#include "PngCodec.h"

#include <algorithm>
#include <vector>

namespace {

using kpx::CodecStatus;

constexpr std::int32_t kInterlacedBit = 0x80;

kpx::png::PngEncodeOptions optionsFor(const KpxCodecContext& context, int depth) {
    kpx::png::PngEncodeOptions options;
    options.width = static_cast<std::uint32_t>(std::max<int>(context.width, 0));
    options.height = static_cast<std::uint32_t>(std::max<int>(context.height, 0));
    options.depth = depth <= 8 ? depth : 24;
    options.interlaced = (context.saveOption & 0xFF & kInterlacedBit) != 0;
    if (depth <= 8)
        for (int i = 0; i < (1 << depth); ++i)
            options.palette.push_back(
                {context.palette[i][0], context.palette[i][1], context.palette[i][2]});
    return options;
}

} // namespace

KpxResult KpxPngSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    kpx::EncoderRows rows(*context, progress, kpx::EncoderRows::Form::PackedOrBgr);
    const int depth = rows.depth();
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)
        return kKpxCannotCreate;
    kpx::FileByteSink sink(path);
    if (!sink.opened())
        return kKpxCannotCreate;
    const CodecStatus status = kpx::png::encode(optionsFor(*context, depth), rows, sink);
    switch (status) {
    case CodecStatus::Ok:
        return sink.finish();
    case CodecStatus::Stopped:
        return kKpxStopped;
    case CodecStatus::OutOfMemory:
        return kKpxOutOfMemory;
    case CodecStatus::Unsupported:
        return kKpxCannotCreate;
    default:
        return kKpxWriteError;
    }
}
