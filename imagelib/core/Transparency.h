#pragma once
// Transparency of an image: a list of up to ten transparent-colour entries, the 1-bit mask
// cached from that list (or attached by the caller), an explicit transparency image, and the
// operations that build, combine and fill masks. In every 1-bit mask a set bit is transparent.

#include "ImageRecord.h"

// Entry modes of KpxTransparentEntry.
constexpr std::int32_t kKpxTransparentColor = 0;  // red, green, blue within tolerance
constexpr std::int32_t kKpxTransparentIndex = 1;  // palette index in the blue field
constexpr std::int32_t kKpxTransparentRegion = 2; // flood-filled region around the seed

// Sets the list (a count above 10 is cut to 10; count 0 or null entries clears it). The cached
// mask is always dropped so that the next use rebuilds it. 0 for a negative count.
BITRA5_API int KPXSetImageTransparent(KpxHandle image, const KpxTransparentEntry* entries,
                                      int count);
// The image's own list (not a copy) and its count; null and 0 when empty or invalid. Valid until
// the list changes or the image is deleted.
BITRA5_API KpxTransparentEntry* KPXGetImageTransparentData(KpxHandle image, int* count);
// 1 when the list is non-empty, a mask or explicit transparency image is attached, or the
// rotate angle is non-zero.
BITRA5_API int KPXIsImageTransparent(KpxHandle image);
// A new 1-bit mask of the image's size from the entries, their results OR-ed.
BITRA5_API KpxHandle KPXCreateMaskImageFrom(KpxHandle image, const KpxTransparentEntry* entries,
                                            int count);
// The combined transparency image as a new reference that the caller deletes: the cached mask
// (built from the list when needed) or else the explicit transparency image; 0 when neither.
BITRA5_API KpxHandle KPXGetImageTransparentImage(KpxHandle image);
// Attaches a mask of 1 or 8 bits in place of the cached one (which is deleted); the image owns
// it from then on. Mask 0 only drops the cached mask. Another depth drops the cached mask,
// stores nothing, leaves the given mask with the caller and returns 0.
BITRA5_API int KPXSetImageTransparentMask(KpxHandle image, KpxHandle mask);
// The same for the explicit transparency image.
BITRA5_API int KPXSetImageTransparentEx(KpxHandle image, KpxHandle ex);
// The stored explicit transparency image (no new reference).
BITRA5_API KpxHandle KPXGetImageTransparentImageEx(KpxHandle image);
// Deletes the cached rotated copy and the cached mask.
BITRA5_API int KPXClearTemporaryImages(KpxHandle image);
// A new reference to the first non-zero of the three handles; 0 when all are 0.
BITRA5_API KpxHandle KPXCreateMaskCombine(KpxHandle a, KpxHandle b, KpxHandle c);
BITRA5_API KpxHandle KPXCreateTranspCombine(KpxHandle a, KpxHandle b, KpxHandle c);
// A new 1-bit image, the bitwise OR of two 1-bit images of equal size.
BITRA5_API KpxHandle KPXCreateMaskCombineEx(KpxHandle a, KpxHandle b);
// Sets (set non-zero) or clears the mask bit of every pixel of image whose colour lies within
// the tolerance of colour; colour and tolerance are COLORREF values, per channel.
BITRA5_API int KPXMaskFillByColor(KpxHandle image, KpxHandle mask, COLORREF colour,
                                  COLORREF tolerance, int set);

namespace kpx {
// True when the record would draw through a mask: a non-empty list, a cached mask or an
// explicit transparency image.
bool hasTransparency(const KpxImageRecord& record);
// Makes sure the image caches the mask of its list (when it has a list). Call without holding a
// lock on the image.
void cacheMaskFromList(KpxHandle image);
} // namespace kpx
