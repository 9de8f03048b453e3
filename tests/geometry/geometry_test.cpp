#include "geometry/ccircle2d.h"
#include "geometry/cline2d.h"
#include "geometry/crect2d.h"
#include "geometry/cvector2d.h"
#include "support/pixels.h"

#include <cfloat>

static CShape2D MakeShape(std::initializer_list<CPoint2D> points, bool closed)
{
    CShape2D shape(static_cast<int>(points.size()), closed, 7);
    int index = 0;
    for (const CPoint2D p : points)
        shape.SetVertex(index++, p);
    return shape;
}
static PixelSet Rendered(const CShape2D& shape, int size = 20)
{
    CBuffer2D buffer(size, size, false);
    shape.Render(buffer);
    return PixelsNot(buffer);
}
static CLine2D Line(double x0, double y0, double x1, double y1)
{
    return CLine2D(CPoint2D(x0, y0), CPoint2D(x1, y1), 0);
}
// Pixels round half up toward zero; polar form, rotation counter-clockwise about a point; vectors
// normalise their direction and split into components.
TEST(PointAndVector, RoundingPolarFormRotationArithmeticAndComponents)
{
    for (const auto& [v, pixel] : {std::pair{2.5, 3}, {-0.5, 0}, {-1.6, -1}, {2.49, 2}, {-0.7, 0}})
        EXPECT_EQ(CPoint2D(v, -v).X() * 100 + CPoint2D(-v, v).Y(), pixel * 101) << v;
    CPoint2D q(20, 0), r(13, 14), t(1, 2);
    q.Rotate(HALF_PI, ORIGIN), r.Rotate(HALF_PI, CPoint2D(10, 10)), t.Translate(2, -3);
    ExpectNear(CPoint2D(2.0, PI / 6, true), std::sqrt(3.0), 1);
    ExpectNear(CPoint2D(0.0, 1.0, true), 0, 0); // radius 0 is fine
    ExpectNear(q, 0, 20), ExpectNear(r, 6, 13), ExpectNear(t, 3, -1, 0);
    ExpectNear(CPoint2D(3, 4).Midpoint(CPoint2D(-1, 1)), 1, 2.5);
    ExpectNear(CPoint2D(3, 4) - CPoint2D(-1, 2), 4, 2, 0);
    EXPECT_EQ(CPoint2D(3, 4).Distance(CPoint2D(-1, 1)) * 100 + CPoint2D(3, 5).Cross({2, 7}), 511);
    EXPECT_NEAR(CVector2D(1.0, -HALF_PI, HALF_PI).Direction(), 4.71238898025, 1e-11);
    EXPECT_NEAR(NormaliseAngle(-TWO_PI * 3 - 0.25), TWO_PI - 0.25, 1e-9);
    EXPECT_DOUBLE_EQ(NormaliseAngle(TWO_PI), 0.0);
    const CVector2D w(10.0, PI / 3, HALF_PI);
    EXPECT_NEAR(w.X() * 1000 + w.Y(), 5000 + 5 * std::sqrt(3.0), 1e-6);
}
// Extents over all vertices; closed shapes join the last vertex back to the first; a circle is 25
// chords from the top, turning counter-clockwise about the exact centre.
TEST(Shape, ExtentsMoveToAndRenderingAsChainsOfLinesCirclesToo)
{
    CShape2D shape = MakeShape({{3, 1}, {-2, 5}, {3, 4}}, false);
    const CShape2D rising = MakeShape({{1, 9}, {2, 8}, {6, 7}, {4, 12}}, true);
    EXPECT_EQ((std::vector<double>{shape.MinX(), shape.MinY(), shape.MaxX(), shape.MaxY(),
                                   rising.MinX(), rising.MinY(), rising.MaxX(), rising.MaxY()}),
              (std::vector<double>{-2, 1, 3, 5, 1, 7, 6, 12}));
    shape.MoveTo(CPoint2D(10, 10)); // the base shape's centre is vertex 0
    ExpectNear(shape.Vertex(1), 5, 14, 0);
    EXPECT_EQ(Rendered(MakeShape({{4, 4}, {0, 4}, {0, 1}, {4, 1}}, false)).count({4, 2}), 0U);
    shape.SetShape(2, true, 9); // back at the origin
    EXPECT_EQ(Rendered(shape), (PixelSet{{0, 0}}));
    CShape2D copy(4, false, 1);
    EXPECT_EQ(Rendered(copy = rising), Rendered(rising));
    PixelSet expected, fractional;
    AddCircle(expected, CPoint2D(100, 100), 15), AddCircle(fractional, CPoint2D(30.4, 29.6), 12.7);
    EXPECT_EQ(Rendered(CCircle2D(CPoint2D(100, 100), 15.9, 1), 200), expected);
    EXPECT_EQ(Rendered(CCircle2D(CPoint2D(30.4, 29.6), 12.7, 2), 60), fractional);
}
// The lines are infinite: the meeting point may lie beyond both segments.
TEST(LineAndRect, CentreSlopeParallelIntersectionCornersContainsAndOutline)
{
    const CLine2D falling = Line(2, 0, 0, 2), vertical = Line(3, -5, 3, 7);
    ExpectNear(CLine2D(0).Centre(), 0.5, 0.5, 0);
    EXPECT_EQ((std::vector<double>{falling.Slope(), vertical.Slope()}),
              (std::vector<double>{-1, DBL_MAX}));
    ExpectNear(vertical.IntersectionWith(Line(10, 1, 12, 1)), 3, 1, 0);
    EXPECT_NEAR(Line(0, 1, 1, 3).IntersectionWith(falling).Yd(), 5 / 3.0, 1e-12);
    const CLine2D half = Line(0, 0, 1, 0.5);
    const std::tuple<CLine2D, CLine2D, bool> parallel[] = {
        {vertical, Line(-1, 0, -1, 4), true},
        {Line(4, 4, 4, 4), vertical, true},
        {falling, vertical, false},
        {half, Line(0, 0, 1, 0.5 + 5e-8), true},
        {half, Line(0, 0, 1, 0.5 + 2e-7), false},
        {half, Line(0, 0, 1, 0.5 - 2e-7), false}};
    for (const auto& [a, b, expected] : parallel)
        EXPECT_EQ(a.IsParallelTo(b), expected) << b.Vertex(1).Yd();
    // Corners from the rounded diagonal; the border belongs to the rectangle.
    const CRect2D rounded(CPoint2D(0.4, 0.4), CPoint2D(10.6, 5.6), 0);
    ExpectNear(rounded.Vertex(1), 0, 6, 0), ExpectNear(rounded.Vertex(3), 11, 0, 0);
    CRect2D moved(CPoint2D(0, 0), CPoint2D(20, 10), 0);
    moved.MoveTo(CPoint2D(100, 50));
    ExpectNear(moved.Vertex(0), 90, 45, 0);
    const CRect2D field(CPoint2D(0, 0), CPoint2D(640, 480), 0);
    const double probes[][3] = {{0, 0, 1},        {640, 480, 1},    {-0.001, 10, 0},
                                {10, 480.001, 0}, {640.001, 10, 0}, {10, -0.001, 0}};
    for (const auto& [x, y, inside] : probes)
        EXPECT_EQ(field.Contains(CPoint2D(x, y)), inside == 1) << x << "," << y;
    EXPECT_FALSE(CRect2D(CPoint2D(5, 5), CPoint2D(5, 20), 0).Contains(CPoint2D(5, 10)));
    EXPECT_EQ(Rendered(CRect2D(CPoint2D(1, 2), CPoint2D(5, 4), 3)),
              Art({".#####", ".#...#", ".#####"}, 2));
}
TEST(GeometryDeathTest, EachPreconditionStopsWithItsCondition)
{
    EXPECT_DEATH(CPoint2D(-1.0, 0.0, true), Death("x >= 0", "geometry/cpoint2d\\.cpp"));
    const std::string count =
        Death("0 <= npts && npts <= SHAPE_MAX_NPTS", "geometry/cshape2d\\.cpp");
    EXPECT_DEATH(CShape2D(5, true, 0), count);
    EXPECT_DEATH(CShape2D(4, true, 0).SetShape(-1, true, 0), count);
    const std::string index = Death("0<=index && index < m_npts", "geometry/cshape2d\\.cpp");
    EXPECT_DEATH(CShape2D(2, true, 0).Vertex(2), index);
    EXPECT_DEATH(CShape2D(2, true, 0).SetVertex(-1, ORIGIN), index);
    EXPECT_DEATH(Line(0, 0, 2, 2).IntersectionWith(Line(0, 1, 2, 3)),
                 Death("!this->IsParallelTo\\(other\\)", "geometry/cline2d\\.cpp"));
}
