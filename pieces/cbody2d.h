#ifndef QV_PIECES_CBODY2D_H
#define QV_PIECES_CBODY2D_H

#include "geometry/ccircle2d.h"
#include "geometry/cpoint2d.h"
#include "geometry/cvector2d.h"
#include "util/ctimer.h"

/// A body that rests at a point or flies from a start point with a launch
/// velocity. Its position is computed on demand from the time elapsed on its
/// own game-clock stopwatch, so it freezes while the game is paused and goes
/// on without a jump afterwards. Gravity pulls toward -y; deceleration acts
/// along the launch direction until the body stops.
class CBody2D
{
public:
    CBody2D(double gravity, double deceleration);
    CBody2D(CPoint2D p, double gravity, double deceleration);

    /// Rests at p with zero velocity; the clock is left alone.
    void StopAt(CPoint2D p);
    /// Flies from where the body is now with velocity v (pixels per second).
    void Launch(CVector2D v);
    /// Rests at p, then launches with v.
    void LaunchFrom(CPoint2D p, CVector2D v);

    bool IsMoving() const { return m_moving; }
    CPoint2D Position() const;
    double Speed() const;
    CVector2D Velocity() const;

private:
    /// The current velocity components (not clamped in time).
    void Components(double& vx, double& vy) const;

    CPoint2D m_start;
    CVector2D m_velocity;
    double m_gravity;
    double m_deceleration;
    CTimer m_clock;
    bool m_moving = false;
};

/// A body coupled with a circle that follows it (the ship's guard circle).
class CCircleBody2D : public CBody2D
{
public:
    /// Resting at the origin with a green circle of radius 20.
    CCircleBody2D();

    void SetCircle(const CCircle2D& c) { m_circle = c; }
    double Radius() const { return m_circle.Radius(); }
    /// A copy of the circle centred on the body's current position.
    CCircle2D CurrentCircle() const;

private:
    CCircle2D m_circle;
};

#endif
