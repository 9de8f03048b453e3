#include "geometry/ccircle2d.h"
#include "geometry/cline2d.h"
#include "geometry/crect2d.h"
#include "geometry/cshape2d.h"
#include "render/cbuffer2d.h"

#include "support/pixels.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <set>
#include <utility>

namespace {

void ExpectPoint(CPoint2D p, double x, double y)
{
    EXPECT_DOUBLE_EQ(p.Xd(), x);
    EXPECT_DOUBLE_EQ(p.Yd(), y);
}

const char* const VERTEX_INDEX_DEATH =
    "Assertion failed: 0<=index && index < m_npts, file geometry/cshape2d.cpp, line [0-9]+";

} // namespace

TEST(Shape, VerticesExtentsTranslateAndMoveTo)
{
    CShape2D shape(4, true, 0x123456);
    for (int i = 0; i < 4; ++i) {
        ExpectPoint(shape.Vertex(i), 0.0, 0.0);
    }
    shape.SetShape(3, false, 7);
    EXPECT_EQ(shape.GetColour(), 7);
    shape.SetVertex(0, CPoint2D(3, 1));
    shape.SetVertex(1, CPoint2D(-2, 5));
    shape.SetVertex(2, CPoint2D(3, 4));
    EXPECT_DOUBLE_EQ(shape.MaxX(), 3.0);
    EXPECT_DOUBLE_EQ(shape.MinX(), -2.0);
    EXPECT_DOUBLE_EQ(shape.MinY(), 1.0);
    EXPECT_DOUBLE_EQ(shape.MaxY(), 5.0);

    shape.Translate(1.5, -1.0);
    ExpectPoint(shape.Vertex(1), -0.5, 4.0);
    // The base shape's centre is vertex 0.
    shape.MoveTo(CPoint2D(10, 10));
    ExpectPoint(shape.Vertex(0), 10.0, 10.0);
    ExpectPoint(shape.Vertex(1), 5.0, 14.0);

    // Assignment through the base copies the shape data but keeps the
    // class: still a rectangle, whose centre needs the vertex 2 it lost.
    CRect2D rect(CPoint2D(0, 0), CPoint2D(4, 2), 1);
    static_cast<CShape2D&>(rect) = CLine2D(CPoint2D(1, 1), CPoint2D(3, 5), 9);
    EXPECT_EQ(rect.NumVertices(), 2);
    EXPECT_EQ(rect.GetColour(), 9);
    ExpectPoint(rect.Vertex(1), 3.0, 5.0);
    EXPECT_DEATH(rect.Centre(), VERTEX_INDEX_DEATH);
}

TEST(Shape, RendersClosedAndOpenChainsAndSinglePixels)
{
    CShape2D square(4, true, 0x00FF00);
    square.SetVertex(1, CPoint2D(10, 0));
    square.SetVertex(2, CPoint2D(10, 10));
    square.SetVertex(3, CPoint2D(0, 10));
    CBuffer2D closed(20, 20, false);
    square.Render(closed);
    // The closing side (0, 10)-(0, 0) completes an 11 x 11 outline.
    EXPECT_EQ(Painted(closed).size(), 40U);
    EXPECT_EQ(closed.GetPixel(0, 5), 0x00FF00);

    CShape2D open(4, false, 0x00FF00);
    for (int i = 0; i < 4; ++i) {
        open.SetVertex(i, square.Vertex(i));
    }
    CBuffer2D openBuffer(20, 20, false);
    open.Render(openBuffer);
    EXPECT_EQ(Painted(openBuffer).size(), 31U);
    EXPECT_EQ(openBuffer.GetPixel(0, 5), NO_COLOUR);

    CShape2D dot(1, true, 5);
    dot.SetVertex(0, CPoint2D(2.5, 3.4));
    CBuffer2D dotBuffer(8, 8, false);
    dot.Render(dotBuffer);
    CShape2D(0, true, 5).Render(dotBuffer);
    EXPECT_EQ(Painted(dotBuffer), (PixelSet{{3, 3}}));
}

TEST(ShapeDeathTest, VertexCountAndIndexPreconditions)
{
    const char* const countDeath = "Assertion failed: 0 <= npts && npts <= SHAPE_MAX_NPTS, file "
                                   "geometry/cshape2d.cpp, line [0-9]+";
    EXPECT_DEATH(CShape2D(5, true, 0), countDeath);
    EXPECT_DEATH(CShape2D(-1, true, 0), countDeath);
    CShape2D shape(4, true, 0);
    EXPECT_DEATH(shape.SetShape(5, false, 0), countDeath);
    EXPECT_DEATH(shape.Vertex(4), VERTEX_INDEX_DEATH);
    EXPECT_DEATH(shape.SetVertex(-1, ORIGIN), VERTEX_INDEX_DEATH);
    shape.SetShape(2, true, 0);
    EXPECT_DEATH(shape.Vertex(2), VERTEX_INDEX_DEATH);
}

TEST(Line, DefaultCentreRenderAndMoveTo)
{
    const CLine2D unit(0);
    ExpectPoint(unit.Vertex(1), 1.0, 1.0);
    ExpectPoint(unit.Centre(), 0.5, 0.5);

    CLine2D line(CPoint2D(0, 0), CPoint2D(3, 1), 0xABCDEF);
    CBuffer2D buffer(6, 6, false);
    line.Render(buffer);
    EXPECT_EQ(Painted(buffer), (PixelSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    // MoveTo uses the line's own centre, the midpoint.
    line.MoveTo(CPoint2D(10, 10));
    ExpectPoint(line.Vertex(0), 8.5, 9.5);
    ExpectPoint(line.Vertex(1), 11.5, 10.5);
}

TEST(Line, SlopeParallelAndIntersection)
{
    const CLine2D rising(CPoint2D(0, 0), CPoint2D(2, 2), 0);
    const CLine2D falling(CPoint2D(0, 2), CPoint2D(2, 0), 0);
    EXPECT_DOUBLE_EQ(falling.Slope(), -1.0);
    ExpectPoint(rising.IntersectionWith(falling), 1.0, 1.0);

    const CLine2D vertical(CPoint2D(3, -5), CPoint2D(3, 7), 0);
    EXPECT_EQ(vertical.Slope(), DBL_MAX);
    EXPECT_TRUE(vertical.IsParallelTo(CLine2D(CPoint2D(-1, 0), CPoint2D(-1, 4), 0)));
    const CLine2D flat(CPoint2D(0, 1), CPoint2D(5, 1), 0);
    EXPECT_FALSE(vertical.IsParallelTo(flat));
    ExpectPoint(vertical.IntersectionWith(flat), 3.0, 1.0);
    // The lines are infinite: the meeting point may lie beyond both segments.
    ExpectPoint(vertical.IntersectionWith(CLine2D(CPoint2D(10, 1), CPoint2D(12, 1), 0)), 3, 1);

    const CLine2D half(CPoint2D(0, 0), CPoint2D(1, 0.5), 0);
    EXPECT_TRUE(half.IsParallelTo(CLine2D(CPoint2D(0, 0), CPoint2D(1, 0.5 + 5e-8), 0)));
    EXPECT_FALSE(half.IsParallelTo(CLine2D(CPoint2D(0, 0), CPoint2D(1, 0.5 + 2e-7), 0)));

    // A degenerate line counts as vertical; steep lines (slopes 1e8 and
    // 1e8 + 1) differ by more than the tolerance.
    EXPECT_TRUE(CLine2D(CPoint2D(4, 4), CPoint2D(4, 4), 0).IsParallelTo(vertical));
    const CLine2D steep(CPoint2D(0, 0), CPoint2D(1e-6, 100), 0);
    EXPECT_FALSE(steep.IsParallelTo(CLine2D(CPoint2D(0, 0), CPoint2D(1e-6, 100.000001), 0)));
}

TEST(LineDeathTest, IntersectionOfParallelLines)
{
    const CLine2D a(CPoint2D(0, 0), CPoint2D(2, 2), 0);
    const CLine2D b(CPoint2D(0, 1), CPoint2D(2, 3), 0);
    EXPECT_DEATH(a.IntersectionWith(b), "Assertion failed: !this->IsParallelTo\\(other\\), file "
                                        "geometry/cline2d.cpp, line [0-9]+");
}

TEST(Rect, CornersCentreAndExtents)
{
    const CRect2D field(CPoint2D(0, 0), CPoint2D(640, 480), 0);
    ExpectPoint(field.Vertex(0), 0, 0);
    ExpectPoint(field.Vertex(1), 0, 480);
    ExpectPoint(field.Vertex(2), 640, 480);
    ExpectPoint(field.Vertex(3), 640, 0);
    ExpectPoint(field.Centre(), 320, 240);
    EXPECT_DOUBLE_EQ(field.MaxX(), 640.0);
    EXPECT_DOUBLE_EQ(field.MaxY(), 480.0);

    const CRect2D rounded(CPoint2D(0.4, 0.4), CPoint2D(10.6, 5.6), 0);
    ExpectPoint(rounded.Vertex(0), 0.4, 0.4);
    ExpectPoint(rounded.Vertex(1), 0, 6);
    ExpectPoint(rounded.Vertex(2), 10.6, 5.6);
    ExpectPoint(rounded.Vertex(3), 11, 0);

    CRect2D moved(CPoint2D(0, 0), CPoint2D(20, 10), 0);
    moved.MoveTo(CPoint2D(100, 50));
    ExpectPoint(moved.Vertex(0), 90, 45);
    ExpectPoint(moved.Vertex(2), 110, 55);
}

TEST(Rect, ContainsBorderPointsAndNothingWhenFlat)
{
    const CRect2D field(CPoint2D(0, 0), CPoint2D(640, 480), 0);
    EXPECT_TRUE(field.Contains(CPoint2D(0, 0)));
    EXPECT_TRUE(field.Contains(CPoint2D(640, 240)));
    EXPECT_TRUE(field.Contains(CPoint2D(320, 480)));
    EXPECT_TRUE(field.Contains(CPoint2D(640, 480)));
    EXPECT_FALSE(field.Contains(CPoint2D(-0.001, 10)));
    EXPECT_FALSE(field.Contains(CPoint2D(10, 480.001)));
    EXPECT_FALSE(field.Contains(CPoint2D(640.5, 10)));
    EXPECT_FALSE(field.Contains(CPoint2D(10, -3)));
    EXPECT_FALSE(CRect2D(CPoint2D(5, 5), CPoint2D(5, 20), 0).Contains(CPoint2D(5, 10)));
}

TEST(Circle, CentreRadiusCopyAndExtents)
{
    const CCircle2D unit(0);
    EXPECT_DOUBLE_EQ(unit.Radius(), 1.0);
    CCircle2D circle(CPoint2D(100, 100), 15.0, 0x808080);
    EXPECT_DOUBLE_EQ(circle.MaxX(), 100.0);
    circle.MoveTo(CPoint2D(100, 50));
    ExpectPoint(circle.Centre(), 100, 50);
    CCircle2D other(0);
    other = circle;
    EXPECT_DOUBLE_EQ(other.Radius(), 15.0);
    ExpectPoint(other.Centre(), 100, 50);
}

TEST(Circle, RendersTwentyFiveChordsFromTheTop)
{
    const CPoint2D centre(100.3, 99.8);
    const CCircle2D circle(centre, 15.0, 0x0000FF);
    CBuffer2D drawn(200, 200, false);
    circle.Render(drawn);

    // The corners: (100, 115), straight above the centre's pixel, turned
    // about the exact centre by multiples of 2 pi / 25.
    CBuffer2D expected(200, 200, false);
    const double step = 2.0 * 3.1415926535 / 25.0;
    const double sx = 100.0 - centre.Xd();
    const double sy = 115.0 - centre.Yd();
    CPoint2D prev(100, 115);
    for (int k = 1; k <= 25; ++k) {
        const double a = k * step;
        const CPoint2D next(centre.Xd() + std::cos(a) * sx - std::sin(a) * sy,
                            centre.Yd() + std::sin(a) * sx + std::cos(a) * sy);
        expected.RenderLine(prev, next, 0x0000FF);
        prev = next;
    }
    EXPECT_EQ(Painted(drawn), Painted(expected));

    // The first chord of a circle at (100, 100), radius 15, ends near
    // (96.27, 114.53), i.e. on pixel (96, 115), counter-clockwise from the top.
    CBuffer2D first(200, 200, false);
    CCircle2D(CPoint2D(100, 100), 15.0, 1).Render(first);
    EXPECT_EQ(first.GetPixel(100, 115), 1);
    EXPECT_EQ(first.GetPixel(96, 115), 1);
    EXPECT_EQ(first.GetPixel(100, 85), 1);
    EXPECT_EQ(first.GetPixel(100, 100), NO_COLOUR);
}

TEST(Circle, RadiusIsTruncatedForTheStartButRotationUsesTheExactCentre)
{
    CBuffer2D whole(60, 60, false);
    CBuffer2D fraction(60, 60, false);
    CCircle2D(CPoint2D(30, 30), 15.0, 2).Render(whole);
    CCircle2D(CPoint2D(30, 30), 15.9, 2).Render(fraction);
    EXPECT_EQ(Painted(whole), Painted(fraction));

    CBuffer2D tiny(10, 10, false);
    CCircle2D(CPoint2D(4.2, 5.1), 0.9, 2).Render(tiny);
    EXPECT_EQ(Painted(tiny), (PixelSet{{4, 5}}));

    // Drawn at the edge of a wrap-around buffer, the outline reappears on
    // the opposite side.
    CBuffer2D wrapped(40, 40, true);
    CCircle2D(CPoint2D(0, 20), 10.0, 2).Render(wrapped);
    EXPECT_EQ(wrapped.GetPixel(31, 20), 2);
    EXPECT_EQ(wrapped.GetPixel(10, 20), 2);
}
