#include "ImageLinks.h"

#include "ImageTable.h"

namespace {

enum class Attachment { Mask, Explicit };

int attachImage(KpxHandle image, KpxHandle attached, Attachment which) {
    if (!image || image == attached)
        return 0;
    kpx::ImageLock record(image, kKpxWrite);
    if (!record)
        return 0;
    std::int32_t& link =
        which == Attachment::Mask ? record->maskImage : record->explicitTransparency;
    if (attached && link == attached)
        return 1;
    kpx::deleteLinkedImage(link);
    if (!attached)
        return 1;
    int depth = 0;
    {
        kpx::ImageLock other(attached, kKpxRead);
        depth = other ? other->bitCount() : 0;
    }
    if (depth != 1 && depth != 8)
        return 0;
    link = attached;
    return 1;
}

} // namespace

void kpx::deleteLinkedImage(std::int32_t& link) {
    if (link)
        KPXDeleteImage(static_cast<KpxHandle>(link));
    link = 0;
}

int KPXSetImageTransparentMask(KpxHandle image, KpxHandle mask) {
    return attachImage(image, mask, Attachment::Mask);
}

int KPXSetImageTransparentEx(KpxHandle image, KpxHandle ex) {
    return attachImage(image, ex, Attachment::Explicit);
}

KpxHandle KPXGetImageTransparentImageEx(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    return record ? static_cast<KpxHandle>(record->explicitTransparency) : 0;
}

int KPXClearTemporaryImages(KpxHandle image) {
    if (!image)
        return 0;
    kpx::ImageLock record(image, kKpxWrite);
    if (!record)
        return 0;
    kpx::deleteLinkedImage(record->derivedImage);
    kpx::deleteLinkedImage(record->maskImage);
    return 1;
}
