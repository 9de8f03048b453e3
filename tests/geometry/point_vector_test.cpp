#include "geometry/cpoint2d.h"
#include "geometry/cvector2d.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Point, RoundingPolarFormAndArithmetic)
{
    // Pixels: add 0.5 and truncate toward zero.
    const struct
    {
        double v;
        int pixel;
    } roundings[] = {{2.5, 3}, {-0.5, 0}, {-1.6, -1}, {-2.4, -1}, {2.49, 2}, {-0.7, 0}};
    for (const auto& r : roundings) {
        EXPECT_EQ(CPoint2D(r.v, 0).X(), r.pixel) << r.v;
        EXPECT_EQ(CPoint2D(0, r.v).Y(), r.pixel) << r.v;
    }

    // cos(HALF_PI) of the ten-decimal PI is about 4.49e-11, not zero.
    const CPoint2D up(1.0, HALF_PI, true);
    EXPECT_NEAR(up.Xd(), 4.4897e-11, 1e-14);
    EXPECT_DOUBLE_EQ(up.Yd(), 1.0);
    CPoint2D p;
    p.Set(2.0, PI, true);
    EXPECT_NEAR(p.Xd(), -2.0, 1e-12);

    const CPoint2D a(3.0, 4.0);
    const CPoint2D b(-1.0, 1.0);
    EXPECT_DOUBLE_EQ(a.Distance(b), 5.0);
    EXPECT_DOUBLE_EQ(a.Midpoint(b).Yd(), 2.5);
    EXPECT_DOUBLE_EQ((a - b).Xd(), 4.0);
    EXPECT_DOUBLE_EQ(CPoint2D(1, 0).Cross(CPoint2D(0, 1)), 1.0);
    EXPECT_DOUBLE_EQ(CPoint2D(0, 1).Cross(CPoint2D(1, 0)), -1.0);
    EXPECT_DOUBLE_EQ(CPoint2D(2, 3).Cross(CPoint2D(4, 6)), 0.0);
}

TEST(Point, RotatesCounterClockwiseAboutACentre)
{
    CPoint2D p(20.0, 0.0);
    p.Rotate(HALF_PI, ORIGIN);
    EXPECT_NEAR(p.Xd(), 0.0, 1e-8);
    EXPECT_NEAR(p.Yd(), 20.0, 1e-12);
    CPoint2D q(15.0, 10.0);
    q.Rotate(PI, CPoint2D(10.0, 10.0));
    EXPECT_NEAR(q.Xd(), 5.0, 1e-9);
    EXPECT_NEAR(q.Yd(), 10.0, 1e-9);
}

TEST(PointDeathTest, NegativeOrNanPolarRadiusStops)
{
    const char* expected = "Assertion failed: x >= 0, file geometry/cpoint2d.cpp, line [0-9]+";
    EXPECT_DEATH(CPoint2D(-1.0, 0.0, true), expected);
    EXPECT_DEATH(CPoint2D(std::nan(""), 0.0, true), expected);
}

TEST(Vector, NormalisesDirectionAndSplitsIntoComponents)
{
    EXPECT_NEAR(CVector2D(1.0, -HALF_PI, HALF_PI).Direction(), 4.71238898025, 1e-11);
    EXPECT_NEAR(CVector2D(1.0, 7.0, HALF_PI).Direction(), 0.716814693, 1e-9);
    EXPECT_NEAR(NormaliseAngle(TWO_PI * 5 + 0.25), 0.25, 1e-9);
    // A tiny negative angle must not become TWO_PI itself.
    EXPECT_LT(NormaliseAngle(-1e-12), TWO_PI);
    EXPECT_GE(NormaliseAngle(-1e-12), 0.0);

    const CVector2D v(150.0, HALF_PI, HALF_PI);
    EXPECT_NEAR(v.X(), 6.7346e-9, 1e-12);
    EXPECT_DOUBLE_EQ(v.Y(), 150.0);
    CVector2D w;
    w.SetMagnitude(-2.0);
    w.SetDirection(PI);
    EXPECT_NEAR(w.X(), 2.0, 1e-12);
}
