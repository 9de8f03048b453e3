#include "support/child.h"

#include "platform/terminal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <iostream>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

void CloseEach(std::initializer_list<int> fds)
{
    for (const int fd : fds) {
        if (fd > STDERR_FILENO) {
            close(fd);
        }
    }
}

} // namespace

ChildProcess::~ChildProcess()
{
    Signal(SIGKILL);
    Reap(0);
    CloseEach({m_input, m_fds[1], m_pty == nullptr ? m_fds[0] : -1});
}

bool ChildProcess::Start(const ChildOptions& options)
{
    std::vector<char*> argv; // made before the fork: the child only execs
    for (const std::string& argument : options.argv) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const std::string failure = "cannot run " + options.argv.at(0);
    return Launch(options, [&]() {
        execv(argv[0], argv.data());
        std::perror(failure.c_str());
        _exit(127);
    });
}

bool ChildProcess::StartFunction(const std::function<int()>& body, const ChildOptions& options)
{
    return Launch(options, [&]() {
        const int result = body();
        std::cout.flush();
        std::fflush(nullptr);
        _exit(result);
    });
}

bool ChildProcess::Launch(const ChildOptions& options, const std::function<void()>& run)
{
    signal(SIGPIPE, SIG_IGN); // a child that dies early must not kill the test
    const bool onPty = options.input == ChildInput::Pty;
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    int error[2] = {-1, -1};
    m_pty.reset(onPty ? new PseudoTerminal : nullptr);
    if ((options.input == ChildInput::Pipe && pipe2(input, O_CLOEXEC) != 0) ||
        (!onPty && pipe2(output, O_CLOEXEC) != 0) || pipe2(error, O_CLOEXEC) != 0) {
        return false;
    }
    std::cout.flush();
    std::fflush(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        setsid(); // keeps the child off the test's terminal
        signal(SIGPIPE, SIG_DFL);
        const int slave = onPty ? m_pty->Slave() : -1;
        ioctl(slave, TIOCSCTTY, 0); // the terminal becomes its controlling one
        dup2(options.input == ChildInput::Null ? open("/dev/null", O_RDONLY)
                                               : std::max(slave, input[0]),
             STDIN_FILENO);
        dup2(std::max(slave, output[1]), STDOUT_FILENO);
        dup2(error[1], STDERR_FILENO);
        // Without exec, close-on-exec does not act: the parent's ends go here,
        // or the input pipe would never report its end.
        CloseEach({input[0], input[1], output[0], output[1], error[0], error[1], slave,
                   onPty ? m_pty->Master() : -1});
        if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) {
            _exit(126);
        }
        for (const std::string& entry : options.env) {
            const size_t equals = entry.find('=');
            setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
        }
        run();
        _exit(0);
    }
    CloseEach({input[0], output[1], error[1]});
    m_input = input[1];
    m_fds[0] = onPty ? m_pty->Master() : output[0];
    m_fds[1] = error[0];
    return m_pid > 0;
}

bool ChildProcess::Write(std::string_view bytes)
{
    const int fd = m_pty != nullptr ? m_pty->Master() : m_input;
    for (ssize_t n = 0; !bytes.empty(); bytes.remove_prefix(static_cast<size_t>(n))) {
        if ((n = write(fd, bytes.data(), bytes.size())) <= 0) {
            return false;
        }
    }
    return true;
}

void ChildProcess::CloseInput()
{
    if (m_pty != nullptr) {
        Write(std::string(1, static_cast<char>(m_pty->Settings().c_cc[VEOF])));
    }
    CloseEach({m_input});
    m_input = -1;
}

bool ChildProcess::Pump(int timeoutMs)
{
    // poll() passes over the ended (negative) descriptors.
    pollfd fds[2] = {{m_fds[0], POLLIN, 0}, {m_fds[1], POLLIN, 0}};
    for (int i = poll(fds, 2, timeoutMs) > 0 ? 0 : 2; i < 2; ++i) {
        char buffer[4096];
        const ssize_t got = fds[i].revents != 0 ? read(m_fds[i], buffer, sizeof buffer) : -1;
        if (got > 0) {
            m_text[i].append(buffer, static_cast<size_t>(got));
        } else if (fds[i].revents != 0) {
            CloseEach({i == 1 || m_pty == nullptr ? m_fds[i] : -1}); // the pair owns its own
            m_fds[i] = -1;
        }
    }
    return m_fds[0] >= 0 || m_fds[1] >= 0;
}

bool ChildProcess::WaitForOutput(std::string_view text, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Output().find(text) == std::string::npos && Clock::now() < deadline && Pump(20)) {
    }
    return Output().find(text) != std::string::npos;
}

void ChildProcess::Reap(int flags)
{
    int status = 0;
    if (Running() && waitpid(m_pid, &status, flags) == m_pid) {
        m_ended = true;
        m_status = status;
    }
}

bool ChildProcess::WaitExit(int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (Reap(WNOHANG); !m_ended; Reap(WNOHANG)) {
        if (Clock::now() >= deadline) {
            return false;
        }
        Pump(10); // output keeps flowing, or a child writing a lot would block
    }
    // What the child wrote last; a terminal never ends on our side, so it is
    // read until it stays quiet for a moment.
    for (int rounds = 0; rounds < 40; ++rounds) {
        const size_t before = Output().size() + Error().size();
        if (!Pump(50) || (m_pty != nullptr && Output().size() + Error().size() == before)) {
            break;
        }
    }
    return true;
}

ConsoleRun RunConsole(std::string_view keys, const std::function<void()>& body, ChildInput input)
{
    const bool onPty = input == ChildInput::Pty;
    ChildProcess child;
    ConsoleRun run;
    const auto entry = [&]() {
        if (onPty) {
            TerminalInit();
        }
        body();
        return 0;
    };
    if (child.StartFunction(entry, ChildOptions{{}, {}, {}, input})) {
        // Keys typed before the game mode is on would be echoed by the terminal.
        for (int ms = 0;
             onPty && !keys.empty() && !IsGameMode(child.Terminal()->Settings()) && ms < 10000;
             ++ms) {
            usleep(1000);
        }
        child.Write(keys);
        if (!onPty) {
            child.CloseInput();
        }
        run.finished = child.WaitExit(10000) && child.ExitCode() == 0;
    }
    run.output = child.Output();
    run.report = child.Error();
    return run;
}
