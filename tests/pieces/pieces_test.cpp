#include "game/commands.h"
#include "pieces/casteroid.h"
#include "pieces/cship.h"
#include "render/cscreen.h"
#include "support/fakeclock.h"
#include "support/pixels.h"

// A launch starts from where the body is now, on a clock that pauses with the game.
TEST(Pieces, BodyFliesFromItsLaunchPointFreezesWhilePausedAndFollowsTheLaunchModel)
{
    FakeClock clock;
    CBody2D body(CPoint2D(100.0, 100.0), 0.0, 0.0);
    body.Launch(CVector2D(150.0, HALF_PI, HALF_PI)), clock.Advance(1000);
    CTimer::Pause(), clock.Advance(5000);
    ExpectNear(body.Position(), 100.0, 250.0);
    CTimer::Resume(), body.LaunchFrom(CPoint2D(100.0, 100.0), CVector2D(50.0, 0.0, HALF_PI));
    clock.Advance(2000), body.Launch(CVector2D(50.0, PI, HALF_PI)); // from (200, 100), back again
    clock.Advance(2000);
    ExpectNear(body.Position(), 100.0, 100.0);
    // 100 px/s slowed by 50 px/s^2 stops after 2 s, 100 px on; gravity pulls down.
    CBody2D sliding(CPoint2D(0.0, 0.0), 0.0, 50.0), falling(CPoint2D(0.0, 100.0), 10.0, 0.0);
    CCircleBody2D guard;
    EXPECT_EQ(guard.CurrentCircle().GetColour() + guard.Radius(), 0x00FF00 + 20.0);
    guard.SetCircle(CCircle2D(CPoint2D(500.0, 500.0), 7.0, 0xFF));
    guard.LaunchFrom(CPoint2D(10.0, 10.0), CVector2D(10.0, 0.0, HALF_PI));
    sliding.Launch(CVector2D(100.0, PI / 3, HALF_PI)), clock.Advance(1000);
    ExpectNear(guard.CurrentCircle().Centre(), 20.0, 10.0);
    EXPECT_DOUBLE_EQ(guard.CurrentCircle().Radius(), 7.0);
    EXPECT_EQ(falling.Speed(), 0.0);
    ExpectNear(sliding.Position(), 75.0 * std::cos(PI / 3), 75.0 * std::sin(PI / 3));
    EXPECT_NEAR(sliding.Speed(), 50.0, 1e-9);
    clock.Advance(3000);
    ExpectNear(sliding.Position(), 100.0 * std::cos(PI / 3), 100.0 * std::sin(PI / 3));
    EXPECT_NEAR(sliding.Speed(), 0.0, 1e-9);
    falling.Launch(CVector2D(30.0, 0.0, HALF_PI)), clock.Advance(2000);
    ExpectNear(falling.Position(), 60.0, 80.0);
    EXPECT_NEAR(falling.Speed(), std::sqrt(30.0 * 30.0 + 20.0 * 20.0), 1e-9);
}
// Heading up, then after each turn: right, left twice, and a whole turn to the left. Thrust flies
// at 150 along the heading; a turn bends the path only at the next thrust.
TEST(Pieces, ShipFliesTurnsAndIsDrawnAsADartAsteroidIsFourLobesHitWithinThirty)
{
    CScreen screen("ship", 640, 480, 0, false);
    CShip ship(CPoint2D(320.3, 240.6), 15);
    ExpectNear(ship.OutlineLine(1).Vertex(1), 320.3, 240.6);
    const std::tuple<int, int, double> steps[] = {{CMD_NONE, 0, HALF_PI},
                                                  {CMD_TURN_RIGHT, 1, QUARTER_PI},
                                                  {CMD_TURN_LEFT, 2, 3 * QUARTER_PI},
                                                  {CMD_TURN_LEFT, 8, 3 * QUARTER_PI + TWO_PI}};
    for (const auto& [command, turns, heading] : steps) {
        for (int i = 0; i < turns; ++i)
            ship.Command(command);
        EXPECT_NEAR(ship.Heading(), heading, 1e-12);
        screen.Clear(0), ship.Draw(screen);
        EXPECT_EQ(ColoursNot(screen, 0), ShipPicture(CPoint2D(320.3, 240.6), heading));
    }
    ship.MarkDestroyed(), screen.Clear(0), ship.Draw(screen);
    EXPECT_TRUE(ship.IsDestroyed() && PixelsNot(screen, 0).empty());
    FakeClock clock;
    CShip flying(CPoint2D(320.0, 240.0), 15);
    flying.Command(CMD_FORWARD), clock.Advance(1000), flying.Command(CMD_TURN_LEFT);
    ExpectNear(flying.GuardCircle().Position(), 320.0, 390.0); // the guard rests on the ship
    clock.Advance(1000), flying.Command(CMD_FORWARD), clock.Advance(1000);
    const double step = 150.0 / std::sqrt(2.0);
    ExpectNear(flying.Position(), 320.0 - step, 540.0 + step);
    for (int code : {CMD_PAUSE, CMD_QUIT, CMD_HELP, CMD_NONE, 42})
        flying.Command(code), clock.Advance(200); // steers nothing
    ExpectNear(flying.Position(), 320.0 - 2 * step, 540.0 + 2 * step);
    EXPECT_NEAR(flying.Heading(), HALF_PI + QUARTER_PI, 1e-12);
    flying.Command(CMD_BRAKE);
    const CPoint2D stopped = flying.Position();
    clock.Advance(500);
    EXPECT_FALSE(flying.IsMoving());
    ExpectNear(flying.Position(), stopped.Xd(), stopped.Yd(), 0.0);
    // Within 30 of a lobe's centre, strictly, the ship's radius counted; lobes move when drawn.
    CAsteroid asteroid(CPoint2D(200.0, 100.0));
    const double ships[][4] = {{240, 100, 15, 1},  {245, 100, 15, 0},   {200, 144.9, 15, 1},
                               {200, 145, 15, 0},  {155.1, 100, 15, 1}, {200, 55, 15, 0},
                               {200, 55.1, 15, 1}, {250, 100, 21, 1}};
    for (const auto& [x, y, radius, hit] : ships)
        EXPECT_EQ(asteroid.IsHit(CShip(CPoint2D(x, y), int(radius))), hit == 1) << x << "," << y;
    asteroid.Launch(CVector2D(60.0, 0.0, HALF_PI)), clock.Advance(2000);
    EXPECT_TRUE(asteroid.IsHit(CShip(CPoint2D(240.0, 100.0), 15))); // not drawn yet
    Picture grey;
    Paint(grey, AsteroidPixels(CPoint2D(320, 100)), 0xAAAAAA);
    for (int i = 0; i < 2; ++i) { // drawing does not move it
        asteroid.Draw(screen);
        EXPECT_EQ(ColoursNot(screen, 0), grey);
    }
    EXPECT_FALSE(asteroid.IsHit(CShip(CPoint2D(240.0, 100.0), 15)));
}
