#ifndef QV_TESTS_SUPPORT_CHILD_H
#define QV_TESTS_SUPPORT_CHILD_H

#include "support/pty.h"

#include <csignal>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <sys/wait.h>
#include <vector>

/// A child's standard input: a pipe the test writes to and may close, a
/// pseudo-terminal (also its controlling terminal and output) or /dev/null.
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
/// output and error collected apart. Every wait has a timeout; a child still
/// running when the object dies is killed.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    /// Executes options.argv; one that cannot run ends with 127 and says why.
    bool Start(const ChildOptions& options);
    /// Runs body in a forked child, which then flushes and ends with its result.
    bool StartFunction(const std::function<int()>& body, const ChildOptions& options);

    bool Write(std::string_view bytes);
    /// Closes the input pipe, or types the terminal's end-of-file character.
    void CloseInput();
    bool Signal(int sig) const { return Running() && kill(m_pid, sig) == 0; }
    /// Collects output until text appears in Output(); false after timeoutMs.
    bool WaitForOutput(std::string_view text, int timeoutMs);
    /// Waits for the end, collecting output; false after timeoutMs.
    bool WaitExit(int timeoutMs);

    bool Running() const { return m_pid > 0 && !m_ended; }
    bool Exited() const { return m_ended && WIFEXITED(m_status); }
    int ExitCode() const { return Exited() ? WEXITSTATUS(m_status) : -1; }
    bool Signalled() const { return m_ended && WIFSIGNALED(m_status); }
    int TermSignal() const { return Signalled() ? WTERMSIG(m_status) : 0; }
    /// Standard output as collected (on a terminal with CR LF line ends).
    const std::string& Output() const { return m_text[0]; }
    const std::string& Error() const { return m_text[1]; }
    /// The pseudo-terminal with ChildInput::Pty, else nullptr.
    PseudoTerminal* Terminal() { return m_pty.get(); }

private:
    bool Launch(const ChildOptions& options, const std::function<void()>& run);
    bool Pump(int timeoutMs); // false once both outputs have ended
    void Reap(int flags);

    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = 0;
    int m_input = -1;
    int m_fds[2] = {-1, -1}; // standard output, standard error
    std::unique_ptr<PseudoTerminal> m_pty;
    std::string m_text[2];
};

struct ConsoleRun
{
    bool finished = false; ///< the child ended by itself with exit code 0
    std::string output;    ///< its standard output
    std::string report;    ///< its standard error (see ReportLine)
};

/// Runs body in a forked child and types keys to it: on a pipe, then closes
/// it; on a pseudo-terminal, once the terminal layer is in game mode.
ConsoleRun RunConsole(std::string_view keys, const std::function<void()>& body,
                      ChildInput input = ChildInput::Pipe);

/// Writes text and a line feed to standard error, unbuffered.
inline void ReportLine(const std::string& text)
{
    std::cerr << text + "\n";
}

#endif
