#include "game/commands.h"
#include "pieces/casteroid.h"
#include "pieces/cbody2d.h"
#include "pieces/cship.h"
#include "render/cscreen.h"
#include "support/fakeclock.h"
#include "support/pixels.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectNear(CPoint2D actual, double x, double y, double tolerance = 1e-6)
{
    EXPECT_NEAR(actual.Xd(), x, tolerance);
    EXPECT_NEAR(actual.Yd(), y, tolerance);
}

} // namespace

TEST(Body, FliesFromItsLaunchPointFreezesWhilePausedAndRelaunchesWithoutAJump)
{
    FakeClock clock;
    CBody2D body(CPoint2D(100.0, 100.0), 0.0, 0.0);
    EXPECT_EQ(body.Speed(), 0.0); // at rest it points straight down
    EXPECT_DOUBLE_EQ(body.Velocity().Direction(), THREE_HALVES_PI);
    body.Launch(CVector2D(150.0, HALF_PI, HALF_PI));
    clock.Advance(1000);
    ExpectNear(body.Position(), 100.0, 250.0);
    CTimer::Pause();
    clock.Advance(5000);
    ExpectNear(body.Position(), 100.0, 250.0);
    CTimer::Resume();
    body.LaunchFrom(CPoint2D(100.0, 100.0), CVector2D(50.0, 0.0, HALF_PI));
    clock.Advance(2000);
    body.Launch(CVector2D(50.0, PI, HALF_PI)); // from (200, 100), back again
    ExpectNear(body.Position(), 200.0, 100.0);
    clock.Advance(2000);
    ExpectNear(body.Position(), 100.0, 100.0);
    // The current direction in every quadrant, and the speed along it.
    for (const double direction : {0.3, HALF_PI, 2.5, 4.0, 5.5}) {
        body.Launch(CVector2D(40.0, direction, HALF_PI));
        clock.Advance(500);
        EXPECT_NEAR(body.Velocity().Direction(), direction, 1e-9);
        EXPECT_NEAR(body.Velocity().Magnitude() + body.Speed(), 80.0, 1e-9);
    }
    body.StopAt(CPoint2D(4.0, 5.0));
    clock.Advance(1000);
    EXPECT_FALSE(body.IsMoving());
    ExpectNear(body.Position(), 4.0, 5.0, 0.0);
}

TEST(Body, GravityAndDecelerationFollowTheLaunchModel)
{
    FakeClock clock;
    // 100 px/s, slowed by 50 px/s^2: it stops after 2 s, 100 px on; gravity pulls down.
    CBody2D sliding(CPoint2D(0.0, 0.0), 0.0, 50.0), falling(CPoint2D(0.0, 100.0), 10.0, 0.0);
    sliding.Launch(CVector2D(100.0, PI / 3, HALF_PI));
    clock.Advance(1000);
    EXPECT_EQ(falling.Speed(), 0.0); // at rest gravity does not count
    ExpectNear(sliding.Position(), 75.0 * std::cos(PI / 3), 75.0 * std::sin(PI / 3));
    EXPECT_NEAR(sliding.Speed(), 50.0, 1e-9);
    clock.Advance(3000);
    ExpectNear(sliding.Position(), 100.0 * std::cos(PI / 3), 100.0 * std::sin(PI / 3));
    EXPECT_NEAR(sliding.Speed(), 0.0, 1e-9);
    falling.Launch(CVector2D(30.0, 0.0, HALF_PI));
    clock.Advance(2000);
    ExpectNear(falling.Position(), 60.0, 80.0);
    EXPECT_NEAR(falling.Speed(), std::sqrt(30.0 * 30.0 + 20.0 * 20.0), 1e-9);
}

TEST(CircleBody, CurrentCircleFollowsTheBody)
{
    FakeClock clock;
    CCircleBody2D guard;
    EXPECT_DOUBLE_EQ(guard.Radius(), 20.0);
    EXPECT_EQ(guard.CurrentCircle().GetColour(), 0x00FF00);
    ExpectNear(guard.CurrentCircle().Centre(), 0.0, 0.0, 0.0);
    guard.SetCircle(CCircle2D(CPoint2D(500.0, 500.0), 7.0, 0xFF));
    guard.LaunchFrom(CPoint2D(10.0, 10.0), CVector2D(10.0, 0.0, HALF_PI));
    clock.Advance(1000);
    ExpectNear(guard.CurrentCircle().Centre(), 20.0, 10.0);
    EXPECT_DOUBLE_EQ(guard.CurrentCircle().Radius(), 7.0);
}

TEST(Ship, DrawsAWhiteDartInsideItsGuardCircleTurningInEighthTurns)
{
    FakeClock clock;
    CScreen screen("ship", 640, 480, 0, false);
    CShip ship(CPoint2D(320.3, 240.6), 15);
    EXPECT_DOUBLE_EQ(ship.Radius(), 15.0);
    ExpectNear(ship.OutlinePoint(1), 309.69, 229.99, 0.01);
    ExpectNear(ship.OutlineLine(1).Vertex(1), 320.3, 240.6);
    EXPECT_EQ(ship.OutlineLine(3).GetColour(), 0xFFFFFF);
    // Heading up, then after each turn: right, left twice, and a whole turn to the left.
    const struct
    {
        int command, turns;
        double heading;
    } steps[] = {{CMD_NONE, 0, HALF_PI},
                 {CMD_TURN_RIGHT, 1, QUARTER_PI},
                 {CMD_TURN_LEFT, 2, 3 * QUARTER_PI},
                 {CMD_TURN_LEFT, 8, 3 * QUARTER_PI + TWO_PI}};
    for (const auto& step : steps) {
        for (int i = 0; i < step.turns; ++i)
            ship.Command(step.command);
        EXPECT_NEAR(ship.Heading(), step.heading, 1e-12);
        ExpectNear(ship.OutlinePoint(0), 320.3 + 15 * std::cos(step.heading),
                   240.6 + 15 * std::sin(step.heading), 1e-6);
        screen.Clear(0);
        ship.Draw(screen);
        EXPECT_EQ(ColoursNot(screen, 0), ShipPicture(CPoint2D(320.3, 240.6), step.heading));
    }
    ship.MarkDestroyed();
    screen.Clear(0);
    ship.Draw(screen);
    EXPECT_TRUE(ship.IsDestroyed() && PixelsNot(screen, 0).empty());
}

TEST(Ship, FliesAt150AlongHeadingAndTurnsBendOnlyOnNextThrust)
{
    FakeClock clock;
    CShip ship(CPoint2D(320.0, 240.0), 15);
    ship.Command(CMD_FORWARD);
    clock.Advance(1000);
    ExpectNear(ship.Position(), 320.0, 390.0);
    ship.Command(CMD_TURN_LEFT);
    ExpectNear(ship.GuardCircle().Position(), 320.0, 390.0); // the guard rests on the ship
    clock.Advance(1000);
    ExpectNear(ship.Position(), 320.0, 540.0);
    ship.Command(CMD_FORWARD);
    clock.Advance(1000);
    const double step = 150.0 / std::sqrt(2.0);
    ExpectNear(ship.Position(), 320.0 - step, 540.0 + step);
    EXPECT_NEAR(ship.Speed(), 150.0, 1e-9);
    ship.Command(CMD_BRAKE);
    const CPoint2D stopped = ship.Position();
    clock.Advance(2000);
    ExpectNear(ship.Position(), stopped.Xd(), stopped.Yd(), 0.0);
    // Braking at rest and the codes that steer nothing change nothing.
    for (int code : {CMD_BRAKE, CMD_PAUSE, CMD_QUIT, CMD_HELP, CMD_NONE, 42}) {
        ship.Command(code);
        clock.Advance(500);
        EXPECT_FALSE(ship.IsMoving()) << code;
        ExpectNear(ship.Position(), stopped.Xd(), stopped.Yd(), 0.0);
        EXPECT_NEAR(ship.Heading(), HALF_PI + QUARTER_PI, 1e-12);
    }
}

TEST(Asteroid, FourGreyLobesHitWithinThirtyAndLagUntilDrawn)
{
    FakeClock clock;
    CAsteroid asteroid(CPoint2D(200.0, 100.0));
    const double lobes[4][2] = {{200, 115}, {215, 100}, {200, 85}, {185, 100}};
    for (int i = 0; i < 4; ++i) {
        ExpectNear(asteroid.Lobe(i).Centre(), lobes[i][0], lobes[i][1], 0.0);
        EXPECT_DOUBLE_EQ(asteroid.Lobe(i).Radius(), 15.0);
    }
    // Within 30 of a lobe's centre, strictly; the ship's own radius counts too.
    const double ships[][3] = {{240, 100, 1},   {245, 100, 0}, {200, 144.9, 1}, {200, 145, 0},
                               {155.1, 100, 1}, {200, 55, 0},  {200, 55.1, 1}};
    for (const auto& s : ships)
        EXPECT_EQ(asteroid.IsHit(CShip(CPoint2D(s[0], s[1]), 15)), s[2] == 1)
            << s[0] << "," << s[1];
    EXPECT_TRUE(asteroid.IsHit(CShip(CPoint2D(250.0, 100.0), 21)));

    CScreen screen("asteroid", 640, 480, 0, false);
    asteroid.Launch(CVector2D(60.0, 0.0, HALF_PI));
    clock.Advance(2000);
    ExpectNear(asteroid.Position(), 320.0, 100.0);
    EXPECT_TRUE(asteroid.IsHit(CShip(CPoint2D(240.0, 100.0), 15))); // not drawn yet
    asteroid.Draw(screen);
    ExpectNear(asteroid.Lobe(1).Centre(), 335.0, 100.0);
    EXPECT_FALSE(asteroid.IsHit(CShip(CPoint2D(240.0, 100.0), 15)));
    Picture grey;
    Paint(grey, AsteroidPixels(CPoint2D(320, 100)), 0xAAAAAA);
    EXPECT_EQ(ColoursNot(screen, 0), grey);
    // Drawing does not move it: a second drawing paints the same pixels.
    asteroid.Draw(screen);
    EXPECT_EQ(ColoursNot(screen, 0), grey);
}
