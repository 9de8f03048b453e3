#include "geometry/ccircle2d.h"
#include "geometry/cline2d.h"
#include "geometry/crect2d.h"
#include "geometry/cvector2d.h"
#include "render/cbuffer2d.h"

#include "support/pixels.h"

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <string>

namespace {

void ExpectNear(CPoint2D p, double x, double y, double tolerance = 0.0)
{
    EXPECT_NEAR(p.Xd(), x, tolerance);
    EXPECT_NEAR(p.Yd(), y, tolerance);
}

CShape2D MakeShape(std::initializer_list<CPoint2D> points, bool closed)
{
    CShape2D shape(static_cast<int>(points.size()), closed, 7);
    int index = 0;
    for (const CPoint2D p : points)
        shape.SetVertex(index++, p);
    return shape;
}

PixelSet Rendered(const CShape2D& shape, int size = 20)
{
    CBuffer2D buffer(size, size, false);
    shape.Render(buffer);
    return Painted(buffer);
}

std::string Death(const std::string& condition, const std::string& file)
{
    return "Assertion failed: " + condition + ", file geometry/" + file + ", line ";
}

} // namespace

TEST(Point, RoundingPolarFormRotationAndArithmetic)
{
    // Pixels: add 0.5 and truncate toward zero.
    const double roundings[][2] = {{2.5, 3},   {-0.5, 0}, {-1.6, -1},
                                   {-2.4, -1}, {2.49, 2}, {-0.7, 0}};
    for (const auto& r : roundings)
        EXPECT_EQ(CPoint2D(r[0], -r[0]).X() * 100 + CPoint2D(-r[0], r[0]).Y(), r[1] * 101) << r[0];
    const auto rotated = [](CPoint2D p, AngleType a, CPoint2D c) { return p.Rotate(a, c), p; };
    // cos(HALF_PI) of the ten-decimal PI is about 4.49e-11, not zero.
    ExpectNear(CPoint2D(1.0, HALF_PI, true), 4.4897e-11, 1.0, 1e-14);
    CPoint2D p;
    p.Set(2.0, PI / 6, true);
    ExpectNear(p, std::sqrt(3.0), 1.0, 1e-9);
    p.Set(0.0, 1.0, true);
    ExpectNear(p, 0, 0);
    ExpectNear(rotated(CPoint2D(20, 0), HALF_PI, ORIGIN), 0, 20, 1e-8); // counter-clockwise
    ExpectNear(rotated(CPoint2D(13, 14), HALF_PI, CPoint2D(10, 10)), 6, 13, 1e-8);
    ExpectNear(rotated(CPoint2D(7, 8), 1.0, CPoint2D(7, 8)), 7, 8);
    EXPECT_DOUBLE_EQ(CPoint2D(3, 4).Distance(CPoint2D(-1, 1)), 5.0);
    ExpectNear(CPoint2D(3, 4).Midpoint(CPoint2D(-1, 1)), 1.0, 2.5);
    ExpectNear(CPoint2D(3, 4) + CPoint2D(-1, 2), 2, 6);
    ExpectNear(CPoint2D(3, 4) - CPoint2D(-1, 2), 4, 2);
    p.Translate(2, -3);
    ExpectNear(p, 2, -3);
    EXPECT_DOUBLE_EQ(CPoint2D(1, 0).Cross(CPoint2D(0, 1)), 1.0);
    EXPECT_DOUBLE_EQ(CPoint2D(3, 5).Cross(CPoint2D(2, 7)), 11.0);
    EXPECT_DOUBLE_EQ(CPoint2D(2, 3).Cross(CPoint2D(4, 6)), 0.0);
}

TEST(Vector, NormalisesDirectionAndSplitsIntoComponents)
{
    EXPECT_NEAR(CVector2D(1.0, -HALF_PI, HALF_PI).Direction(), 4.71238898025, 1e-11);
    EXPECT_NEAR(CVector2D(1.0, 7.0, HALF_PI).Direction(), 0.716814693, 1e-9);
    EXPECT_NEAR(NormaliseAngle(TWO_PI * 5 + 0.25), 0.25, 1e-9);
    EXPECT_NEAR(NormaliseAngle(-TWO_PI * 3 - 0.25), TWO_PI - 0.25, 1e-9);
    EXPECT_DOUBLE_EQ(NormaliseAngle(TWO_PI), 0.0);
    const CVector2D v(150.0, HALF_PI, HALF_PI), w(10.0, PI / 3, HALF_PI);
    EXPECT_NEAR(v.X(), 6.7346e-9, 1e-12);
    EXPECT_DOUBLE_EQ(v.Y(), 150.0);
    EXPECT_DOUBLE_EQ(v.Magnitude(), 150.0);
    EXPECT_NEAR(w.X() * 1000 + w.Y(), 5000 + 5 * std::sqrt(3.0), 1e-6);
}

TEST(Shape, ExtentsMoveToAndRenderingAsChainsOfLines)
{
    CShape2D shape = MakeShape({{3, 1}, {-2, 5}, {3, 4}}, false);
    EXPECT_EQ((std::array{shape.MinX(), shape.MinY(), shape.MaxX(), shape.MaxY()}),
              (std::array{-2.0, 1.0, 3.0, 5.0}));
    const CShape2D rising = MakeShape({{1, 9}, {2, 8}, {6, 7}, {4, 12}}, true);
    EXPECT_EQ((std::array{rising.MinX(), rising.MinY(), rising.MaxX(), rising.MaxY()}),
              (std::array{1.0, 7.0, 6.0, 12.0}));
    shape.MoveTo(CPoint2D(10, 10)); // the base shape's centre is vertex 0
    ExpectNear(shape.Vertex(0), 10.0, 10.0);
    ExpectNear(shape.Vertex(1), 5.0, 14.0);
    ExpectNear(shape.Vertex(2), 10.0, 13.0);
    // Closed: the last side back to vertex 0 too; one vertex is one pixel; none is nothing.
    const PixelSet square = Art({"#####", "#...#", "#...#", "#####"}, 1);
    PixelSet open = square;
    open.erase({0, 2}), open.erase({0, 3});
    EXPECT_EQ(Rendered(MakeShape({{0, 1}, {4, 1}, {4, 4}, {0, 4}}, true)), square);
    EXPECT_EQ(Rendered(MakeShape({{0, 1}, {4, 1}, {4, 4}, {0, 4}}, false)), open);
    EXPECT_EQ(Rendered(MakeShape({{2.5, 3.4}}, true)), (PixelSet{{3, 3}}));
    EXPECT_EQ(Rendered(MakeShape({}, true)), PixelSet{});
    // Resetting the shape puts its vertices back at the origin.
    shape.SetShape(2, true, 9);
    EXPECT_EQ(Rendered(shape), (PixelSet{{0, 0}}));
    CShape2D copy(4, false, 1);
    copy = rising;
    EXPECT_EQ(Rendered(copy), Rendered(rising));
}

TEST(Line, CentreSlopeParallelAndIntersection)
{
    ExpectNear(CLine2D(0).Centre(), 0.5, 0.5);
    const CLine2D falling(CPoint2D(2, 0), CPoint2D(0, 2), 0);
    ExpectNear(CLine2D(CPoint2D(0, 0), CPoint2D(2, 2), 0).IntersectionWith(falling), 1.0, 1.0);
    EXPECT_DOUBLE_EQ(falling.Slope(), -1.0);
    const CLine2D vertical(CPoint2D(3, -5), CPoint2D(3, 7), 0);
    EXPECT_EQ(vertical.Slope(), DBL_MAX);
    EXPECT_TRUE(vertical.IsParallelTo(CLine2D(CPoint2D(-1, 0), CPoint2D(-1, 4), 0)));
    EXPECT_TRUE(CLine2D(CPoint2D(4, 4), CPoint2D(4, 4), 0).IsParallelTo(vertical));
    EXPECT_FALSE(falling.IsParallelTo(vertical));
    // The lines are infinite: the meeting point may lie beyond both segments.
    ExpectNear(vertical.IntersectionWith(CLine2D(CPoint2D(10, 1), CPoint2D(12, 1), 0)), 3, 1);
    ExpectNear(CLine2D(CPoint2D(0, 1), CPoint2D(1, 3), 0).IntersectionWith(falling), 1 / 3.0,
               5 / 3.0, 1e-12);
    const CLine2D half(CPoint2D(0, 0), CPoint2D(1, 0.5), 0);
    EXPECT_TRUE(half.IsParallelTo(CLine2D(CPoint2D(0, 0), CPoint2D(1, 0.5 + 5e-8), 0)));
    EXPECT_FALSE(half.IsParallelTo(CLine2D(CPoint2D(0, 0), CPoint2D(1, 0.5 + 2e-7), 0)));
    EXPECT_FALSE(half.IsParallelTo(CLine2D(CPoint2D(0, 0), CPoint2D(1, 0.5 - 2e-7), 0)));
}

TEST(Rect, CornersContainsAndOutline)
{
    const CRect2D rounded(CPoint2D(0.4, 0.4), CPoint2D(10.6, 5.6), 0);
    const double corners[4][2] = {{0.4, 0.4}, {0, 6}, {10.6, 5.6}, {11, 0}};
    for (int i = 0; i < 4; ++i)
        ExpectNear(rounded.Vertex(i), corners[i][0], corners[i][1]);
    CRect2D moved(CPoint2D(0, 0), CPoint2D(20, 10), 0);
    ExpectNear(moved.Centre(), 10, 5);
    moved.MoveTo(CPoint2D(100, 50));
    ExpectNear(moved.Vertex(0), 90, 45);
    ExpectNear(moved.Vertex(2), 110, 55);
    // The border belongs to the rectangle; a zero-width one contains nothing.
    const CRect2D field(CPoint2D(0, 0), CPoint2D(640, 480), 0);
    const double probes[][3] = {{0, 0, 1},        {640, 240, 1},   {320, 480, 1},
                                {640, 480, 1},    {-0.001, 10, 0}, {10, 480.001, 0},
                                {640.001, 10, 0}, {10, -0.001, 0}, {-1, -1, 0}};
    for (const auto& c : probes)
        EXPECT_EQ(field.Contains(CPoint2D(c[0], c[1])), c[2] == 1) << c[0] << "," << c[1];
    EXPECT_FALSE(CRect2D(CPoint2D(5, 5), CPoint2D(5, 20), 0).Contains(CPoint2D(5, 10)));
    EXPECT_EQ(Rendered(CRect2D(CPoint2D(1, 2), CPoint2D(5, 4), 3)),
              Art({".#####", ".#...#", ".#####"}, 2));
}

TEST(Circle, Draws25ChordsFromTheTopAroundTheExactCentre)
{
    const CCircle2D circle(CPoint2D(100, 100), 15.0, 1);
    EXPECT_DOUBLE_EQ(circle.MaxX() + circle.MinY(), 200.0);
    PixelSet expected;
    AddCircle(expected, CPoint2D(100, 100), 15);
    EXPECT_EQ(expected.count({96, 115}) + expected.count({100, 115}), 2U);
    EXPECT_EQ(Rendered(circle, 200), expected);
    // A fractional centre: the chords turn about it, not about its pixel.
    expected.clear();
    AddCircle(expected, CPoint2D(30.4, 29.6), 12.7);
    EXPECT_EQ(Rendered(CCircle2D(CPoint2D(30.4, 29.6), 12.7, 2), 60), expected);
    // The radius is truncated for the start point; below 1 only the centre's pixel is drawn.
    EXPECT_EQ(Rendered(CCircle2D(CPoint2D(30, 30), 15.9, 2), 60),
              Rendered(CCircle2D(CPoint2D(30, 30), 15.0, 2), 60));
    for (const double radius : {0.0, 0.9})
        EXPECT_EQ(Rendered(CCircle2D(CPoint2D(4.2, 5.1), radius, 2), 10), (PixelSet{{4, 5}}));
    CCircle2D moved(4);
    EXPECT_EQ(Rendered(moved, 4), Art({"##", "##"})); // the unit circle at the origin, clipped
    moved.MoveTo(CPoint2D(100, 50));
    ExpectNear(moved.Centre(), 100, 50);
    EXPECT_DOUBLE_EQ(moved.Radius(), 1.0);
}

TEST(GeometryDeathTest, EachPreconditionStopsWithItsCondition)
{
    EXPECT_DEATH(CPoint2D(-1.0, 0.0, true), Death("x >= 0", "cpoint2d\\.cpp"));
    EXPECT_DEATH(CPoint2D(std::nan(""), 0.0, true), Death("x >= 0", "cpoint2d\\.cpp"));
    const std::string count = Death("0 <= npts && npts <= SHAPE_MAX_NPTS", "cshape2d\\.cpp");
    EXPECT_DEATH(CShape2D(5, true, 0), count);
    EXPECT_DEATH(CShape2D(-1, true, 0), count);
    EXPECT_DEATH(CShape2D(4, true, 0).SetShape(5, true, 0), count);
    const std::string index = Death("0<=index && index < m_npts", "cshape2d\\.cpp");
    EXPECT_DEATH(CShape2D(2, true, 0).Vertex(2), index);
    EXPECT_DEATH(CShape2D(2, true, 0).Vertex(-1), index);
    EXPECT_DEATH(CShape2D(2, true, 0).SetVertex(2, ORIGIN), index);
    EXPECT_DEATH(CShape2D(2, true, 0).SetVertex(-1, ORIGIN), index);
    EXPECT_DEATH(CLine2D(CPoint2D(0, 0), CPoint2D(2, 2), 0)
                     .IntersectionWith(CLine2D(CPoint2D(0, 1), CPoint2D(2, 3), 0)),
                 Death("!this->IsParallelTo\\(other\\)", "cline2d\\.cpp"));
}
