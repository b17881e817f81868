// The image headers the library hands to other programs: a record describing an image's pixels
// in place (4-bit pixels unpacked into a buffer of their own), with its palette and the header
// of its explicit transparency image.

#include "ImageTable.h"
#include "PixelAccess.h"
#include "Transparency.h"

#include <cstdlib>
#include <cstring>
#include <span>

namespace {

constexpr std::int32_t kCodeRed = 1;
constexpr std::int32_t kCodeGreen = 2;
constexpr std::int32_t kCodeBlue = 3;
constexpr std::int32_t kCodeIndex = 6;
constexpr std::int32_t kCodeMaskBit = 8;

struct Layout {
    int channels = 0;
    int bitsPerChannel = 0;
    int paletteEntries = 0;
    std::uint32_t flags = 0;
};

bool layoutOf(int depth, Layout* layout) {
    switch (depth) {
    case 1:
        *layout = {1, 1, 2, kKpxHeaderPixelsInPlace | kKpxHeaderPaletteAttached};
        return true;
    case 4:
        *layout = {1, 8, 16, kKpxHeaderPixelsUnpacked | kKpxHeaderPaletteAttached};
        return true;
    case 8:
        *layout = {1, 8, 256, kKpxHeaderPixelsInPlace | kKpxHeaderPaletteAttached};
        return true;
    case 24:
        *layout = {3, 8, 0, kKpxHeaderPixelsInPlace};
        return true;
    default:
        return false;
    }
}

std::size_t recordBytes(const Layout& layout) {
    return sizeof(KpxImageHeader) + layout.channels * sizeof(KpxChannelDescriptor) +
           static_cast<std::size_t>(layout.paletteEntries) * 3;
}

// The record and, for 4-bit images, the unpacked rows in one block (freed with std::free).
KpxImageHeader* allocateRecord(const Layout& layout, std::size_t unpackedBytes) {
    const std::size_t record = recordBytes(layout);
    const std::size_t aligned = (record + 15) / 16 * 16;
    void* block = std::calloc(1, aligned + unpackedBytes);
    if (!block)
        return nullptr;
    auto* header = static_cast<KpxImageHeader*>(block);
    header->size = static_cast<std::uint32_t>(record);
    header->channelDescriptors = reinterpret_cast<KpxChannelDescriptor*>(header + 1);
    return header;
}

std::uint8_t* unpackedRows(KpxImageHeader* header) {
    const std::size_t aligned = (header->size + 15) / 16 * 16;
    return reinterpret_cast<std::uint8_t*>(header) + aligned;
}

void describeChannels(KpxImageHeader* header, const KpxImageRecord& record, std::uint8_t* first,
                      std::int32_t stride) {
    KpxChannelDescriptor* d = header->channelDescriptors;
    if (header->channels == 3) {
        d[0] = {kCodeBlue, stride, 3, first};
        d[1] = {kCodeGreen, stride, 3, first + 1};
        d[2] = {kCodeRed, stride, 3, first + 2};
        return;
    }
    d[0] = {kCodeIndex, stride, 1, first};
}

void copyPaletteOut(KpxImageHeader* header, const KpxImageRecord& record) {
    std::uint8_t* palette = KpxImageHeaderPalette(header);
    const std::uint32_t entries =
        std::min<std::uint32_t>(header->paletteEntries, record.colorCount());
    for (std::uint32_t i = 0; i < entries; ++i) {
        const RGBQUAD q = record.colors()[i];
        palette[3 * i] = q.rgbRed;
        palette[3 * i + 1] = q.rgbGreen;
        palette[3 * i + 2] = q.rgbBlue;
    }
}

void copyPaletteBack(KpxImageHeader* header, KpxImageRecord& record) {
    const std::uint8_t* palette = KpxImageHeaderPalette(header);
    const std::uint32_t entries =
        std::min<std::uint32_t>(header->paletteEntries, record.colorCount());
    for (std::uint32_t i = 0; i < entries; ++i)
        record.colors()[i] = RGBQUAD{palette[3 * i + 2], palette[3 * i + 1], palette[3 * i], 0};
}

// The rows of a 4-bit image as one byte a pixel, in the image's order of rows.
void unpackNibbles(const KpxImageRecord& record, std::uint8_t* out, std::size_t outStride) {
    const std::size_t width = static_cast<std::size_t>(record.width());
    for (std::int32_t row = 0; row < record.height(); ++row)
        kpx::unpackRow(record.bits + static_cast<std::size_t>(row) * record.rowBytes(), 4,
                       std::span<std::uint8_t>(out + row * outStride, width));
}

void packNibbles(KpxImageRecord& record, const std::uint8_t* in, std::size_t inStride) {
    const std::size_t width = static_cast<std::size_t>(record.width());
    for (std::int32_t row = 0; row < record.height(); ++row)
        kpx::packRow(std::span<const std::uint8_t>(in + row * inStride, width),
                     record.bits + static_cast<std::size_t>(row) * record.rowBytes(), 4);
}

KpxImageHeader* headerOfRecord(KpxImageRecord& record) {
    Layout layout;
    if (!kpx::hasPixels(&record) || !layoutOf(record.bitCount(), &layout))
        return nullptr;
    const bool unpacked = record.bitCount() == 4;
    const std::uint32_t byteRow = KPXCalcScanBytes(record.width(), 8);
    const std::size_t unpackedBytes = unpacked ? std::size_t{byteRow} * record.height() : 0;
    KpxImageHeader* header = allocateRecord(layout, unpackedBytes);
    if (!header)
        return nullptr;
    header->flags = layout.flags;
    header->width = record.width();
    header->height = record.height();
    header->hasPalette = layout.paletteEntries ? 1 : 0;
    header->paletteEntries = layout.paletteEntries;
    header->paletteEntriesAgain = layout.paletteEntries;
    header->reserved1 = -1;
    header->reserved3 = -1;
    header->channels = layout.channels;
    header->bitsPerChannel = layout.bitsPerChannel;
    header->image = record.id;
    if (unpacked) {
        unpackNibbles(record, unpackedRows(header), byteRow);
        describeChannels(header, record, unpackedRows(header), static_cast<std::int32_t>(byteRow));
    } else {
        header->pixels = record.bits;
        // Each image's own stride: a 1-bit image's rows are far shorter than an 8-bit row.
        describeChannels(header, record, record.bits, static_cast<std::int32_t>(record.rowBytes()));
    }
    if (header->hasPalette)
        copyPaletteOut(header, record);
    return header;
}

// Writes a header's pixels and palette back into its image, then frees it.
void releaseHeader(KpxImageHeader* header) {
    const bool unpacked = (header->flags & kKpxHeaderPixelsUnpacked) == kKpxHeaderPixelsUnpacked;
    const bool palette = (header->flags & kKpxHeaderPaletteAttached) == kKpxHeaderPaletteAttached;
    if (unpacked || palette) {
        kpx::ImageLock record(header->image, kKpxWrite);
        // The image may have gone or changed its shape since: then nothing is written back.
        if (record && kpx::hasPixels(record.get()) && record->width() == header->width &&
            record->height() == header->height) {
            if (unpacked && record->bitCount() == 4)
                packNibbles(*record.get(), header->channelDescriptors[0].first,
                            static_cast<std::size_t>(header->channelDescriptors[0].rowStride));
            if (palette)
                copyPaletteBack(header, *record.get());
            record.unlock();
            if (palette)
                KPXFillDIBColorTable(static_cast<KpxHandle>(header->image));
        }
    }
    std::free(header);
}

} // namespace

KpxImageHeader* KpxCreateImageHeader(KpxHandle image) {
    if (!image)
        return nullptr;
    std::int32_t explicitImage = 0;
    KpxImageHeader* header = nullptr;
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (!record)
            return nullptr;
        header = headerOfRecord(*record.get());
        if (header && kpx::hasTransparency(*record.get()))
            explicitImage = record->explicitTransparency;
    }
    if (!header || !explicitImage)
        return header;
    kpx::ImageLock mask(explicitImage, kKpxWrite);
    KpxImageHeader* maskHeader = mask ? headerOfRecord(*mask.get()) : nullptr;
    if (maskHeader) {
        if (mask->bitCount() == 1)
            maskHeader->channelDescriptors[0].code = kCodeMaskBit;
        header->maskHeader = maskHeader;
        header->flags |= kKpxHeaderMaskAttached;
    }
    return header;
}

int KpxDeleteImageHeader(KpxImageHeader* header) {
    if (!header)
        return 0;
    if (header->maskHeader)
        releaseHeader(header->maskHeader);
    releaseHeader(header);
    return 1;
}

KpxImageHeader* KpxCreateSubImage(KpxImageHeader* header, const RECT* rect) {
    return nullptr;
}
