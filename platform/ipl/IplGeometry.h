#pragma once
// Resizing, mirroring, rotation and the rectangle-to-quadrangle warp of the IPL stand-in, over
// OpenCV's imgproc. Each works from the source's work area into the destination's work area,
// in place on the rows the descriptions name; source and destination may share memory.

#include "ipl/IplImage.h"

namespace kfm::ipl {

// Scales the source area by xDst / xSrc across and yDst / ySrc down into the destination area,
// the picture's top-left corner kept. When the scaled picture is larger than the destination
// area only the part that fits is computed; when it is smaller the rest of the destination is
// left alone. Same layout; all four numbers above 0.
Status resize(const Image& src, const Image& dst, int xDst, int xSrc, int yDst, int ySrc,
              int interpolation);
// The same with the fractions limited to shrinking (decimate) or enlarging (zoom).
Status decimate(const Image& src, const Image& dst, int xDst, int xSrc, int yDst, int ySrc,
                int interpolation);
Status zoom(const Image& src, const Image& dst, int xDst, int xSrc, int yDst, int ySrc,
            int interpolation);

// Axis 0 turns the picture upside down, 1 mirrors it left to right, -1 does both. The two
// areas have the same size and layout.
Status mirror(const Image& src, const Image& dst, int axis);

// Warps the source area so that its top-left, top-right, bottom-right and bottom-left corners
// land on quad[0..3] (x, y of the destination image, corners of pixels: the destination's own
// corners are (0, 0) and (width, height)). Destination pixels outside the quadrangle keep their
// values; with the smooth-edge flag those on its edges are blended by how much of them it
// covers. Same layout; a quadrangle with three points on one line is refused.
Status warpPerspectiveQ(const Image& src, const Image& dst, const double quad[4][2],
                        int interpolation);

// Rotates the source area by angle degrees (counter-clockwise as the picture is seen) about its
// pixel (0, 0) and moves it by the shifts: source pixel (x, y) lands on
// (x cos + y sin + xShift, -x sin + y cos + yShift) of the destination area. Pixels that
// nothing lands on keep their values; the smooth-edge flag blends the picture's edges as the
// warp does.
Status rotate(const Image& src, const Image& dst, double angle, double xShift, double yShift,
              int interpolation);

// The shifts that make rotate() turn the picture about pixel (x, y).
void getRotateShift(double x, double y, double angle, double* xShift, double* yShift);

// True for the interpolation codes the functions take.
bool isInterpolation(int interpolation);

} // namespace kfm::ipl
