#include "geometry/crect2d.h"

CRect2D::CRect2D(PixelType colour) : CShape2D(CRECT2D_NPTS, true, colour)
{
    SetRect(ORIGIN, ORIGIN + CPoint2D(1.0, 1.0));
}

CRect2D::CRect2D(CPoint2D lowerLeft, CPoint2D topRight, PixelType colour)
    : CShape2D(CRECT2D_NPTS, true, colour)
{
    SetRect(lowerLeft, topRight);
}

void CRect2D::SetRect(CPoint2D lowerLeft, CPoint2D topRight)
{
    SetVertex(0, lowerLeft);
    SetVertex(1, CPoint2D(lowerLeft.X(), topRight.Y()));
    SetVertex(2, topRight);
    SetVertex(3, CPoint2D(topRight.X(), lowerLeft.Y()));
}

CPoint2D CRect2D::Centre() const
{
    return Vertex(0).Midpoint(Vertex(2));
}

bool CRect2D::Contains(CPoint2D p) const
{
    // From two opposite corners, p is split into fractions s and t along
    // the two sides meeting there; both must be non-negative at both
    // corners. NaN quotients (a flat rectangle) fail the comparisons.
    bool result = true;
    for (int i = 0; i <= 2; i += 2) {
        const CPoint2D corner = Vertex(i);
        const CPoint2D a = Vertex((i + 1) % CRECT2D_NPTS) - corner;
        const CPoint2D b = Vertex((i + 3) % CRECT2D_NPTS) - corner;
        const CPoint2D w = p - corner;
        const double s = w.Cross(b) / a.Cross(b);
        const double t = -(w.Cross(a) / a.Cross(b));
        if (!(s >= 0 && t >= 0)) {
            result = false;
        }
    }
    return result;
}
