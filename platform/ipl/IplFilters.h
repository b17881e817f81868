#pragma once
// Neighbourhood filters of the IPL stand-in over OpenCV's imgproc: box blur, median, minimum and
// maximum over a kernel with an anchor, fixed kernels, erosion and dilation. Each reads the
// source's work area and writes the destination's work area of the same size and layout; the
// two may be the same image. Pixels beyond the picture's edge repeat the edge. Anchors count
// from the kernel's top-left cell as the picture is seen.

#include "ipl/IplImage.h"

namespace kfm::ipl {

// The fixed kernels (the values callers of the image library pass on unchanged).
enum class FixedFilter : int {
    Prewitt3x3Vertical = 0,
    Prewitt3x3Horizontal = 1,
    Sobel3x3Vertical = 2,
    Sobel3x3Horizontal = 3,
    Laplacian3x3 = 4,
    Laplacian5x5 = 5,
    Gaussian3x3 = 6,
    Gaussian5x5 = 7,
    Hipass3x3 = 8,
    Hipass5x5 = 9,
    Sharpen3x3 = 10,
};

// A kernel of cols x rows cells with its anchor inside it.
struct Kernel {
    int cols = 0;
    int rows = 0;
    int anchorX = 0;
    int anchorY = 0;
};

// True when the kernel has at least one cell, the anchor lies inside it, and it is no larger
// than kMaxKernel on either side.
constexpr int kMaxKernel = 255;
bool isKernel(const Kernel& kernel);

// The mean of the kernel's cells.
Status blur(const Image& src, const Image& dst, const Kernel& kernel);
Status medianFilter(const Image& src, const Image& dst, const Kernel& kernel);
Status minFilter(const Image& src, const Image& dst, const Kernel& kernel);
Status maxFilter(const Image& src, const Image& dst, const Kernel& kernel);
Status fixedFilter(const Image& src, const Image& dst, FixedFilter filter);
// Minimum (erode) or maximum (dilate) over 3 x 3 cells, repeated; 0 iterations copy the source.
Status erode(const Image& src, const Image& dst, int iterations);
Status dilate(const Image& src, const Image& dst, int iterations);

} // namespace kfm::ipl
