#ifndef QV_TESTS_SUPPORT_CHILD_H
#define QV_TESTS_SUPPORT_CHILD_H

#include "support/pty.h"

#include <csignal>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <vector>

/// A child's standard input: a pipe the test writes to, a pseudo-terminal
/// (also its controlling terminal and standard output) or /dev/null.
enum class ChildInput
{
    Pipe,
    Pty,
    Null,
};

struct ChildOptions
{
    std::vector<std::string> argv; ///< for Start(); argv[0] is the program's path
    std::vector<std::string> env;  ///< "NAME=VALUE" entries added or replaced
    std::string cwd;               ///< working directory; empty keeps the test's
    ChildInput input = ChildInput::Pipe;
};

/// A program, or a function in a forked copy of the test, with its standard
/// output and error collected apart. Every wait is for a condition, with a
/// timeout; a child still running at the end is killed.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const ChildOptions& options); ///< exec of argv; 127 if it cannot run
    bool StartFunction(const std::function<int()>& body, const ChildOptions& options);
    bool Write(std::string_view bytes);
    void CloseInput(); ///< closes the pipe, or types end-of-file on a terminal
    bool Signal(int sig) const { return m_pid > 0 && m_status < 0 && kill(m_pid, sig) == 0; }
    /// Until text appears in Output() (in Error() with inError).
    bool WaitForOutput(std::string_view text, int timeoutMs, bool inError = false);
    /// Until the child has read every byte written to its input; the last
    /// one must wait there for a while (typed while the child reads no keys).
    bool WaitInputRead(int timeoutMs);
    /// Until the child has ended and all it wrote has been collected.
    bool WaitExit(int timeoutMs);

    int ExitCode() const
    {
        return m_status >= 0 && WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
    }
    int TermSignal() const
    {
        return m_status >= 0 && WIFSIGNALED(m_status) ? WTERMSIG(m_status) : 0;
    }
    const std::string& Output() const { return m_text[0]; } ///< CR LF line ends on a terminal
    const std::string& Error() const { return m_text[1]; }
    PseudoTerminal* Terminal() { return m_pty.get(); } ///< with ChildInput::Pty

private:
    bool Until(int timeoutMs, const std::function<bool()>& done);

    int m_pid = -1;
    int m_status = -1;         // -1 while running
    int m_input[2] = {-1, -1}; // the test keeps the read end to see what is unread
    int m_fds[2] = {-1, -1};   // standard output, standard error
    std::unique_ptr<PseudoTerminal> m_pty;
    std::string m_text[2];
};

struct ConsoleRun
{
    bool finished = false; ///< the child ended by itself with exit code 0
    std::string output;    ///< its standard output
    std::string report;    ///< its standard error (see ReportLine)
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
