#include "support/child.h"

#include "platform/terminal.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <iostream>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point After(int ms)
{
    return Clock::now() + std::chrono::milliseconds(ms);
}

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void CloseFd(int& fd)
{
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

} // namespace

ChildProcess::~ChildProcess()
{
    if (Running()) {
        kill(m_pid, SIGKILL);
        Reap(true);
    }
    CloseFd(m_input);
    CloseFd(m_errorFd);
    if (m_pty == nullptr) {
        CloseFd(m_outputFd);
    }
}

bool ChildProcess::Start(const ChildOptions& options)
{
    std::vector<char*> argv; // made before the fork: the child only execs
    for (const std::string& argument : options.argv) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const std::string failure = "cannot run " + options.argv.at(0) + ": ";
    return Launch(options, [&]() {
        execv(argv[0], argv.data());
        const char* reason = std::strerror(errno);
        (void)!write(STDERR_FILENO, failure.data(), failure.size());
        (void)!write(STDERR_FILENO, reason, std::strlen(reason));
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
    if (m_pid > 0) {
        return false;
    }
    // A child that dies while the test writes to it must not kill the test.
    signal(SIGPIPE, SIG_IGN);
    const bool onPty = options.input == ChildInput::Pty;
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    int error[2] = {-1, -1};
    if (onPty) {
        m_pty = std::make_unique<PseudoTerminal>();
    }
    if ((onPty && !m_pty->IsOpen()) ||
        (options.input == ChildInput::Pipe && pipe2(input, O_CLOEXEC) != 0) ||
        (!onPty && pipe2(output, O_CLOEXEC) != 0) || pipe2(error, O_CLOEXEC) != 0) {
        return false;
    }
    std::cout.flush();
    std::fflush(nullptr);

    const pid_t pid = fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        // A session of its own keeps the child away from the test's terminal;
        // a pseudo-terminal becomes its controlling terminal.
        setsid();
        signal(SIGPIPE, SIG_DFL);
        int inputFd = input[0];
        if (onPty) {
            ioctl(m_pty->Slave(), TIOCSCTTY, 0);
            inputFd = m_pty->Slave();
        } else if (options.input == ChildInput::Null) {
            inputFd = open("/dev/null", O_RDONLY);
        }
        dup2(inputFd, STDIN_FILENO);
        dup2(onPty ? m_pty->Slave() : output[1], STDOUT_FILENO);
        dup2(error[1], STDERR_FILENO);
        // Without exec the close-on-exec flags do not act: close the parent's
        // ends here, or the input pipe would never report its end.
        for (const int fd : {input[0], input[1], output[0], output[1], error[0], error[1],
                             onPty ? m_pty->Master() : -1}) {
            if (fd > STDERR_FILENO) {
                close(fd);
            }
        }
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

    m_pid = pid;
    close(error[1]);
    m_errorFd = error[0];
    if (options.input == ChildInput::Pipe) {
        close(input[0]);
        m_input = input[1];
    }
    if (onPty) {
        m_outputFd = m_pty->Master();
    } else {
        close(output[1]);
        m_outputFd = output[0];
    }
    return true;
}

bool ChildProcess::Write(std::string_view bytes)
{
    const int fd = m_pty != nullptr ? m_pty->Master() : m_input;
    while (fd >= 0 && !bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return bytes.empty();
}

void ChildProcess::CloseInput()
{
    if (m_pty != nullptr) {
        Write(std::string(1, static_cast<char>(m_pty->Settings().c_cc[VEOF])));
    }
    CloseFd(m_input);
}

bool ChildProcess::Signal(int sig) const
{
    return Running() && kill(m_pid, sig) == 0;
}

bool ChildProcess::Pump(int timeoutMs)
{
    if (m_outputFd < 0 && m_errorFd < 0) {
        return false;
    }
    // poll() passes over closed (negative) descriptors.
    pollfd fds[2] = {{m_outputFd, POLLIN, 0}, {m_errorFd, POLLIN, 0}};
    int* const ends[2] = {&m_outputFd, &m_errorFd};
    std::string* const sinks[2] = {&m_output, &m_error};
    if (poll(fds, 2, timeoutMs) <= 0) {
        return true;
    }
    for (int i = 0; i < 2; ++i) {
        char buffer[4096];
        const ssize_t got = fds[i].revents != 0 ? read(fds[i].fd, buffer, sizeof buffer) : -1;
        if (got > 0) {
            sinks[i]->append(buffer, static_cast<size_t>(got));
        } else if (fds[i].revents != 0 && (got == 0 || errno != EINTR)) {
            // The end of a pipe, or of the terminal (whose pair closes it).
            if (ends[i] == &m_errorFd || m_pty == nullptr) {
                close(*ends[i]);
            }
            *ends[i] = -1;
        }
    }
    return true;
}

bool ChildProcess::WaitForOutput(std::string_view text, int timeoutMs)
{
    const Clock::time_point deadline = After(timeoutMs);
    while (m_output.find(text) == std::string::npos) {
        const int left = MillisecondsLeft(deadline);
        if (left == 0 || !Pump(left < 20 ? left : 20)) {
            return m_output.find(text) != std::string::npos;
        }
    }
    return true;
}

void ChildProcess::Reap(bool block)
{
    if (!Running()) {
        return;
    }
    int status = 0;
    pid_t result = 0;
    do {
        result = waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == m_pid) {
        m_ended = true;
        m_status = status;
    }
}

bool ChildProcess::WaitExit(int timeoutMs)
{
    const Clock::time_point deadline = After(timeoutMs);
    for (Reap(false); !m_ended; Reap(false)) {
        const int left = MillisecondsLeft(deadline);
        if (left == 0) {
            return false;
        }
        // Output must keep flowing, or a child that writes a lot would block.
        if (!Pump(left < 10 ? left : 10)) {
            usleep(1000);
        }
    }
    // Whatever the child wrote last. A terminal stays open on our side, so
    // its output is taken until it stays quiet for a moment.
    const Clock::time_point drainDeadline = After(2000);
    while (MillisecondsLeft(drainDeadline) > 0) {
        const size_t before = m_output.size() + m_error.size();
        if (!Pump(50)) {
            break;
        }
        if (m_output.size() + m_error.size() == before && (m_errorFd < 0 || m_pty != nullptr)) {
            break;
        }
    }
    return true;
}

ConsoleRun RunConsole(std::string_view keys, const std::function<void()>& body, ChildInput input)
{
    constexpr int TIMEOUT_MS = 10000;
    ChildProcess child;
    ChildOptions options;
    options.input = input;
    const bool onPty = input == ChildInput::Pty;
    ConsoleRun run;
    if (!child.StartFunction(
            [&]() {
                if (onPty) {
                    TerminalInit();
                }
                body();
                return 0;
            },
            options)) {
        return run;
    }
    // Keys typed before the game mode is on would be echoed by the terminal;
    // a child that is to read keys stays until they come.
    const Clock::time_point deadline = After(TIMEOUT_MS);
    while (onPty && !keys.empty() && !IsGameMode(child.Terminal()->Settings()) &&
           MillisecondsLeft(deadline) > 0) {
        usleep(1000);
    }
    child.Write(keys);
    if (!onPty) {
        child.CloseInput();
    }
    run.finished = child.WaitExit(TIMEOUT_MS) && child.ExitCode() == 0;
    run.output = child.Output();
    run.report = child.Error();
    return run;
}

void ReportLine(const std::string& text)
{
    const std::string line = text + "\n";
    (void)!write(STDERR_FILENO, line.data(), line.size());
}
