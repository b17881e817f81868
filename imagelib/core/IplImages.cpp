#include "IplImages.h"

#include "ImageTable.h"
#include "PixelAccess.h"

#include <cstdint>
#include <cstring>

namespace kpx::ipl {

std::optional<Image> describe(KpxHandle image) {
    if (!image)
        return std::nullopt;
    ImageLock record(image, kKpxRead);
    if (!hasPixels(record.get()))
        return std::nullopt;
    Image description;
    switch (record->bitCount()) {
    case 1:
        description.channels = 1;
        description.bitsPerChannel = 1;
        break;
    case 8:
        description.channels = 1;
        description.bitsPerChannel = 8;
        break;
    case 24:
        description.channels = 3;
        description.bitsPerChannel = 8;
        break;
    default:
        return std::nullopt;
    }
    description.width = record->width();
    description.height = record->height();
    description.rowBytes = record->rowBytes();
    description.data = record->bits;
    description.bottomUp = true;
    if (description.width <= 0 || description.height <= 0 ||
        pixelBytes(*record.get()) < description.rowBytes * description.height)
        return std::nullopt;
    return description;
}

void pixelsChanged(KpxHandle image) {
    ImageLock record(image, kKpxRead);
    if (record)
        KpxInvalidateChecksum(record.get());
}

TemporaryImage::~TemporaryImage() {
    if (handle_)
        KPXDeleteImage(handle_);
}

KpxHandle TemporaryImage::release() {
    const KpxHandle handle = handle_;
    handle_ = 0;
    return handle;
}

namespace {

bool needsCopy(KpxHandle source) {
    const int depth = source ? KPXbpp(source) : 0;
    return depth != 0 && depth != 1 && depth != 24;
}

} // namespace

WorkingSource::WorkingSource(KpxHandle source)
    : source_(source),
      copy_(needsCopy(source) ? KPXColorConvert(source, 24, 0, 1, 0, nullptr, nullptr) : 0) {
    if (needsCopy(source) && !copy_.get())
        return;
    image_ = describe(handle());
}

KpxHandle createLike(const WorkingSource& source) {
    if (!source.image())
        return 0;
    const Image& image = *source.image();
    const int depth = image.bitsPerChannel == 1 ? 1 : 24;
    const KpxHandle created = KPXCreateImage(image.width, image.height, depth);
    if (created && depth == 1) {
        ImageLock from(source.handle(), kKpxRead);
        ImageLock to(created, kKpxWrite);
        if (from && to)
            std::memcpy(to->colors(), from->colors(), 2 * sizeof(RGBQUAD));
        to.unlock();
        from.unlock();
        KPXFillDIBColorTable(created);
    }
    return created;
}

kfm::ipl::Rect toRect(const RECT& rect) {
    // Differences of extreme values would not fit an int: such rectangles become empty.
    const std::int64_t width = std::int64_t{rect.right} - rect.left;
    const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
    if (width > INT32_MAX || height > INT32_MAX)
        return {rect.left, rect.top, 0, 0};
    return {rect.left, rect.top, static_cast<int>(width), static_cast<int>(height)};
}

} // namespace kpx::ipl
