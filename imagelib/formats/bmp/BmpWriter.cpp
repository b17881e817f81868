#include "BmpWriter.h"

#include <vector>

#include "BmpEncoder.h"
#include "CodecIo.h"
#include "FetchRowSource.h"

namespace {

// Encodes the image the context describes; a result code.
KpxResult encode(const KpxCodecContext& context, KpxProgressProc progress,
                 std::vector<std::uint8_t>& out) {
    kpx::FetchRowSource rows(context, progress);
    const kpx::bmp::EncodeImage image{context.width, context.height, rows.depth(), context.palette};
    return kpx::toResult(kpx::bmp::encodeBmp(image, rows, out));
}

} // namespace

KpxResult KpxBmpSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    std::vector<std::uint8_t> bytes;
    const KpxResult encoded = encode(*context, progress, bytes);
    if (encoded != kKpxOk)
        return encoded;
    return kpx::writeNewFile(path, bytes);
}

KpxResult KpxBmpSaveOleStream(KpxCodecContext* context, KpxByteStream* stream,
                              KpxProgressProc progress, const KpxTransparentEntry*, std::int32_t) {
    if (!context || !stream)
        return kKpxCannotCreate;
    std::vector<std::uint8_t> bytes;
    const KpxResult encoded = encode(*context, progress, bytes);
    if (encoded != kKpxOk)
        return encoded;
    return kpx::writeToStream(*stream, bytes);
}
