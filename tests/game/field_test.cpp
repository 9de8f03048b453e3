#include "game/casteroidfield.h"
#include "game/cgame.h"
#include "game/commands.h"
#include "image/cimagerecord.h"
#include "render/cscreen.h"
#include "support/fakeclock.h"
#include "support/pixels.h"
#include "util/randomint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

// A dark blue-green gradient, so that every background pixel is known.
PixelType BackgroundColour(int col, int row)
{
    return ((col % 64) << 8) | (row % 100);
}

std::unique_ptr<CImageRecord> MakeBackground()
{
    auto image = std::make_unique<CImageRecord>();
    image->Create(WIDTH, HEIGHT, 24, IMAGE_FORMAT_BMP);
    for (int row = 0; row < HEIGHT; ++row) {
        BYTE* line = image->GetBits() + row * image->GetEffWidth();
        for (int col = 0; col < WIDTH; ++col) {
            const PixelType colour = BackgroundColour(col, row);
            line[3 * col] = static_cast<BYTE>(colour & 0xFF);
            line[3 * col + 1] = static_cast<BYTE>((colour >> 8) & 0xFF);
            line[3 * col + 2] = static_cast<BYTE>((colour >> 16) & 0xFF);
        }
    }
    return image;
}

class FieldTest : public ::testing::Test
{
protected:
    FieldTest() : m_background(MakeBackground()), m_screen("field", WIDTH, HEIGHT, 0, false)
    {
        m_screen.SetBackground(*m_background);
    }

    int CountPixels(PixelType colour) const { return ::CountPixels(m_screen, colour); }

    FakeClock m_clock;
    std::unique_ptr<CImageRecord> m_background;
    CScreen m_screen;
};

void ExpectAt(CPoint2D p, double x, double y, double tolerance = 1e-6)
{
    EXPECT_NEAR(p.Xd(), x, tolerance);
    EXPECT_NEAR(p.Yd(), y, tolerance);
}

} // namespace

TEST_F(FieldTest, FreshFieldShowsBackgroundAndShipOnly)
{
    RandomInt seed(2024);
    CAsteroidField field(m_screen);
    EXPECT_FALSE(field.IsOver());
    EXPECT_EQ(field.Launched(), 0);
    ExpectAt(field.Ship().Position(), 320.0, 240.0, 0.0);
    for (int i = 0; i < CAsteroidField::NUM_ASTEROIDS; ++i) {
        const CPoint2D p = field.Asteroid(i).Position();
        // Places are whole numbers from 1 to one past the far edge.
        EXPECT_GE(p.Xd(), 1.0);
        EXPECT_LE(p.Xd(), WIDTH + 1.0);
        EXPECT_GE(p.Yd(), 1.0);
        EXPECT_LE(p.Yd(), HEIGHT + 1.0);
        EXPECT_EQ(p.Xd(), static_cast<int>(p.Xd()));
        EXPECT_FALSE(field.Asteroid(i).IsMoving());
    }
    EXPECT_DOUBLE_EQ(field.Bounds().MaxX(), WIDTH);
    EXPECT_DOUBLE_EQ(field.Bounds().MaxY(), HEIGHT);

    field.Draw();
    EXPECT_EQ(CountPixels(0xAAAAAA), 0);
    EXPECT_EQ(m_screen.GetPixel(315, 235), 0xFFFFFF);
    EXPECT_EQ(m_screen.GetPixel(10, 20), BackgroundColour(10, 20));
    EXPECT_EQ(m_screen.GetPixel(639, 479), BackgroundColour(639, 479));
}

TEST_F(FieldTest, PlacesDrawYBeforeX)
{
    // The field's two generators reseed the shared sequence when they are
    // first built; after that each place takes y first, then x.
    CAsteroidField warmUp(m_screen);
    RandomInt reference(777);
    reference.SetRange(1, HEIGHT + 1);
    const int y0 = reference.Next();
    reference.SetRange(1, WIDTH + 1);
    const int x0 = reference.Next();
    reference.SetRange(1, HEIGHT + 1);
    const int y1 = reference.Next();
    reference.SetRange(1, WIDTH + 1);
    const int x1 = reference.Next();

    RandomInt reseed(777);
    CAsteroidField field(m_screen);
    ExpectAt(field.Asteroid(0).Position(), x0, y0, 0.0);
    ExpectAt(field.Asteroid(1).Position(), x1, y1, 0.0);
}

TEST_F(FieldTest, AddAsteroidLaunchesNextSlotAndIgnoresEleventhWave)
{
    CAsteroidField field(m_screen);
    for (int wave = 1; wave <= CAsteroidField::NUM_ASTEROIDS; ++wave) {
        field.AddAsteroid();
        EXPECT_EQ(field.Launched(), wave);
    }
    for (int i = 0; i < CAsteroidField::NUM_ASTEROIDS; ++i) {
        const CAsteroid& asteroid = field.Asteroid(i);
        if (asteroid.IsMoving()) {
            const double speed = asteroid.Speed();
            EXPECT_GE(speed, 50.0 - 1e-9);
            EXPECT_LE(speed, 100.0 + 1e-9);
            EXPECT_NEAR(speed, std::round(speed), 1e-9);
        }
        EXPECT_FALSE(asteroid.IsHit(field.Ship())) << i;
    }
    const RandomGeneratorState before = SharedRandomState();
    field.AddAsteroid();
    EXPECT_EQ(field.Launched(), CAsteroidField::NUM_ASTEROIDS);
    EXPECT_EQ(std::memcmp(&before, &SharedRandomState(), sizeof before), 0);
}

TEST_F(FieldTest, AsteroidPlacedOnTheShipIsMovedAndStaysAtRest)
{
    CAsteroidField field(m_screen);
    field.Asteroid(0) = CAsteroid(CPoint2D(330.0, 240.0));
    field.AddAsteroid();
    EXPECT_EQ(field.Launched(), 1);
    EXPECT_FALSE(field.Asteroid(0).IsMoving());
    EXPECT_FALSE(field.Asteroid(0).IsHit(field.Ship()));
    const CPoint2D place = field.Asteroid(0).Position();
    m_clock.Advance(5000);
    ExpectAt(field.Asteroid(0).Position(), place.Xd(), place.Yd(), 0.0);
}

TEST_F(FieldTest, ShipFlyingLeftIsStoppedAndPushedBack)
{
    CAsteroidField field(m_screen);
    field.Update(CMD_TURN_LEFT);
    field.Update(CMD_TURN_LEFT);
    field.Update(CMD_FORWARD); // heading PI: 150 px/s to the left
    m_clock.Advance(2000);     // centre at x = 20: still free
    field.Update(CMD_NONE);
    EXPECT_TRUE(field.Ship().IsMoving());
    ExpectAt(field.Ship().Position(), 20.0, 240.0, 1e-6);
    m_clock.Advance(40); // x = 14: closer than 15 to the left edge
    field.Update(CMD_NONE);
    EXPECT_FALSE(field.Ship().IsMoving());
    ExpectAt(field.Ship().Position(), 17.0, 240.0, 1e-6);
    m_clock.Advance(1000);
    field.Update(CMD_NONE);
    ExpectAt(field.Ship().Position(), 17.0, 240.0, 1e-6);

    // Flown left again, it is stopped and pushed back again.
    field.Update(CMD_FORWARD);
    m_clock.Advance(20); // x = 14
    field.Update(CMD_NONE);
    EXPECT_FALSE(field.Ship().IsMoving());
    ExpectAt(field.Ship().Position(), 17.0, 240.0, 1e-6);
}

TEST_F(FieldTest, ShipInACornerIsFreedOverTwoPassesAndFarEdgesPushBack)
{
    CAsteroidField field(m_screen);
    field.Ship().StopAt(CPoint2D(14.0, 14.0));
    field.Update(CMD_NONE);
    ExpectAt(field.Ship().Position(), 17.0, 14.0, 0.0);
    field.Update(CMD_NONE);
    ExpectAt(field.Ship().Position(), 17.0, 17.0, 0.0);

    // Deeper in, the nudges repeat on one axis until it is inside.
    field.Ship().StopAt(CPoint2D(630.0, 470.0));
    for (const double x : {627.0, 624.0}) {
        field.Update(CMD_NONE);
        ExpectAt(field.Ship().Position(), x, 470.0, 0.0);
    }
    field.Update(CMD_NONE);
    ExpectAt(field.Ship().Position(), 624.0, 467.0, 0.0);

    // Exactly 15 from an edge is still inside: nothing happens.
    field.Ship().StopAt(CPoint2D(15.0, 465.0));
    field.Update(CMD_NONE);
    ExpectAt(field.Ship().Position(), 15.0, 465.0, 0.0);
}

TEST_F(FieldTest, AsteroidsWrapBeyondThirtyPixelsKeepingTheirVelocity)
{
    CAsteroidField field(m_screen);
    field.AddAsteroid();
    field.AddAsteroid();
    CAsteroid& first = field.Asteroid(0);
    CAsteroid& second = field.Asteroid(1);
    first.StopAt(CPoint2D(-30.0, 100.0)); // exactly -30: stays
    second.LaunchFrom(CPoint2D(-29.0, 50.0), CVector2D(60.0, PI, HALF_PI));
    m_clock.Advance(1000); // second at x = -89
    field.Update(CMD_NONE);
    ExpectAt(first.Position(), -30.0, 100.0, 0.0);
    ExpectAt(second.Position(), WIDTH + 30.0, 50.0, 1e-6);
    EXPECT_NEAR(second.Speed(), 60.0, 1e-9);
    m_clock.Advance(1000);
    ExpectAt(second.Position(), WIDTH - 30.0, 50.0, 1e-6);

    first.StopAt(CPoint2D(-30.5, 100.0));
    field.Update(CMD_NONE);
    ExpectAt(first.Position(), WIDTH + 30.0, 100.0, 0.0);

    // Beyond a corner: one axis per pass.
    first.StopAt(CPoint2D(WIDTH + 31.0, HEIGHT + 31.0));
    field.Update(CMD_NONE);
    ExpectAt(first.Position(), -30.0, HEIGHT + 31.0, 0.0);
    field.Update(CMD_NONE);
    ExpectAt(first.Position(), -30.0, -30.0, 0.0);
    first.StopAt(CPoint2D(100.0, -31.0));
    field.Update(CMD_NONE);
    ExpectAt(first.Position(), 100.0, HEIGHT + 30.0, 0.0);
}

TEST_F(FieldTest, HitEndsGameButRestOfPassStillRuns)
{
    CAsteroidField field(m_screen);
    field.AddAsteroid();
    field.Asteroid(0) = CAsteroid(CPoint2D(40.0, 240.0)); // lobes placed here
    field.Ship().StopAt(CPoint2D(10.0, 240.0));           // 15 from lobe 3's centre
    field.Update(CMD_TURN_RIGHT);
    EXPECT_TRUE(field.IsOver());
    ExpectAt(field.Ship().Position(), 13.0, 240.0, 0.0);              // still contained
    EXPECT_NEAR(field.Ship().Heading(), HALF_PI - QUARTER_PI, 1e-12); // command applied
    // Drawn without the ship; the asteroid is drawn.
    EXPECT_EQ(CountPixels(0xFFFFFF), 0);
    EXPECT_EQ(CountPixels(NO_COLOUR), 0);
    EXPECT_GT(CountPixels(0xAAAAAA), 100);

    field.Reset();
    EXPECT_FALSE(field.IsOver());
    EXPECT_EQ(field.Launched(), 0);
    ExpectAt(field.Ship().Position(), 320.0, 240.0, 0.0);
    EXPECT_DOUBLE_EQ(field.Ship().Heading(), HALF_PI);
    field.Draw();
    EXPECT_EQ(CountPixels(0xAAAAAA), 0);
    EXPECT_GT(CountPixels(0xFFFFFF), 0);
}

TEST_F(FieldTest, PausedFieldIsFrozenAndRedrawsTheSameFrame)
{
    CAsteroidField field(m_screen);
    field.AddAsteroid();
    field.Update(CMD_FORWARD);
    m_clock.Advance(300);
    CTimer::Pause();
    field.Update(CMD_NONE);
    const CPoint2D ship = field.Ship().Position();
    const CPoint2D rock = field.Asteroid(0).Position();
    std::vector<PixelType> frame(m_screen.GetPixels(), m_screen.GetPixels() + WIDTH * HEIGHT);
    m_clock.Advance(5000);
    field.Update(CMD_NONE);
    ExpectAt(field.Ship().Position(), ship.Xd(), ship.Yd(), 0.0);
    ExpectAt(field.Asteroid(0).Position(), rock.Xd(), rock.Yd(), 0.0);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), m_screen.GetPixels()));
    CTimer::Resume();
}

TEST_F(FieldTest, GameHandlesPauseQuitAndPassesOtherCommands)
{
    CAsteroidField field(m_screen);
    CGame game;
    game.HandleCommand(CMD_TURN_LEFT, field);
    EXPECT_NEAR(field.Ship().Heading(), HALF_PI + QUARTER_PI, 1e-12);

    game.HandleCommand(CMD_PAUSE, field);
    EXPECT_TRUE(CTimer::IsPaused());
    game.HandleCommand(CMD_TURN_LEFT, field); // dropped while paused
    EXPECT_NEAR(field.Ship().Heading(), HALF_PI + QUARTER_PI, 1e-12);
    game.HandleCommand(CMD_PAUSE, field);
    EXPECT_FALSE(CTimer::IsPaused());

    EXPECT_FALSE(game.QuitRequested());
    game.HandleCommand(CMD_QUIT, field);
    EXPECT_TRUE(game.QuitRequested());
    game.HandleCommand(CMD_HELP, field);
    game.HandleCommand(CMD_NONE, field);
    EXPECT_NEAR(field.Ship().Heading(), HALF_PI + QUARTER_PI, 1e-12);
}

TEST(GameScore, WholeSecondsRoundedHalfUpTimesHundredWithoutPausedTime)
{
    FakeClock clock;
    CGame game;
    clock.Advance(12490);
    EXPECT_EQ(game.Score(), 1200);
    clock.Advance(10);
    EXPECT_EQ(game.Score(), 1300);
    game.Reset();
    clock.Advance(300);
    EXPECT_EQ(game.Score(), 0);
    CTimer::Pause();
    clock.Advance(60000);
    CTimer::Resume();
    clock.Advance(200);
    EXPECT_EQ(game.Score(), 100);
}
