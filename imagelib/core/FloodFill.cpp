#include "FloodFill.h"

#include "ImageCreation.h"
#include "ImageTable.h"
#include "PixelAccess.h"
#include "TransparentEntries.h"

#include <new>
#include <utility>
#include <vector>

namespace {

// The work stack starts with room for this many (x, y) pairs and grows by as many.
constexpr std::size_t kStackStep = 8000;

class RegionFill {
public:
    RegionFill(const KpxImageRecord& source, KpxImageRecord& mask, const KpxTransparentEntry& entry)
        : source_(source), mask_(mask), entry_(entry), width_(source.width()),
          height_(source.height()) {}

    bool matches(std::int32_t x, std::int32_t y) const {
        RGBQUAD c{};
        kpx::colorAt(source_, kpx::pictureRow(source_, y), x, &c);
        return kpx::withinTolerance(entry_, c);
    }
    bool marked(std::int32_t x, std::int32_t y) const {
        return kpx::maskBit(kpx::pictureRow(mask_, y), x);
    }
    bool open(std::int32_t x, std::int32_t y) const { return matches(x, y) && !marked(x, y); }

    // Fills from the seed; false when the stack cannot grow.
    bool run(std::int32_t seedX, std::int32_t seedY) {
        try {
            stack_.reserve(kStackStep);
            push(seedX, seedY);
            while (!stack_.empty()) {
                const auto [x, y] = stack_.back();
                stack_.pop_back();
                fillSpan(x, y);
            }
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

private:
    void push(std::int32_t x, std::int32_t y) {
        if (stack_.size() == stack_.capacity())
            stack_.reserve(stack_.capacity() + kStackStep);
        stack_.emplace_back(x, y);
    }

    void fillSpan(std::int32_t x, std::int32_t y) {
        std::int32_t l = x;
        while (l > 0 && matches(l - 1, y))
            --l;
        std::int32_t r = x;
        while (r < width_ - 1 && matches(r + 1, y))
            ++r;
        std::uint8_t* row = kpx::pictureRow(mask_, y);
        for (std::int32_t i = l; i <= r; ++i)
            kpx::setMaskBit(row, i, true);

        if (l < r) {
            if (y > 0)
                scanNeighbourRow(l, r, y - 1);
            if (y < height_ - 1)
                scanNeighbourRow(l, r, y + 1);
            return;
        }
        if (y > 0 && open(r, y - 1))
            push(r, y - 1);
        if (y < height_ - 1 && open(r, y + 1))
            push(r, y + 1);
    }

    // Pushes one seed per run of open pixels of row ny that touches the columns l..r; a run that
    // starts left of l is taken from its own start.
    void scanNeighbourRow(std::int32_t l, std::int32_t r, std::int32_t ny) {
        std::int32_t pos = l + 1;
        while (pos > 0 && matches(pos - 1, ny))
            --pos;
        while (pos <= r + 1 && pos < width_) {
            if (!open(pos, ny)) {
                ++pos;
                continue;
            }
            if (pos > r)
                return;
            push(pos, ny);
            while (pos < width_ && matches(pos, ny))
                ++pos;
        }
    }

    const KpxImageRecord& source_;
    KpxImageRecord& mask_;
    const KpxTransparentEntry& entry_;
    const std::int32_t width_;
    const std::int32_t height_;
    std::vector<std::pair<std::int32_t, std::int32_t>> stack_;
};

bool fillableDepth(int bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24;
}

} // namespace

KpxHandle KPXFloodFillMask(KpxHandle image, const KpxTransparentEntry* entry) {
    if (!entry || !image)
        return 0;
    kpx::ImageLock source(image, kKpxRead);
    if (!kpx::hasPixels(source.get()))
        return 0;
    const KpxHandle mask = KPXCreateImage(source->width(), source->height(), 1);
    if (!mask)
        return 0;
    bool filled = false;
    {
        kpx::ImageLock target(mask, kKpxWrite);
        // A seed outside the image is refused rather than read outside the rows.
        const bool seedInside = entry->seedX >= 0 && entry->seedX < source->width() &&
                                entry->seedY >= 0 && entry->seedY < source->height();
        if (kpx::hasPixels(target.get()) && fillableDepth(source->bitCount()) && seedInside) {
            RegionFill fill(*source.get(), *target.get(), *entry);
            if (fill.open(entry->seedX, entry->seedY))
                filled = fill.run(entry->seedX, entry->seedY);
        }
    }
    if (!filled) {
        KPXDeleteImage(mask);
        return 0;
    }
    return mask;
}
