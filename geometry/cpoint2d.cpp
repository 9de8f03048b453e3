#include "geometry/cpoint2d.h"

#include "util/assertion.h"

#include <cmath>

CPoint2D::CPoint2D(double a, double b, bool polar)
{
    Set(a, b, polar);
}

void CPoint2D::Set(double x, double y, bool polar)
{
    if (polar) {
        QV_ASSERT(x >= 0);
        const double radius = x;
        const double angle = y;
        x = radius * std::cos(angle);
        y = radius * std::sin(angle);
    }
    m_x = x;
    m_y = y;
}

double CPoint2D::Distance(CPoint2D p) const
{
    const double dx = m_x - p.m_x;
    const double dy = m_y - p.m_y;
    return std::sqrt(dx * dx + dy * dy);
}

CPoint2D CPoint2D::Midpoint(CPoint2D p) const
{
    return {(p.m_x + m_x) / 2.0, (p.m_y + m_y) / 2.0};
}

void CPoint2D::Translate(double dx, double dy)
{
    m_x += dx;
    m_y += dy;
}

void CPoint2D::Rotate(AngleType angle, CPoint2D centre)
{
    Rotate(std::cos(angle), std::sin(angle), centre);
}

void CPoint2D::Rotate(double cosine, double sine, CPoint2D centre)
{
    const double x = m_x - centre.m_x;
    const double y = m_y - centre.m_y;
    m_x = cosine * x - sine * y + centre.m_x;
    m_y = sine * x + cosine * y + centre.m_y;
}
