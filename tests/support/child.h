#ifndef QV_TESTS_SUPPORT_CHILD_H
#define QV_TESTS_SUPPORT_CHILD_H
#include <functional>
#include <iostream>
#include <string>
#include <string_view>
#include <termios.h>

/// Keys come at once and without echo, while Ctrl+C still interrupts.
inline bool IsGameMode(const termios& s)
{
    return (s.c_lflag & (ICANON | ECHO | ISIG)) == ISIG && s.c_cc[VMIN] == 1;
}
/// The child's standard input: a pipe closed after the keys, one left open and silent, or a new
/// pseudo-terminal (also its controlling terminal and output) in game mode before the keys.
enum class ChildInput
{
    Pipe,
    OpenPipe,
    Pty
};
struct ChildRun
{
    int exitCode = -1, signal = 0;           ///< how it ended
    std::string output, report;              ///< standard output and error (CR LF on a terminal)
    bool gameMode = false, restored = false; ///< on a terminal: before the keys, at the end
};
/// Runs body in a forked child (killed after 30 s), types keys once it waits, collects its output.
ChildRun RunChild(std::string_view keys, const std::function<void()>& body,
                  ChildInput input = ChildInput::Pipe);
inline void ReportLine(const std::string& text)
{
    std::cerr << text + "\n";
}
#endif
