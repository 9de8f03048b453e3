#include "support/child.h"

#include "platform/terminal.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

static termios Settings(int fd)
{
    termios settings{};
    tcgetattr(fd, &settings);
    return settings;
}
static bool SameSettings(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}
ChildRun RunChild(std::string_view keys, const std::function<void()>& body, ChildInput input)
{
    signal(SIGPIPE, SIG_IGN); // a child that dies early must not kill the test
    const bool onPty = input == ChildInput::Pty;
    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1}; // read end, write end
    if ((onPty ? openpty(&in[1], &in[0], nullptr, nullptr, nullptr) : pipe(in)) != 0 ||
        pipe(out) != 0 || pipe(err) != 0)
        return {};
    const termios fresh = Settings(in[0]);
    std::cout.flush(), std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        setsid(); // off the test's terminal; a pseudo-terminal becomes its own
        signal(SIGPIPE, SIG_DFL), ioctl(in[0], TIOCSCTTY, 0);
        dup2(in[0], STDIN_FILENO), dup2(onPty ? in[0] : out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd); // an open write end would keep the input from ending
        if (onPty)     // keys typed before the game mode would be echoed
            TerminalInit(), ReportLine("ready");
        pollfd typed{STDIN_FILENO, POLLIN, 0};
        while (!keys.empty() && poll(&typed, 1, -1) != 1) {
        }
        body();
        std::cout.flush(), std::fflush(nullptr), _exit(0);
    }
    close(in[0]), close(out[1]), close(err[1]);
    if (onPty || pid < 0)
        close(out[0]);
    if (pid < 0)
        return close(in[1]), close(err[0]), ChildRun{};
    ChildRun run;
    std::string* text[2] = {&run.output, &run.report};
    int fds[2] = {onPty ? in[1] : out[0], err[0]}; // -1 once ended
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    // Collects output until done() or the end of both outputs: on a terminal,
    // when the master reports that nobody holds the other side any more.
    const auto collect = [&](const std::function<bool()>& done) {
        while (!done() && (fds[0] >= 0 || fds[1] >= 0)) {
            if (std::chrono::steady_clock::now() > deadline)
                kill(pid, SIGKILL);
            pollfd ready[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
            poll(ready, 2, 100);
            for (int i = 0; i < 2; ++i) {
                char buffer[4096];
                const ssize_t got = ready[i].revents != 0 ? read(fds[i], buffer, sizeof buffer) : 0;
                text[i]->append(buffer, got > 0 ? static_cast<size_t>(got) : 0);
                if (ready[i].revents != 0 && got <= 0)
                    fds[i] = i == 0 && onPty ? -1 : close(fds[i]) - 1;
            }
        }
    };
    if (onPty) {
        collect([&]() { return run.report.find("ready\n") != std::string::npos; });
        run.gameMode = IsGameMode(Settings(in[1]));
        run.report.erase(0, run.report.find("ready\n") + 6);
    }
    for (ssize_t n = 0; !keys.empty() && (n = write(in[1], keys.data(), keys.size())) > 0;)
        keys.remove_prefix(static_cast<size_t>(n));
    if (input == ChildInput::Pipe)
        in[1] = close(in[1]) - 1;
    collect([]() { return false; });
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    run.restored = onPty && SameSettings(Settings(in[1]), fresh);
    if (in[1] >= 0)
        close(in[1]);
    return run;
}
