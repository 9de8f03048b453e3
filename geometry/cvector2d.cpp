#include "geometry/cvector2d.h"

#include <cmath>

AngleType NormaliseAngle(AngleType a)
{
    const int turns = static_cast<int>(a / TWO_PI);
    AngleType r = a - turns * TWO_PI;
    if (r < 0) {
        r += TWO_PI;
    }
    return r;
}

CVector2D::CVector2D(double magnitude, AngleType direction, AngleType limit) : m_limit(limit)
{
    SetMagnitude(magnitude);
    SetDirection(direction);
}

double CVector2D::X() const
{
    return m_magnitude * std::cos(m_direction);
}

double CVector2D::Y() const
{
    return m_magnitude * std::sin(m_direction);
}
