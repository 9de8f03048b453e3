#ifndef QV_TESTS_SUPPORT_CHILD_H
#define QV_TESTS_SUPPORT_CHILD_H

#include "support/pty.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <sys/wait.h>
#include <vector>

/// Where a child's standard input comes from.
enum class ChildInput
{
    Pipe, ///< a pipe the test writes to and may close (end of input)
    Pty,  ///< a pseudo-terminal, the child's controlling terminal and output
    Null, ///< /dev/null
};

struct ChildOptions
{
    std::vector<std::string> argv; ///< for Start(); argv[0] is the program's path
    std::vector<std::string> env;  ///< "NAME=VALUE" entries added or replaced
    std::string cwd;               ///< working directory; empty keeps the test's
    ChildInput input = ChildInput::Pipe;
};

/// A child process for end-to-end tests: a program (or a function run in a
/// forked copy of the test) with its input on a pipe or a pseudo-terminal and
/// its standard output and standard error collected separately. Every wait
/// has a timeout; a child still running when the object dies is killed.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    /// Forks and executes options.argv (not empty). A program that cannot be executed
    /// ends with exit code 127 and says why on its standard error.
    bool Start(const ChildOptions& options);
    /// Forks and runs body in the child, which ends with _exit(body()) after
    /// flushing its output unless body ends the process itself.
    bool StartFunction(const std::function<int()>& body, const ChildOptions& options);

    /// Writes bytes to the child's input (the pipe or the terminal).
    bool Write(std::string_view bytes);
    /// Closes the input pipe, or types the terminal's end-of-file character.
    void CloseInput();
    bool Signal(int sig) const;

    /// Collects output until text appears in Output(); false after timeoutMs.
    bool WaitForOutput(std::string_view text, int timeoutMs);
    /// Waits for the child to end, collecting output; false after timeoutMs.
    bool WaitExit(int timeoutMs);

    bool Running() const { return m_pid > 0 && !m_ended; }
    bool Exited() const { return m_ended && WIFEXITED(m_status); }
    int ExitCode() const { return Exited() ? WEXITSTATUS(m_status) : -1; }
    bool Signalled() const { return m_ended && WIFSIGNALED(m_status); }
    int TermSignal() const { return Signalled() ? WTERMSIG(m_status) : 0; }

    /// Standard output as collected (on a terminal with its CR LF line ends).
    const std::string& Output() const { return m_output; }
    const std::string& Error() const { return m_error; }
    /// The pseudo-terminal with ChildInput::Pty, else nullptr.
    PseudoTerminal* Terminal() { return m_pty.get(); }

private:
    bool Launch(const ChildOptions& options, const std::function<void()>& run);
    // Reads what is waiting for up to timeoutMs; false when nothing is open.
    bool Pump(int timeoutMs);
    void Reap(bool block);

    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = 0;
    int m_input = -1;
    int m_outputFd = -1;
    int m_errorFd = -1;
    std::unique_ptr<PseudoTerminal> m_pty;
    std::string m_output;
    std::string m_error;
};

/// What a console run in a child process showed.
struct ConsoleRun
{
    bool finished = false; ///< the child ended by itself with exit code 0
    std::string output;    ///< its standard output, byte for byte
    std::string report;    ///< what the body wrote to standard error
};

/// Runs body in a forked child and types keys to it. On a pipe the input is
/// closed after the keys, so the child then reads its end; on a
/// pseudo-terminal the keys come once the terminal layer is in game mode and
/// the input stays open. The body reports on standard error (ReportLine).
ConsoleRun RunConsole(std::string_view keys, const std::function<void()>& body,
                      ChildInput input = ChildInput::Pipe);

/// Writes text and a line feed to standard error, unbuffered.
void ReportLine(const std::string& text);

#endif
