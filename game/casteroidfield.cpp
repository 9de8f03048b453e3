#include "game/casteroidfield.h"

#include "game/commands.h"
#include "render/cscreen.h"
#include "util/handyfunctions.h"
#include "util/randomint.h"

namespace {

// The middle pixel, halves rounded down as whole numbers.
CPoint2D ScreenCentre(const CScreen& screen)
{
    const int halfWidth = screen.Width() / 2;
    const int halfHeight = screen.Height() / 2;
    return {static_cast<double>(halfWidth), static_cast<double>(halfHeight)};
}

} // namespace

CAsteroidField::CAsteroidField(CScreen& screen)
    : m_ship(ScreenCentre(screen), SHIP_RADIUS), m_asteroids{CAsteroid(ORIGIN), CAsteroid(ORIGIN),
                                                             CAsteroid(ORIGIN), CAsteroid(ORIGIN),
                                                             CAsteroid(ORIGIN), CAsteroid(ORIGIN),
                                                             CAsteroid(ORIGIN), CAsteroid(ORIGIN),
                                                             CAsteroid(ORIGIN), CAsteroid(ORIGIN)},
      m_screen(screen),
      m_bounds(ORIGIN,
               CPoint2D(static_cast<double>(screen.Width()), static_cast<double>(screen.Height())),
               0)
{
    for (CAsteroid& slot : m_asteroids) {
        slot = CAsteroid(RandomPoint());
    }
}

CAsteroidField& CAsteroidField::operator=(const CAsteroidField& other)
{
    if (this != &other) {
        m_ship = other.m_ship;
        m_bounds = other.m_bounds;
        m_nLaunched = other.m_nLaunched;
        for (int i = 0; i < NUM_ASTEROIDS; ++i) {
            m_asteroids[i] = other.m_asteroids[i];
        }
    }
    return *this;
}

CPoint2D CAsteroidField::RandomPoint() const
{
    static RandomInt xRandom;
    static RandomInt yRandom;
    xRandom.SetRange(1, m_screen.Width() + 1);
    yRandom.SetRange(1, m_screen.Height() + 1);
    // The shared sequence decides which number becomes which coordinate.
    const int y = yRandom.Next();
    const int x = xRandom.Next();
    return {static_cast<double>(x), static_cast<double>(y)};
}

void CAsteroidField::AddAsteroid()
{
    if (m_nLaunched >= NUM_ASTEROIDS) {
        return;
    }
    CAsteroid& slot = m_asteroids[m_nLaunched];
    slot.Launch(RandomVector(MIN_LAUNCH_SPEED, MAX_LAUNCH_SPEED, 0.0, 2 * PI));
    // An asteroid may not start on the ship: it is put elsewhere, at rest.
    int attempts = 0;
    while (slot.IsHit(m_ship)) {
        if (attempts == MAX_PLACEMENT_ATTEMPTS) {
            // Every place tried lies within reach of the ship: the wave is
            // given up rather than ending the game at once. The slot keeps
            // its last (resting) place and the next wave tries it again.
            return;
        }
        slot = CAsteroid(RandomPoint());
        ++attempts;
    }
    ++m_nLaunched;
}

void CAsteroidField::Update(int command)
{
    if (ShipIsHit()) {
        m_ship.MarkDestroyed();
    }
    KeepShipInside();
    WrapAsteroids();
    m_ship.Command(command);
    Draw();
}

void CAsteroidField::Draw()
{
    m_screen.DrawBackground();
    m_ship.Draw(m_screen);
    for (int i = 0; i < m_nLaunched; ++i) {
        m_asteroids[i].Draw(m_screen);
    }
    m_screen.Refresh();
}

void CAsteroidField::Reset()
{
    *this = CAsteroidField(m_screen);
}

bool CAsteroidField::ShipIsHit() const
{
    for (int i = 0; i < m_nLaunched; ++i) {
        if (m_asteroids[i].IsHit(m_ship)) {
            return true;
        }
    }
    return false;
}

CRect2D CAsteroidField::InnerRect(double r) const
{
    return {m_bounds.Vertex(0) + CPoint2D(r, r), m_bounds.Vertex(2) - CPoint2D(r, r), 0};
}

void CAsteroidField::KeepShipInside()
{
    const CPoint2D p = m_ship.Position();
    const double r = m_ship.Radius();
    if (!InnerRect(r).Contains(p)) {
        m_ship.Command(CMD_BRAKE);
    }
    // One axis per pass: a ship in a corner is freed over two passes.
    if (r > p.Xd()) {
        m_ship.StopAt(p + CPoint2D(NUDGE_STEP, 0.0));
    } else if (p.Xd() > m_bounds.MaxX() - r) {
        m_ship.StopAt(p - CPoint2D(NUDGE_STEP, 0.0));
    } else if (r > p.Yd()) {
        m_ship.StopAt(p + CPoint2D(0.0, NUDGE_STEP));
    } else if (p.Yd() > m_bounds.MaxY() - r) {
        m_ship.StopAt(p - CPoint2D(0.0, NUDGE_STEP));
    }
}

void CAsteroidField::WrapAsteroids()
{
    const double maxX = m_bounds.MaxX();
    const double maxY = m_bounds.MaxY();
    for (int i = 0; i < m_nLaunched; ++i) {
        CAsteroid& asteroid = m_asteroids[i];
        const CPoint2D p = asteroid.Position();
        CPoint2D place;
        if (p.Xd() < -WRAP_MARGIN) {
            place = CPoint2D(maxX + WRAP_MARGIN, p.Yd());
        } else if (p.Xd() > maxX + WRAP_MARGIN) {
            place = CPoint2D(-WRAP_MARGIN, p.Yd());
        } else if (p.Yd() > maxY + WRAP_MARGIN) {
            place = CPoint2D(p.Xd(), -WRAP_MARGIN);
        } else if (p.Yd() < -WRAP_MARGIN) {
            place = CPoint2D(p.Xd(), maxY + WRAP_MARGIN);
        } else {
            continue;
        }
        asteroid.LaunchFrom(place, asteroid.Velocity());
    }
}
