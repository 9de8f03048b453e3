#ifndef QV_PIECES_CASTEROID_H
#define QV_PIECES_CASTEROID_H

#include "geometry/ccircle2d.h"
#include "pieces/cbody2d.h"

class CScreen;
class CShip;

/// An asteroid: a body drawn as four overlapping grey circles (a clover about
/// 60 pixels across) that collides circle by circle with the ship.
class CAsteroid : public CBody2D
{
public:
    static constexpr double LOBE_RADIUS = 15.0;
    static constexpr PixelType LOBE_COLOUR = 0xAAAAAA;
    static constexpr int NUM_LOBES = 4;

    explicit CAsteroid(CPoint2D centre);

    /// Rebuilds the lobes around the current position, keeps them and draws them.
    void Draw(CScreen& screen);
    /// True when any lobe overlaps the ship's guard circle. The lobes stand
    /// where the asteroid was built or last drawn.
    bool IsHit(const CShip& ship) const;
    const CCircle2D& Lobe(int index) const { return m_lobes[index]; }

private:
    void PlaceLobes(CPoint2D centre);

    CCircle2D m_lobes[NUM_LOBES] = {CCircle2D(LOBE_COLOUR), CCircle2D(LOBE_COLOUR),
                                    CCircle2D(LOBE_COLOUR), CCircle2D(LOBE_COLOUR)};
};

#endif
