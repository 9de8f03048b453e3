#include "geometry/cpoint2d.h"
#include "geometry/cvector2d.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectNear(CPoint2D p, double x, double y, double tolerance)
{
    EXPECT_NEAR(p.Xd(), x, tolerance);
    EXPECT_NEAR(p.Yd(), y, tolerance);
}
} // namespace

TEST(Point, RoundingPolarFormRotationAndArithmetic)
{
    // Pixels: add 0.5 and truncate toward zero.
    const double roundings[][2] = {{2.5, 3},   {-0.5, 0}, {-1.6, -1},
                                   {-2.4, -1}, {2.49, 2}, {-0.7, 0}};
    for (const auto& r : roundings) {
        EXPECT_EQ(CPoint2D(r[0], 0).X(), r[1]) << r[0];
        EXPECT_EQ(CPoint2D(0, r[0]).Y(), r[1]) << r[0];
    }
    const auto rotated = [](CPoint2D p, AngleType a, CPoint2D c) { return p.Rotate(a, c), p; };
    // cos(HALF_PI) of the ten-decimal PI is about 4.49e-11, not zero.
    ExpectNear(CPoint2D(1.0, HALF_PI, true), 4.4897e-11, 1.0, 1e-14);
    CPoint2D p;
    p.Set(2.0, PI, true);
    ExpectNear(p, -2.0, 0, 1e-9);
    ExpectNear(rotated(CPoint2D(20, 0), HALF_PI, ORIGIN), 0, 20, 1e-8); // counter-clockwise
    ExpectNear(rotated(CPoint2D(15, 10), PI, CPoint2D(10, 10)), 5, 10, 1e-9);
    EXPECT_DOUBLE_EQ(CPoint2D(3, 4).Distance(CPoint2D(-1, 1)), 5.0);
    EXPECT_DOUBLE_EQ(CPoint2D(1, 0).Cross(CPoint2D(0, 1)), 1.0);
    EXPECT_DOUBLE_EQ(CPoint2D(0, 1).Cross(CPoint2D(1, 0)), -1.0);
    EXPECT_DOUBLE_EQ(CPoint2D(2, 3).Cross(CPoint2D(4, 6)), 0.0);
}

TEST(PointDeathTest, NegativeOrNanPolarRadiusStops)
{
    const char* expected = "Assertion failed: x >= 0, file geometry/cpoint2d.cpp, line ";
    EXPECT_DEATH(CPoint2D(-1.0, 0.0, true), expected);
    EXPECT_DEATH(CPoint2D(std::nan(""), 0.0, true), expected);
}

TEST(Vector, NormalisesDirectionAndSplitsIntoComponents)
{
    EXPECT_NEAR(CVector2D(1.0, -HALF_PI, HALF_PI).Direction(), 4.71238898025, 1e-11);
    EXPECT_NEAR(CVector2D(1.0, 7.0, HALF_PI).Direction(), 0.716814693, 1e-9);
    EXPECT_NEAR(NormaliseAngle(TWO_PI * 5 + 0.25), 0.25, 1e-9);
    const AngleType tiny = NormaliseAngle(-1e-12); // must not become TWO_PI itself
    EXPECT_TRUE(tiny >= 0.0 && tiny < TWO_PI) << tiny;
    const CVector2D v(150.0, HALF_PI, HALF_PI);
    EXPECT_NEAR(v.X(), 6.7346e-9, 1e-12);
    EXPECT_DOUBLE_EQ(v.Y(), 150.0);
}
