#include "geometry/ccircle2d.h"

#include "render/cbuffer2d.h"

#include <cmath>

CCircle2D::CCircle2D(PixelType colour) : CShape2D(CCIRCLE2D_NPTS, true, colour)
{
    SetCircle(ORIGIN, 1.0);
}

CCircle2D::CCircle2D(CPoint2D c, double r, PixelType colour)
    : CShape2D(CCIRCLE2D_NPTS, true, colour)
{
    SetCircle(c, r);
}

void CCircle2D::SetCircle(CPoint2D c, double r)
{
    SetVertex(0, c);
    m_radius = r;
}

CPoint2D CCircle2D::Centre() const
{
    return Vertex(0);
}

void CCircle2D::Render(CBuffer2D& buffer) const
{
    // Every chord turns by the same angle: its cosine and sine are worked out
    // once, which matters as the game draws about forty circles a frame.
    static const double segmentAngle = 2.0 * PI / CCIRCLE2D_SEGMENTS;
    static const double cosine = std::cos(segmentAngle);
    static const double sine = std::sin(segmentAngle);
    const CPoint2D centre = Vertex(0);
    const CPoint2D start(centre.X(), centre.Y() + static_cast<int>(m_radius));
    CPoint2D prev = start;
    CPoint2D next = start;
    for (int i = 0; i < CCIRCLE2D_SEGMENTS; ++i) {
        next.Rotate(cosine, sine, centre);
        buffer.RenderLine(prev, next, GetColour());
        prev = next;
    }
}
