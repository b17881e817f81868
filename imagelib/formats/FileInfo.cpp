#include "FileInfo.h"

#include "FileAccess.h"
#include "FormatDispatch.h"
#include "FormatId.h"
#include "FormatSniffing.h"
#include "RowCallbacks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

void fillInfo(KpxFileInfo* info, std::int32_t id, const KpxCodecContext& context, int alphaAs32) {
    std::memset(info, 0, sizeof *info);
    info->formatId = id;
    std::strncpy(info->description, context.description, sizeof info->description - 1);
    info->width = context.width;
    info->height = context.height;
    info->bitsPerPixel = KpxNormalizeBitCount(context.bitsPerPixel);
    if (alphaAs32 && context.flags == kKpxFlagHasAlpha)
        info->bitsPerPixel = 32;
    info->fileSize = context.fileSize;
    info->dataSize = context.dataSize;
    if (info->dataSize == 0) {
        const std::uint64_t size =
            static_cast<std::uint64_t>(KpxScanBytes(context.width, info->bitsPerPixel)) *
            static_cast<std::uint64_t>(context.height > 0 ? context.height : 0);
        info->dataSize = size > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
                             ? std::numeric_limits<std::int32_t>::max()
                             : static_cast<std::int32_t>(size);
    }
    info->frameCount = context.frameCount;
    info->rotateAngle = context.rotateAngle;
}

} // namespace

namespace kpx {

void prepareInfoContext(KpxCodecContext& context) {
    kpx::resetContext(context);
    context.frameCount = 1;
    context.delay = 100;
    context.loopCount = -1;
    context.transparentColor = kKpxNoTransparentColor;
    context.readExtensions = 0;
}

} // namespace kpx

int KpxGetInfoFileCore(const char* path, std::int32_t offset, KpxFileInfo* info, int alphaAs32,
                       int photoCdResolution) {
    if (!path || !info)
        return 0;
    // Recognising the format and the info step read one open file.
    const kpx::FileSession session(path);
    KpxCodecContext context;
    kpx::prepareInfoContext(context);
    const std::int32_t id = KPXGetFormatFileOffset(path, offset);
    if (id == 0)
        return 0;
    if (id == formatNumber(FormatId::PhotoCd))
        context.disposal = static_cast<std::int16_t>(photoCdResolution);
    if (KpxGetInfoByFormat(&context, path, offset, id, nullptr, nullptr) != kKpxOk)
        return 0;
    fillInfo(info, id, context, alphaAs32);
    return info->width >= 1 && info->height >= 1 && info->bitsPerPixel >= 1 ? 1 : 0;
}

int KPXGetInfoFile(const char* path, KpxFileInfo* info) {
    return KpxGetInfoFileCore(path, 0, info, 0, -1);
}

int KPXGetInfoFileEx(const char* path, KpxFileInfo* info) {
    return KpxGetInfoFileCore(path, 0, info, 1, -1);
}

int KPXGetInfoFileOffset(const char* path, std::int32_t offset, KpxFileInfo* info) {
    return KpxGetInfoFileCore(path, offset, info, 0, -1);
}

int KPXGetInfoFileStreamCB(KpxStreamCallbacks* stream, KpxFileInfo* info) {
    if (!stream || !info)
        return 0;
    std::int32_t id = 0;
    if (KpxSniffFormatStreamCB(&id, stream) == 0)
        return 0;
    KpxCodecContext context;
    kpx::prepareInfoContext(context);
    if (KpxGetInfoByFormatStreamCB(&context, stream, id, nullptr, nullptr) != kKpxOk)
        return 0;
    fillInfo(info, id, context, 0);
    return 1;
}

int KPXNewSizeCalculateProp(int width, int height, int* boxWidth, int* boxHeight) {
    if (!boxWidth || !boxHeight || *boxWidth == 0 || *boxHeight == 0)
        return 0;
    const double scale =
        std::max(static_cast<double>(width) / *boxWidth, static_cast<double>(height) / *boxHeight);
    if (scale == 0.0 || !std::isfinite(scale))
        return 0;
    *boxWidth = static_cast<int>(width / scale + 0.5);
    *boxHeight = static_cast<int>(height / scale + 0.5);
    return 1;
}
