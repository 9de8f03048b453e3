#include "support/child.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

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

bool MakePipe(int fds[2])
{
    return pipe2(fds, O_CLOEXEC) == 0;
}

// The environment of the child: the test's own (unless cleared) with the
// given entries added or replaced.
std::vector<std::string> BuildEnvironment(const ChildOptions& options)
{
    std::vector<std::string> result;
    if (!options.clearEnv) {
        for (char** entry = environ; *entry != nullptr; ++entry) {
            result.emplace_back(*entry);
        }
    }
    for (const std::string& added : options.env) {
        const std::string name = added.substr(0, added.find('=') + 1);
        bool replaced = false;
        for (std::string& existing : result) {
            if (existing.compare(0, name.size(), name) == 0) {
                existing = added;
                replaced = true;
            }
        }
        if (!replaced) {
            result.push_back(added);
        }
    }
    return result;
}

std::vector<char*> PointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ChildProcess::~ChildProcess()
{
    if (Running()) {
        kill(m_pid, SIGKILL);
        ReapIfEnded(true);
    }
    CloseFd(m_input);
    CloseFd(m_errorFd);
    if (m_pty == nullptr || m_outputFd != m_pty->Master()) {
        CloseFd(m_outputFd);
    }
}

bool ChildProcess::Start(const ChildOptions& options)
{
    if (options.argv.empty()) {
        m_error = "no program given";
        return false;
    }
    std::vector<std::string> arguments = options.argv;
    std::vector<std::string> environment = BuildEnvironment(options);
    std::vector<char*> argv = PointersTo(arguments);
    std::vector<char*> envp = PointersTo(environment);

    // Tells the parent, through a pipe that exec closes, why exec failed.
    int failure[2];
    if (!MakePipe(failure)) {
        return false;
    }
    const bool launched = Launch(options, [&]() {
        execve(argv[0], argv.data(), envp.data());
        const int error = errno;
        (void)!write(failure[1], &error, sizeof error);
        _exit(127);
    });
    close(failure[1]);
    int error = 0;
    ssize_t count = 0;
    do {
        count = read(failure[0], &error, sizeof error);
    } while (count < 0 && errno == EINTR);
    close(failure[0]);
    if (!launched) {
        return false;
    }
    if (count == static_cast<ssize_t>(sizeof error)) {
        m_error = std::string("cannot run ") + options.argv[0] + ": " + std::strerror(error);
        ReapIfEnded(true);
        return false;
    }
    return true;
}

bool ChildProcess::StartFunction(const std::function<int()>& body, const ChildOptions& options)
{
    return Launch(options, [&]() {
        if (options.clearEnv) {
            clearenv();
        }
        for (const std::string& entry : options.env) {
            const size_t equals = entry.find('=');
            setenv(entry.substr(0, equals).c_str(),
                   equals == std::string::npos ? "" : entry.c_str() + equals + 1, 1);
        }
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

    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    int error[2] = {-1, -1};
    const bool onPty = options.input == ChildInput::Pty;
    const bool outputOnPty = onPty && options.stdoutOnPty;
    if (onPty) {
        m_pty = std::make_unique<PseudoTerminal>();
        if (!m_pty->IsOpen()) {
            return false;
        }
    }
    if ((options.input == ChildInput::Pipe && !MakePipe(input)) ||
        (!outputOnPty && !MakePipe(output)) || !MakePipe(error)) {
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
        // with a pseudo-terminal that becomes its controlling terminal.
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
        dup2(outputOnPty ? m_pty->Slave() : output[1], STDOUT_FILENO);
        dup2(error[1], STDERR_FILENO);
        // Without exec the close-on-exec flags do not act: close the parent's
        // ends here, or the input pipe would never report its end.
        for (const int fd : {input[0], input[1], output[0], output[1], error[0], error[1]}) {
            if (fd > STDERR_FILENO) {
                close(fd);
            }
        }
        if (onPty) {
            close(m_pty->Master());
        }
        if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) {
            _exit(126);
        }
        run();
        _exit(0);
    }

    m_pid = pid;
    if (options.input == ChildInput::Pipe) {
        close(input[0]);
        m_input = input[1];
    }
    if (outputOnPty) {
        m_outputFd = m_pty->Master();
    } else {
        close(output[1]);
        m_outputFd = output[0];
    }
    close(error[1]);
    m_errorFd = error[0];
    return true;
}

bool ChildProcess::Write(std::string_view bytes)
{
    if (m_pty != nullptr) {
        return m_pty->Write(bytes);
    }
    while (m_input >= 0 && !bytes.empty()) {
        const ssize_t written = write(m_input, bytes.data(), bytes.size());
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
        const termios settings = m_pty->Settings();
        m_pty->Write(std::string(1, static_cast<char>(settings.c_cc[VEOF])));
        return;
    }
    CloseFd(m_input);
}

bool ChildProcess::Signal(int sig) const
{
    return m_pid > 0 && !m_ended && kill(m_pid, sig) == 0;
}

bool ChildProcess::Pump(int timeoutMs)
{
    pollfd fds[2];
    std::string* sinks[2];
    int* owners[2];
    nfds_t count = 0;
    if (m_outputFd >= 0) {
        fds[count] = {m_outputFd, POLLIN, 0};
        sinks[count] = &m_output;
        owners[count++] = &m_outputFd;
    }
    if (m_errorFd >= 0) {
        fds[count] = {m_errorFd, POLLIN, 0};
        sinks[count] = &m_error;
        owners[count++] = &m_errorFd;
    }
    if (count == 0) {
        return false;
    }
    if (poll(fds, count, timeoutMs) <= 0) {
        return true;
    }
    for (nfds_t i = 0; i < count; ++i) {
        if (fds[i].revents == 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
        if (got > 0) {
            sinks[i]->append(buffer, static_cast<size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            // The end of a pipe, or a terminal nobody holds open any more.
            if (m_pty == nullptr || *owners[i] != m_pty->Master()) {
                close(*owners[i]);
            }
            *owners[i] = -1;
        }
    }
    return true;
}

bool ChildProcess::WaitForOutput(std::string_view text, int timeoutMs, bool fromError)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::string& collected = fromError ? m_error : m_output;
    for (;;) {
        if (collected.find(text) != std::string::npos) {
            return true;
        }
        const int left = MillisecondsLeft(deadline);
        if (left == 0 || !Pump(left < 20 ? left : 20)) {
            return collected.find(text) != std::string::npos;
        }
    }
}

void ChildProcess::CollectFor(int ms)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (int left = ms; left > 0; left = MillisecondsLeft(deadline)) {
        if (!Pump(left)) {
            return;
        }
    }
}

void ChildProcess::ReapIfEnded(bool block)
{
    if (m_pid <= 0 || m_ended) {
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
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        ReapIfEnded(false);
        if (m_ended) {
            break;
        }
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
    const Clock::time_point drainDeadline = Clock::now() + std::chrono::milliseconds(2000);
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

bool ChildProcess::Exited() const
{
    return m_ended && WIFEXITED(m_status);
}
int ChildProcess::ExitCode() const
{
    return Exited() ? WEXITSTATUS(m_status) : -1;
}
bool ChildProcess::Signalled() const
{
    return m_ended && WIFSIGNALED(m_status);
}
int ChildProcess::TermSignal() const
{
    return Signalled() ? WTERMSIG(m_status) : 0;
}
