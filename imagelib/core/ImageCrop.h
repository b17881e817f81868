#pragma once
// Cropping a rectangle of an image into a new image, optionally with its transparency.

#include "Bitra5.h"
#include "ImageRecord.h"

#include <cstdint>

namespace kpx {

// A rectangle with its right and bottom edges included, rows counted from the top.
struct CropRect {
    std::int32_t left, top, right, bottom;
    std::int32_t width() const { return right - left + 1; }
    std::int32_t height() const { return bottom - top + 1; }
};

// The rectangle with its edges put in order and clamped into a width x height picture.
CropRect clampCropRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       std::int32_t width, std::int32_t height);
// Copies count pixels of a row from pixel first on into the start of target, for any depth;
// for packed rows the bits after the last copied pixel of its byte become 0.
void copyPixelSpan(const std::uint8_t* source, std::int32_t first, std::int32_t count,
                   int bitsPerPixel, std::uint8_t* target);

} // namespace kpx
