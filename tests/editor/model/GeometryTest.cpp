#include "Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Geometry, RoundToIntRoundsHalfAwayFromZero) {
    const struct {
        double in;
        int out;
    } cases[] = {{0.0, 0},
                 {0.49, 0},
                 {0.5, 1},
                 {1.5, 2},
                 {-0.5, -1},
                 {-0.49, 0},
                 {-1.5, -2},
                 {359.6, 360},
                 {1e300, std::numeric_limits<int>::max()},
                 {-1e300, std::numeric_limits<int>::min()},
                 {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundToInt(c.in), c.out) << c.in;
}

TEST(Geometry, AngleAndCrossProduct) {
    EXPECT_EQ(GetAngle({1, 1}, {1, 1}), 0.0);
    EXPECT_DOUBLE_EQ(GetAngle({0, 0}, {0, 1}), 90.0);
    EXPECT_DOUBLE_EQ(GetAngle({1, 1}, {0, 1}), 180.0);
    EXPECT_DOUBLE_EQ(GetAngle({0, 0}, {1, -1}), -45.0);
    EXPECT_EQ(CrossProduct({2, 3}, {2, 3}), 0.0);
    EXPECT_EQ(CrossProduct({2, 3}, {5, 7}), 7 * 2 - 3 * 5);
}

TEST(Geometry, MirroredMatrices) {
    EXPECT_EQ(IsMatrixMirrored(-1, 0, 0, 1), 1);
    EXPECT_EQ(IsMatrixMirrored(1, 0, 0, 1), 0);
    EXPECT_EQ(IsMatrixMirrored(0, 0, 0, 0), 0);
    const double m[4] = {1, 0, 0, -1};
    EXPECT_EQ(IsMatrixMirrored(m), 1);
}

TEST(Geometry, RotationMatrixOnTheIdentity) {
    double a = 1, b = 0, c = 0, d = 1;
    SetRotationMatrix(90, a, b, c, d);
    EXPECT_NEAR(a, 0, 1e-12);
    EXPECT_NEAR(b, 1, 1e-12);
    EXPECT_NEAR(c, -1, 1e-12);
    EXPECT_NEAR(d, 0, 1e-12);
    EXPECT_EQ(GetRotationAngle(a, b, c, d), 90);
    EXPECT_EQ(IsMatrixMirrored(a, b, c, d), 0);
}

TEST(Geometry, RotationKeepsTheMirror) {
    double a = -1, b = 0, c = 0, d = 1;
    SetRotationMatrix(90, a, b, c, d);
    EXPECT_EQ(IsMatrixMirrored(a, b, c, d), 1);
    EXPECT_EQ(GetRotationAngle(a, b, c, d), 90);
    EXPECT_EQ(GetRotationAngle(-1, 0, 0, 1), 0);
}

TEST(Geometry, RotationAngleRoundTripsEveryWholeDegree) {
    for (int mirrored = 0; mirrored < 2; ++mirrored) {
        for (int degrees = 0; degrees < 360; ++degrees) {
            double a = mirrored ? -1 : 1, b = 0, c = 0, d = 1;
            SetRotationMatrix(degrees, a, b, c, d);
            ASSERT_EQ(GetRotationAngle(a, b, c, d), degrees) << "mirrored " << mirrored;
            ASSERT_EQ(IsMatrixMirrored(a, b, c, d), mirrored) << degrees;
        }
    }
}

TEST(Geometry, FlipSigns) {
    const struct {
        int flags;
        double x, y;
    } cases[] = {{0, 2, 3}, {1, -2, 3}, {2, 2, -3}, {3, -2, -3}, {4, 2, 3}};
    for (const auto& c : cases) {
        double x = 2, y = 3;
        FlipSigns(c.flags, x, y);
        EXPECT_EQ(x, c.x) << c.flags;
        EXPECT_EQ(y, c.y) << c.flags;
    }
}

TEST(Geometry, RotatePointsTruncatesEachProduct) {
    POINT p1{10, 0}, p2{0, 10}, p3{3, 3}, p4{-7, 1};
    RotatePoints(0, 0, 90.0f, p1, p2, p3, p4);
    EXPECT_EQ(p1.x, 0);
    EXPECT_EQ(p1.y, 10);
    EXPECT_EQ(p2.x, -10);
    EXPECT_EQ(p2.y, 0);
    EXPECT_EQ(p3.x, -3);
    EXPECT_EQ(p3.y, 3);
    EXPECT_EQ(p4.x, -1);
    EXPECT_EQ(p4.y, -7);

    // 45 degrees about (5, 3): every product truncated toward zero on its own.
    POINT q1{0, 0}, q2{10, 0}, q3{10, 6}, q4{0, 6};
    RotatePoints(5, 3, 45.0f, q1, q2, q3, q4);
    EXPECT_EQ(q1.x, 4); // trunc(-3.54) - trunc(-2.12) + 5
    EXPECT_EQ(q1.y, -2);
    EXPECT_EQ(q2.x, 10);
    EXPECT_EQ(q2.y, 4);
    EXPECT_EQ(q3.x, 6);
    EXPECT_EQ(q3.y, 8);
    EXPECT_EQ(q4.x, 0);
    EXPECT_EQ(q4.y, 2);
}

TEST(Geometry, RotatedSize) {
    const struct {
        float degrees;
        int w, h, outW, outH;
    } cases[] = {
        {0, 10, 6, 12, 8},   {90, 10, 6, 8, 12}, {180, 10, 6, 12, 8},
        {45, 10, 6, 12, 12}, {0, 0, 0, 2, 2},    {270, 1, 1, 3, 3},
    };
    for (const auto& c : cases) {
        int w = c.w, h = c.h;
        GetRotatedSize(c.degrees, w, h);
        EXPECT_EQ(w, c.outW) << c.degrees << " " << c.w << "x" << c.h;
        EXPECT_EQ(h, c.outH) << c.degrees << " " << c.w << "x" << c.h;
    }
}

TEST(Geometry, RotatedCornersStartAtZero) {
    const auto p = GetRotatedCorners(45.0f, 10, 6);
    // Rotated: (4,-2) (10,4) (6,8) (0,2); shifted by (0, 2).
    const POINT expected[4] = {{4, 0}, {10, 6}, {6, 10}, {0, 4}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p[i].x, expected[i].x) << i;
        EXPECT_EQ(p[i].y, expected[i].y) << i;
    }
    const auto same = GetRotatedCorners(0.0f, 10, 6);
    EXPECT_EQ(same[2].x, 10);
    EXPECT_EQ(same[2].y, 6);
    EXPECT_EQ(Min4(3, -1, 7, 0), -1);
}

TEST(Geometry, PointTestsAreStrict) {
    EXPECT_EQ(IsPointNear({10, 10}, {12, 8}, 3), 1);
    EXPECT_EQ(IsPointNear({10, 10}, {13, 10}, 3), 0);
    EXPECT_EQ(IsPointNear({10, 10}, {10, 7}, 3), 0);
    EXPECT_EQ(IsPointNear({10, 10}, {10, 10}, 0), 0);

    // The box of a and b in either order, widened by the tolerance.
    EXPECT_EQ(IsPointNearSegment({20, 5}, {0, 0}, {10, 2}, 1), 1);
    EXPECT_EQ(IsPointNearSegment({0, 0}, {20, 5}, {-1, 2}, 2), 1);
    EXPECT_EQ(IsPointNearSegment({0, 0}, {20, 5}, {-2, 2}, 2), 0);
    EXPECT_EQ(IsPointNearSegment({0, 0}, {20, 5}, {10, 7}, 2), 0);
    EXPECT_EQ(IsPointNearSegment({0, 0}, {20, 5}, {10, 6}, 2), 1);
}
