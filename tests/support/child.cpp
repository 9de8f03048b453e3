#include "support/child.h"

#include "platform/terminal.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/ioctl.h>

namespace {

void CloseFd(int& fd)
{
    fd = fd > STDERR_FILENO ? close(fd), -1 : -1;
}

} // namespace

ChildProcess::~ChildProcess()
{
    if (Signal(SIGKILL)) {
        waitpid(m_pid, nullptr, 0);
    }
    for (int* fd : {&m_input[0], &m_input[1], &m_fds[1], m_pty ? &m_input[0] : &m_fds[0]}) {
        CloseFd(*fd);
    }
}

bool ChildProcess::Start(const ChildOptions& options)
{
    std::vector<char*> argv; // made before the fork: the child only execs
    for (const std::string& argument : options.argv) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    return StartFunction([&]() { return execv(argv[0], argv.data()), 127; }, options);
}

bool ChildProcess::StartFunction(const std::function<int()>& body, const ChildOptions& options)
{
    signal(SIGPIPE, SIG_IGN); // a child that dies early must not kill the test
    int out[2] = {-1, -1}, err[2] = {-1, -1};
    const bool onPty = options.input == ChildInput::Pty;
    m_pty.reset(onPty ? new PseudoTerminal : nullptr);
    if ((options.input == ChildInput::Pipe && pipe2(m_input, O_CLOEXEC) != 0) ||
        (!onPty && pipe2(out, O_CLOEXEC) != 0) || pipe2(err, O_CLOEXEC) != 0) {
        return false;
    }
    std::cout.flush();
    std::fflush(nullptr);
    if ((m_pid = fork()) == 0) {
        setsid(); // off the test's terminal; a pseudo-terminal becomes its own
        signal(SIGPIPE, SIG_DFL);
        const int in = onPty                               ? m_pty->Slave()
                       : options.input == ChildInput::Null ? open("/dev/null", O_RDONLY)
                                                           : m_input[0];
        ioctl(in, TIOCSCTTY, 0);
        dup2(in, STDIN_FILENO);
        dup2(onPty ? in : out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        // Close-on-exec does not act without exec, and an open write end
        // would keep the input pipe from ending.
        for (int fd : {m_input[0], m_input[1], out[0], out[1], err[0], err[1], in,
                       onPty ? m_pty->Master() : -1}) {
            CloseFd(fd);
        }
        for (const std::string& entry : options.env) {
            const size_t equals = entry.find('=');
            setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
        }
        const int result = options.cwd.empty() || chdir(options.cwd.c_str()) == 0 ? body() : 127;
        std::cout.flush();
        std::fflush(nullptr);
        _exit(result);
    }
    CloseFd(out[1]);
    CloseFd(err[1]);
    m_fds[0] = onPty ? m_pty->Master() : out[0];
    m_fds[1] = err[0];
    return m_pid > 0;
}

bool ChildProcess::Write(std::string_view bytes)
{
    const int fd = m_pty ? m_pty->Master() : m_input[1];
    for (ssize_t n = 0; !bytes.empty(); bytes.remove_prefix(static_cast<size_t>(n))) {
        if ((n = write(fd, bytes.data(), bytes.size())) <= 0) {
            return false;
        }
    }
    return true;
}

void ChildProcess::CloseInput()
{
    if (m_pty) {
        Write(std::string(1, static_cast<char>(m_pty->Settings().c_cc[VEOF])));
    }
    CloseFd(m_input[1]);
}

// Collects output, 20 ms at most a round, until done() or the deadline.
bool ChildProcess::Until(int timeoutMs, const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done() && std::chrono::steady_clock::now() < end) {
        pollfd fds[2] = {{m_fds[0], POLLIN, 0}, {m_fds[1], POLLIN, 0}}; // ended ones are < 0
        poll(fds, 2, 20);
        for (int i = 0; i < 2; ++i) {
            char buffer[4096];
            const ssize_t got = fds[i].revents != 0 ? read(m_fds[i], buffer, sizeof buffer) : 0;
            m_text[i].append(buffer, got > 0 ? static_cast<size_t>(got) : 0);
            if (fds[i].revents != 0 && got <= 0) { // the end, or EIO on a terminal nobody holds
                if (i == 1 || !m_pty) {
                    CloseFd(m_fds[i]);
                }
                m_fds[i] = -1;
            }
        }
    }
    return done();
}

bool ChildProcess::WaitForOutput(std::string_view text, int timeoutMs, bool inError)
{
    return Until(timeoutMs, [&]() { return m_text[inError].find(text) != std::string::npos; });
}

bool ChildProcess::WaitInputRead(int timeoutMs)
{
    // A terminal passes typed bytes on a moment later: seen waiting, then gone.
    const int fd = m_pty ? m_pty->Slave() : m_input[0];
    bool arrived = false;
    return Until(timeoutMs, [fd, &arrived]() {
        int unread = -1;
        const bool known = ioctl(fd, FIONREAD, &unread) == 0;
        arrived = arrived || (known && unread > 0);
        return arrived && known && unread == 0;
    });
}

bool ChildProcess::WaitExit(int timeoutMs)
{
    // Output flows meanwhile, or a child writing a lot would block; once it
    // is reaped, its terminal ends when the test lets go of it too.
    Until(timeoutMs, [this]() {
        if (!Ended() && waitpid(m_pid, &m_status, WNOHANG) != m_pid) {
            m_status = -1;
        } else if (m_pty) {
            m_pty->CloseSlave();
        }
        return Ended();
    });
    return Until(timeoutMs, [this]() { return m_fds[0] < 0 && m_fds[1] < 0; }) && Ended();
}

ConsoleRun RunConsole(std::string_view keys, const std::function<void()>& body, ChildInput input)
{
    const bool onPty = input == ChildInput::Pty;
    ChildProcess child;
    ConsoleRun run;
    const auto entry = [&]() {
        if (onPty) { // keys typed before the game mode would be echoed
            TerminalInit();
            ReportLine("ready");
        }
        pollfd typed{STDIN_FILENO, POLLIN, 0};
        while (!keys.empty() && poll(&typed, 1, -1) != 1) {
        }
        body();
        return 0;
    };
    if (child.StartFunction(entry, ChildOptions{{}, {}, {}, input}) &&
        (!onPty || child.WaitForOutput("ready\n", 10000, true))) {
        run.gameMode = onPty && IsGameMode(child.Terminal()->Settings());
        child.Write(keys);
        if (!onPty) {
            child.CloseInput();
        }
        run.finished = child.WaitExit(10000) && child.ExitCode() == 0;
        run.signal = child.TermSignal();
        run.restored =
            onPty && SameSettings(child.Terminal()->Settings(), PseudoTerminal().Settings());
    }
    run.output = child.Output();
    run.report = child.Error().substr(onPty ? 6 : 0);
    return run;
}
