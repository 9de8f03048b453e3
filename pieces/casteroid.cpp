#include "pieces/casteroid.h"

#include "pieces/cship.h"
#include "render/cscreen.h"

CAsteroid::CAsteroid(CPoint2D centre) : CBody2D(centre, 0.0, 0.0)
{
    PlaceLobes(centre);
}

void CAsteroid::PlaceLobes(CPoint2D centre)
{
    const double x = centre.Xd();
    const double y = centre.Yd();
    m_lobes[0] = CCircle2D(CPoint2D(x, y + LOBE_RADIUS), LOBE_RADIUS, LOBE_COLOUR);
    m_lobes[1] = CCircle2D(CPoint2D(x + LOBE_RADIUS, y), LOBE_RADIUS, LOBE_COLOUR);
    m_lobes[2] = CCircle2D(CPoint2D(x, y - LOBE_RADIUS), LOBE_RADIUS, LOBE_COLOUR);
    m_lobes[3] = CCircle2D(CPoint2D(x - LOBE_RADIUS, y), LOBE_RADIUS, LOBE_COLOUR);
}

void CAsteroid::Draw(CScreen& screen)
{
    PlaceLobes(Position());
    for (const CCircle2D& lobe : m_lobes) {
        screen.DrawShape(lobe);
    }
}

bool CAsteroid::IsHit(const CShip& ship) const
{
    const CPoint2D shipCentre = ship.Position();
    const double shipRadius = ship.GuardCircle().Radius();
    for (const CCircle2D& lobe : m_lobes) {
        if (lobe.Radius() + shipRadius > shipCentre.Distance(lobe.Centre())) {
            return true;
        }
    }
    return false;
}
