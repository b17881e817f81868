#pragma once
// Rotation geometry of object matrices and rotated rectangles, and the small point tests of the
// views. Object matrices are 2x2 matrices a, b, c, d of doubles; the angle functions take points
// of doubles, the rectangle functions integer points.

#include <array>

#include "types/Win32Types.h"

struct PointD {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const PointD&) const = default;
};

// Rounds half away from zero; values outside the int range are clamped, NaN gives 0.
int RoundToInt(double x);
// The direction from p to q in degrees (-180..180); 0 when p equals q.
double GetAngle(PointD p, PointD q);
// q.y * p.x - p.y * q.x; 0 when p equals q.
double CrossProduct(PointD p, PointD q);

// 1 when the determinant a * d - b * c is below 0.
int IsMatrixMirrored(double a, double b, double c, double d);
inline int IsMatrixMirrored(const double (&m)[4]) {
    return IsMatrixMirrored(m[0], m[1], m[2], m[3]);
}
// Makes the matrix a rotation by `degrees`, keeping a mirror that it holds.
void SetRotationMatrix(double degrees, double& a, double& b, double& c, double& d);
// The rotation of the matrix in whole degrees, 0..359 for matrices built by SetRotationMatrix.
int GetRotationAngle(double a, double b, double c, double d);
inline int GetRotationAngle(const double (&m)[4]) {
    return GetRotationAngle(m[0], m[1], m[2], m[3]);
}
// Bit 1 of flags negates x, bit 2 negates y.
void FlipSigns(int flags, double& x, double& y);

// Rotates four points about (cx, cy); every product is truncated toward zero.
void RotatePoints(int cx, int cy, float degrees, POINT& p1, POINT& p2, POINT& p3, POINT& p4);
// The size of a width x height rectangle rotated about its centre, plus 2 in each direction.
void GetRotatedSize(float degrees, int& width, int& height);
int Min4(int a, int b, int c, int d);
// The corners (0, 0), (w, 0), (w, h), (0, h) rotated about the centre and shifted so that the
// smallest x and the smallest y are 0, in that corner order (for perspective warps).
std::array<POINT, 4> GetRotatedCorners(float degrees, int width, int height);

// 1 when q lies strictly inside the square of half-side tolerance around p.
int IsPointNear(POINT p, POINT q, int tolerance);
// 1 when p lies strictly inside the box spanned by a and b, widened by tolerance on every side.
int IsPointNearSegment(POINT a, POINT b, POINT p, int tolerance);
