#ifndef QV_GAME_CASTEROIDFIELD_H
#define QV_GAME_CASTEROIDFIELD_H

#include "geometry/crect2d.h"
#include "pieces/casteroid.h"
#include "pieces/cship.h"

class CScreen;

/// The world of one game: the ship, ten asteroid slots of which a growing
/// number are in play, and the screen-sized rectangle that bounds them. The
/// ship is held inside the screen; asteroids wrap around its edges.
class CAsteroidField
{
public:
    static constexpr int NUM_ASTEROIDS = 10;
    static constexpr int SHIP_RADIUS = 15;
    static constexpr double MIN_LAUNCH_SPEED = 50.0;
    static constexpr double MAX_LAUNCH_SPEED = 100.0;
    static constexpr double WRAP_MARGIN = 30.0;
    static constexpr double NUDGE_STEP = 3.0;
    /// How often AddAsteroid re-places an asteroid that would start on the
    /// ship before it gives the wave up. Only a picture so small that every
    /// place lies within reach of the ship can use them all up.
    static constexpr int MAX_PLACEMENT_ATTEMPTS = 1000;

    explicit CAsteroidField(CScreen& screen);
    CAsteroidField(const CAsteroidField&) = delete;
    /// Copies the ship, the bounds, the number in play and all ten slots;
    /// the screen stays the one this field was built on.
    CAsteroidField& operator=(const CAsteroidField& other);

    /// Launches the next asteroid slot with a random velocity. Once all ten
    /// slots are in play further waves are ignored.
    void AddAsteroid();
    /// One pass: hit test, containment, wrap, the command, then a drawing.
    void Update(int command);
    /// Background, ship, asteroids in index order, then a present.
    void Draw();
    bool IsOver() const { return m_ship.IsDestroyed(); }
    /// A fresh field on the same screen: new ship, new places, none in play.
    void Reset();

    int Launched() const { return m_nLaunched; }
    // The ship, for the tests.
    const CShip& Ship() const { return m_ship; }
    CShip& Ship() { return m_ship; }
    const CAsteroid& Asteroid(int index) const { return m_asteroids[index]; }
    CAsteroid& Asteroid(int index) { return m_asteroids[index]; }
    const CRect2D& Bounds() const { return m_bounds; }

private:
    CPoint2D RandomPoint() const;
    bool ShipIsHit() const;
    void KeepShipInside();
    void WrapAsteroids();
    CRect2D InnerRect(double r) const;

    CShip m_ship;
    CAsteroid m_asteroids[NUM_ASTEROIDS];
    int m_nLaunched = 0;
    CScreen& m_screen;
    CRect2D m_bounds;
};

#endif
