#pragma once
// Transparency of an image: a list of up to ten transparent-colour entries, the 1-bit mask
// cached from that list (or attached by the caller), an explicit transparency image, and the
// operations that build, combine and fill masks. In every 1-bit mask a set bit is transparent.

#include "Bitra5.h"
#include "ImageRecord.h"
#include "TransparentEntries.h"

namespace kpx {
// True when the record would draw through a mask: a non-empty list, a cached mask or an
// explicit transparency image.
bool hasTransparency(const KpxImageRecord& record);
// Makes sure the image caches the mask of its list (when it has a list). Call without holding a
// lock on the image.
void cacheMaskFromList(KpxHandle image);
} // namespace kpx
