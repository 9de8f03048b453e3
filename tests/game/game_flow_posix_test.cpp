#include "game/casteroidfield.h"
#include "game/cgame.h"
#include "game/cplayer.h"
#include "image/cimagerecord.h"
#include "platform/terminal.h"
#include "render/cscreen.h"
#include "support/child.h"
#include "util/ctimer.h"
#include "util/randomint.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

// Each read moves the clock 1 ms on (4 s when paused) and queues the keys due as window keys.
static long g_now = 0;
static std::vector<std::pair<long, const char*>> g_typed;
static const CAsteroidField* g_field = nullptr;
static std::vector<std::pair<long, int>> g_inPlay; // each change of the number of asteroids in play
static long ScriptedClock()
{
    g_now += CTimer::IsPaused() ? 4000 : 1;
    for (; !g_typed.empty() && g_typed.front().first <= g_now; g_typed.erase(g_typed.begin()))
        for (const char* key = g_typed.front().second; *key != '\0'; ++key)
            TerminalQueueKey(*key);
    if (g_now > 60000 || g_field->IsOver() || g_field->Ship().Position().X() != 512 ||
        g_field->Ship().Position().Y() != 384)
        _exit(3); // a run that never ends, a hit, or moved though only steered while paused
    if (g_inPlay.empty() || g_inPlay.back().second != g_field->Launched())
        g_inPlay.emplace_back(g_now, g_field->Launched());
    return g_now;
}
static std::string Report(int score, int highScore)
{
    return "\a\a\a\aGood Job, Ann !\nGame Over!\nYour Score this Game was: " +
           std::to_string(score) + "\nYour High Score is:  " + std::to_string(highScore) +
           "\nWould you like to play again (Y/N)?: \n";
}
// Game one: paused 4 s from 5 s ('w' meanwhile dropped), paused and quit at 18.6 s; game two quit
// 0.55 s in (score 1). Waves (every 10 s) and scores count unpaused time; game two starts anew.
TEST(GameFlow, TwoGamesWithAPauseAndASecondWave)
{
    const ChildRun run = RunChild(
        "",
        []() {
            g_typed = {{0, "Ann\r"}, {5000, "pwp"}, {18600, "pky"}, {26150, "kn"}};
            for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"})
                unsetenv(name); // no window, whose presents would pace the passes
            CImageRecord picture;
            picture.Create(1024, 768, 24, IMAGE_FORMAT_BMP);
            CScreen screen("flow", picture, false);
            const RandomInt seed(2); // places and speeds that keep the ship unhit
            CAsteroidField field(screen);
            CPlayer player("no name");
            g_field = &field;
            SetProcessClockSource(&ScriptedClock);
            CGame().Play(player, field);
            // Each change in the number in play, timed (to 50 ms below) from the change named in
            // from, or from the start (-1).
            const int from[] = {0, -1, 1, -1, 3};
            for (size_t i = 0; i < g_inPlay.size(); ++i) {
                const long start = i > 4 || from[i] < 0 ? 0 : g_inPlay[from[i]].first;
                std::cerr << g_inPlay[i].second << "@" << (g_inPlay[i].first - start) / 50 * 50
                          << " ";
            }
            std::exit(CTimer::IsPaused() ? 1 : 0);
        },
        ChildInput::OpenPipe);
    EXPECT_EQ(run.exitCode, 0) << "1: the clock is left paused, 3: see ScriptedClock";
    EXPECT_EQ(run.report, "quorvadellix: warning: cannot open the graphics window (no graphics "
                          "display: neither DISPLAY nor WAYLAND_DISPLAY is set); the game goes on "
                          "in the terminal without it\n0@0 1@3000 2@14000 0@22600 1@3000 ");
    // What follows each game's bells, up to the next help menu.
    std::string ends;
    for (size_t at = run.output.find('\a'); at != std::string::npos;
         at = run.output.find('\a', run.output.find('\n', at)))
        ends += run.output.substr(at, run.output.find(TERMINAL_CLEAR_SEQUENCE, at) - at);
    EXPECT_EQ(ends, Report(1200, 1200) + "Game will restart in 3 seconds \n" + Report(100, 1200));
}
