#ifndef QV_TESTS_SUPPORT_CHILD_H
#define QV_TESTS_SUPPORT_CHILD_H

#include <cstring>
#include <fcntl.h>
#include <functional>
#include <iostream>
#include <memory>
#include <pty.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

/// A pseudo-terminal pair; its settings are read through the master, so they
/// stay readable after the program on it ended.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        openpty(&m_master, &m_slave, nullptr, nullptr, nullptr);
        fcntl(m_master, F_SETFD, FD_CLOEXEC), fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    }
    ~PseudoTerminal() { close(m_master), CloseSlave(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    int Master() const { return m_master; }
    int Slave() const { return m_slave; }
    void CloseSlave() { m_slave = m_slave >= 0 ? close(m_slave), -1 : -1; }
    termios Settings() const
    {
        termios settings{};
        tcgetattr(m_master, &settings);
        return settings;
    }

private:
    int m_master = -1, m_slave = -1;
};

/// Keys come at once and without echo, while Ctrl+C still interrupts.
inline bool IsGameMode(const termios& s)
{
    return (s.c_lflag & (ICANON | ECHO | ISIG)) == ISIG && s.c_cc[VMIN] == 1;
}

inline bool SameSettings(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

/// Standard input: a pipe, a pseudo-terminal (also the controlling terminal
/// and standard output) or /dev/null.
enum class ChildInput
{
    Pipe,
    Pty,
    Null
};

struct ChildOptions
{
    std::vector<std::string> argv; ///< argv[0] is the program's path
    std::vector<std::string> env;  ///< "NAME=VALUE"
    std::string cwd;
    ChildInput input = ChildInput::Pipe;
};

/// A program, or a function in a forked copy of the test, with standard
/// output and error collected apart. Every wait is for a condition, with a
/// timeout; a child still running at the end is killed.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const ChildOptions& options); ///< status 127 if it cannot run
    bool StartFunction(const std::function<int()>& body, const ChildOptions& options);
    bool Write(std::string_view bytes);
    void CloseInput(); ///< or types end-of-file on a terminal
    bool Signal(int sig) const { return m_pid > 0 && m_status < 0 && kill(m_pid, sig) == 0; }
    bool WaitForOutput(std::string_view text, int timeoutMs, bool inError = false);
    /// Until every byte written has been seen waiting, then read by the child.
    bool WaitInputRead(int timeoutMs);
    /// Until the child has ended and all it wrote has been collected.
    bool WaitExit(int timeoutMs);
    int ExitCode() const { return Ended() && WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1; }
    int TermSignal() const { return Ended() && WIFSIGNALED(m_status) ? WTERMSIG(m_status) : 0; }
    const std::string& Output() const { return m_text[0]; } ///< CR LF line ends on a terminal
    const std::string& Error() const { return m_text[1]; }
    PseudoTerminal* Terminal() { return m_pty.get(); }

private:
    bool Ended() const { return m_status >= 0; }
    bool Until(int timeoutMs, const std::function<bool()>& done);

    int m_pid = -1, m_status = -1;
    int m_input[2] = {-1, -1}; // the test keeps the read end to see what is unread
    int m_fds[2] = {-1, -1};   // standard output, standard error
    std::unique_ptr<PseudoTerminal> m_pty;
    std::string m_text[2];
};

struct ConsoleRun
{
    bool finished = false;                   ///< ended by itself with status 0
    std::string output, report;              ///< standard output and error
    int signal = 0;                          ///< that ended it
    bool gameMode = false, restored = false; ///< on a terminal: before the keys, at the end
};

/// Runs body in a forked child once keys wait for it: on a pipe, then
/// closed, or on a pseudo-terminal in game mode.
ConsoleRun RunConsole(std::string_view keys, const std::function<void()>& body,
                      ChildInput input = ChildInput::Pipe);

inline void ReportLine(const std::string& text)
{
    std::cerr << text + "\n";
}

#endif
