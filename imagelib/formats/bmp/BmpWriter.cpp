#include "BmpWriter.h"

#include <vector>

#include "BmpEncoder.h"
#include "CodecIo.h"
#include "FetchRowSource.h"

namespace {

// Encodes the image the context describes.
kpx::CodecStatus encode(const KpxCodecContext& context, KpxProgressProc progress,
                        kpx::ByteSink& out) {
    kpx::FetchRowSource rows(context, progress);
    const kpx::bmp::EncodeImage image{context.width, context.height, rows.depth(), context.palette};
    return kpx::bmp::encodeBmp(image, rows, out);
}

} // namespace

KpxResult KpxBmpSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    return kpx::encodeToFile(path,
                             [&](kpx::ByteSink& out) { return encode(*context, progress, out); });
}

KpxResult KpxBmpSaveOleStream(KpxCodecContext* context, KpxByteStream* stream,
                              KpxProgressProc progress, const KpxTransparentEntry*, std::int32_t) {
    if (!context || !stream)
        return kKpxCannotCreate;
    kpx::ByteSink bytes;
    const kpx::CodecStatus encoded = encode(*context, progress, bytes);
    if (encoded != kpx::CodecStatus::Ok)
        return kpx::toResult(encoded);
    return kpx::writeToStream(*stream, bytes.bytes());
}
