#pragma once
// The refinement that follows the quantiser's box splitting: it moves the palette's free entries
// so that the picture's colours, each mapped to its nearest entry under the quantiser's
// distance, differ less from their entries (in mean squared error).
//
// Entries that serve badly placed colours are moved to where the error is largest, and between
// such moves every free entry takes the mean of the colours nearest to it. The best palette seen
// is kept, so refinement never ends with a larger error than the palette it was given.

#include <span>
#include <vector>

#include "PaletteSearch.h"

namespace kpx::quantiser {

struct RefinedEntry {
    Rgb colour;
    bool fixed = false;    // keeps its colour (a caller's leading entry)
    bool reserved = false; // the transparent entry: holds no colours, never the nearest entry
};

// colours: the picture's distinct colours with their counts; entryOf[i]: the entry colour i
// starts in (its box), on return the entry nearest to it, with tied[i] set when another entry
// lies as near. Changes only the colours of entries that are neither fixed nor reserved.
void refinePalette(std::span<const Colour> colours, std::span<int> entryOf,
                   std::vector<RefinedEntry>& palette, std::vector<bool>& tied);

} // namespace kpx::quantiser
