#include "geometry/ccircle2d.h"
#include "geometry/cline2d.h"
#include "geometry/crect2d.h"
#include "geometry/cshape2d.h"
#include "render/cbuffer2d.h"

#include "support/pixels.h"

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <initializer_list>
#include <string>

namespace {

void ExpectPoint(CPoint2D p, double x, double y)
{
    EXPECT_DOUBLE_EQ(p.Xd(), x);
    EXPECT_DOUBLE_EQ(p.Yd(), y);
}

CShape2D MakeShape(std::initializer_list<CPoint2D> points, bool closed)
{
    CShape2D shape(static_cast<int>(points.size()), closed, 7);
    int index = 0;
    for (const CPoint2D p : points)
        shape.SetVertex(index++, p);
    return shape;
}

template <typename T> PixelSet Rendered(const T& shape, int size)
{
    CBuffer2D buffer(size, size, false);
    shape.Render(buffer);
    return Painted(buffer);
}

} // namespace

TEST(Shape, ExtentsMoveToAndRendering)
{
    CShape2D shape = MakeShape({{3, 1}, {-2, 5}, {3, 4}}, false);
    EXPECT_EQ((std::array{shape.MinX(), shape.MinY(), shape.MaxX(), shape.MaxY()}),
              (std::array{-2.0, 1.0, 3.0, 5.0}));
    shape.MoveTo(CPoint2D(10, 10)); // the base shape's centre is vertex 0
    ExpectPoint(shape.Vertex(0), 10.0, 10.0);
    ExpectPoint(shape.Vertex(1), 5.0, 14.0);
    // Closed: four sides make an 11 x 11 outline; open: side (0, 10)-(0, 0) is missing.
    for (const bool closed : {true, false}) {
        const PixelSet square =
            Rendered(MakeShape({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, closed), 20);
        EXPECT_EQ(square.size(), closed ? 40U : 31U);
        EXPECT_EQ(square.count({0, 5}), closed ? 1U : 0U);
    }
    EXPECT_EQ(Rendered(MakeShape({{2.5, 3.4}}, true), 8), (PixelSet{{3, 3}}));
}

TEST(ShapeDeathTest, VertexCountIndexAndParallelPreconditions)
{
    const auto death = [](const std::string& condition, const std::string& file) {
        return "Assertion failed: " + condition + ", file geometry/" + file + ", line ";
    };
    EXPECT_DEATH(CShape2D(5, true, 0),
                 death("0 <= npts && npts <= SHAPE_MAX_NPTS", "cshape2d\\.cpp"));
    EXPECT_DEATH(CShape2D(2, true, 0).Vertex(2),
                 death("0<=index && index < m_npts", "cshape2d\\.cpp"));
    EXPECT_DEATH(CLine2D(CPoint2D(0, 0), CPoint2D(2, 2), 0)
                     .IntersectionWith(CLine2D(CPoint2D(0, 1), CPoint2D(2, 3), 0)),
                 death("!this->IsParallelTo\\(other\\)", "cline2d\\.cpp"));
}

TEST(Line, CentreSlopeParallelAndIntersection)
{
    ExpectPoint(CLine2D(0).Centre(), 0.5, 0.5);
    const CLine2D falling(CPoint2D(0, 2), CPoint2D(2, 0), 0);
    ExpectPoint(CLine2D(CPoint2D(0, 0), CPoint2D(2, 2), 0).IntersectionWith(falling), 1.0, 1.0);
    const CLine2D vertical(CPoint2D(3, -5), CPoint2D(3, 7), 0);
    EXPECT_EQ(vertical.Slope(), DBL_MAX);
    EXPECT_TRUE(vertical.IsParallelTo(CLine2D(CPoint2D(-1, 0), CPoint2D(-1, 4), 0)));
    EXPECT_TRUE(CLine2D(CPoint2D(4, 4), CPoint2D(4, 4), 0).IsParallelTo(vertical));
    // The lines are infinite: the meeting point may lie beyond both segments.
    ExpectPoint(vertical.IntersectionWith(CLine2D(CPoint2D(10, 1), CPoint2D(12, 1), 0)), 3, 1);
    const CLine2D half(CPoint2D(0, 0), CPoint2D(1, 0.5), 0);
    EXPECT_TRUE(half.IsParallelTo(CLine2D(CPoint2D(0, 0), CPoint2D(1, 0.5 + 5e-8), 0)));
    EXPECT_FALSE(half.IsParallelTo(CLine2D(CPoint2D(0, 0), CPoint2D(1, 0.5 + 2e-7), 0)));
}

TEST(Rect, CornersMoveToAndContains)
{
    const CRect2D rounded(CPoint2D(0.4, 0.4), CPoint2D(10.6, 5.6), 0);
    const double corners[4][2] = {{0.4, 0.4}, {0, 6}, {10.6, 5.6}, {11, 0}};
    for (int i = 0; i < 4; ++i)
        ExpectPoint(rounded.Vertex(i), corners[i][0], corners[i][1]);
    CRect2D moved(CPoint2D(0, 0), CPoint2D(20, 10), 0);
    moved.MoveTo(CPoint2D(100, 50));
    ExpectPoint(moved.Vertex(0), 90, 45);
    ExpectPoint(moved.Vertex(2), 110, 55);
    // The border belongs to the rectangle; a zero-width one contains nothing.
    const CRect2D field(CPoint2D(0, 0), CPoint2D(640, 480), 0);
    const double probes[][3] = {{0, 0, 1},       {640, 240, 1},    {320, 480, 1},  {640, 480, 1},
                                {-0.001, 10, 0}, {10, 480.001, 0}, {640.5, 10, 0}, {10, -3, 0}};
    for (const auto& c : probes)
        EXPECT_EQ(field.Contains(CPoint2D(c[0], c[1])), c[2] == 1) << c[0] << "," << c[1];
    EXPECT_FALSE(CRect2D(CPoint2D(5, 5), CPoint2D(5, 20), 0).Contains(CPoint2D(5, 10)));
}

TEST(Circle, RendersChordsFromTheTop)
{
    CCircle2D circle(CPoint2D(100, 100), 15.0, 1);
    EXPECT_DOUBLE_EQ(circle.MaxX(), 100.0);
    // The first chord ends near (96.27, 114.53), on pixel (96, 115).
    const PixelSet first = Rendered(circle, 200);
    EXPECT_EQ(first.count({96, 115}) + first.count({100, 115}) + first.count({100, 85}), 3U);
    EXPECT_EQ(first.count({100, 100}), 0U);
    circle.MoveTo(CPoint2D(100, 50));
    ExpectPoint(circle.Centre(), 100, 50);
    // The radius is truncated for the start point; below 1 only the centre's pixel is drawn.
    EXPECT_EQ(Rendered(CCircle2D(CPoint2D(30, 30), 15.9, 2), 60),
              Rendered(CCircle2D(CPoint2D(30, 30), 15.0, 2), 60));
    for (const double radius : {0.0, 0.9})
        EXPECT_EQ(Rendered(CCircle2D(CPoint2D(4.2, 5.1), radius, 2), 10), (PixelSet{{4, 5}}));
}
