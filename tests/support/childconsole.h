#ifndef QV_TESTS_SUPPORT_CHILDCONSOLE_H
#define QV_TESTS_SUPPORT_CHILDCONSOLE_H

#include "support/child.h"

#include <functional>
#include <string>
#include <string_view>

/// What a console run in a child process showed.
struct ConsoleRun
{
    bool finished = false; ///< the child ended by itself with exit code 0
    std::string output;    ///< its standard output, byte for byte
    std::string report;    ///< what the body wrote to standard error
};

/// Runs body in a forked child whose standard input is a pipe holding keys
/// (closed after them, so the child then reads the end of input) and whose
/// standard output is collected byte for byte. The body reports its findings
/// on standard error (e.g. with ReportLine). Waits at most 10 s.
ConsoleRun RunConsole(std::string_view keys, const std::function<void()>& body);

/// Writes text and a line feed to standard error, unbuffered.
void ReportLine(const std::string& text);

#endif
