#include "IndexChange.h"

#include "ImageCreation.h"
#include "ImageTable.h"
#include "PixelAccess.h"
#include "PixelConversion.h"

#include <utility>

namespace {

bool isPaletteDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8;
}

} // namespace

bool kpx::isValidIndexChange(const IndexChange& change, int tableSize) {
    return change.from != change.to && change.from >= 0 && change.to >= 0 &&
           change.from < tableSize && change.to < tableSize;
}

void kpx::changeIndexInRow(std::uint8_t* row, std::int32_t width, int bitsPerPixel,
                           const IndexChange& change) {
    for (std::int32_t x = 0; x < width; ++x) {
        const int index = indexAt(row, x, bitsPerPixel);
        if (index == change.from)
            setIndexAt(row, x, bitsPerPixel, change.to);
        else if (change.swap && index == change.to)
            setIndexAt(row, x, bitsPerPixel, change.from);
    }
}

void kpx::changeIndexInTable(RGBQUAD* colours, const IndexChange& change) {
    const RGBQUAD former = colours[change.from];
    colours[change.from] = colours[change.to];
    if (change.swap)
        colours[change.to] = former;
}

int KPXChangeIndexToIndex(KpxHandle image, int from, int to, int swap) {
    if (!image)
        return 0;
    const kpx::IndexChange change{from, to, swap != 0};
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (!record || !isPaletteDepth(record->bitCount()) ||
            !kpx::isValidIndexChange(change, static_cast<int>(record->colorCount())))
            return 0;
        for (std::int32_t y = 0; y < record->height(); ++y)
            kpx::changeIndexInRow(kpx::pictureRow(*record.get(), y), record->width(),
                                  record->bitCount(), change);
        kpx::changeIndexInTable(record->colors(), change);
    }
    // The DIB section keeps its own copy of the table.
    KPXFillDIBColorTable(image);
    return 1;
}
