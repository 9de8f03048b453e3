#include "geometry/ccircle2d.h"
#include "geometry/cline2d.h"
#include "geometry/crect2d.h"
#include "geometry/cshape2d.h"
#include "render/cbuffer2d.h"

#include "support/pixels.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace {

void ExpectPoint(CPoint2D p, double x, double y)
{
    EXPECT_DOUBLE_EQ(p.Xd(), x);
    EXPECT_DOUBLE_EQ(p.Yd(), y);
}

template <typename Shape> PixelSet Rendered(const Shape& shape, int size)
{
    CBuffer2D buffer(size, size, false);
    shape.Render(buffer);
    return Painted(buffer);
}

CShape2D Square(bool closed)
{
    CShape2D square(4, closed, 0x00FF00);
    square.SetVertex(1, CPoint2D(10, 0));
    square.SetVertex(2, CPoint2D(10, 10));
    square.SetVertex(3, CPoint2D(0, 10));
    return square;
}

} // namespace

TEST(Shape, ExtentsMoveToAndRendering)
{
    CShape2D shape(3, false, 7);
    shape.SetVertex(0, CPoint2D(3, 1));
    shape.SetVertex(1, CPoint2D(-2, 5));
    shape.SetVertex(2, CPoint2D(3, 4));
    EXPECT_DOUBLE_EQ(shape.MaxX(), 3.0);
    EXPECT_DOUBLE_EQ(shape.MinX(), -2.0);
    EXPECT_DOUBLE_EQ(shape.MinY(), 1.0);
    EXPECT_DOUBLE_EQ(shape.MaxY(), 5.0);
    // The base shape's centre is vertex 0.
    shape.MoveTo(CPoint2D(10, 10));
    ExpectPoint(shape.Vertex(0), 10.0, 10.0);
    ExpectPoint(shape.Vertex(1), 5.0, 14.0);

    // Closed: four sides make an 11 x 11 outline; open: the side
    // (0, 10)-(0, 0) is missing.
    const PixelSet closed = Rendered(Square(true), 20);
    EXPECT_EQ(closed.size(), 40U);
    EXPECT_EQ(closed.count({0, 5}), 1U);
    const PixelSet open = Rendered(Square(false), 20);
    EXPECT_EQ(open.size(), 31U);
    EXPECT_EQ(open.count({0, 5}), 0U);

    CShape2D dot(1, true, 5);
    dot.SetVertex(0, CPoint2D(2.5, 3.4));
    EXPECT_EQ(Rendered(dot, 8), (PixelSet{{3, 3}}));
    EXPECT_TRUE(Rendered(CShape2D(0, true, 5), 8).empty());
}

TEST(ShapeDeathTest, VertexCountAndIndexPreconditions)
{
    const char* const countDeath = "Assertion failed: 0 <= npts && npts <= SHAPE_MAX_NPTS, file "
                                   "geometry/cshape2d.cpp, line [0-9]+";
    const char* const indexDeath =
        "Assertion failed: 0<=index && index < m_npts, file geometry/cshape2d.cpp, line [0-9]+";
    EXPECT_DEATH(CShape2D(5, true, 0), countDeath);
    EXPECT_DEATH(CShape2D(-1, true, 0), countDeath);
    CShape2D shape(2, true, 0);
    EXPECT_DEATH(shape.Vertex(2), indexDeath);
    EXPECT_DEATH(shape.SetVertex(-1, ORIGIN), indexDeath);
    EXPECT_DEATH(CLine2D(CPoint2D(0, 0), CPoint2D(2, 2), 0)
                     .IntersectionWith(CLine2D(CPoint2D(0, 1), CPoint2D(2, 3), 0)),
                 "Assertion failed: !this->IsParallelTo\\(other\\), file geometry/cline2d.cpp, "
                 "line [0-9]+");
}

TEST(Line, CentreSlopeParallelAndIntersection)
{
    ExpectPoint(CLine2D(0).Centre(), 0.5, 0.5);
    CLine2D moved(CPoint2D(0, 0), CPoint2D(3, 1), 0);
    moved.MoveTo(CPoint2D(10, 10));
    ExpectPoint(moved.Vertex(0), 8.5, 9.5);

    const CLine2D rising(CPoint2D(0, 0), CPoint2D(2, 2), 0);
    const CLine2D falling(CPoint2D(0, 2), CPoint2D(2, 0), 0);
    EXPECT_DOUBLE_EQ(falling.Slope(), -1.0);
    ExpectPoint(rising.IntersectionWith(falling), 1.0, 1.0);

    const CLine2D vertical(CPoint2D(3, -5), CPoint2D(3, 7), 0);
    EXPECT_EQ(vertical.Slope(), DBL_MAX);
    EXPECT_TRUE(vertical.IsParallelTo(CLine2D(CPoint2D(-1, 0), CPoint2D(-1, 4), 0)));
    EXPECT_TRUE(CLine2D(CPoint2D(4, 4), CPoint2D(4, 4), 0).IsParallelTo(vertical));
    // The lines are infinite: the meeting point may lie beyond both segments.
    ExpectPoint(vertical.IntersectionWith(CLine2D(CPoint2D(10, 1), CPoint2D(12, 1), 0)), 3, 1);

    const CLine2D half(CPoint2D(0, 0), CPoint2D(1, 0.5), 0);
    EXPECT_TRUE(half.IsParallelTo(CLine2D(CPoint2D(0, 0), CPoint2D(1, 0.5 + 5e-8), 0)));
    EXPECT_FALSE(half.IsParallelTo(CLine2D(CPoint2D(0, 0), CPoint2D(1, 0.5 + 2e-7), 0)));
    // Slopes 1e8 and 1e8 + 1 differ by more than the tolerance.
    const CLine2D steep(CPoint2D(0, 0), CPoint2D(1e-6, 100), 0);
    EXPECT_FALSE(steep.IsParallelTo(CLine2D(CPoint2D(0, 0), CPoint2D(1e-6, 100.000001), 0)));
}

TEST(Rect, CornersMoveToAndContains)
{
    const CRect2D rounded(CPoint2D(0.4, 0.4), CPoint2D(10.6, 5.6), 0);
    ExpectPoint(rounded.Vertex(0), 0.4, 0.4);
    ExpectPoint(rounded.Vertex(1), 0, 6);
    ExpectPoint(rounded.Vertex(2), 10.6, 5.6);
    ExpectPoint(rounded.Vertex(3), 11, 0);

    CRect2D moved(CPoint2D(0, 0), CPoint2D(20, 10), 0);
    moved.MoveTo(CPoint2D(100, 50));
    ExpectPoint(moved.Vertex(0), 90, 45);
    ExpectPoint(moved.Vertex(2), 110, 55);

    const CRect2D field(CPoint2D(0, 0), CPoint2D(640, 480), 0);
    // The border belongs to the rectangle.
    for (const CPoint2D p :
         {CPoint2D(0, 0), CPoint2D(640, 240), CPoint2D(320, 480), CPoint2D(640, 480)}) {
        EXPECT_TRUE(field.Contains(p)) << p.Xd() << "," << p.Yd();
    }
    for (const CPoint2D p :
         {CPoint2D(-0.001, 10), CPoint2D(10, 480.001), CPoint2D(640.5, 10), CPoint2D(10, -3)}) {
        EXPECT_FALSE(field.Contains(p)) << p.Xd() << "," << p.Yd();
    }
    EXPECT_FALSE(CRect2D(CPoint2D(5, 5), CPoint2D(5, 20), 0).Contains(CPoint2D(5, 10)));
}

TEST(Circle, RendersTwentyFiveChordsFromTheTop)
{
    CCircle2D circle(CPoint2D(100, 100), 15.0, 1);
    EXPECT_DOUBLE_EQ(circle.MaxX(), 100.0);
    // The first chord ends near (96.27, 114.53), on pixel (96, 115).
    const PixelSet first = Rendered(circle, 200);
    EXPECT_EQ(first.count({100, 115}), 1U);
    EXPECT_EQ(first.count({96, 115}), 1U);
    EXPECT_EQ(first.count({100, 85}), 1U);
    EXPECT_EQ(first.count({100, 100}), 0U);
    circle.MoveTo(CPoint2D(100, 50));
    ExpectPoint(circle.Centre(), 100, 50);

    // The corners: (100, 115), straight above the centre's pixel, turned
    // about the exact centre by multiples of 2 pi / 25.
    const CPoint2D centre(100.3, 99.8);
    CBuffer2D expected(200, 200, false);
    const double sx = 100.0 - centre.Xd();
    const double sy = 115.0 - centre.Yd();
    CPoint2D prev(100, 115);
    for (int k = 1; k <= 25; ++k) {
        const double a = k * 2.0 * 3.1415926535 / 25.0;
        const CPoint2D next(centre.Xd() + std::cos(a) * sx - std::sin(a) * sy,
                            centre.Yd() + std::sin(a) * sx + std::cos(a) * sy);
        expected.RenderLine(prev, next, 1);
        prev = next;
    }
    EXPECT_EQ(Rendered(CCircle2D(centre, 15.0, 1), 200), Painted(expected));

    // The radius is truncated for the start point.
    EXPECT_EQ(Rendered(CCircle2D(CPoint2D(30, 30), 15.9, 2), 60),
              Rendered(CCircle2D(CPoint2D(30, 30), 15.0, 2), 60));
    for (const double radius : {0.0, 0.9}) {
        EXPECT_EQ(Rendered(CCircle2D(CPoint2D(4.2, 5.1), radius, 2), 10), (PixelSet{{4, 5}}));
    }
}
