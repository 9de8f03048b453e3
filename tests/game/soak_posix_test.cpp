#include "game/casteroidfield.h"
#include "game/commands.h"
#include "image/cimagerecord.h"
#include "render/cscreen.h"
#include "support/fakeclock.h"

#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

static long ResidentBytes()
{
    long pages = 0, resident = -1;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}
// Ten minutes of game time in 50 ms passes, an eleventh wave on every field, the ship steered by
// a repeating pattern, a new game after every hit: nothing leaves its bounds, memory stays.
TEST(Soak, TenMinutesOfGameTimeStayInBoundsWithoutGrowingMemory)
{
    constexpr int WIDTH = 320, HEIGHT = 240;
    constexpr long STEP_MS = 50;
    constexpr double MARGIN = CAsteroidField::WRAP_MARGIN + 2 * 150.0 * STEP_MS / 1000.0;
    FakeClock clock;
    CImageRecord picture;
    picture.Create(WIDTH, HEIGHT, 24, IMAGE_FORMAT_BMP);
    CScreen screen("soak", picture, false);
    CAsteroidField field(screen);
    const int pattern[] = {CMD_FORWARD, CMD_NONE, CMD_TURN_LEFT, CMD_NONE,       CMD_FORWARD,
                           CMD_NONE,    CMD_NONE, CMD_HELP,      CMD_TURN_RIGHT, CMD_BRAKE};
    int games = 0;
    long residentAfterWarmUp = 0;
    for (long step = 0; step < 600L * 1000L / STEP_MS; ++step) {
        if (step == 0 || field.IsOver()) {
            field.Reset();
            for (int i = 0; i <= CAsteroidField::NUM_ASTEROIDS; ++i)
                field.AddAsteroid();
            ++games;
        }
        clock.Advance(STEP_MS);
        field.Update(pattern[step % (sizeof pattern / sizeof pattern[0])]);
        for (int i = -1; i < field.Launched(); ++i) { // the ship, held inside, then the asteroids
            const CPoint2D p = i < 0 ? field.Ship().Position() : field.Asteroid(i).Position();
            const double margin = i < 0 ? 0.0 : MARGIN;
            ASSERT_TRUE(p.Xd() >= -margin && p.Xd() <= WIDTH + margin && p.Yd() >= -margin &&
                        p.Yd() <= HEIGHT + margin)
                << step << ": " << i;
        }
        if (step == 500)
            residentAfterWarmUp = ResidentBytes();
    }
    EXPECT_GT(games, 1);
    EXPECT_LT(ResidentBytes() - residentAfterWarmUp, 1024L * 1024);
}
