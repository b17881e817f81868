#pragma once
// Inverting the colours of an image in place: the pixels of 1-bit and true-colour images, the
// colour table of 4- and 8-bit images (whose indices stay).

#include "Bitra5.h"

#include <cstddef>
#include <cstdint>

namespace kpx {

// Inverts every byte of a block.
void invertBytes(std::uint8_t* bytes, std::size_t count);
// Inverts red, green and blue of count colour-table entries.
void invertColorTable(RGBQUAD* colors, std::uint32_t count);

} // namespace kpx
