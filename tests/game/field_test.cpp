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
#include <vector>

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

// A dark gradient: green from the column, blue from the row.
PixelType BackgroundColour(int col, int row)
{
    return ((col % 64) << 8) | (row % 100);
}

void ExpectAt(CPoint2D p, double x, double y, double tolerance = 1e-6)
{
    EXPECT_NEAR(p.Xd(), x, tolerance);
    EXPECT_NEAR(p.Yd(), y, tolerance);
}

class FieldTest : public ::testing::Test
{
protected:
    FieldTest() : m_screen("field", WIDTH, HEIGHT, 0, false)
    {
        m_background.Create(WIDTH, HEIGHT, 24, IMAGE_FORMAT_BMP);
        for (int row = 0; row < HEIGHT; ++row) {
            BYTE* line = m_background.GetBits() + row * m_background.GetEffWidth();
            for (int col = 0; col < WIDTH; ++col) {
                line[3 * col] = static_cast<BYTE>(BackgroundColour(col, row));
                line[3 * col + 1] = static_cast<BYTE>(BackgroundColour(col, row) >> 8);
            }
        }
        m_screen.SetBackground(m_background);
    }

    int Count(PixelType colour) const { return CountPixels(m_screen, colour); }

    FakeClock m_clock;
    CImageRecord m_background;
    CScreen m_screen;
};

} // namespace

TEST_F(FieldTest, FreshFieldShowsBackgroundAndShipOnly)
{
    CAsteroidField field(m_screen);
    EXPECT_FALSE(field.IsOver());
    EXPECT_EQ(field.Launched(), 0);
    ExpectAt(field.Ship().Position(), 320.0, 240.0, 0.0);
    for (int i = 0; i < CAsteroidField::NUM_ASTEROIDS; ++i) {
        // Whole numbers from 1 to one past the far edge, at rest.
        const CPoint2D p = field.Asteroid(i).Position();
        EXPECT_TRUE(p.Xd() >= 1 && p.Xd() <= WIDTH + 1 && p.Yd() >= 1 && p.Yd() <= HEIGHT + 1);
        EXPECT_EQ(p.Xd(), std::floor(p.Xd()));
        EXPECT_FALSE(field.Asteroid(i).IsMoving());
    }
    field.Draw();
    EXPECT_EQ(Count(0xAAAAAA), 0);
    EXPECT_EQ(m_screen.GetPixel(315, 235), 0xFFFFFF);
    EXPECT_EQ(m_screen.GetPixel(10, 20), BackgroundColour(10, 20));
    EXPECT_EQ(m_screen.GetPixel(639, 479), BackgroundColour(639, 479));
}

TEST_F(FieldTest, PlacesDrawYBeforeX)
{
    CAsteroidField warmUp(m_screen); // builds the field's own generators
    RandomInt reference(777);
    int drawn[4];
    for (int i = 0; i < 4; ++i) {
        reference.SetRange(1, (i % 2 == 0 ? HEIGHT : WIDTH) + 1);
        drawn[i] = reference.Next();
    }
    RandomInt reseed(777);
    CAsteroidField field(m_screen);
    ExpectAt(field.Asteroid(0).Position(), drawn[1], drawn[0], 0.0);
    ExpectAt(field.Asteroid(1).Position(), drawn[3], drawn[2], 0.0);
}

TEST_F(FieldTest, WavesLaunchTheSlotsInTurnAndTheEleventhChangesNothing)
{
    CAsteroidField field(m_screen);
    // An asteroid whose place overlaps the ship is put elsewhere, at rest.
    field.Asteroid(0) = CAsteroid(CPoint2D(330.0, 240.0));
    for (int wave = 1; wave <= CAsteroidField::NUM_ASTEROIDS; ++wave) {
        field.AddAsteroid();
        EXPECT_EQ(field.Launched(), wave);
        const CAsteroid& asteroid = field.Asteroid(wave - 1);
        EXPECT_FALSE(asteroid.IsHit(field.Ship()));
        if (asteroid.IsMoving()) {
            EXPECT_TRUE(asteroid.Speed() > 50.0 - 1e-9 && asteroid.Speed() < 100.0 + 1e-9);
            EXPECT_NEAR(asteroid.Speed(), std::round(asteroid.Speed()), 1e-9);
        }
    }
    EXPECT_FALSE(field.Asteroid(0).IsMoving());
    const CPoint2D place = field.Asteroid(0).Position();
    m_clock.Advance(5000);
    ExpectAt(field.Asteroid(0).Position(), place.Xd(), place.Yd(), 0.0);

    const RandomGeneratorState before = SharedRandomState();
    field.AddAsteroid();
    EXPECT_EQ(field.Launched(), CAsteroidField::NUM_ASTEROIDS);
    EXPECT_EQ(std::memcmp(&before, &SharedRandomState(), sizeof before), 0);
}

TEST_F(FieldTest, ShipIsHeldInsideOneAxisPerPass)
{
    CAsteroidField field(m_screen);
    field.Update(CMD_TURN_LEFT);
    field.Update(CMD_TURN_LEFT);
    field.Update(CMD_FORWARD); // 150 px/s to the left
    m_clock.Advance(2000);     // x = 20: still free
    field.Update(CMD_NONE);
    EXPECT_TRUE(field.Ship().IsMoving());
    m_clock.Advance(40); // x = 14: stopped and pushed 3 pixels back
    field.Update(CMD_NONE);
    EXPECT_FALSE(field.Ship().IsMoving());
    ExpectAt(field.Ship().Position(), 17.0, 240.0);
    field.Update(CMD_FORWARD); // flown left again: stopped again
    m_clock.Advance(20);
    field.Update(CMD_NONE);
    ExpectAt(field.Ship().Position(), 17.0, 240.0);

    const struct
    {
        CPoint2D start;
        double after[3][2];
    } cases[] = {
        {CPoint2D(14, 14), {{17, 14}, {17, 17}, {17, 17}}}, // a corner: two passes
        {CPoint2D(630, 470), {{627, 470}, {624, 470}, {624, 467}}},
        {CPoint2D(15, 465), {{15, 465}, {15, 465}, {15, 465}}}, // exactly 15 in: inside
    };
    for (const auto& c : cases) {
        field.Ship().StopAt(c.start);
        for (const auto& expected : c.after) {
            field.Update(CMD_NONE);
            ExpectAt(field.Ship().Position(), expected[0], expected[1], 0.0);
        }
    }
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
    ExpectAt(second.Position(), WIDTH + 30.0, 50.0);
    m_clock.Advance(1000);
    ExpectAt(second.Position(), WIDTH - 30.0, 50.0);

    const struct
    {
        CPoint2D start;
        CPoint2D after;
    } cases[] = {
        {CPoint2D(-30.5, 100), CPoint2D(WIDTH + 30, 100)},
        {CPoint2D(WIDTH + 31, HEIGHT + 31), CPoint2D(-30, HEIGHT + 31)}, // x first
        {CPoint2D(-30, HEIGHT + 31), CPoint2D(-30, -30)},                // then y
        {CPoint2D(100, -31), CPoint2D(100, HEIGHT + 30)},
    };
    for (const auto& c : cases) {
        first.StopAt(c.start);
        field.Update(CMD_NONE);
        ExpectAt(first.Position(), c.after.Xd(), c.after.Yd(), 0.0);
    }
}

TEST_F(FieldTest, HitEndsGameButRestOfPassRunsAndResetGivesFreshField)
{
    CAsteroidField field(m_screen);
    field.AddAsteroid();
    field.Asteroid(0) = CAsteroid(CPoint2D(40.0, 240.0));
    field.Ship().StopAt(CPoint2D(10.0, 240.0)); // 15 from lobe 3's centre
    field.Update(CMD_TURN_RIGHT);
    EXPECT_TRUE(field.IsOver());
    ExpectAt(field.Ship().Position(), 13.0, 240.0, 0.0);              // contained
    EXPECT_NEAR(field.Ship().Heading(), HALF_PI - QUARTER_PI, 1e-12); // steered
    EXPECT_EQ(Count(0xFFFFFF) + Count(NO_COLOUR), 0);                 // no ship drawn
    EXPECT_GT(Count(0xAAAAAA), 100);

    field.Reset();
    EXPECT_FALSE(field.IsOver());
    EXPECT_EQ(field.Launched(), 0);
    ExpectAt(field.Ship().Position(), 320.0, 240.0, 0.0);
    EXPECT_DOUBLE_EQ(field.Ship().Heading(), HALF_PI);
}

TEST_F(FieldTest, PausedFieldRedrawsTheSameFrame)
{
    CAsteroidField field(m_screen);
    field.AddAsteroid();
    field.Update(CMD_FORWARD);
    m_clock.Advance(300);
    CTimer::Pause();
    field.Update(CMD_NONE);
    const std::vector<PixelType> frame(m_screen.GetPixels(), m_screen.GetPixels() + WIDTH * HEIGHT);
    m_clock.Advance(5000);
    field.Update(CMD_NONE);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), m_screen.GetPixels()));
}

TEST_F(FieldTest, GameHandlesPauseAndQuitAndPassesOtherCommands)
{
    CAsteroidField field(m_screen);
    CGame game;
    game.HandleCommand(CMD_TURN_LEFT, field);
    game.HandleCommand(CMD_PAUSE, field);
    EXPECT_TRUE(CTimer::IsPaused());
    game.HandleCommand(CMD_TURN_LEFT, field); // dropped while paused
    game.HandleCommand(CMD_PAUSE, field);
    EXPECT_FALSE(CTimer::IsPaused());
    game.HandleCommand(CMD_HELP, field);
    game.HandleCommand(CMD_NONE, field);
    EXPECT_NEAR(field.Ship().Heading(), HALF_PI + QUARTER_PI, 1e-12);
    EXPECT_FALSE(game.QuitRequested());
    game.HandleCommand(CMD_QUIT, field);
    EXPECT_TRUE(game.QuitRequested());
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
