// Start-up time of the real game: from starting the process to the banner
// and name prompt on its standard output, with the dummy video driver and
// the game's own pictures. Prints the median and the spread of 21 runs.
//
// Run: ./build/bench/bench_startup

#include "support/child.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <vector>

int main()
{
    constexpr int RUNS = 21;
    std::vector<double> seconds;
    for (int run = 0; run < RUNS; ++run) {
        ChildProcess game;
        ChildOptions options;
        options.argv = {QV_GAME_BINARY};
        options.cwd = QV_BINARY_DIR; // where the build put the pictures
        options.env = {"SDL_VIDEODRIVER=dummy"};
        const auto start = std::chrono::steady_clock::now();
        if (!game.Start(options) || !game.WaitForOutput("Please enter your name", 10000)) {
            std::fprintf(stderr, "the game did not show its banner: %s\n", game.Error().c_str());
            return 1;
        }
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        game.Signal(SIGTERM);
        game.WaitExit(10000);
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("Start-up to the banner over %d runs: median %.3f s, fastest %.3f s, slowest "
                "%.3f s  (goal: under 0.2 s)\n",
                RUNS, seconds[RUNS / 2], seconds.front(), seconds.back());
    return 0;
}
