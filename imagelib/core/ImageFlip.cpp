#include "ImageFlip.h"

#include "ImageTable.h"
#include "PackedRows.h"
#include "PixelAccess.h"
#include "Transparency.h"

#include <algorithm>
#include <array>
#include <span>

namespace {

// Bytes of one pixel for the depths mirrored byte-wise; 0 for packed depths.
int bytesPerPixel(int bitsPerPixel) {
    return bitsPerPixel >= 8 ? bitsPerPixel / 8 : 0;
}

void mirrorWholePixels(std::uint8_t* row, std::int32_t width, int bytes) {
    for (std::int32_t l = 0, r = width - 1; l < r; ++l, --r)
        std::swap_ranges(row + static_cast<std::size_t>(l) * bytes,
                         row + static_cast<std::size_t>(l + 1) * bytes,
                         row + static_cast<std::size_t>(r) * bytes);
}

bool flipsLeftRight(int bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 ||
           bitsPerPixel == 24 || bitsPerPixel == 32;
}

// The images attached to a record, flipped after it.
struct Attached {
    std::array<std::int32_t, 3> handles{};
};

// Flips one image in place; false when it cannot be locked.
bool flipOne(KpxHandle image, int flags, Attached& attached) {
    kpx::ImageLock record(image, kKpxWrite);
    if (!kpx::hasWholePixels(record.get()))
        return false;
    const std::int32_t width = record->width();
    const std::int32_t height = record->height();
    if (flags & kKpxFlipUpsideDown)
        kpx::turnRowsUpsideDown(record->bits, height, record->rowBytes());
    if ((flags & kKpxFlipLeftRight) && flipsLeftRight(record->bitCount())) {
        std::vector<std::uint8_t> scratch;
        for (std::int32_t y = 0; y < height; ++y)
            kpx::mirrorRow(kpx::pictureRow(*record.get(), y), width, record->bitCount(), scratch);
    }
    kpx::mirrorRegionSeeds(record->transparency.data(), record->transparencyCount, width, height,
                           flags);
    // The write lock has dropped the cached checksum.
    attached.handles = {record->maskImage, record->explicitTransparency, record->derivedImage};
    return true;
}

// Flips an image and then, with the same flags, every image attached to it; an image reached
// twice (links may form a loop) is flipped once.
bool flipWithAttached(KpxHandle image, int flags, std::vector<std::int32_t>& done) {
    if (std::find(done.begin(), done.end(), image) != done.end())
        return true;
    done.push_back(image);
    Attached attached;
    if (!flipOne(image, flags, attached))
        return false;
    for (const std::int32_t linked : attached.handles)
        if (linked)
            flipWithAttached(static_cast<KpxHandle>(linked), flags, done);
    return true;
}

} // namespace

void kpx::mirrorRow(std::uint8_t* row, std::int32_t width, int bitsPerPixel,
                    std::vector<std::uint8_t>& scratch) {
    if (width < 2)
        return;
    if (const int bytes = bytesPerPixel(bitsPerPixel)) {
        mirrorWholePixels(row, width, bytes);
        return;
    }
    scratch.resize(static_cast<std::size_t>(width));
    const std::span<std::uint8_t> indices(scratch.data(), scratch.size());
    unpackRow(row, bitsPerPixel, indices);
    std::reverse(indices.begin(), indices.end());
    packRow(indices, row, bitsPerPixel);
}

void kpx::turnRowsUpsideDown(std::uint8_t* bits, std::int32_t height, std::size_t stride) {
    for (std::int32_t i = 0, j = height - 1; i < j; ++i, --j)
        std::swap_ranges(bits + static_cast<std::size_t>(i) * stride,
                         bits + static_cast<std::size_t>(i + 1) * stride,
                         bits + static_cast<std::size_t>(j) * stride);
}

void kpx::mirrorRegionSeeds(KpxTransparentEntry* entries, int count, std::int32_t width,
                            std::int32_t height, int flags) {
    for (int i = 0; i < std::clamp(count, 0, kKpxMaxTransparentEntries); ++i) {
        KpxTransparentEntry& e = entries[i];
        if (e.mode != kKpxTransparentRegion)
            continue;
        if (flags & kKpxFlipLeftRight)
            e.seedX = width - 1 - e.seedX;
        if (flags & kKpxFlipUpsideDown)
            e.seedY = height - 1 - e.seedY;
    }
}

int KPXFlipImage(KpxHandle image, int flags) {
    if (!image)
        return 0;
    std::vector<std::int32_t> done;
    return flipWithAttached(image, flags, done) ? 1 : 0;
}
