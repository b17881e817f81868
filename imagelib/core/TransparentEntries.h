#pragma once
// One entry of an image's transparency list: its modes and the colour test of a colour entry.
// The flood fill of region entries and the masks of the list both build on it.

#include "Bitra5.h"

#include <cstdint>

// Entry modes of KpxTransparentEntry.
constexpr std::int32_t kKpxTransparentColor = 0;  // red, green, blue within tolerance
constexpr std::int32_t kKpxTransparentIndex = 1;  // palette index in the blue field
constexpr std::int32_t kKpxTransparentRegion = 2; // flood-filled region around the seed

namespace kpx {

// Whether a colour lies within a colour entry's tolerance on every channel. The entry's fields
// may hold any 32-bit value (they come from files and callers): differences are taken in 64 bits.
bool withinTolerance(const KpxTransparentEntry& entry, const RGBQUAD& colour);

} // namespace kpx
