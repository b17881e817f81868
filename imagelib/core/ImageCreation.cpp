#include "ImageCreation.h"

#include "ImageTable.h"
#include "LibraryPalettes.h"
#include "LibraryShared.h"
#include "PackedRows.h"

#include "clipboard/Clipboard.h"
#include "gdi/DibSection.h"
#include "memory/GlobalMemory.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr DWORD kMask565[3] = {0xF800, 0x07E0, 0x001F};

int tableSizeForDepth(int bpp) {
    return bpp <= 8 ? (1 << bpp) : 0;
}

// A BITMAPINFO block of 40 + 4 x (colours + masks) bytes with the header filled in.
std::unique_ptr<std::uint8_t[]> makeInfoBlock(int width, int height, int bpp, bool masks565,
                                              std::int32_t* size) {
    const int colors = tableSizeForDepth(bpp);
    const int extra = masks565 ? 3 : colors;
    *size = static_cast<std::int32_t>(sizeof(BITMAPINFOHEADER) + 4 * extra);
    auto block = std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[*size]);
    if (!block)
        return nullptr;
    std::memset(block.get(), 0, *size);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(block.get());
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = width;
    h->biHeight = height;
    h->biPlanes = 1;
    h->biBitCount = static_cast<WORD>(bpp);
    h->biCompression = masks565 ? BI_BITFIELDS : BI_RGB;
    h->biSizeImage = kfm::gdi::dibRowBytes(width, bpp) * static_cast<DWORD>(height);
    h->biClrUsed = static_cast<DWORD>(colors);
    if (masks565)
        std::memcpy(block.get() + sizeof(BITMAPINFOHEADER), kMask565, sizeof kMask565);
    return block;
}

// Attaches a bitmap and its BITMAPINFO block to a fresh handle's record.
void attachToRecord(KpxHandle handle, HBITMAP bitmap, std::unique_ptr<std::uint8_t[]> info,
                    std::int32_t infoSize, std::uint8_t* bits) {
    kpx::ImageLock record(handle, kKpxWrite);
    record->bitmap = bitmap;
    record->infoSize = infoSize;
    record->info = std::move(info);
    record->bits = bits;
}

// Reads the colour table of a palette bitmap into an image, entry by entry.
void copyBitmapColorTable(KpxHandle image, HBITMAP bitmap) {
    RGBQUAD colors[256];
    const UINT n = GetDIBColorTable(bitmap, 0, 256, colors);
    kpx::ImageLock record(image, kKpxWrite);
    if (!record)
        return;
    const UINT count = std::min<UINT>(n, record->colorCount());
    std::memcpy(record->colors(), colors, count * sizeof(RGBQUAD));
    record.unlock();
    KPXFillDIBColorTable(image);
}

// Grey value of one CMYK plate for a colour; plate 2 cyan, 3 magenta, 4 yellow, else black.
BYTE separationValue(BYTE red, BYTE green, BYTE blue, int plate, int keep) {
    int c = 255 - red;
    int m = 255 - green;
    int y = 255 - blue;
    const int k = std::min({c, m, y});
    c -= k;
    m -= k;
    y -= k;
    int v = k;
    if (plate == 2)
        v = c;
    else if (plate == 3)
        v = m;
    else if (plate == 4)
        v = y;
    return static_cast<BYTE>(keep ? v : 255 - v);
}

// Blue, green and red of a 16-bit pixel: 5-6-5 for bit-field images, else 5-5-5.
void decode16(const KpxImageRecord& record, unsigned value, BYTE* bgr) {
    DWORD masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (record.header().biCompression == BI_BITFIELDS &&
        record.infoSize >= static_cast<std::int32_t>(sizeof(BITMAPINFOHEADER) + sizeof masks))
        std::memcpy(masks, record.info.get() + sizeof(BITMAPINFOHEADER), sizeof masks);
    for (int i = 0; i < 3; ++i) {
        const DWORD mask = masks[2 - i];
        if (!mask) {
            bgr[i] = 0;
            continue;
        }
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        const DWORD max = mask >> shift;
        bgr[i] = static_cast<BYTE>((((value & mask) >> shift) * 255 + max / 2) / max);
    }
}

bool sameTransparency(const KpxImageRecord& a, const KpxImageRecord& b) {
    if (a.transparencyCount != b.transparencyCount)
        return false;
    const auto count =
        static_cast<std::size_t>(std::clamp(a.transparencyCount, 0, kKpxMaxTransparentEntries));
    return std::memcmp(a.transparency.data(), b.transparency.data(),
                       sizeof(KpxTransparentEntry) * count) == 0;
}

// Equal checksums do not prove equal images (the sum skips the bottom row and can collide), so
// the colour tables and the pixel bytes themselves decide.
bool sameContents(const KpxImageRecord& a, const KpxImageRecord& b) {
    if (a.colorCount() != b.colorCount() ||
        std::memcmp(a.colors(), b.colors(), a.colorCount() * sizeof(RGBQUAD)) != 0)
        return false;
    if (!a.bits || !b.bits)
        return a.bits == b.bits;
    const std::size_t bytes = kpx::pixelBytes(a);
    return bytes == kpx::pixelBytes(b) && std::memcmp(a.bits, b.bits, bytes) == 0;
}

} // namespace

namespace {

// 2-bit DIB rows into the 4-bit rows of an image of the same size: each pixel keeps its index.
void widenTwoBitRows(const std::uint8_t* source, std::uint8_t* target, int width, int height) {
    const std::size_t sourceStride = kfm::gdi::dibRowBytes(width, 2);
    const std::size_t targetStride = kfm::gdi::dibRowBytes(width, 4);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = source + y * sourceStride;
        std::uint8_t* out = target + y * targetStride;
        std::memset(out, 0, targetStride);
        for (int x = 0; x < width; ++x) {
            const int index = (in[x / 4] >> (6 - 2 * (x % 4))) & 3;
            out[x / 2] |= static_cast<std::uint8_t>(x % 2 ? index : index << 4);
        }
    }
}

} // namespace

int KpxNormalizeDepth(int depth) {
    if (depth < 2)
        return 1;
    if (depth <= 4)
        return 4;
    if (depth <= 8)
        return 8;
    if (depth <= 24)
        return 24;
    return 32;
}

int KPXCalcScanBytes(int width, int depth) {
    return static_cast<int>(
        kfm::gdi::dibRowBytes(static_cast<std::int16_t>(width), static_cast<std::int16_t>(depth)));
}

KpxHandle KPXCreateImage(int width, int height, int depth) {
    return KPXCreateImageFast(width, height, depth, 1);
}

KpxHandle KPXCreateImageFast(int width, int height, int depth, int clear) {
    // Sizes are signed 16-bit values; an empty or negative size makes no image.
    const int w = static_cast<std::int16_t>(width);
    const int h = static_cast<std::int16_t>(height);
    if (w <= 0 || h <= 0)
        return 0;
    const KpxHandle handle = KpxNewImageHandle();
    if (!handle)
        return 0;
    const bool is565 = depth == kKpxDepth565;
    const int bpp = is565 ? 16 : KpxNormalizeDepth(depth);
    std::int32_t infoSize = 0;
    auto info = makeInfoBlock(w, h, bpp, is565, &infoSize);
    if (info && clear && bpp <= 8)
        kpx::writeDefaultColorTable(reinterpret_cast<BITMAPINFO*>(info.get())->bmiColors, bpp);
    void* bits = nullptr;
    HBITMAP bitmap = info ? CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.get()),
                                             DIB_RGB_COLORS, &bits, nullptr, 0)
                          : nullptr;
    if (!bitmap) {
        KpxReleaseImage(handle, 1);
        return 0;
    }
    // The DIB section's memory is always zeroed, so an image is never handed out with
    // undefined pixels, whether or not it was asked to be cleared.
    attachToRecord(handle, bitmap, std::move(info), infoSize, static_cast<std::uint8_t*>(bits));
    if (clear)
        KPXFillDIBColorTable(handle);
    return handle;
}

KpxHandle KPXCreateImageFromGlobal(HGLOBAL block) {
    const std::size_t blockSize = GlobalSize(block);
    auto* data = static_cast<std::uint8_t*>(GlobalLock(block));
    if (!data)
        return 0;
    struct Unlock {
        HGLOBAL b;
        ~Unlock() { GlobalUnlock(b); }
    } unlockOnReturn{block};

    if (blockSize < sizeof(BITMAPINFOHEADER))
        return 0;
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(data);
    if (header->biSize < sizeof(BITMAPINFOHEADER) || header->biSize > blockSize)
        return 0;
    // Planes times bits per pixel is the depth; more than 32 is no DIB (and would overflow).
    if (header->biPlanes > 32 || header->biPlanes * header->biBitCount > 32)
        return 0;
    const int depth = header->biPlanes * header->biBitCount;
    const int width = header->biWidth;
    const int height = header->biHeight;
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767 ||
        (header->biCompression != BI_RGB && header->biCompression != BI_BITFIELDS))
        return 0;
    if (header->biSizeImage == 0)
        header->biSizeImage = kfm::gdi::dibRowBytes(width, depth) * static_cast<DWORD>(height);
    const int normalized = KpxNormalizeDepth(depth);
    int colors = tableSizeForDepth(normalized);
    // Compared unsigned: a count above INT_MAX must not turn into a negative table length.
    if (header->biClrUsed != 0 && header->biClrUsed < static_cast<DWORD>(colors))
        colors = static_cast<int>(header->biClrUsed);
    std::size_t pixelOffset = header->biSize + 4 * static_cast<std::size_t>(colors);
    if (header->biCompression == BI_BITFIELDS)
        pixelOffset += 12;
    const std::size_t needed =
        static_cast<std::size_t>(kfm::gdi::dibRowBytes(width, depth)) * height;
    // A block too small for its own header's pixels is refused rather than over-read.
    if (pixelOffset > blockSize || blockSize - pixelOffset < needed)
        return 0;
    const std::uint8_t* pixels = data + pixelOffset;
    const auto* table = reinterpret_cast<const RGBQUAD*>(data + header->biSize);

    if (depth <= 8 || depth > 23) {
        const KpxHandle image = KPXCreateImage(width, height, normalized);
        if (!image)
            return 0;
        {
            kpx::ImageLock record(image, kKpxWrite);
            if (normalized <= 8)
                std::memcpy(record->colors(), table, colors * sizeof(RGBQUAD));
            const std::size_t bytes = std::min<std::size_t>(needed, record->header().biSizeImage);
            if (depth == normalized)
                std::memcpy(record->bits, pixels, bytes);
            else if (depth == 2 && normalized == 4)
                widenTwoBitRows(pixels, record->bits, width, height);
        }
        KPXFillDIBColorTable(image);
        return image;
    }
    // 16- and 24-bit pictures go through a temporary DIB section and become 24-bit images.
    BITMAPINFO temp{};
    temp.bmiHeader = *header;
    temp.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    struct {
        BITMAPINFOHEADER h;
        DWORD masks[3];
    } withMasks{temp.bmiHeader, {}};
    if (header->biCompression == BI_BITFIELDS)
        std::memcpy(withMasks.masks, data + header->biSize, sizeof withMasks.masks);
    void* tempBits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&withMasks),
                                       DIB_RGB_COLORS, &tempBits, nullptr, 0);
    if (!section)
        return 0;
    std::memcpy(tempBits, pixels, needed);
    const KpxHandle image = KPXCreateImageFromBitmap(section, nullptr);
    DeleteBitmap(section);
    return image;
}

KpxHandle KPXCreateImageFromBitmap(HBITMAP bitmap, HPALETTE) {
    DIBSECTION ds{};
    if (!GetDibSectionInfo(bitmap, &ds))
        return 0;
    const int depth = std::min(ds.dsBm.bmPlanes * ds.dsBm.bmBitsPixel, 24);
    const KpxHandle image = KPXCreateImage(ds.dsBm.bmWidth, ds.dsBm.bmHeight, depth);
    if (!image)
        return 0;
    bool copied = false;
    {
        kpx::ImageLock record(image, kKpxWrite);
        copied = GetDIBits(nullptr, bitmap, 0, static_cast<UINT>(record->height()), record->bits,
                           record->bitmapInfo(), DIB_RGB_COLORS) > 0;
    }
    if (!copied) {
        KPXDeleteImage(image);
        return 0;
    }
    if (KPXbpp(image) <= 8)
        copyBitmapColorTable(image, bitmap);
    return image;
}

KpxHandle KPXCreateImageAttach(HBITMAP bitmap, HPALETTE) {
    DIBSECTION ds{};
    if (!GetDibSectionInfo(bitmap, &ds))
        return 0;
    const KpxHandle handle = KpxNewImageHandle();
    if (!handle)
        return 0;
    const int bpp = ds.dsBmih.biBitCount;
    const bool masks = ds.dsBmih.biCompression == BI_BITFIELDS;
    std::int32_t infoSize = 0;
    auto info = makeInfoBlock(ds.dsBm.bmWidth, ds.dsBm.bmHeight, bpp, masks, &infoSize);
    if (!info) {
        KpxReleaseImage(handle, 0);
        return 0;
    }
    std::memcpy(info.get(), &ds.dsBmih, sizeof(BITMAPINFOHEADER));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.get());
    header->biClrUsed = static_cast<DWORD>(tableSizeForDepth(bpp));
    if (masks)
        std::memcpy(info.get() + sizeof(BITMAPINFOHEADER), ds.dsBitfields, sizeof ds.dsBitfields);
    attachToRecord(handle, bitmap, std::move(info), infoSize,
                   static_cast<std::uint8_t*>(ds.dsBm.bmBits));
    if (bpp <= 8)
        copyBitmapColorTable(handle, bitmap);
    return handle;
}

KpxHandle KPXCreateImageFromClipboard(HWND window) {
    if (!OpenClipboard(window))
        return 0;
    KpxHandle image = 0;
    if (IsClipboardFormatAvailable(CF_DIB))
        image = KPXCreateImageFromGlobal(static_cast<HGLOBAL>(GetClipboardData(CF_DIB)));
    else if (IsClipboardFormatAvailable(CF_BITMAP))
        image =
            KPXCreateImageFromBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)), nullptr);
    CloseClipboard();
    if (image && KPXbpp(image) == 32) {
        // A 32-bit picture is kept as 24 bits.
        const KpxHandle converted = KPXCreateImageFromBitmap(KPXGetBitmap(image), nullptr);
        KPXDeleteImage(image);
        image = converted;
    }
    return image;
}

namespace {

// A new image with the source's size, colours and pixels (the source is read-locked).
KpxHandle copyImage(const KpxImageRecord& source) {
    const KpxHandle result =
        KPXCreateImage(source.width(), source.height(), kpx::creationDepth(source));
    if (!result)
        return 0;
    {
        kpx::ImageLock target(result, kKpxWrite);
        std::memcpy(target->colors(), source.colors(),
                    std::min(source.colorCount(), target->colorCount()) * sizeof(RGBQUAD));
        if (target->bitCount() == source.bitCount())
            std::memcpy(target->bits, source.bits,
                        std::min(kpx::pixelBytes(source), kpx::pixelBytes(*target.get())));
        else // a 16-bit 5-5-5 image becomes 24 bits: convert rather than copy the bytes
            GetDIBits(nullptr, source.bitmap, 0, static_cast<UINT>(target->height()), target->bits,
                      target->bitmapInfo(), DIB_RGB_COLORS);
    }
    KPXFillDIBColorTable(result);
    return result;
}

} // namespace

int kpx::creationDepth(const KpxImageRecord& source) {
    const int depth = source.header().biPlanes * source.bitCount();
    return depth == 16 && source.header().biCompression == BI_BITFIELDS ? kKpxDepth565 : depth;
}

KpxHandle kpx::createImageLike(const KpxImageRecord& source, std::int64_t width,
                               std::int64_t height) {
    if (!isImageSize(width, height))
        return 0;
    const KpxHandle result =
        KPXCreateImage(static_cast<int>(width), static_cast<int>(height), creationDepth(source));
    if (!result)
        return 0;
    {
        kpx::ImageLock target(result, kKpxWrite);
        std::memcpy(target->colors(), source.colors(),
                    std::min(source.colorCount(), target->colorCount()) * sizeof(RGBQUAD));
    }
    KPXFillDIBColorTable(result);
    return result;
}

KpxHandle KPXCreateImageFrom(KpxHandle image, int reference) {
    if (!image)
        return 0;
    kpx::ImageLock source(image, kKpxRead);
    if (!source)
        return 0;
    // An image never serves as its own explicit transparency image; such a link is ignored.
    const std::int32_t explicitImage =
        source->explicitTransparency != image ? source->explicitTransparency : 0;
    if (reference) {
        KpxAddImageReference(source.get());
        // The new reference also holds one of the explicit transparency image, given back when
        // this reference is dropped.
        if (explicitImage)
            KPXCreateImageFrom(static_cast<KpxHandle>(explicitImage), 1);
        return image;
    }
    const KpxHandle result = copyImage(*source.get());
    if (!result)
        return 0;
    const KpxHandle explicitCopy =
        explicitImage ? KPXCreateImageFrom(static_cast<KpxHandle>(explicitImage), 0) : 0;
    kpx::ImageLock target(result, kKpxWrite);
    target->transparencyCount = source->transparencyCount;
    target->transparency = source->transparency;
    target->rotateAngle = source->rotateAngle;
    target->explicitTransparency = explicitCopy;
    return result;
}

KpxHandle KPXCreateImageSeparateColor(KpxHandle image, int plate, int keep) {
    kpx::ImageLock source(image, kKpxRead);
    if (!source)
        return 0;
    const KpxHandle result = KPXCreateImage(source->width(), source->height(), 8);
    if (!result)
        return 0;
    kpx::ImageLock target(result, kKpxWrite);
    for (int i = 0; i < 256; ++i)
        target->colors()[i] =
            RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    const int bpp = source->bitCount();
    const int width = source->width();
    const int height = source->height();
    const std::uint32_t srcRow = source->rowBytes();
    const std::uint32_t dstRow = target->rowBytes();
    BYTE map[256] = {};
    if (bpp <= 8) {
        for (std::uint32_t i = 0; i < source->colorCount(); ++i) {
            const RGBQUAD c = source->colors()[i];
            map[i] = separationValue(c.rgbRed, c.rgbGreen, c.rgbBlue, plate, keep);
        }
    }
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = source->bits + static_cast<std::size_t>(y) * srcRow;
        std::uint8_t* out = target->bits + static_cast<std::size_t>(y) * dstRow;
        for (int x = 0; x < width; ++x) {
            switch (bpp) {
            case 1:
            case 4:
            case 8:
                out[x] = map[kpx::indexAt(in, x, bpp)];
                break;
            case 16: {
                BYTE bgr[3];
                decode16(*source.get(), in[2 * x] | (in[2 * x + 1] << 8), bgr);
                const int chosen = (plate >= 2 && plate <= 5) ? plate : 5;
                out[x] = separationValue(bgr[2], bgr[1], bgr[0], chosen, keep);
                break;
            }
            case 24:
            case 32: {
                const int step = bpp / 8;
                const std::uint8_t* p = in + static_cast<std::size_t>(x) * step;
                const int chosen = (plate >= 2 && plate <= 5) ? plate : 5;
                out[x] = separationValue(p[2], p[1], p[0], chosen, keep);
                break;
            }
            default:
                break;
            }
        }
    }
    target.unlock();
    KPXFillDIBColorTable(result);
    return result;
}

int KPXCopyImageToClipboard(HWND window, KpxHandle image, int format, int empty) {
    if (format != static_cast<int>(CF_DIB) && format != static_cast<int>(CF_BITMAP))
        return 0;
    if (!image || !OpenClipboard(window))
        return 0;
    if (empty)
        EmptyClipboard();
    int result = 0;
    if (format == static_cast<int>(CF_DIB)) {
        if (HGLOBAL block = KPXGetGlobalBlock(image))
            result = SetClipboardData(CF_DIB, block) ? 1 : (GlobalFree(block), 0);
    } else {
        const KpxHandle copy = KPXCreateImageFrom(image, 0);
        if (HBITMAP bitmap = copy ? KPXDeleteImageDetach(copy) : nullptr)
            result = SetClipboardData(CF_BITMAP, bitmap) ? 1 : (DeleteBitmap(bitmap), 0);
    }
    CloseClipboard();
    return result;
}

int KPXDeleteImage(KpxHandle image) {
    if (!image)
        return 0;
    // An image another thread holds goes when its holder lets go, never leaked.
    KpxDeleteImageReference(image);
    kpx::clearBreakTableSlots(image);
    return 1;
}

HBITMAP KPXDeleteImageDetach(KpxHandle image) {
    KpxImageRecord* record = KpxFindImage(image);
    if (!record)
        return nullptr;
    // A held image is not released (the release reports it); its bitmap stays the image's and
    // is not handed out, or the caller and the image would both free it.
    if (KpxGetImagePermission(image, 0) != kKpxFree) {
        KpxReleaseImage(image, 0);
        return nullptr;
    }
    HBITMAP bitmap = record->bitmap;
    KpxReleaseImage(image, 0);
    return bitmap;
}

HBITMAP KPXGetBitmap(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    return record ? record->bitmap : nullptr;
}

short KPXWidth(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    return record ? static_cast<short>(record->width()) : 0;
}

short KPXHeight(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    return record ? static_cast<short>(record->height()) : 0;
}

short KPXbpp(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    return record ? static_cast<short>(record->bitCount()) : 0;
}

DWORD KPXSizeImage(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    return record ? record->header().biSizeImage : 0;
}

BITMAPINFO* KPXGetBitmapInfoHeader(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    if (!record)
        return nullptr;
    KpxInvalidateChecksum(record.get());
    return record->bitmapInfo();
}

std::uint8_t* KPXGetBits(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    if (!record)
        return nullptr;
    KpxInvalidateChecksum(record.get());
    return record->bits;
}

int KPXGetScanBytes(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    return record ? static_cast<int>(record->rowBytes()) : 0;
}

HGLOBAL KPXGetGlobalBlock(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    if (!record)
        return nullptr;
    const std::size_t pixels = kpx::pixelBytes(*record.get());
    const std::size_t bytes = static_cast<std::size_t>(record->infoSize) + pixels;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!block)
        return nullptr;
    auto* out = static_cast<std::uint8_t*>(GlobalLock(block));
    std::memcpy(out, record->info.get(), record->infoSize);
    std::memcpy(out + record->infoSize, record->bits, pixels);
    GlobalUnlock(block);
    return block;
}

int KPXFillDIBColorTable(KpxHandle image) {
    kpx::ImageLock record(image, kKpxWrite);
    if (!record)
        return 0;
    if (record->bitmap && record->colorCount())
        SetDIBColorTable(record->bitmap, 0, record->colorCount(), record->colors());
    return 1;
}

int KPXCompareImages(KpxHandle a, KpxHandle b) {
    if (!a || !b)
        return 0;
    std::int32_t explicitA = 0;
    std::int32_t explicitB = 0;
    {
        kpx::ImageLock ra(a, kKpxRead);
        if (!ra)
            return 0;
        if (a == b)
            return 1;
        kpx::ImageLock rb(b, kKpxRead);
        if (!rb)
            return 0;
        if (ra->checksum == 0)
            KpxImageChecksum(ra.get());
        if (rb->checksum == 0)
            KpxImageChecksum(rb.get());
        const BITMAPINFOHEADER& ha = ra->header();
        const BITMAPINFOHEADER& hb = rb->header();
        if (ha.biWidth != hb.biWidth || ha.biHeight != hb.biHeight ||
            ha.biBitCount != hb.biBitCount || ha.biSizeImage != hb.biSizeImage ||
            ra->rotateAngle != rb->rotateAngle || ra->checksum != rb->checksum ||
            !sameTransparency(*ra.get(), *rb.get()) || !sameContents(*ra.get(), *rb.get()))
            return 0;
        explicitA = ra->explicitTransparency;
        explicitB = rb->explicitTransparency;
    }
    if (!explicitA && !explicitB)
        return 1;
    if (!explicitA || !explicitB)
        return 0;
    return KPXCompareImages(static_cast<KpxHandle>(explicitA), static_cast<KpxHandle>(explicitB));
}
