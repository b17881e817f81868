#pragma once
// Transparency of an image: a list of up to ten transparent-colour entries, the 1-bit mask
// cached from that list (or attached by the caller), an explicit transparency image, and the
// operations that build, combine and fill masks. In every 1-bit mask a set bit is transparent.

#include "Bitra5.h"
#include "ImageRecord.h"

// Entry modes of KpxTransparentEntry.
constexpr std::int32_t kKpxTransparentColor = 0;  // red, green, blue within tolerance
constexpr std::int32_t kKpxTransparentIndex = 1;  // palette index in the blue field
constexpr std::int32_t kKpxTransparentRegion = 2; // flood-filled region around the seed

namespace kpx {
// True when the record would draw through a mask: a non-empty list, a cached mask or an
// explicit transparency image.
bool hasTransparency(const KpxImageRecord& record);
// Makes sure the image caches the mask of its list (when it has a list). Call without holding a
// lock on the image.
void cacheMaskFromList(KpxHandle image);
// Whether a colour lies within a colour entry's tolerance on every channel. The entry's fields
// may hold any 32-bit value (they come from files and callers): differences are taken in 64 bits.
bool withinTolerance(const KpxTransparentEntry& entry, const RGBQUAD& colour);
} // namespace kpx
