#pragma once
// The transparency of images and frames that the renderers and the frame transforms share: an
// image's transparency entry and colour table, the transparency word of a frame and the
// transparency level of a whole frame with the mask image it keeps.

#include <cstdint>

#include "Bitra5.h"
#include "FrameObject.h"

// One transparency entry: by palette index (mode 1) or by exact colour (mode 0).
void SetImageTransparent(short image, int index);
void SetImageTransparent(short image, unsigned long colour);
// The index of the first transparency entry when it is an index entry, else -1.
int GetImageTransparentIndex(short image);
// Copies the colour table (biClrUsed entries) as red, green, blue, 0. 0 without a header.
int GetImagePalette(short image, PALETTEENTRY* out);

// Applies a transparency level of percent (0..100) to the whole frame, or removes it with 0.
// While a level is applied the frame's mask image keeps the frame's own transparency (8 bits,
// 255 transparent) and the picture's explicit transparency is that raised by the level; a
// transparent palette index is then remembered in bits 16..23 of the transparency word.
void SetFrameTransparencyLevel(CObjFrame* frame, int percent);
// A new 8-bit grey image: every value v becomes v + (255 - v) * k / 255. 0 for a missing image.
short RaiseTransparency(short grey, int k);

namespace kfm::model {

// The frame's transparency word: bit 24 says that palette index (bits 0..7) is transparent;
// under a transparency level the index is remembered in bits 16..23 instead.
constexpr std::uint32_t kIndexFlag = 0x1000000;
constexpr std::uint32_t kRememberedIndexMask = 0xFF0000;
constexpr std::uint32_t kRememberedIndexFlag = 0x10000;

bool hasTransparentIndex(const CObjFrame& f);
int transparentIndex(const CObjFrame& f);

// The image's explicit (graded) transparency image; 0 for none or no image.
KpxHandle explicitTransparencyOf(KpxHandle image);
// Gives the image alpha as its explicit transparency (taken over; 0 removes it).
void attachExplicit(KpxHandle image, KpxHandle alpha);
// A new 8-bit grey image of the 1-bit mask: 255 where a bit is set, else 0.
KpxHandle greyOfMask(KpxHandle mask);

} // namespace kfm::model
