#include "geometry/cpoint2d.h"
#include "geometry/cvector2d.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Point, RoundsToPixelsByAddingHalfAndTruncating)
{
    const CPoint2D a(2.5, -0.5);
    EXPECT_EQ(a.X(), 3);
    EXPECT_EQ(a.Y(), 0);
    const CPoint2D b(-1.6, -2.4);
    EXPECT_EQ(b.X(), -1);
    EXPECT_EQ(b.Y(), -1);
    const CPoint2D c(2.49, -0.7);
    EXPECT_EQ(c.X(), 2);
    EXPECT_EQ(c.Y(), 0);
    EXPECT_DOUBLE_EQ(c.Xd(), 2.49);
    EXPECT_DOUBLE_EQ(c.Yd(), -0.7);
}

TEST(Point, PolarConstructionUsesTheTenDecimalPi)
{
    const CPoint2D up(1.0, HALF_PI, true);
    // cos(HALF_PI) of the ten-decimal PI is about 4.49e-11, not zero.
    EXPECT_NEAR(up.Xd(), 4.4897e-11, 1e-14);
    EXPECT_DOUBLE_EQ(up.Yd(), 1.0);
    const CPoint2D zero(0.0, 1.234, true);
    EXPECT_EQ(zero.Xd(), 0.0);
    EXPECT_EQ(zero.Yd(), 0.0);
    CPoint2D p;
    p.Set(2.0, PI, true);
    EXPECT_NEAR(p.Xd(), -2.0, 1e-12);
    p.Set(7.0, -3.0, false);
    EXPECT_EQ(p.Xd(), 7.0);
    EXPECT_EQ(p.Yd(), -3.0);
}

TEST(Point, ArithmeticDistanceMidpointAndCross)
{
    const CPoint2D a(3.0, 4.0);
    const CPoint2D b(-1.0, 1.0);
    EXPECT_DOUBLE_EQ(a.Distance(b), 5.0);
    EXPECT_DOUBLE_EQ(a.Distance(a), 0.0);
    const CPoint2D mid = a.Midpoint(b);
    EXPECT_DOUBLE_EQ(mid.Xd(), 1.0);
    EXPECT_DOUBLE_EQ(mid.Yd(), 2.5);
    const CPoint2D sum = a + b;
    const CPoint2D diff = a - b;
    EXPECT_DOUBLE_EQ(sum.Xd(), 2.0);
    EXPECT_DOUBLE_EQ(sum.Yd(), 5.0);
    EXPECT_DOUBLE_EQ(diff.Xd(), 4.0);
    EXPECT_DOUBLE_EQ(diff.Yd(), 3.0);
    EXPECT_DOUBLE_EQ(CPoint2D(1, 0).Cross(CPoint2D(0, 1)), 1.0);
    EXPECT_DOUBLE_EQ(CPoint2D(0, 1).Cross(CPoint2D(1, 0)), -1.0);
    EXPECT_DOUBLE_EQ(CPoint2D(2, 3).Cross(CPoint2D(4, 6)), 0.0);
    CPoint2D moved(1.0, 1.0);
    moved.Translate(-3.0, 0.5);
    EXPECT_DOUBLE_EQ(moved.Xd(), -2.0);
    EXPECT_DOUBLE_EQ(moved.Yd(), 1.5);
    EXPECT_EQ(ORIGIN.Xd(), 0.0);
    EXPECT_EQ(ORIGIN.Yd(), 0.0);
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

    CPoint2D self(3.0, -4.0);
    self.Rotate(1.0, self);
    EXPECT_DOUBLE_EQ(self.Xd(), 3.0);
    EXPECT_DOUBLE_EQ(self.Yd(), -4.0);
}

TEST(PointDeathTest, NegativeOrNanPolarRadiusStops)
{
    const char* expected = "Assertion failed: x >= 0, file geometry/cpoint2d.cpp, line [0-9]+";
    EXPECT_DEATH(CPoint2D(-1.0, 0.0, true), expected);
    EXPECT_DEATH(CPoint2D(std::nan(""), 0.0, true), expected);
    CPoint2D p;
    EXPECT_DEATH(p.Set(-0.001, 1.0, true), expected);
}

TEST(Vector, NormalisesDirectionIntoOneTurn)
{
    const CVector2D down(1.0, -HALF_PI, HALF_PI);
    EXPECT_NEAR(down.Direction(), 4.71238898025, 1e-11);
    const CVector2D seven(1.0, 7.0, HALF_PI);
    EXPECT_NEAR(seven.Direction(), 7.0 - 6.283185307, 1e-12);
    EXPECT_NEAR(seven.Direction(), 0.716814693, 1e-9);
    EXPECT_DOUBLE_EQ(NormaliseAngle(0.0), 0.0);
    EXPECT_NEAR(NormaliseAngle(-13.0), -13.0 + 3 * 6.283185307, 1e-9);
    EXPECT_NEAR(NormaliseAngle(TWO_PI * 5 + 0.25), 0.25, 1e-9);
    EXPECT_LT(NormaliseAngle(-1e-12), TWO_PI);
    EXPECT_GE(NormaliseAngle(-1e-12), 0.0);
}

TEST(Vector, ComponentsAndDefaults)
{
    const CVector2D v(150.0, HALF_PI, HALF_PI);
    EXPECT_NEAR(v.X(), 6.7346e-9, 1e-12);
    EXPECT_DOUBLE_EQ(v.Y(), 150.0);
    EXPECT_DOUBLE_EQ(v.Magnitude(), 150.0);
    const CVector2D none;
    EXPECT_EQ(none.Magnitude(), 0.0);
    EXPECT_EQ(none.Direction(), 0.0);
    EXPECT_EQ(none.Limit(), HALF_PI);
    CVector2D w;
    w.SetMagnitude(-2.0);
    w.SetDirection(PI);
    EXPECT_NEAR(w.X(), 2.0, 1e-12);
}
