#ifndef QV_PIECES_CSHIP_H
#define QV_PIECES_CSHIP_H

#include "geometry/cline2d.h"
#include "pieces/cbody2d.h"

class CScreen;

/// The player's ship: a white dart inside its guard circle. It turns in
/// eighth turns, flies at 150 pixels per second along its heading and brakes
/// to a dead stop. The guard circle's radius is its collision radius.
class CShip : public CBody2D
{
public:
    static constexpr double SPEED = 150.0;
    static constexpr PixelType OUTLINE_COLOUR = 0xFFFFFF;

    CShip(CPoint2D position, int radius);

    /// Steers by a command code: turn left, turn right, fly forward or brake
    /// for the codes 0 to 3; every other code leaves the motion alone.
    void Command(int code);
    void Turn(AngleType angle);
    void Thrust();
    void Halt();
    /// Rebuilds the dart around the current position.
    void UpdateOutline();
    /// Draws the dart and the guard circle, unless the ship is destroyed.
    void Draw(CScreen& screen);

    void MarkDestroyed() { m_destroyed = true; }
    bool IsDestroyed() const { return m_destroyed; }
    double Radius() const;
    CCircleBody2D GuardCircle() const { return m_guard; }
    // Observers for the tests.
    AngleType Heading() const { return m_heading; }
    const CLine2D& OutlineLine(int index) const { return m_outline[index]; }

private:
    CPoint2D m_points[3];
    CCircleBody2D m_guard;
    bool m_destroyed = false;
    AngleType m_heading = HALF_PI;
    CLine2D m_outline[4] = {CLine2D(OUTLINE_COLOUR), CLine2D(OUTLINE_COLOUR),
                            CLine2D(OUTLINE_COLOUR), CLine2D(OUTLINE_COLOUR)};
};

#endif
