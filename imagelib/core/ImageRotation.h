#pragma once
// Rotating images: exactly by quarter turns, by whole degrees with a fixed-point nearest-
// neighbour mapping, and by any angle through a perspective warp. An image can also carry a
// rotate angle: it is then drawn and composed as its rotated copy, which the library builds on
// demand and keeps (the derived image), with an explicit transparency image marking the corners
// outside the rotated picture. Masks of such an image keep their rotated versions the same way.
//
// Angles are in degrees; a positive angle turns the picture clockwise as seen on the screen.

#include "Bitra5.h"
#include "ImageRecord.h"

#include <cstdint>

namespace kpx {

// One of the 256 steps of a turn: 1024 x the cosine and -1024 x the sine of its angle.
struct AngleStep {
    std::int32_t cosine;
    std::int32_t sine;
};

// The step of a whole-degree angle: degrees x 0.71111 rounded half away from zero, 256 or more
// taken as 255, below -255 as 1, a negative index counted from 256.
int angleIndex(int degrees);
AngleStep angleStep(int index);

// A point rotated about a centre by a step; each product is truncated toward zero.
POINT rotatePoint(POINT point, POINT centre, AngleStep step);

// The size of the whole-degree rotation of a width x height picture by a step (not yet checked
// against the library's image sizes).
struct RotatedSize {
    std::int64_t width;
    std::int64_t height;
};
RotatedSize freeRotationSize(std::int32_t width, std::int32_t height, AngleStep step);

// The rotated version of a mask or transparency image for the given angle: the image's
// explicit transparency image when it holds one (the cached rotation), else the rotation
// (background transparent), stored there. The image's own rotate angle is not looked at; the
// handle stays owned by the image. 0 when the rotation fails.
KpxHandle rotatedMaskOf(KpxHandle mask, int angle);

} // namespace kpx
