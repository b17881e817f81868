// Previews of vector and document files: the bitmap a file carries, else its picture drawn.

#include "VectorFormats.h"

#include "FileAccess.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "MemoryDC.h"
#include "PreviewParsers.h"

#include "memory/GlobalMemory.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace {

namespace preview = kpx::preview;

// Previews are made one at a time, apart from the vector loads.
std::atomic<bool> previewBusy{false};

// Clears a busy flag taken before it was made.
class BusyScope {
public:
    explicit BusyScope(std::atomic<bool>& flag) : flag_(flag) {}
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<bool>& flag_;
};

struct Box {
    int width;
    int height;
};

// An image of a packed DIB, handed over in movable memory as the clipboard's DIBs are.
KpxHandle imageOfPackedDib(const std::vector<std::uint8_t>& dib) {
    if (dib.empty())
        return 0;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, dib.size());
    void* memory = block ? GlobalLock(block) : nullptr;
    if (!memory) {
        GlobalFree(block);
        return 0;
    }
    std::memcpy(memory, dib.data(), dib.size());
    GlobalUnlock(block);
    const KpxHandle image = KPXCreateImageFromGlobal(block);
    GlobalFree(block);
    return image;
}

KpxHandle imageOfBitmap(const std::optional<preview::PreviewBitmap>& bitmap) {
    if (!bitmap)
        return 0;
    kpx::ScopedImage image(KPXCreateImage(bitmap->width, bitmap->height, bitmap->depth));
    if (!image)
        return 0;
    {
        kpx::ImageLock record(image.get(), kKpxWrite);
        if (!kpx::hasWholePixels(record.get()) || record->bitCount() != bitmap->depth)
            return 0;
        RGBQUAD* colours = record->colors();
        const std::size_t entries =
            std::min<std::size_t>(bitmap->palette.size() / 3, record->colorCount());
        for (std::size_t i = 0; i < entries; ++i)
            colours[i] = RGBQUAD{bitmap->palette[3 * i + 2], bitmap->palette[3 * i + 1],
                                 bitmap->palette[3 * i], 0};
        // The bitmap's rows come top first; the image keeps its bottom row first.
        const std::size_t rowBytes = bitmap->rowBytes();
        for (int y = 0; y < bitmap->height; ++y)
            std::memcpy(record->bits +
                            static_cast<std::size_t>(bitmap->height - 1 - y) * record->rowBytes(),
                        bitmap->rows.data() + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    }
    KPXFillDIBColorTable(image.get());
    return image.release();
}

// Where a picture of width x height goes in an image of the given size: as large as fits,
// centred. A picture without a size fills the image.
RECT centredPlace(int width, int height, int imageWidth, int imageHeight) {
    if (width <= 0 || height <= 0)
        return {0, 0, imageWidth, imageHeight};
    const double t = std::max(static_cast<double>(width) / imageWidth,
                              static_cast<double>(height) / imageHeight);
    const int drawnWidth = static_cast<int>(std::lround(width / t));
    const int drawnHeight = static_cast<int>(std::lround(height / t));
    const int left = (imageWidth - drawnWidth) / 2;
    const int top = (imageHeight - drawnHeight) / 2;
    return {left, top, left + drawnWidth, top + drawnHeight};
}

// A 24-bit image of `scale` times the box with the picture drawn on white; 0 when the picture
// does not draw.
KpxHandle drawnPicture(KdrHandle picture, Box box, int scale) {
    const std::int64_t width = std::int64_t{box.width} * scale;
    const std::int64_t height = std::int64_t{box.height} * scale;
    if (!picture || !kpx::isImageSize(width, height))
        return 0;
    kpx::ScopedImage image(KPXCreateImage(static_cast<int>(width), static_cast<int>(height), 24));
    if (!image)
        return 0;
    const kpx::MemoryDC dc(nullptr, KPXGetBitmap(image.get()));
    if (!dc.get())
        return 0;
    const HBRUSH brush = SelectBrush(dc.get(), GetStockBrush(WHITE_BRUSH));
    const HPEN pen = SelectPen(dc.get(), GetStockPen(WHITE_PEN));
    Rectangle(dc.get(), 0, 0, static_cast<int>(width), static_cast<int>(height));
    SelectBrush(dc.get(), brush);
    SelectPen(dc.get(), pen);
    const RECT place = centredPlace(KDRWidth(picture), KDRHeight(picture), static_cast<int>(width),
                                    static_cast<int>(height));
    if (!KDRStretchDraw(dc.get(), place.left, place.top, place.right, place.bottom, picture))
        return 0;
    return image.release();
}

// The vector picture of the file drawn at four times the box (the fitting averages it down).
KpxHandle drawnPreview(const char* path, std::int32_t offset, Box box) {
    const KdrHandle picture = KDRLoadImageOffset(path, offset, 0);
    const KpxHandle image = drawnPicture(picture, box, 4);
    if (picture)
        KDRDeleteImage(picture);
    return image;
}

// An image stored at a position of the file (a TIFF or BMP section), through the ordinary load.
KpxHandle imageAt(const char* path, std::int32_t offset, std::uint64_t position) {
    const std::uint64_t at = static_cast<std::uint64_t>(offset) + position;
    if (at > INT32_MAX)
        return 0;
    return KPXLoadImageOffset(nullptr, path, static_cast<std::int32_t>(at), nullptr);
}

KpxHandle epsPreview(kpx::ByteSource& source, const char* path, std::int32_t offset, Box box) {
    const preview::EpsPreview found = preview::findEpsPreview(source);
    switch (found.kind) {
    case preview::EpsKind::Tiff:
        return imageAt(path, offset, found.offset);
    case preview::EpsKind::Wmf: {
        const KdrHandle picture =
            kpx::loadWmfFromBytes(preview::bytesAt(source, found.offset, found.length));
        const KpxHandle image = drawnPicture(picture, box, 1);
        if (picture)
            KDRDeleteImage(picture);
        return image;
    }
    case preview::EpsKind::Epsi:
        return imageOfBitmap(preview::decodeEpsi(source, found.offset));
    case preview::EpsKind::AiThumbnail:
        return imageOfBitmap(preview::decodeAiThumbnail(source, found.offset));
    case preview::EpsKind::None:
        break;
    }
    return 0;
}

// A KTF drawing's preview: the packed one of a compressed file, or the BMP that a plain file's
// header points to. (Files in structured storage keep theirs in a stream, which is not read.)
KpxHandle ktfPreview(kpx::ByteSource& source, const char* path, std::int32_t offset) {
    const preview::KtfPreview found = preview::findKtfPreview(source);
    if (found.compressed)
        return imageOfPackedDib(preview::zipPreviewDib(source));
    if (!found.bmpOffset)
        return 0;
    KPXLockBreakLoad(1);
    const KpxHandle image = imageAt(path, offset, found.bmpOffset);
    KPXLockBreakLoad(0);
    return image;
}

KpxHandle embeddedPreview(int format, const char* path, std::int32_t offset, Box box) {
    const auto file = kpx::openSource(path);
    if (!file)
        return 0;
    kpx::OffsetSource source(*file, static_cast<std::uint64_t>(offset));
    switch (format) {
    case kpx::kVectorKvp:
        return imageOfBitmap(preview::decodeKvp(source));
    case kpx::kVectorKtf:
    case kpx::kVectorKtfStorage:
        return ktfPreview(source, path, offset);
    case kpx::kVectorCdr:
    case kpx::kVectorCmx:
        return imageOfPackedDib(preview::riffPreviewDib(source));
    case kpx::kVectorEps:
    case kpx::kVectorAi:
        return epsPreview(source, path, offset, box);
    default:
        return 0;
    }
}

} // namespace

KpxHandle KDRLoadImagePreviewOffset(const char* path, std::int32_t offset, int boxWidth,
                                    int boxHeight, int) {
    if (!path || offset < 0 || boxWidth <= 0 || boxHeight <= 0)
        return 0;
    if (!kpx::takeBusyFlag(previewBusy))
        return 0;
    const BusyScope busy(previewBusy);
    const int format = KDRGetFormatFileExt(path);
    if (!format)
        return 0;
    const Box box{boxWidth, boxHeight};
    KpxHandle image = embeddedPreview(format, path, offset, box);
    if (!image)
        image = drawnPreview(path, offset, box);
    return image ? BitraNormalizePreviewSize(image, boxWidth, boxHeight, 1) : 0;
}
