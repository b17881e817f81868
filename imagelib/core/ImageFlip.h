#pragma once
// Mirroring an image in place, left to right and upside down, together with the images attached
// to it (its mask, its explicit transparency image and its cached rotated copy).
//
// The kernels work on stored rows and know nothing of handles or locks; KPXFlipImage checks,
// locks and calls them.

#include "Bitra5.h"
#include "ImageRecord.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Flags of KPXFlipImage.
constexpr int kKpxFlipLeftRight = 1;
constexpr int kKpxFlipUpsideDown = 2;

namespace kpx {

// Reverses the first width pixels of a row of 1, 4, 8, 16, 24 or 32 bits; packed pixels stay
// whole and the padding bits after the last pixel keep their values. scratch is working memory.
void mirrorRow(std::uint8_t* row, std::int32_t width, int bitsPerPixel,
               std::vector<std::uint8_t>& scratch);
// Exchanges stored rows i and height - 1 - i.
void turnRowsUpsideDown(std::uint8_t* bits, std::int32_t height, std::size_t stride);
// Moves the seeds of the region entries of a transparency list with the picture.
void mirrorRegionSeeds(KpxTransparentEntry* entries, int count, std::int32_t width,
                       std::int32_t height, int flags);

} // namespace kpx
