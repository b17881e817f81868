#pragma once
// The vector object rasteriser: an enhanced metafile becomes a 24-bit image with a graded
// transparency image (255 transparent .. 0 opaque). The metafile is played twice, on grey 128
// and on grey 192; pixels that keep the background grey in both plays are the ones it left
// untouched. With anti-aliasing it is played four times larger in each direction and averaged
// down; the result may be rotated through a perspective warp and mirrored.

#include "Bitra5.h"

// The two backgrounds of the plays.
constexpr COLORREF kVectorFirstBackground = 0x808080;
constexpr COLORREF kVectorSecondBackground = 0xC0C0C0;

// A new 24-bit image of (right - left + 1) x (bottom - top + 1) pixels (the rotated bounding box
// plus 2, in multiples of 4, for a non-zero angle) with its transparency image attached; only
// the size of rect matters. mirrored negates the angle and mirrors the result left to right;
// interpolation goes to the warp. A null metafile gives a fully transparent picture. 0 for an
// empty or huge rectangle or when a work image cannot be made.
short RenderMetafileImage(HENHMETAFILE metafile, RECT rect, int angle, int interpolation,
                          int mirrored, int antialias);

// A new 1-bit image, bit 1 (most significant first) where a is exactly colourA and b exactly
// colourB. 0 unless both are 24-bit images of one size.
short CreateColorPairMask(KpxHandle a, KpxHandle b, COLORREF colourA, COLORREF colourB);
// The same test as a new 8-bit grey image: 0 where it holds, 255 elsewhere.
short CreateColorPairMask4(KpxHandle a, KpxHandle b, COLORREF colourA, COLORREF colourB);

// Averages each 4 x 4 block of source into one target pixel: the transparency counts the
// block's mask bits that are set (untouched subpixels, 16 per step, 16 of them 255), the colour
// averages the others; a block without one keeps the target's colour. 1 on success; 0, with
// nothing written, unless source is 24-bit, mask 1-bit of source's size, target 24-bit,
// transparency 8-bit of target's size and source four times target in each direction.
int DownsampleSupersampled(KpxHandle source, KpxHandle mask, KpxHandle target,
                           KpxHandle transparency);
