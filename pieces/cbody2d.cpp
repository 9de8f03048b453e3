#include "pieces/cbody2d.h"

#include <cmath>

CBody2D::CBody2D(double gravity, double deceleration)
    : m_gravity(gravity), m_deceleration(deceleration)
{
    StopAt(ORIGIN);
}

CBody2D::CBody2D(CPoint2D p, double gravity, double deceleration)
    : m_gravity(gravity), m_deceleration(deceleration)
{
    StopAt(p);
}

void CBody2D::StopAt(CPoint2D p)
{
    m_velocity = CVector2D(0.0, 0.0, HALF_PI);
    m_moving = false;
    m_start = p;
}

void CBody2D::Launch(CVector2D v)
{
    StopAt(Position());
    m_velocity = v;
    m_moving = true;
    m_clock.Reset();
}

void CBody2D::LaunchFrom(CPoint2D p, CVector2D v)
{
    StopAt(p);
    Launch(v);
}

CPoint2D CBody2D::Position() const
{
    if (!m_moving) {
        return m_start;
    }
    double t = m_clock.Elapsed();
    const double m = m_velocity.Magnitude();
    const double a = m_deceleration;
    const double fall = 0.5 * m_gravity * t * t;
    // The body stops along its launch direction after m / a seconds; without
    // deceleration it never does.
    if (a != 0.0 && t > m / a) {
        t = m / a;
    }
    const double lost = t * a;
    const double c = std::cos(m_velocity.Direction());
    const double s = std::sin(m_velocity.Direction());
    // m * c and m * s are the velocity's X() and Y(), without working out
    // the cosine and sine a second time.
    const double dx = (m * c - c * 0.5 * lost) * t;
    const double dy = (m * s - s * 0.5 * lost) * t - fall;
    return {m_start.Xd() + dx, m_start.Yd() + dy};
}

void CBody2D::Components(double& vx, double& vy) const
{
    const double t = m_clock.Elapsed();
    const double m = m_velocity.Magnitude();
    const double lost = m_deceleration * t < m ? m_deceleration * t : m;
    const double c = std::cos(m_velocity.Direction());
    const double s = std::sin(m_velocity.Direction());
    vx = m * c - c * lost;
    vy = m * s - s * lost - t * m_gravity;
}

double CBody2D::Speed() const
{
    if (!m_moving) {
        return 0.0;
    }
    double vx = 0.0;
    double vy = 0.0;
    Components(vx, vy);
    return std::sqrt(vx * vx + vy * vy);
}

CVector2D CBody2D::Velocity() const
{
    double vx = 0.0;
    double vy = 0.0;
    Components(vx, vy);
    AngleType direction = 0.0;
    if (vx == 0.0) {
        direction = vy > 0.0 ? HALF_PI : THREE_HALVES_PI;
    } else {
        direction = std::atan(vy / vx);
        if (vx < 0.0) {
            direction -= PI;
        }
        direction = NormaliseAngle(direction);
    }
    return {Speed(), direction, HALF_PI};
}

CCircleBody2D::CCircleBody2D() : CBody2D(0.0, 0.0), m_circle(CPoint2D(0.0, 0.0), 20.0, 0x00FF00) {}

CCircle2D CCircleBody2D::CurrentCircle() const
{
    CCircle2D circle = m_circle;
    circle.MoveTo(Position());
    return circle;
}
