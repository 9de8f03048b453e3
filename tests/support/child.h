#ifndef QV_TESTS_SUPPORT_CHILD_H
#define QV_TESTS_SUPPORT_CHILD_H

#include "support/pty.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

/// Where a child's standard input comes from.
enum class ChildInput
{
    Pipe, ///< a pipe the test writes to and may close (end of input)
    Pty,  ///< a pseudo-terminal, which becomes the child's controlling terminal
    Null, ///< /dev/null
};

struct ChildOptions
{
    /// Program and arguments for Start(); argv[0] is the program's path.
    std::vector<std::string> argv;
    /// "NAME=VALUE" entries added to (or replacing in) the environment.
    std::vector<std::string> env;
    /// Start from an empty environment instead of the test's own.
    bool clearEnv = false;
    /// Working directory; empty keeps the test's.
    std::string cwd;
    ChildInput input = ChildInput::Pipe;
    /// With ChildInput::Pty: standard output goes to the terminal too (as in
    /// real use); false sends it to a pipe of its own, byte for byte.
    bool stdoutOnPty = true;
};

/// A child process for end-to-end tests: a program started with given
/// arguments, environment and working directory (or a function run in a
/// forked copy of the test), its input on a pipe or a pseudo-terminal, its
/// standard output and standard error collected separately. Every wait has a
/// timeout; a child still running when the object dies is killed.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    /// Forks and executes options.argv. False when the program could not be
    /// started (Error() then says why).
    bool Start(const ChildOptions& options);
    /// Forks and runs body in the child; the child ends with _exit(body()),
    /// unless body ends the process itself (exit, abort, a signal). Standard
    /// output is flushed first. options.argv is ignored.
    bool StartFunction(const std::function<int()>& body, const ChildOptions& options);

    pid_t Pid() const { return m_pid; }

    /// Writes bytes to the child's input (the pipe or the terminal).
    bool Write(std::string_view bytes);
    /// Closes the input pipe: the child reads the end of its input. With a
    /// pseudo-terminal this sends the terminal's end-of-file character.
    void CloseInput();
    /// Sends a signal to the child.
    bool Signal(int sig) const;

    /// Collects output until text appears in Output() (or, with fromError,
    /// in Error()); false after timeoutMs without it.
    bool WaitForOutput(std::string_view text, int timeoutMs, bool fromError = false);
    /// Collects output for about ms milliseconds.
    void CollectFor(int ms);
    /// Waits for the child to end, collecting output; false after timeoutMs.
    bool WaitExit(int timeoutMs);

    bool Running() const { return m_pid > 0 && !m_ended; }
    /// After WaitExit: ended by exit (ExitCode) or by a signal (TermSignal).
    bool Exited() const;
    int ExitCode() const;
    bool Signalled() const;
    int TermSignal() const;

    /// Standard output as collected (with a pseudo-terminal: what the
    /// terminal showed, with its line-end translation).
    const std::string& Output() const { return m_output; }
    /// Standard error as collected.
    const std::string& Error() const { return m_error; }
    void ClearOutput() { m_output.clear(); }

    /// The pseudo-terminal, with ChildInput::Pty; nullptr otherwise.
    PseudoTerminal* Terminal() { return m_pty.get(); }

private:
    bool Launch(const ChildOptions& options, const std::function<void()>& run);
    // Reads what is waiting for up to timeoutMs; false when nothing is left
    // open to read.
    bool Pump(int timeoutMs);
    void ReapIfEnded(bool block);

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

#endif
