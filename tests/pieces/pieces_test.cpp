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

void ExpectNear(CPoint2D actual, double x, double y, double tolerance = 0.01)
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
    ExpectNear(body.Position(), 100.0, 250.0, 1e-6);
    EXPECT_NEAR(body.Speed(), 150.0, 1e-9);
    CTimer::Pause();
    clock.Advance(5000);
    ExpectNear(body.Position(), 100.0, 250.0, 1e-6);
    CTimer::Resume();

    body.LaunchFrom(CPoint2D(100.0, 100.0), CVector2D(50.0, 0.0, HALF_PI));
    clock.Advance(2000);
    body.Launch(CVector2D(50.0, PI, HALF_PI)); // from (200, 100), back again
    ExpectNear(body.Position(), 200.0, 100.0, 1e-6);
    clock.Advance(2000);
    ExpectNear(body.Position(), 100.0, 100.0, 1e-6);
    EXPECT_NEAR(body.Velocity().Direction(), PI, 1e-9);

    body.StopAt(CPoint2D(4.0, 5.0));
    clock.Advance(1000);
    EXPECT_FALSE(body.IsMoving());
    ExpectNear(body.Position(), 4.0, 5.0, 0.0);
}

TEST(Body, GravityAndDecelerationFollowTheLaunchModel)
{
    FakeClock clock;
    // 100 px/s along +x, slowed by 50 px/s^2: it stops after 2 s, 100 px on.
    CBody2D sliding(CPoint2D(0.0, 0.0), 0.0, 50.0);
    sliding.Launch(CVector2D(100.0, 0.0, HALF_PI));
    clock.Advance(1000);
    ExpectNear(sliding.Position(), 75.0, 0.0, 1e-9);
    EXPECT_NEAR(sliding.Speed(), 50.0, 1e-9);
    clock.Advance(3000);
    ExpectNear(sliding.Position(), 100.0, 0.0, 1e-9);
    EXPECT_NEAR(sliding.Speed(), 0.0, 1e-9);

    CBody2D falling(CPoint2D(0.0, 100.0), 10.0, 0.0);
    falling.Launch(CVector2D(0.0, 0.0, HALF_PI));
    clock.Advance(2000);
    ExpectNear(falling.Position(), 0.0, 80.0, 1e-9);
    EXPECT_DOUBLE_EQ(falling.Velocity().Direction(), THREE_HALVES_PI);
}

TEST(CircleBody, CurrentCircleFollowsTheBody)
{
    FakeClock clock;
    CCircleBody2D guard;
    EXPECT_DOUBLE_EQ(guard.Radius(), 20.0);
    EXPECT_EQ(guard.CurrentCircle().GetColour(), 0x00FF00);
    guard.SetCircle(CCircle2D(CPoint2D(500.0, 500.0), 7.0, 0xFF));
    guard.LaunchFrom(CPoint2D(10.0, 10.0), CVector2D(10.0, 0.0, HALF_PI));
    clock.Advance(1000);
    ExpectNear(guard.CurrentCircle().Centre(), 20.0, 10.0, 1e-9);
    EXPECT_DOUBLE_EQ(guard.CurrentCircle().Radius(), 7.0);
}

TEST(Ship, OutlineIsADartInsideTheGuardCircle)
{
    FakeClock clock;
    const CShip ship(CPoint2D(320.0, 240.0), 15);
    ExpectNear(ship.OutlinePoint(0), 320.0, 255.0, 1e-6);
    ExpectNear(ship.OutlinePoint(1), 309.39, 229.39);
    ExpectNear(ship.OutlinePoint(2), 330.61, 229.39);
    EXPECT_DOUBLE_EQ(ship.Radius(), 15.0);
    EXPECT_DOUBLE_EQ(ship.Heading(), HALF_PI);
    EXPECT_FALSE(ship.IsDestroyed());
    // Tip -> left rear -> centre -> right rear -> tip, all white.
    const double expected[4][4] = {{320, 255, 309.39, 229.39},
                                   {309.39, 229.39, 320, 240},
                                   {320, 240, 330.61, 229.39},
                                   {330.61, 229.39, 320, 255}};
    for (int i = 0; i < 4; ++i) {
        const CLine2D& line = ship.OutlineLine(i);
        ExpectNear(line.Vertex(0), expected[i][0], expected[i][1]);
        ExpectNear(line.Vertex(1), expected[i][2], expected[i][3]);
        EXPECT_EQ(line.GetColour(), 0xFFFFFF);
    }
}

TEST(Ship, TurnsInEighthTurnsAndComesBackAfterEight)
{
    FakeClock clock;
    CShip ship(CPoint2D(320.0, 240.0), 15);
    ship.Command(CMD_TURN_RIGHT);
    ExpectNear(ship.OutlinePoint(0), 330.61, 250.61);
    ship.Command(CMD_TURN_LEFT);
    // Repeated rotations gather rounding error: back within a hair, not exactly.
    ExpectNear(ship.OutlinePoint(0), 320.0, 255.0, 1e-7);
    for (int i = 0; i < 8; ++i) {
        ship.Command(CMD_TURN_LEFT);
    }
    EXPECT_NEAR(ship.Heading(), HALF_PI + TWO_PI, 1e-12);
    ExpectNear(ship.OutlinePoint(0), 320.0, 255.0, 1e-7);
    ExpectNear(ship.OutlinePoint(1), 309.39, 229.39);
    ExpectNear(ship.OutlinePoint(2), 330.61, 229.39);
}

TEST(Ship, FliesAt150AlongHeadingAndTurnsBendOnlyOnNextThrust)
{
    FakeClock clock;
    CShip ship(CPoint2D(320.0, 240.0), 15);
    ship.Command(CMD_FORWARD);
    clock.Advance(1000);
    ExpectNear(ship.Position(), 320.0, 390.0, 1e-6);
    ship.Command(CMD_TURN_LEFT);
    clock.Advance(1000);
    ExpectNear(ship.Position(), 320.0, 540.0, 1e-6);
    ship.Command(CMD_FORWARD);
    clock.Advance(1000);
    const double step = 150.0 / std::sqrt(2.0);
    ExpectNear(ship.Position(), 320.0 - step, 540.0 + step, 1e-6);
    EXPECT_NEAR(ship.Speed(), 150.0, 1e-9);

    ship.Command(CMD_BRAKE);
    const CPoint2D stopped = ship.Position();
    clock.Advance(2000);
    EXPECT_FALSE(ship.IsMoving());
    ExpectNear(ship.Position(), stopped.Xd(), stopped.Yd(), 0.0);
    // The guard rests where the ship is after every command.
    ExpectNear(ship.GuardCircle().Position(), stopped.Xd(), stopped.Yd(), 0.0);
    // Braking at rest and the codes that steer nothing change nothing.
    for (int code : {CMD_BRAKE, CMD_PAUSE, CMD_QUIT, CMD_HELP, CMD_NONE, 42}) {
        ship.Command(code);
        clock.Advance(500);
        EXPECT_FALSE(ship.IsMoving()) << code;
        ExpectNear(ship.Position(), stopped.Xd(), stopped.Yd(), 0.0);
        EXPECT_NEAR(ship.Heading(), HALF_PI + QUARTER_PI, 1e-12);
    }
}

TEST(Ship, DrawsWhiteDartAndGuardButNothingOnceDestroyed)
{
    FakeClock clock;
    CScreen screen("ship", 640, 480, 0, false);
    CShip ship(CPoint2D(320.0, 240.0), 15);
    ship.Draw(screen);
    EXPECT_EQ(screen.GetPixel(320, 240), 0xFFFFFF);  // the notch at the centre
    EXPECT_EQ(screen.GetPixel(315, 235), 0xFFFFFF);  // on the line rear -> centre
    EXPECT_EQ(screen.GetPixel(320, 255), NO_COLOUR); // the guard circle's top
    EXPECT_GT(CountPixels(screen, NO_COLOUR), 50);
    EXPECT_EQ(screen.GetPixel(340, 240), 0); // outside the guard: untouched

    screen.Clear(0);
    ship.MarkDestroyed();
    ship.Draw(screen);
    EXPECT_TRUE(ship.IsDestroyed());
    EXPECT_EQ(CountPixels(screen, 0), 640 * 480);
}

TEST(Asteroid, LobesHitTestAndLagUntilDrawn)
{
    FakeClock clock;
    CAsteroid asteroid(CPoint2D(200.0, 100.0));
    const double lobes[4][2] = {{200, 115}, {215, 100}, {200, 85}, {185, 100}};
    for (int i = 0; i < 4; ++i) {
        ExpectNear(asteroid.Lobe(i).Centre(), lobes[i][0], lobes[i][1], 0.0);
        EXPECT_DOUBLE_EQ(asteroid.Lobe(i).Radius(), 15.0);
        EXPECT_EQ(asteroid.Lobe(i).GetColour(), 0xAAAAAA);
    }

    EXPECT_TRUE(asteroid.IsHit(CShip(CPoint2D(240.0, 100.0), 15)));  // 25 from lobe 1
    EXPECT_FALSE(asteroid.IsHit(CShip(CPoint2D(245.0, 100.0), 15))); // exactly 30
    EXPECT_TRUE(asteroid.IsHit(CShip(CPoint2D(200.0, 144.9), 15)));  // near lobe 0

    CScreen screen("asteroid", 640, 480, 0, false);
    asteroid.Launch(CVector2D(60.0, 0.0, HALF_PI));
    clock.Advance(2000);
    ExpectNear(asteroid.Position(), 320.0, 100.0, 1e-6);
    ExpectNear(asteroid.Lobe(1).Centre(), 215.0, 100.0, 0.0); // not drawn yet
    EXPECT_TRUE(asteroid.IsHit(CShip(CPoint2D(240.0, 100.0), 15)));
    asteroid.Draw(screen);
    ExpectNear(asteroid.Lobe(1).Centre(), 335.0, 100.0, 1e-6);
    EXPECT_FALSE(asteroid.IsHit(CShip(CPoint2D(240.0, 100.0), 15)));
    EXPECT_EQ(screen.GetPixel(320, 130), 0xAAAAAA); // top of lobe 0

    // Drawing does not move it: a second drawing paints the same pixels.
    const int grey = CountPixels(screen, 0xAAAAAA);
    asteroid.Draw(screen);
    EXPECT_EQ(CountPixels(screen, 0xAAAAAA), grey);
    ExpectNear(asteroid.Lobe(1).Centre(), 335.0, 100.0, 1e-6);
}
