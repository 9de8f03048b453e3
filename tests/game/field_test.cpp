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

// An odd size: the ship starts at (320, 240), the halves rounded down.
constexpr int WIDTH = 641;
constexpr int HEIGHT = 481;

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
        CAsteroidField warmUp(m_screen); // makes the field's own generators before any snapshot
    }

    // The screen's pixels that differ from the background picture, with their colours.
    Picture Drawn() const
    {
        Picture drawn;
        for (int row = 0; row < HEIGHT; ++row)
            for (int col = 0; col < WIDTH; ++col)
                if (m_screen.GetPixel(col, row) != BackgroundColour(col, row))
                    drawn[{col, row}] = m_screen.GetPixel(col, row);
        return drawn;
    }

    // Draws from the generator state as it was, with ranges low..high in turn.
    std::vector<int> Redraw(const RandomGeneratorState& from, std::vector<std::pair<int, int>> ranges)
    {
        const RandomGeneratorState now = SharedRandomState();
        SharedRandomState() = from;
        std::vector<int> drawn;
        for (const auto& [low, high] : ranges) {
            m_reference.SetRange(low, high);
            drawn.push_back(m_reference.Next());
        }
        SharedRandomState() = now;
        return drawn;
    }

    FakeClock m_clock;
    CImageRecord m_background;
    CScreen m_screen;
    RandomInt m_reference;
};

// A ship at (320, 240) comes closer than 30 to a lobe of an asteroid at (x, y).
bool NearShip(int x, int y)
{
    for (const auto& [dx, dy] : {std::pair{0, 15}, {15, 0}, {0, -15}, {-15, 0}})
        if (CPoint2D(x + dx, y + dy).Distance(CPoint2D(320, 240)) < 30)
            return true;
    return false;
}

} // namespace

TEST_F(FieldTest, NewAndResetFieldsPlaceEveryAsteroidYFirstAndShowOnlyTheShip)
{
    std::vector<std::pair<int, int>> ranges;
    for (int i = 0; i < CAsteroidField::NUM_ASTEROIDS; ++i)
        ranges.insert(ranges.end(), {{1, HEIGHT + 1}, {1, WIDTH + 1}});
    RandomGeneratorState before = SharedRandomState();
    CAsteroidField field(m_screen);
    EXPECT_EQ(field.Bounds().MaxX() * 1000 + field.Bounds().MaxY(), WIDTH * 1000 + HEIGHT);
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(field.IsOver() || field.Ship().IsMoving());
        EXPECT_EQ(field.Launched(), 0);
        const std::vector<int> places = Redraw(before, ranges);
        for (int i = 0; i < CAsteroidField::NUM_ASTEROIDS; ++i) {
            ExpectAt(field.Asteroid(i).Position(), places[2 * i + 1], places[2 * i], 0.0);
            EXPECT_FALSE(field.Asteroid(i).IsMoving());
        }
        field.Draw();
        EXPECT_EQ(Drawn(), ShipPicture(CPoint2D(320, 240), HALF_PI));
        // A game later, turned, flying, hit and with asteroids in play: a reset starts anew.
        field.AddAsteroid();
        field.Update(CMD_TURN_LEFT);
        field.Update(CMD_FORWARD);
        m_clock.Advance(500);
        field.Ship().MarkDestroyed();
        before = SharedRandomState();
        field.Reset();
    }
}

TEST_F(FieldTest, WavesLaunchTheSlotsInTurnAndTheEleventhIsIgnored)
{
    CAsteroidField field(m_screen);
    // A slot whose place is on the ship is put elsewhere, y first, until clear of it, at rest.
    field.Asteroid(0) = CAsteroid(CPoint2D(330.0, 240.0));
    std::vector<bool> moving(CAsteroidField::NUM_ASTEROIDS, false);
    for (int wave = 1; wave <= CAsteroidField::NUM_ASTEROIDS + 1; ++wave) {
        SCOPED_TRACE(wave);
        const RandomGeneratorState before = SharedRandomState();
        const CPoint2D place = field.Asteroid(std::min(wave, 10) - 1).Position();
        field.AddAsteroid();
        EXPECT_EQ(field.Launched(), std::min(wave, CAsteroidField::NUM_ASTEROIDS));
        if (wave > CAsteroidField::NUM_ASTEROIDS) {
            EXPECT_EQ(std::memcmp(&before, &SharedRandomState(), sizeof before), 0);
            break;
        }
        std::vector<std::pair<int, int>> ranges = {{0, 6283}, {50, 100}};
        for (int i = 0; i < 20; ++i)
            ranges.insert(ranges.end(), {{1, HEIGHT + 1}, {1, WIDTH + 1}});
        const std::vector<int> drawn = Redraw(before, ranges);
        const CAsteroid& slot = field.Asteroid(wave - 1);
        moving[wave - 1] = !NearShip(place.X(), place.Y());
        std::size_t i = 2;
        while (!moving[wave - 1] && NearShip(drawn[i + 1], drawn[i]))
            i += 2;
        // Direction in thousandths of a radian first, then the whole speed.
        const double direction = drawn[0] / 1000.0, speed = drawn[1];
        const CPoint2D start = moving[wave - 1] ? place : CPoint2D(drawn[i + 1], drawn[i]);
        m_clock.Advance(100);
        for (int k = 0; k < CAsteroidField::NUM_ASTEROIDS; ++k)
            EXPECT_EQ(field.Asteroid(k).IsMoving(), moving[k]) << k;
        EXPECT_NEAR(slot.Speed(), moving[wave - 1] ? speed : 0.0, 1e-9);
        EXPECT_NEAR(slot.Velocity().Direction(), moving[wave - 1] ? direction : 1.5 * PI, 1e-9);
        ExpectAt(slot.Position(), start.Xd() + slot.Speed() * 0.1 * std::cos(direction),
                 start.Yd() + slot.Speed() * 0.1 * std::sin(direction));
    }
    EXPECT_FALSE(moving[0]);
}

TEST(SmallField, AWaveWithNoPlaceClearOfTheShipIsGivenUp)
{
    FakeClock clock;
    CScreen screen("small", 20, 20, 0, false);
    CAsteroidField field(screen);
    field.AddAsteroid();
    EXPECT_EQ(field.Launched(), 0);
    EXPECT_FALSE(field.Asteroid(0).IsMoving());
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
        double after[4][2];
    } cases[] = {
        {CPoint2D(14, 14), {{17, 14}, {17, 17}, {17, 17}, {17, 17}}}, // a corner: two passes
        {CPoint2D(630, 470), {{627, 470}, {624, 470}, {624, 467}, {624, 464}}},
        {CPoint2D(100, 14.5), {{100, 17.5}, {100, 17.5}, {100, 17.5}, {100, 17.5}}},
        {CPoint2D(15, 466), {{15, 466}, {15, 466}, {15, 466}, {15, 466}}}, // 15 in: inside
        {CPoint2D(626, 15), {{626, 15}, {626, 15}, {626, 15}, {626, 15}}},
    };
    for (const auto& c : cases) {
        field.Ship().StopAt(c.start);
        for (const auto& expected : c.after) {
            field.Update(CMD_NONE);
            ExpectAt(field.Ship().Position(), expected[0], expected[1], 0.0);
        }
    }
    // Right at the border a flying ship is not stopped.
    field.Ship().StopAt(CPoint2D(15, 300));
    field.Update(CMD_FORWARD);
    EXPECT_TRUE(field.Ship().IsMoving());
}

TEST_F(FieldTest, AsteroidsWrapBeyondThirtyPixelsKeepingTheirVelocity)
{
    CAsteroidField field(m_screen);
    field.AddAsteroid();
    field.AddAsteroid();
    CAsteroid& first = field.Asteroid(0);
    CAsteroid& second = field.Asteroid(1);
    first.StopAt(CPoint2D(-30.0, 100.0)); // exactly -30: stays
    second.LaunchFrom(CPoint2D(-29.0, 50.0), CVector2D(60.0, PI + 0.5, HALF_PI));
    m_clock.Advance(1000); // second at x = -29 - 60 cos(0.5)
    const double dx = 60 * std::cos(PI + 0.5), dy = 60 * std::sin(PI + 0.5);
    field.Update(CMD_NONE);
    ExpectAt(first.Position(), -30.0, 100.0, 0.0);
    ExpectAt(second.Position(), WIDTH + 30.0, 50.0 + dy);
    m_clock.Advance(1000);
    ExpectAt(second.Position(), WIDTH + 30.0 + dx, 50.0 + 2 * dy);

    const struct
    {
        CPoint2D start;
        CPoint2D after;
    } cases[] = {
        {CPoint2D(-30.5, 100), CPoint2D(WIDTH + 30, 100)},
        {CPoint2D(WIDTH + 30, 100), CPoint2D(WIDTH + 30, 100)},
        {CPoint2D(WIDTH + 31, HEIGHT + 31), CPoint2D(-30, HEIGHT + 31)}, // x first
        {CPoint2D(-30, HEIGHT + 31), CPoint2D(-30, -30)},                // then y
        {CPoint2D(100, HEIGHT + 30), CPoint2D(100, HEIGHT + 30)},
        {CPoint2D(100, -31), CPoint2D(100, HEIGHT + 30)},
    };
    for (const auto& c : cases) {
        first.StopAt(c.start);
        field.Update(CMD_NONE);
        ExpectAt(first.Position(), c.after.Xd(), c.after.Yd(), 0.0);
    }
}

TEST_F(FieldTest, HitEndsTheGameButTheRestOfThePassRuns)
{
    CAsteroidField field(m_screen);
    field.AddAsteroid();
    // Slot 1 is not in play: lying on the ship, it hits nothing.
    field.Asteroid(1) = CAsteroid(CPoint2D(320.0, 240.0));
    field.Update(CMD_NONE);
    EXPECT_FALSE(field.IsOver());
    field.Asteroid(0) = CAsteroid(CPoint2D(40.0, 240.0));
    field.Ship().StopAt(CPoint2D(10.0, 240.0)); // 15 from lobe 3's centre
    field.Update(CMD_TURN_RIGHT);
    EXPECT_TRUE(field.IsOver());
    ExpectAt(field.Ship().Position(), 13.0, 240.0, 0.0);              // contained
    EXPECT_NEAR(field.Ship().Heading(), HALF_PI - QUARTER_PI, 1e-12); // steered
    Picture asteroid;                                                 // drawn, without the ship
    Paint(asteroid, Fit(AsteroidPixels(CPoint2D(40, 240)), WIDTH, HEIGHT, false), 0xAAAAAA);
    EXPECT_EQ(Drawn(), asteroid);
}

TEST_F(FieldTest, PicturesComposeShipThenAsteroidsInSlotOrder)
{
    CAsteroidField field(m_screen);
    field.AddAsteroid();
    field.AddAsteroid();
    field.Asteroid(0) = CAsteroid(CPoint2D(100.0, 100.0));
    field.Asteroid(1) = CAsteroid(CPoint2D(350.0, 260.0)); // over the ship's guard
    field.Ship().StopAt(CPoint2D(300.0, 240.0));
    field.Draw();
    Picture expected = ShipPicture(CPoint2D(300, 240), HALF_PI);
    Paint(expected, AsteroidPixels(CPoint2D(100, 100)), 0xAAAAAA);
    Paint(expected, AsteroidPixels(CPoint2D(350, 260)), 0xAAAAAA);
    EXPECT_EQ(Drawn(), expected);
}

TEST_F(FieldTest, PausedTimeDoesNotCount)
{
    CAsteroidField field(m_screen);
    field.AddAsteroid();
    field.Update(CMD_FORWARD);
    m_clock.Advance(300);
    CTimer::Pause();
    field.Update(CMD_NONE);
    const std::vector<PixelType> frame(m_screen.GetPixels(), m_screen.GetPixels() + WIDTH * HEIGHT);
    const CPoint2D asteroid = field.Asteroid(0).Position();
    m_clock.Advance(5000);
    field.Update(CMD_NONE);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), m_screen.GetPixels()));
    CTimer::Resume();
    m_clock.Advance(100);
    ExpectAt(field.Ship().Position(), 320.0, 300.0);
    const CVector2D v = field.Asteroid(0).Velocity();
    ExpectAt(field.Asteroid(0).Position(), asteroid.Xd() + 0.1 * v.X(), asteroid.Yd() + 0.1 * v.Y());
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
    CTimer::Pause();
    clock.Advance(60000);
    CTimer::Resume();
    clock.Advance(200);
    EXPECT_EQ(game.Score(), 0);
}
