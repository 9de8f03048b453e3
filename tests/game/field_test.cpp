#include "game/casteroidfield.h"
#include "game/commands.h"
#include "render/cscreen.h"
#include "support/fakeclock.h"
#include "support/pixels.h"
#include "util/handyfunctions.h"
#include "util/randomint.h"

namespace {
// An odd size: the ship starts at (320, 240), the halves rounded down.
constexpr int WIDTH = 641, HEIGHT = 481, N = CAsteroidField::NUM_ASTEROIDS;
using Ranges = std::vector<std::pair<int, int>>;
// A ship at (320, 240) comes closer than 30 to a lobe of an asteroid at (x, y).
bool NearShip(int x, int y)
{
    for (const auto& [dx, dy] : {std::pair{0, 15}, {15, 0}, {0, -15}, {-15, 0}})
        if (std::hypot(x + dx - 320, y + dy - 240) < 30)
            return true;
    return false;
}
class FieldTest : public ::testing::Test
{
protected:
    FieldTest() : m_screen("field", WIDTH, HEIGHT, 0, false)
    {
        MakePicture(m_background, WIDTH, HEIGHT, Pattern), m_screen.SetBackground(m_background);
    }
    // Making a generator reseeds the shared sequence: all are made before the snapshot.
    static RandomGeneratorState WarmedUp(CScreen& screen)
    {
        const CAsteroidField warmUp(screen);
        RandomVector(50.0, 100.0, 0.0, 1.0);
        return SharedRandomState();
    }
    Picture Drawn() const { return Unlike(m_screen, Pattern); }
    // Draws again from the generator state as it was, with ranges low..high in turn.
    std::vector<int> Redraw(const RandomGeneratorState& from, const Ranges& ranges)
    {
        const RandomGeneratorState now = std::exchange(SharedRandomState(), from);
        std::vector<int> drawn;
        for (const auto& [low, high] : ranges)
            drawn.push_back((m_reference.SetRange(low, high), m_reference.Next()));
        return SharedRandomState() = now, drawn;
    }
    void Place(CBody2D& body, double x, double y)
    {
        body.StopAt(CPoint2D(x, y)), m_field.Update(CMD_NONE);
    }
    FakeClock m_clock;
    CImageRecord m_background;
    CScreen m_screen;
    RandomInt m_reference;
    RandomGeneratorState m_before = WarmedUp(m_screen);
    CAsteroidField m_field{m_screen};
};
} // namespace
TEST_F(FieldTest, NewAndResetFieldsPlaceEveryAsteroidYFirstAndShowOnlyTheShip)
{
    Ranges places;
    for (int i = 0; i < N; ++i)
        places.insert(places.end(), {{1, HEIGHT + 1}, {1, WIDTH + 1}});
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(m_field.IsOver() || m_field.Ship().IsMoving() || m_field.Launched() != 0);
        const std::vector<int> drawn = Redraw(m_before, places);
        for (int i = 0; i < N; ++i)
            ExpectNear(m_field.Asteroid(i).Position(), drawn[2 * i + 1], drawn[2 * i], 0.0);
        m_field.Update(CMD_TURN_LEFT); // the frame shows the command's effect, the ship only
        EXPECT_EQ(Drawn(), ShipPicture(CPoint2D(320, 240), HALF_PI + QUARTER_PI));
        // A game later, turned, flying, hit and with asteroids in play: a reset starts anew.
        m_field.AddAsteroid(), m_field.Update(CMD_FORWARD), m_clock.Advance(500);
        m_field.Ship().MarkDestroyed(), m_before = SharedRandomState(), m_field.Reset();
    }
}
TEST_F(FieldTest, WavesLaunchTheSlotsInTurnAndTheEleventhIsIgnored)
{
    // A slot whose place is on the ship is put elsewhere, y first, until clear of it, at rest.
    m_field.Asteroid(0) = CAsteroid(CPoint2D(330.0, 240.0));
    std::vector<bool> moving(N, false);
    Ranges launch = {{0, 6283}, {50, 100}};
    for (int i = 0; i < 20; ++i)
        launch.insert(launch.end(), {{1, HEIGHT + 1}, {1, WIDTH + 1}});
    for (int wave = 1; wave <= N + 1; ++wave) {
        SCOPED_TRACE(wave);
        const RandomGeneratorState before = SharedRandomState();
        const CPoint2D place = m_field.Asteroid(std::min(wave, N) - 1).Position();
        m_field.AddAsteroid();
        EXPECT_EQ(m_field.Launched(), std::min(wave, N));
        if (wave > N) { // no slot launched and no number drawn
            EXPECT_EQ(std::memcmp(&before, &SharedRandomState(), sizeof before), 0);
            break;
        }
        const std::vector<int> d = Redraw(before, launch);
        const CAsteroid& slot = m_field.Asteroid(wave - 1);
        moving[wave - 1] = !NearShip(place.X(), place.Y());
        std::size_t i = 2;
        while (!moving[wave - 1] && NearShip(d[i + 1], d[i]))
            i += 2;
        // Direction in thousandths of a radian first, then the whole speed.
        const double direction = d[0] / 1000.0, speed = moving[wave - 1] ? d[1] : 0;
        const CPoint2D start = moving[wave - 1] ? place : CPoint2D(d[i + 1], d[i]);
        m_clock.Advance(100);
        for (int k = 0; k < N; ++k)
            EXPECT_EQ(m_field.Asteroid(k).IsMoving(), moving[k]) << k;
        EXPECT_NEAR(slot.Velocity().Direction(), speed > 0 ? direction : 1.5 * PI, 1e-9);
        ExpectNear(slot.Position(), start.Xd() + speed * 0.1 * std::cos(direction),
                   start.Yd() + speed * 0.1 * std::sin(direction));
    }
}
TEST(SmallField, AWaveWithNoPlaceClearOfTheShipIsGivenUp)
{
    const FakeClock clock;
    CScreen screen("small", 20, 20, 0, false);
    CAsteroidField field(screen);
    field.AddAsteroid();
    EXPECT_FALSE(field.Launched() != 0 || field.Asteroid(0).IsMoving());
}
TEST_F(FieldTest, ShipIsHeldInsideOneAxisPerPassWhileAsteroidsWrapBeyondThirtyPixels)
{
    for (const int command : {CMD_TURN_LEFT, CMD_TURN_LEFT, CMD_FORWARD}) // 150 px/s to the left
        m_field.Update(command);
    m_clock.Advance(2000), m_field.Update(CMD_NONE); // x = 20: still free
    EXPECT_TRUE(m_field.Ship().IsMoving());
    m_clock.Advance(40), m_field.Update(CMD_NONE); // x = 14: stopped and pushed 3 pixels back
    EXPECT_FALSE(m_field.Ship().IsMoving());
    ExpectNear(m_field.Ship().Position(), 17.0, 240.0);
    // Start, then after each of three passes: 15 in is inside, x before y, a corner takes two.
    const double ship[][8] = {{14, 14, 17, 14, 17, 17, 17, 17},
                              {630, 470, 627, 470, 624, 470, 624, 467},
                              {14, 467, 17, 467, 17, 464, 17, 464},
                              {627, 14, 624, 14, 624, 17, 624, 17},
                              {100, 14.5, 100, 17.5, 100, 17.5, 100, 17.5},
                              {15, 466, 15, 466, 15, 466, 15, 466},
                              {626, 15, 626, 15, 626, 15, 626, 15}};
    for (const auto& s : ship)
        for (int i = 2; i < 8; i += 2) {
            Place(m_field.Ship(), s[i - 2], s[i - 1]);
            ExpectNear(m_field.Ship().Position(), s[i], s[i + 1], 0.0);
        }
    for (const auto& [x, y] : {std::pair{15, 300}, {626, 300}, {100, 15}, {100, 466}}) {
        m_field.Ship().StopAt(CPoint2D(x, y)), m_field.Ship().Command(CMD_FORWARD);
        m_field.Update(CMD_NONE); // right at the border a flying ship is not stopped
        EXPECT_TRUE(m_field.Ship().IsMoving()) << x << "," << y;
    }
    m_field.AddAsteroid(), m_field.AddAsteroid();
    CAsteroid &first = m_field.Asteroid(0), &second = m_field.Asteroid(1);
    second.LaunchFrom(CPoint2D(-29.0, 50.0), CVector2D(60.0, PI + 0.5, HALF_PI));
    const double dx = 60 * std::cos(PI + 0.5), dy = 60 * std::sin(PI + 0.5);
    m_clock.Advance(1000), Place(first, -30.0, 100.0); // second at x = -29 + dx, beyond -30
    ExpectNear(second.Position(), WIDTH + 30.0, 50.0 + dy);
    m_clock.Advance(1000); // on with the same velocity
    ExpectNear(second.Position(), WIDTH + 30.0 + dx, 50.0 + 2 * dy);
    // Start and place after one pass: x before y, strictly beyond 30 only.
    const double W = WIDTH, H = HEIGHT,
                 asteroid[][4] = {{-30, 100, -30, 100},       {-30.5, 100, W + 30, 100},
                                  {W + 30, 100, W + 30, 100}, {W + 31, H + 31, -30, H + 31},
                                  {-30, H + 31, -30, -30},    {100, H + 30, 100, H + 30},
                                  {100, -31, 100, H + 30},    {100, -30, 100, -30}};
    for (const auto& [x, y, toX, toY] : asteroid) {
        Place(first, x, y);
        ExpectNear(first.Position(), toX, toY, 0.0);
    }
}
// Launched asteroids are drawn over the ship; after a hit the rest of the pass still runs.
TEST_F(FieldTest, PicturesShowTheShipUnderTheAsteroidsAndAHitEndsTheGame)
{
    m_field.AddAsteroid();
    m_field.Asteroid(0) = CAsteroid(CPoint2D(100.0, 100.0));
    m_field.Asteroid(1) = CAsteroid(CPoint2D(330.0, 255.0)); // not in play: it hits nothing
    m_field.Ship().StopAt(CPoint2D(300.0, 240.0)), m_field.Update(CMD_NONE);
    EXPECT_FALSE(m_field.IsOver());
    Picture ship = ShipPicture(CPoint2D(300, 240), HALF_PI), expected = ship;
    Paint(expected, AsteroidPixels(CPoint2D(100, 100)), 0xAAAAAA);
    EXPECT_EQ(Drawn(), expected);
    m_field.Asteroid(0) = CAsteroid(CPoint2D(330.0, 255.0)); // over the ship's guard
    m_field.Draw(), Paint(ship, AsteroidPixels(CPoint2D(330, 255)), 0xAAAAAA);
    EXPECT_EQ(Drawn(), ship);
    m_field.Asteroid(0) = CAsteroid(CPoint2D(40.0, 240.0));
    m_field.Ship().StopAt(CPoint2D(10.0, 240.0)), m_field.Update(CMD_TURN_RIGHT); // 15 from lobe 3
    EXPECT_TRUE(m_field.IsOver());
    ExpectNear(m_field.Ship().Position(), 13.0, 240.0, 0.0);
    EXPECT_NEAR(m_field.Ship().Heading(), HALF_PI - QUARTER_PI, 1e-12);
    expected.clear(),
        Paint(expected, Fit(AsteroidPixels(CPoint2D(40, 240)), WIDTH, HEIGHT, false), 0xAAAAAA);
    EXPECT_EQ(Drawn(), expected);
}
