// Start-up time of the real game: from starting the process to the banner
// and name prompt on its standard output, with the dummy video driver and
// the game's own pictures. Prints the median and the spread of 21 runs.
//
// Run: ./build/bench/bench_startup

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Seconds from starting the game, its output on a pipe, to its name prompt;
// negative if the game ends first. The game is then stopped.
double RunToPrompt()
{
    int out[2] = {-1, -1};
    if (pipe(out) != 0) {
        return -1;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]), close(out[1]);
        // Where the build put the pictures.
        if (chdir(QV_BINARY_DIR) == 0 && setenv("SDL_VIDEODRIVER", "dummy", 1) == 0) {
            execl(QV_GAME_BINARY, QV_GAME_BINARY, static_cast<char*>(nullptr));
        }
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[4096];
    ssize_t got = 0;
    while (text.find("Please enter your name") == std::string::npos &&
           (got = read(out[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(got));
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    close(out[0]);
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return got > 0 ? took.count() : -1;
}

} // namespace

int main()
{
    constexpr int RUNS = 21;
    std::vector<double> seconds;
    for (int run = 0; run < RUNS; ++run) {
        seconds.push_back(RunToPrompt());
        if (seconds.back() < 0) {
            std::fprintf(stderr, "the game did not show its banner\n");
            return 1;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("Start-up to the banner over %d runs: median %.3f s, fastest %.3f s, slowest "
                "%.3f s  (goal: under 0.2 s)\n",
                RUNS, seconds[RUNS / 2], seconds.front(), seconds.back());
    return 0;
}
