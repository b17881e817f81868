#include "Transparency.h"

#include "FloodFill.h"
#include "ImageCreation.h"
#include "ImageLinks.h"
#include "ImageRotation.h"
#include "ImageTable.h"
#include "PixelAccess.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The channel values within `spread` of `centre`, cut to 0..255.
struct ChannelRange {
    ChannelRange(int centre, int spread)
        : lo(std::max(0, centre - spread)), hi(std::min(255, centre + spread)) {}
    bool contains(int value) const { return value >= lo && value <= hi; }
    int lo;
    int hi;
};

// Marks the pixels of one colour or index entry in the mask (bits are only ever set).
void markEntry(const KpxImageRecord& image, KpxImageRecord& mask, const KpxTransparentEntry& e) {
    const int bpp = image.bitCount();
    const bool palette = bpp == 1 || bpp == 4 || bpp == 8;
    if (e.mode == kKpxTransparentIndex && !palette)
        return;
    if (e.mode == kKpxTransparentColor && !palette && bpp != 24)
        return;
    // Palette images decide per colour-table entry once.
    std::array<bool, 256> hit{};
    if (palette) {
        for (std::uint32_t i = 0; i < image.colorCount() && i < hit.size(); ++i)
            hit[i] = e.mode == kKpxTransparentIndex ? static_cast<std::int32_t>(i) == e.blue
                                                    : kpx::withinTolerance(e, image.colors()[i]);
        if (e.mode == kKpxTransparentIndex && e.blue >= 0 && e.blue < (1 << bpp))
            hit[static_cast<std::size_t>(e.blue)] = true;
    }
    for (std::int32_t y = 0; y < image.height(); ++y) {
        const std::uint8_t* in = kpx::pictureRow(image, y);
        std::uint8_t* out = kpx::pictureRow(mask, y);
        for (std::int32_t x = 0; x < image.width(); ++x) {
            bool on = false;
            if (palette) {
                on = hit[static_cast<std::size_t>(kpx::indexAt(in, x, bpp))];
            } else {
                RGBQUAD c{};
                kpx::colorAt(image, in, x, &c);
                on = kpx::withinTolerance(e, c);
            }
            if (on)
                kpx::setMaskBit(out, x, true);
        }
    }
}

// OR-s the bytes of one 1-bit image into another of the same size.
void orMaskInto(KpxImageRecord& target, const KpxImageRecord& source) {
    const std::size_t used = (static_cast<std::size_t>(target.width()) + 7) / 8;
    for (std::int32_t y = 0; y < target.height(); ++y) {
        std::uint8_t* out = kpx::pictureRow(target, y);
        const std::uint8_t* in = kpx::pictureRow(source, y);
        for (std::size_t i = 0; i < used; ++i)
            out[i] |= in[i];
    }
}

bool sameEntries(const KpxImageRecord& record, const KpxTransparentEntry* entries, int count) {
    return record.transparencyCount == count &&
           std::memcmp(record.transparency.data(), entries,
                       sizeof(KpxTransparentEntry) * static_cast<std::size_t>(count)) == 0;
}

} // namespace

bool kpx::hasTransparency(const KpxImageRecord& record) {
    return record.transparencyCount > 0 || record.maskImage || record.explicitTransparency;
}

void kpx::cacheMaskFromList(KpxHandle image) {
    std::array<KpxTransparentEntry, kKpxMaxTransparentEntries> entries{};
    int count = 0;
    {
        kpx::ImageLock record(image, kKpxRead);
        if (!record || record->transparencyCount <= 0 || record->maskImage)
            return;
        entries = record->transparency;
        count = record->transparencyCount;
    }
    KpxHandle mask = KPXCreateMaskImageFrom(image, entries.data(), count);
    if (!mask)
        return;
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (record && !record->maskImage) {
            record->maskImage = mask;
            mask = 0;
        }
    }
    if (mask)
        KPXDeleteImage(mask);
}

int KPXSetImageTransparent(KpxHandle image, const KpxTransparentEntry* entries, int count) {
    if (!image)
        return 0;
    kpx::ImageLock record(image, kKpxWrite);
    if (!record)
        return 0;
    count = std::min(count, kKpxMaxTransparentEntries);
    if (count == 0 || !entries) {
        kpx::deleteLinkedImage(record->maskImage);
        record->transparency.fill(KpxTransparentEntry{});
        record->transparencyCount = 0;
        return 1;
    }
    if (count < 0)
        return 0;
    kpx::deleteLinkedImage(record->maskImage);
    if (!sameEntries(*record.get(), entries, count)) {
        record->transparency.fill(KpxTransparentEntry{});
        std::copy_n(entries, count, record->transparency.begin());
        record->transparencyCount = count;
    }
    return 1;
}

KpxTransparentEntry* KPXGetImageTransparentData(KpxHandle image, int* count) {
    if (count)
        *count = 0;
    kpx::ImageLock record(image, kKpxRead);
    if (!record || record->transparencyCount <= 0)
        return nullptr;
    if (count)
        *count = record->transparencyCount;
    return record->transparency.data();
}

int KPXIsImageTransparent(KpxHandle image) {
    kpx::ImageLock record(image, kKpxRead);
    if (!record)
        return 0;
    return kpx::hasTransparency(*record.get()) || record->rotateAngle != 0 ? 1 : 0;
}

KpxHandle KPXCreateMaskImageFrom(KpxHandle image, const KpxTransparentEntry* entries, int count) {
    if (!image || !entries || count <= 0)
        return 0;
    count = std::min(count, kKpxMaxTransparentEntries);
    std::vector<KpxTransparentEntry> regions;
    KpxHandle mask = 0;
    {
        kpx::ImageLock source(image, kKpxRead);
        if (!kpx::hasPixels(source.get()))
            return 0;
        mask = KPXCreateImage(source->width(), source->height(), 1);
        kpx::ImageLock target(mask, kKpxWrite);
        if (!kpx::hasPixels(target.get())) {
            target.unlock();
            KPXDeleteImage(mask);
            return 0;
        }
        for (int i = 0; i < count; ++i) {
            if (entries[i].mode == kKpxTransparentRegion)
                regions.push_back(entries[i]);
            else if (entries[i].mode == kKpxTransparentColor ||
                     entries[i].mode == kKpxTransparentIndex)
                markEntry(*source.get(), *target.get(), entries[i]);
        }
        target->rotateAngle = source->rotateAngle;
    }
    // Regions are filled after the source's lock is given up, since the fill takes its own.
    for (const KpxTransparentEntry& region : regions) {
        const KpxHandle filled = KPXFloodFillMask(image, &region);
        if (!filled)
            continue;
        {
            kpx::ImageLock target(mask, kKpxWrite);
            kpx::ImageLock part(filled, kKpxRead);
            if (target && part && part->width() == target->width() &&
                part->height() == target->height())
                orMaskInto(*target.get(), *part.get());
        }
        KPXDeleteImage(filled);
    }
    return mask;
}

KpxHandle KPXGetImageTransparentImage(KpxHandle image) {
    if (!image)
        return 0;
    kpx::cacheMaskFromList(image);
    std::int32_t mask = 0;
    std::int32_t explicitImage = 0;
    std::int32_t angle = 0;
    {
        kpx::ImageLock record(image, kKpxRead);
        if (!record)
            return 0;
        mask = record->maskImage;
        explicitImage = record->explicitTransparency;
        angle = record->rotateAngle;
    }
    if (angle == 0)
        return KPXCreateMaskCombine(static_cast<KpxHandle>(mask),
                                    static_cast<KpxHandle>(explicitImage), 0);
    // A turned image is composed as its rotated copy: its masks are rotated alike (their uncovered
    // corners transparent), and without any it is the outline of the rotated copy, which is built
    // here when it is missing. A cached mask carries the image's angle too, so it is rotated as a
    // mask rather than asked for a rotated copy of its own.
    KPXGetImageRotateImage(image);
    const auto rotated = [angle](std::int32_t handle) {
        return handle ? kpx::rotatedMaskOf(static_cast<KpxHandle>(handle), angle) : KpxHandle{0};
    };
    return KPXCreateMaskCombine(rotated(mask), rotated(explicitImage),
                                KPXGetImageRotateImageMask(image, angle));
}

KpxHandle KPXCreateMaskCombine(KpxHandle a, KpxHandle b, KpxHandle c) {
    const KpxHandle first = a ? a : (b ? b : c);
    return first ? KPXCreateImageFrom(first, 1) : 0;
}

KpxHandle KPXCreateTranspCombine(KpxHandle a, KpxHandle b, KpxHandle c) {
    return KPXCreateMaskCombine(a, b, c);
}

KpxHandle KPXCreateMaskCombineEx(KpxHandle a, KpxHandle b) {
    if (!a || !b)
        return 0;
    kpx::ImageLock ra(a, kKpxRead);
    kpx::ImageLock rb(b, kKpxRead);
    if (!kpx::hasPixels(ra.get()) || !kpx::hasPixels(rb.get()) || ra->bitCount() != 1 ||
        rb->bitCount() != 1 || ra->width() != rb->width() || ra->height() != rb->height())
        return 0;
    const KpxHandle result = KPXCreateImage(ra->width(), ra->height(), 1);
    kpx::ImageLock target(result, kKpxWrite);
    if (!kpx::hasPixels(target.get())) {
        target.unlock();
        KPXDeleteImage(result);
        return 0;
    }
    orMaskInto(*target.get(), *ra.get());
    orMaskInto(*target.get(), *rb.get());
    return result;
}

int KPXMaskFillByColor(KpxHandle image, KpxHandle mask, COLORREF colour, COLORREF tolerance,
                       int set) {
    if (!image || !mask || image == mask)
        return 0;
    kpx::ImageLock source(image, kKpxRead);
    kpx::ImageLock target(mask, kKpxWrite);
    if (!kpx::hasPixels(source.get()) || !kpx::hasPixels(target.get()) || target->bitCount() != 1 ||
        target->width() != source->width() || target->height() != source->height())
        return 0;
    const ChannelRange red(GetRValue(colour), GetRValue(tolerance));
    const ChannelRange green(GetGValue(colour), GetGValue(tolerance));
    const ChannelRange blue(GetBValue(colour), GetBValue(tolerance));
    const auto inRange = [&](const RGBQUAD& c) {
        return red.contains(c.rgbRed) && green.contains(c.rgbGreen) && blue.contains(c.rgbBlue);
    };
    const int bpp = source->bitCount();
    const bool palette = bpp == 1 || bpp == 4 || bpp == 8;
    if (!palette && bpp != 24)
        return 1;
    std::array<bool, 256> hit{};
    for (std::uint32_t i = 0; palette && i < source->colorCount() && i < hit.size(); ++i)
        hit[i] = inRange(source->colors()[i]);
    for (std::int32_t y = 0; y < source->height(); ++y) {
        const std::uint8_t* in = kpx::pictureRow(*source.get(), y);
        std::uint8_t* out = kpx::pictureRow(*target.get(), y);
        for (std::int32_t x = 0; x < source->width(); ++x) {
            RGBQUAD c{};
            const bool on = palette ? hit[static_cast<std::size_t>(kpx::indexAt(in, x, bpp))]
                                    : (kpx::colorAt(*source.get(), in, x, &c), inRange(c));
            if (on)
                kpx::setMaskBit(out, x, set != 0);
        }
    }
    return 1;
}
