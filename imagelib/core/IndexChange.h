#pragma once
// The index change of a palette image: every pixel of one palette index takes another, and the
// colour table follows. Without swap the colour of `from` is merged into `to`; with swap the two
// entries trade places, so the picture looks the same and only the palette order changes.
//
// The edit's shape (see README.md): the kernels below work on one row or one colour table and
// know nothing of handles or locks; KPXChangeIndexToIndex checks, locks and calls them.

#include "Bitra5.h"
#include "ImageRecord.h"

#include <cstdint>

namespace kpx {

struct IndexChange {
    int from;
    int to;
    bool swap;
};

// True when the change can be made on a table of tableSize entries.
bool isValidIndexChange(const IndexChange& change, int tableSize);
// The pixels 0..width-1 of one row of 1, 4 or 8 bits (most significant bits first).
void changeIndexInRow(std::uint8_t* row, std::int32_t width, int bitsPerPixel,
                      const IndexChange& change);
// The colour table: entry from takes the colour of entry to (and with swap, the other way).
void changeIndexInTable(RGBQUAD* colours, const IndexChange& change);

} // namespace kpx
