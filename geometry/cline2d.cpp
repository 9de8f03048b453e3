#include "geometry/cline2d.h"

#include "util/assertion.h"

#include <cfloat>
#include <cmath>

namespace {

constexpr int CLINE2D_NPTS = 2;

} // namespace

CLine2D::CLine2D(PixelType colour) : CShape2D(CLINE2D_NPTS, true, colour)
{
    SetLine(ORIGIN, ORIGIN + CPoint2D(1.0, 1.0));
}

CLine2D::CLine2D(CPoint2D p0, CPoint2D p1, PixelType colour) : CShape2D(CLINE2D_NPTS, true, colour)
{
    SetLine(p0, p1);
}

void CLine2D::SetLine(CPoint2D p0, CPoint2D p1)
{
    SetVertex(0, p0);
    SetVertex(1, p1);
}

CPoint2D CLine2D::Centre() const
{
    return Vertex(0).Midpoint(Vertex(1));
}

double CLine2D::Slope() const
{
    const CPoint2D d = Vertex(1) - Vertex(0);
    if (std::fabs(d.Xd()) < SLOPE_TOLERANCE) {
        return DBL_MAX;
    }
    return d.Yd() / d.Xd();
}

bool CLine2D::IsParallelTo(const CLine2D& other) const
{
    return std::fabs(Slope() - other.Slope()) < SLOPE_TOLERANCE;
}

CPoint2D CLine2D::IntersectionWith(const CLine2D& other) const
{
    QV_ASSERT(!this->IsParallelTo(other));
    const CPoint2D p0 = Vertex(0);
    const CPoint2D p1 = Vertex(1);
    const CPoint2D q0 = other.Vertex(0);
    const CPoint2D q1 = other.Vertex(1);
    const double c1 = p0.Xd() * p1.Yd() - p1.Xd() * p0.Yd();
    const double c2 = q0.Xd() * q1.Yd() - q1.Xd() * q0.Yd();
    const CPoint2D d1 = p0 - p1;
    const CPoint2D d2 = q0 - q1;
    const double den = d1.Xd() * d2.Yd() - d2.Xd() * d1.Yd();
    return {(d2.Xd() * c1 - d1.Xd() * c2) / den, (d2.Yd() * c1 - d1.Yd() * c2) / den};
}
