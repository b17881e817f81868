#pragma once
// Resizing an image into a new image: through the platform's stretch blit (mode 0) or through
// the IPL resize with an interpolation (modes 1 linear, 2 cubic, 3 super-sampling).

#include "Bitra5.h"

#include <cstdint>

// Modes of KPXNewSizeImageEx.
constexpr int kKpxResizeStretchBlt = 0;
constexpr int kKpxResizeLinear = 1;
constexpr int kKpxResizeCubic = 2;
constexpr int kKpxResizeSuperSampling = 3;

namespace kpx {
// The whole picture stretched through the stretch blit onto a new image of width x height (any
// image size, 1 x 1 included) at the source's depth and colour table; a copy at the source's own
// size. 0 on failure. The image must not be locked by the caller.
KpxHandle stretchedCopy(KpxHandle image, std::int64_t width, std::int64_t height);
} // namespace kpx
