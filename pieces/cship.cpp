#include "pieces/cship.h"

#include "game/commands.h"
#include "render/cscreen.h"

#include <cmath>

CShip::CShip(CPoint2D position, int radius) : CBody2D(position, 0.0, 0.0)
{
    m_guard.SetCircle(CCircle2D(Position(), static_cast<double>(radius), NO_COLOUR));
    m_heading = PI / 2.0;
    m_destroyed = false;
    UpdateOutline();
}

void CShip::Command(int code)
{
    switch (code) {
    case CMD_TURN_LEFT:
        Turn(QUARTER_PI);
        break;
    case CMD_TURN_RIGHT:
        Turn(-QUARTER_PI);
        break;
    case CMD_FORWARD:
        Thrust();
        break;
    case CMD_BRAKE:
        Halt();
        break;
    default:
        break;
    }
    m_guard.StopAt(Position());
}

void CShip::Turn(AngleType angle)
{
    m_heading += angle;
    const CPoint2D centre = Position();
    for (CPoint2D& point : m_points) {
        point.Rotate(angle, centre);
    }
}

void CShip::Thrust()
{
    Launch(CVector2D(SPEED, m_heading, HALF_PI));
}

void CShip::Halt()
{
    StopAt(Position());
}

void CShip::UpdateOutline()
{
    const CPoint2D centre = Position();
    const double r = m_guard.Radius();
    m_guard.StopAt(centre);

    // The tip lies on the guard circle in the heading's direction; the rear
    // corners are 135 degrees either side of it.
    CPoint2D point(centre.Xd() + r * std::cos(m_heading), centre.Yd() + r * std::sin(m_heading));
    point.Rotate(3.0 * PI / 4.0, centre);
    m_points[1] = point;
    point.Rotate(PI / 2.0, centre);
    m_points[2] = point;
    point.Rotate(3.0 * PI / 4.0, centre);
    m_points[0] = point;

    m_outline[0].SetLine(m_points[0], m_points[1]);
    m_outline[1].SetLine(m_points[1], centre);
    m_outline[2].SetLine(centre, m_points[2]);
    m_outline[3].SetLine(m_points[2], m_points[0]);
    for (CLine2D& line : m_outline) {
        line.SetColour(OUTLINE_COLOUR);
    }
}

void CShip::Draw(CScreen& screen)
{
    if (m_destroyed) {
        return;
    }
    UpdateOutline();
    for (const CLine2D& line : m_outline) {
        screen.DrawShape(line);
    }
    screen.DrawShape(m_guard.CurrentCircle());
}

double CShip::Radius() const
{
    return m_guard.CurrentCircle().Radius();
}
