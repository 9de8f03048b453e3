#include "game/casteroidfield.h"
#include "game/commands.h"
#include "image/cimagerecord.h"
#include "render/cscreen.h"
#include "support/fakeclock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

// Resident memory of this process in bytes.
long ResidentBytes()
{
    long pages = 0;
    long resident = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) {
        return -1;
    }
    const int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
    std::fclose(statm);
    return read == 2 ? resident * sysconf(_SC_PAGESIZE) : -1;
}

} // namespace

// One hour of game time in steps of 20 ms, ten asteroids flying, the ship
// steered by a repeating pattern of commands; a hit starts the next game as
// the game loop does. Nothing may escape its bounds, and memory must not grow.
TEST(Soak, OneHourOfGameTimeStaysInBoundsWithoutGrowingMemory)
{
    constexpr int WIDTH = 320;
    constexpr int HEIGHT = 240;
    constexpr long STEP_MS = 20; // a pass at 50 frames per second
    constexpr long HOUR_MS = 3600L * 1000L;
    // A body moves at most 150 px/s, so 15 px per step.
    constexpr double STEP_REACH = 150.0 * STEP_MS / 1000.0;

    FakeClock clock;
    CImageRecord picture;
    picture.Create(WIDTH, HEIGHT, 24, IMAGE_FORMAT_BMP);
    CScreen screen("soak", picture, false);
    CAsteroidField field(screen);

    const int pattern[] = {CMD_FORWARD, CMD_NONE,      CMD_NONE, CMD_TURN_LEFT, CMD_NONE,
                           CMD_FORWARD, CMD_NONE,      CMD_NONE, CMD_NONE,      CMD_TURN_RIGHT,
                           CMD_HELP,    CMD_TURN_LEFT, CMD_NONE, CMD_BRAKE,     CMD_NONE};
    const int patternLength = static_cast<int>(sizeof pattern / sizeof pattern[0]);

    auto startGame = [&field] {
        field.Reset();
        for (int i = 0; i < CAsteroidField::NUM_ASTEROIDS; ++i) {
            field.AddAsteroid();
        }
    };
    startGame();

    int games = 1;
    long residentAfterWarmUp = 0;
    const long steps = HOUR_MS / STEP_MS;
    for (long step = 0; step < steps; ++step) {
        clock.Advance(STEP_MS);
        field.Update(pattern[step % patternLength]);

        const CPoint2D ship = field.Ship().Position();
        ASSERT_GE(ship.Xd(), 0.0) << step;
        ASSERT_LE(ship.Xd(), WIDTH) << step;
        ASSERT_GE(ship.Yd(), 0.0) << step;
        ASSERT_LE(ship.Yd(), HEIGHT) << step;
        for (int i = 0; i < field.Launched(); ++i) {
            const CPoint2D p = field.Asteroid(i).Position();
            const double margin = CAsteroidField::WRAP_MARGIN + 2 * STEP_REACH;
            ASSERT_GE(p.Xd(), -margin) << step;
            ASSERT_LE(p.Xd(), WIDTH + margin) << step;
            ASSERT_GE(p.Yd(), -margin) << step;
            ASSERT_LE(p.Yd(), HEIGHT + margin) << step;
        }
        if (field.IsOver()) {
            startGame();
            ++games;
        }
        if (step == 1000) {
            residentAfterWarmUp = ResidentBytes();
        }
    }
    EXPECT_GT(games, 1);
    const long growth = ResidentBytes() - residentAfterWarmUp;
    EXPECT_LT(growth, 4L * 1024 * 1024) << "resident memory grew by " << growth << " bytes";
}
