#ifndef QV_GEOMETRY_CPOINT2D_H
#define QV_GEOMETRY_CPOINT2D_H

#include "geometry/geometry2d.h"

/// A point or offset in screen coordinates (pixels, y up), also used as a
/// 2-D vector.
class CPoint2D
{
public:
    CPoint2D() = default;
    /// Cartesian (a, b), or with polar set radius a and angle b.
    CPoint2D(double a, double b, bool polar = false);

    /// Cartesian: (x, y). Polar: x is a radius (at least 0) and y an angle.
    void Set(double x, double y, bool polar);

    /// Pixel column and row: add 0.5 and truncate toward zero.
    int X() const { return static_cast<int>(m_x + 0.5); }
    int Y() const { return static_cast<int>(m_y + 0.5); }
    double Xd() const { return m_x; }
    double Yd() const { return m_y; }

    double Distance(CPoint2D p) const;
    CPoint2D Midpoint(CPoint2D p) const;
    void Translate(double dx, double dy);
    /// Rotates this point in place by angle (counter-clockwise) about centre.
    void Rotate(AngleType angle, CPoint2D centre);
    /// The same rotation given the angle's cosine and sine, for callers that
    /// turn many points by one angle and work the two out once.
    void Rotate(double cosine, double sine, CPoint2D centre);

    CPoint2D operator+(CPoint2D p) const { return {m_x + p.m_x, m_y + p.m_y}; }
    CPoint2D operator-(CPoint2D p) const { return {m_x - p.m_x, m_y - p.m_y}; }
    double Cross(CPoint2D p) const { return m_x * p.m_y - m_y * p.m_x; }

private:
    double m_x = 0.0;
    double m_y = 0.0;
};

/// The shared origin (0, 0), the default position of the shapes.
inline const CPoint2D ORIGIN(0.0, 0.0);

#endif
