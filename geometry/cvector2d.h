#ifndef QV_GEOMETRY_CVECTOR2D_H
#define QV_GEOMETRY_CVECTOR2D_H

#include "geometry/geometry2d.h"

/// Brings an angle into [0, TWO_PI).
AngleType NormaliseAngle(AngleType a);

/// A velocity in polar form: magnitude and a direction kept in [0, TWO_PI).
class CVector2D
{
public:
    CVector2D() = default;
    CVector2D(double magnitude, AngleType direction, AngleType limit);

    void SetMagnitude(double m) { m_magnitude = m; }
    /// Stores the direction normalised. Every vector of the game carries the
    /// elevation limit HALF_PI, at which the direction is only normalised.
    void SetDirection(AngleType a) { m_direction = NormaliseAngle(a); }

    double Magnitude() const { return m_magnitude; }
    AngleType Direction() const { return m_direction; }
    AngleType Limit() const { return m_limit; } // for the tests
    double X() const;
    double Y() const;

private:
    double m_magnitude = 0.0;
    AngleType m_direction = 0.0;
    AngleType m_limit = HALF_PI;
};

#endif
