#include <vector>

#include "CodecIo.h"
#include "FetchRowSource.h"
#include "PcxFormat.h"
#include "PcxRoutines.h"

KpxResult KpxPcxSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    kpx::FetchRowSource rows(*context, progress);
    const kpx::pcx::Picture picture{context->width, context->height, context->bitsPerPixel,
                                    rows.depth(), context->palette};
    return kpx::encodeToFile(
        path, [&](kpx::ByteSink& out) { return kpx::pcx::encodePcx(picture, rows, out); });
}
