#include "Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr float kRadiansPerDegreeF = static_cast<float>(std::numbers::pi / 180.0);

// Truncation toward zero that never leaves the int range.
int truncateToInt(double v) {
    if (std::isnan(v))
        return 0;
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(v, lo, hi));
}

// Adds without overflow, clamping to the int range.
int clampedSum(long long v) {
    return static_cast<int>(
        std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

int RoundToInt(double x) {
    return truncateToInt(x >= 0 ? x + 0.5 : x - 0.5);
}

double GetAngle(PointD p, PointD q) {
    if (p == q)
        return 0.0;
    return std::atan2(q.y - p.y, q.x - p.x) * kDegreesPerRadian;
}

double CrossProduct(PointD p, PointD q) {
    if (p == q)
        return 0.0;
    return q.y * p.x - p.y * q.x;
}

int IsMatrixMirrored(double a, double b, double c, double d) {
    return a * d - b * c < 0 ? 1 : 0;
}

void SetRotationMatrix(double degrees, double& a, double& b, double& c, double& d) {
    const bool mirrored = IsMatrixMirrored(a, b, c, d);
    double t = degrees * kRadiansPerDegree;
    if (mirrored)
        t += std::numbers::pi;
    a = std::cos(t);
    b = std::sin(t);
    c = -std::sin(t);
    d = std::cos(t);
    if (mirrored) {
        c = -c;
        d = -d;
    }
}

int GetRotationAngle(double a, double b, double c, double d) {
    int angle = RoundToInt(GetAngle({0.0, 0.0}, {a, b}));
    if (IsMatrixMirrored(a, b, c, d))
        angle -= 180;
    if (angle < 0)
        angle += 360;
    return angle;
}

void FlipSigns(int flags, double& x, double& y) {
    if (flags & 1)
        x = -x;
    if (flags & 2)
        y = -y;
}

void RotatePoints(int cx, int cy, float degrees, POINT& p1, POINT& p2, POINT& p3, POINT& p4) {
    // Single precision throughout, as the rotation of the renderers works: at multiples of 90
    // degrees sine and cosine are then exactly 1 and 0 after rounding, and every truncated
    // product keeps its full value.
    const float t = degrees * kRadiansPerDegreeF;
    const float cosT = std::cos(t);
    const float sinT = std::sin(t);
    for (POINT* p : {&p1, &p2, &p3, &p4}) {
        const auto dx = static_cast<float>(static_cast<long long>(p->x) - cx);
        const auto dy = static_cast<float>(static_cast<long long>(p->y) - cy);
        const long long x =
            static_cast<long long>(truncateToInt(dx * cosT)) - truncateToInt(dy * sinT) + cx;
        const long long y =
            static_cast<long long>(truncateToInt(dy * cosT)) + cy + truncateToInt(dx * sinT);
        p->x = clampedSum(x);
        p->y = clampedSum(y);
    }
}

namespace {

std::array<POINT, 4> rotatedCorners(float degrees, int width, int height) {
    std::array<POINT, 4> p{{{0, 0}, {width, 0}, {width, height}, {0, height}}};
    RotatePoints(width / 2, height / 2, degrees, p[0], p[1], p[2], p[3]);
    return p;
}

int distance(LONG from, LONG to) {
    return clampedSum(std::llabs(static_cast<long long>(from) - to) + 2);
}

} // namespace

void GetRotatedSize(float degrees, int& width, int& height) {
    const auto p = rotatedCorners(degrees, width, height);
    const auto above = [&](const POINT& q) { return q.y < p[1].y && q.y < p[3].y; };
    if (above(p[0]) || above(p[2])) {
        width = distance(p[1].x, p[3].x);
        height = distance(p[0].y, p[2].y);
    } else {
        width = distance(p[0].x, p[2].x);
        height = distance(p[1].y, p[3].y);
    }
}

int Min4(int a, int b, int c, int d) {
    return std::min({a, b, c, d});
}

std::array<POINT, 4> GetRotatedCorners(float degrees, int width, int height) {
    auto p = rotatedCorners(degrees, width, height);
    const int minX = Min4(p[0].x, p[1].x, p[2].x, p[3].x);
    const int minY = Min4(p[0].y, p[1].y, p[2].y, p[3].y);
    for (POINT& q : p) {
        q.x = clampedSum(static_cast<long long>(q.x) - minX);
        q.y = clampedSum(static_cast<long long>(q.y) - minY);
    }
    return p;
}

int IsPointNear(POINT p, POINT q, int tolerance) {
    const long long dx = static_cast<long long>(q.x) - p.x;
    const long long dy = static_cast<long long>(q.y) - p.y;
    return std::llabs(dx) < tolerance && std::llabs(dy) < tolerance ? 1 : 0;
}

int IsPointNearSegment(POINT a, POINT b, POINT p, int tolerance) {
    const auto inside = [tolerance](long long v, long long e1, long long e2) {
        const long long lo = std::min(e1, e2) - tolerance;
        const long long hi = std::max(e1, e2) + tolerance;
        return v > lo && v < hi;
    };
    return inside(p.x, a.x, b.x) && inside(p.y, a.y, b.y) ? 1 : 0;
}
