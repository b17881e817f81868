#pragma once
// Colour matching and palette reduction: the low-bit elimination search, colours looked up in
// colour tables, images moved onto new palettes, palette reduction, the exact
// 24-to-8-bit conversion of pictures with few colours and palette-index histograms. (One palette
// for a whole frame chain, which draws the frames, is ChainPalette.)

#include "Bitra5.h"
#include "ImageRecord.h"

#include <cstdint>

namespace kpx {

constexpr std::int32_t colourValue(int red, int green, int blue) {
    return red << 16 | green << 8 | blue;
}
// The low-bit elimination runs at most this many rounds: then every value is 0.
constexpr int kEliminationRounds = 24;
// The bits of a colour value left after `round` elimination rounds: the rounds clear one more
// low bit of red, green, blue, red, ... in turn.
std::int32_t eliminationMask(int round);
// The candidate that matches value first: exact values first, then after ever more rounds, the
// lowest index winning. Candidates of -1 take no part; -1 when none does.
int eliminationMatch(const std::int32_t* candidates, int count, std::int32_t value);

// The palette index that an image's transparency list makes transparent: its first entry when
// of mode 1; -1 otherwise.
int transparentIndex(const KpxImageRecord& record);

} // namespace kpx
