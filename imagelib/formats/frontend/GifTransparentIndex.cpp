#include "GifTransparentIndex.h"

#include "CodecContext.h"
#include "FileInfo.h"
#include "FormatId.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "LoadFrontEnd.h"
#include "PixelAccess.h"
#include "SaveFrontEnd.h"
#include "Transparency.h"

namespace {

// The palette index at (x, y) counted from the top, or -1 for images without a colour table.
int indexAtPoint(KpxHandle image, int x, int y) {
    const kpx::ImageLock record(image, kKpxRead);
    if (!record || record->bitCount() > 8 || x < 0 || y < 0 || x >= record->width() ||
        y >= record->height())
        return -1;
    return kpx::indexAt(kpx::pictureRow(*record.get(), y), x, record->bitCount());
}

} // namespace

int KPXSetImageTransparentOrig(const char* path, int x, int y, int clear) {
    KpxFileInfo info{};
    if (!path || !KPXGetInfoFile(path, &info) || info.formatId != formatNumber(FormatId::Gif) ||
        info.frameCount > 1 || x < 0 || y < 0 || x >= info.width || y >= info.height)
        return 0;
    const KpxHandle image = KPXLoadImage(nullptr, path, nullptr);
    if (!image)
        return 0;
    const int index = clear ? -1 : indexAtPoint(image, x, y);
    if (index >= 0) {
        KpxTransparentEntry entry{};
        entry.mode = 1;
        entry.blue = index;
        KPXSetImageTransparent(image, &entry, 1);
    } else {
        KPXSetImageTransparent(image, nullptr, 0);
    }
    // The save writes a temporary file beside the target and renames it over the target only
    // when it is complete, so a failure leaves the file as it was.
    const int saved = KPXSaveImage(image, path, formatNumber(FormatId::Gif), 4, 70, nullptr);
    KPXDeleteImage(image);
    return saved;
}
