#pragma once
// Pixel arithmetic and logic of the IPL stand-in over OpenCV's core: every channel of every pixel
// of the work areas, results cut to 0..255 (0..1 for 1-bit images). All images of one call have
// the same layout and work areas of the same size; the destination may be one of the sources.

#include "ipl/IplImage.h"

namespace kfm::ipl {

// dst = src + value, src - value (or value - src with fromValue), src x value, and
// src x value / 255.
Status addS(const Image& src, const Image& dst, int value);
enum class SubtractFrom { Source, Value };
Status subtractS(const Image& src, const Image& dst, int value, SubtractFrom order);
Status multiplyS(const Image& src, const Image& dst, int value);
Status multiplySScale(const Image& src, const Image& dst, int value);

// dst = a + b, a - b, a & b, a ^ b.
Status add(const Image& a, const Image& b, const Image& dst);
Status subtract(const Image& a, const Image& b, const Image& dst);
Status bitwiseAnd(const Image& a, const Image& b, const Image& dst);
Status bitwiseXor(const Image& a, const Image& b, const Image& dst);
// dst = ~src.
Status bitwiseNot(const Image& src, const Image& dst);
// dst = the largest value where src reaches level, else 0.
Status threshold(const Image& src, const Image& dst, int level);

} // namespace kfm::ipl
