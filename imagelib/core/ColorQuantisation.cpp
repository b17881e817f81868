#include "ColorQuantisation.h"

#include "ImageCreation.h"
#include "ImageTable.h"
#include "Quantiser.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int kPaletteOnlyFlag = 1;

bool sameSize(const KpxImageRecord& a, const KpxImageRecord& b) {
    return a.width() == b.width() && a.height() == b.height();
}

// The first transparency entry as a palette index of a table of `count` entries, or -1.
int firstEntryIndex(const KpxImageRecord& record, int count, bool requireIndexMode) {
    if (record.transparencyCount <= 0)
        return -1;
    const KpxTransparentEntry& e = record.transparency[0];
    if (requireIndexMode && e.mode != 1)
        return -1;
    return e.blue >= 0 && e.blue < count ? e.blue : -1;
}

// Copies of a source's pixels and colour table, for a source that is also the destination.
struct SourceCopy {
    std::vector<std::uint8_t> bits;
    std::vector<RGBQUAD> colors;
};

int quantiseLocked(KpxHandle destination, KpxHandle source, KpxHandle mask, int colours, int mode,
                   int fixed, KpxQuantiseProgress progress, int flags) {
    if (!destination || !source)
        return 0;
    kpx::ImageLock dest(destination, kKpxWrite);
    if (!dest || dest->bitCount() != 8 || !dest->bits)
        return 0;
    const int destCount = static_cast<int>(dest->colorCount());

    std::optional<kpx::ImageLock> sourceLock;
    KpxImageRecord* src = dest.get();
    if (source != destination) {
        sourceLock.emplace(source, kKpxRead);
        src = sourceLock->get();
    }
    if (!src || !src->bits || (src->bitCount() != 24 && src->bitCount() != 8) ||
        !sameSize(*src, *dest.get()))
        return 0;

    kpx::QuantiserJob job;
    job.width = dest->width();
    job.height = dest->height();
    job.sourceBitCount = src->bitCount();
    job.sourceBits = src->bits;
    job.sourceRowBytes = src->rowBytes();
    if (job.sourceBitCount == 8) {
        job.sourceColors = src->colors();
        job.sourceColorCount = static_cast<int>(src->colorCount());
        job.sourceTransparent = firstEntryIndex(*src, 256, true);
    }
    SourceCopy copy;
    if (src == dest.get()) {
        // Reading and writing the same pixels and table: work from a copy of the source.
        copy.bits.assign(src->bits, src->bits + src->rowBytes() * job.height);
        copy.colors.assign(src->colors(), src->colors() + job.sourceColorCount);
        job.sourceBits = copy.bits.data();
        job.sourceColors = copy.colors.data();
    }

    std::optional<kpx::ImageLock> maskLock;
    if (mask && job.sourceBitCount == 24) {
        if (mask == destination || mask == source)
            return 0;
        maskLock.emplace(mask, kKpxRead);
        const KpxImageRecord* m = maskLock->get();
        if (!m || !m->bits || m->bitCount() != 1 || !sameSize(*m, *dest.get()))
            return 0;
        job.maskBits = m->bits;
        job.maskRowBytes = m->rowBytes();
    }

    job.destBits = dest->bits;
    job.destRowBytes = dest->rowBytes();
    job.destColors = dest->colors();
    job.destColorCount = destCount;
    job.colours = std::min(std::max(colours, 2), 256);
    job.transparentIndex = firstEntryIndex(*dest.get(), destCount, false);
    const bool excludes = job.maskBits || job.sourceTransparent >= 0;
    if (job.transparentIndex < 0 && excludes) {
        // Left-out pixels need an entry of their own even when the caller named none: the
        // last entry of the computed palette is kept for them.
        job.transparentIndex = std::min(job.colours, destCount) - 1;
    }
    job.mode = mode;
    job.fixed = fixed;
    job.paletteOnly = (flags & kPaletteOnlyFlag) != 0;
    job.progress = progress;
    if (!kpx::quantiseImage(job))
        return 0;
    if (job.transparentIndex >= 0) {
        KpxTransparentEntry& entry = dest->transparency[0];
        entry = KpxTransparentEntry{};
        entry.blue = job.transparentIndex;
        entry.mode = 1;
        dest->transparencyCount = 1;
    }
    return 1;
}

} // namespace

int KPXFineColorConvert(KpxHandle destination, KpxHandle source, KpxHandle mask, int colours,
                        int mode, int fixed, KpxQuantiseProgress progress, int flags) {
    const int result =
        quantiseLocked(destination, source, mask, colours, mode, fixed, progress, flags);
    if (destination)
        KPXFillDIBColorTable(destination);
    return result;
}

KpxHandle KPXGetPaletteAsImage(const PALETTEENTRY* palette) {
    if (!palette)
        return 0;
    constexpr int kWidth = 768;
    constexpr int kHeight = 48;
    const KpxHandle image = KPXCreateImage(kWidth, kHeight, 24);
    if (!image)
        return 0;
    kpx::ImageLock record(image, kKpxWrite);
    const std::size_t rowBytes = record->rowBytes();
    std::uint8_t* row = record->bits;
    for (int x = 0; x < kWidth; ++x) {
        const PALETTEENTRY& e = palette[x / 3];
        row[3 * x] = e.peBlue;
        row[3 * x + 1] = e.peGreen;
        row[3 * x + 2] = e.peRed;
    }
    for (int y = 1; y < kHeight; ++y)
        std::memcpy(record->bits + y * rowBytes, row, rowBytes);
    return image;
}

int KPXRGB2GrayScaleRGB(KpxHandle destination, KpxHandle source) {
    if (!destination || !source)
        return 0;
    std::optional<kpx::ImageLock> sourceLock;
    kpx::ImageLock dest(destination, kKpxWrite);
    KpxImageRecord* src = dest.get();
    if (source != destination) {
        sourceLock.emplace(source, kKpxRead);
        src = sourceLock->get();
    }
    if (!dest || !src || dest->bitCount() != 24 || src->bitCount() != 24 ||
        !sameSize(*dest.get(), *src) || !dest->bits || !src->bits)
        return 0;
    const int w = dest->width();
    for (int y = 0; y < dest->height(); ++y) {
        const std::uint8_t* in = src->bits + y * src->rowBytes();
        std::uint8_t* out = dest->bits + y * dest->rowBytes();
        for (int x = 0; x < w; ++x) {
            // ceil((222 r + 707 g + 71 b) / 1000) in integers: white stays 255.
            const int v = (222 * in[3 * x + 2] + 707 * in[3 * x + 1] + 71 * in[3 * x] + 999) / 1000;
            out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = static_cast<std::uint8_t>(v);
        }
    }
    return 1;
}
