#include "platform/terminal.h"
#include "platform/terminal_input.h"
#include "support/child.h"
#include "util/assertion.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

static std::string Code(int c)
{
    return "[" + std::to_string(c) + "]";
}
// The mode of the child's own terminal: G for game mode, L for line input.
static void WriteMode()
{
    termios settings{};
    tcgetattr(STDIN_FILENO, &settings);
    TerminalWrite(IsGameMode(settings) ? "G" : (settings.c_lflag & ICANON) != 0 ? "L" : "?", 1);
}
// NOLINTNEXTLINE(bugprone-exception-escape): the exception ending the program is tested
static void ThrowThroughNoexcept() noexcept
{
    TerminalGetKey();
    [] { throw std::runtime_error("engine on fire"); }();
}
TEST(Terminal, PipedInputComesAfterWindowKeysEndsAsLineFeedsAndGameModeIsUndoneAtEveryEnd)
{
    const ChildRun run = RunChild("xy\r", []() {
        std::string seen = TerminalModeActive() ? "on " : "off ";
        TerminalQueueKey('w'), TerminalQueueKey('a');
        seen += TerminalKeyHit() ? "hit " : "none ";
        for (int i = 0; i < 5; ++i)
            seen += Code(TerminalGetKey());
        seen += TerminalInputEnded() ? " ended" : " open";
        seen += TerminalKeyHit() ? " hit" : " none";
        seen += Code(TerminalGetKey()) + Code(TerminalGetKey());
        ReportLine(seen + (TerminalInputEnded() ? " ended" : " open"));
        std::fputs("via stdio ", stdout); // flushed before the console's own writes
        TerminalPutChar('A'), TerminalClear(), TerminalWrite("bc\n", 3);
    });
    ASSERT_EQ(run.exitCode, 0);
    // Pipe bytes are not translated (13 stays 13).
    EXPECT_EQ(run.report, "off hit [119][97][120][121][13] open none[10][10] ended\n");
    EXPECT_EQ(run.output, "via stdio A\033[H\033[2J\033[3Jbc\n");
    const struct
    {
        void (*body)();
        const char* typed;
        int signal; // that ends the child, 0 for a normal end
        const char *error, *output;
    } cases[] = {
        {[]() {
             for (int i = 0; i < 2; ++i) { // no Enter needed, no echo, Enter as 13
                 const std::string code = Code(TerminalGetKey());
                 TerminalWrite(code.c_str(), code.size());
             }
             {
                 const CTerminalLineInput lineInput; // lends the original mode
                 WriteMode();
             }
             WriteMode();
             TerminalRestore(), TerminalRestore(); // a second restore changes nothing
             WriteMode();
         },
         "z\r", 0, "", "[122][13]LGL"},
        {[]() { std::exit(TerminalGetKey() - 'q'); }, "q", 0, "", ""}, // restored at exit
        {[]() { QV_ASSERT(TerminalGetKey() == 'y'); }, "n", SIGABRT,
         "Assertion failed: TerminalGetKey() == 'y', file ", ""},
        {&ThrowThroughNoexcept, "x", SIGABRT, "engine on fire", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const ChildRun run = RunChild(c.typed, c.body, ChildInput::Pty);
        EXPECT_TRUE(run.gameMode && run.restored);
        EXPECT_EQ(run.signal, c.signal);
        EXPECT_EQ(run.exitCode, c.signal == 0 ? 0 : -1);
        EXPECT_NE(run.report.find(c.error), std::string::npos) << run.report;
        EXPECT_EQ(run.output, c.output);
    }
}
TEST(Terminal, EverySourceGoesThroughOneQueueLookaheadAndEndOfInput)
{
    static const int script[] = {
        TERMINAL_NO_BYTE,      TERMINAL_NO_BYTE,      200, 'q',
        TERMINAL_END_OF_INPUT, TERMINAL_END_OF_INPUT, 'z', TERMINAL_END_OF_INPUT};
    static const int* next = script; // polls and waits take the answers in turn
    const auto answer = [] { return *next++; };
    const TerminalByteSource platform = TerminalSetByteSource({answer, answer});
    std::string seen;
    // h: a key hit? (+/-), w: a window key, which comes before the source's bytes, g: a key got;
    // then E when the input has ended. The end is reported at once, without a read that waits, and
    // a source may give bytes again after an end.
    for (const char step : std::string("hwhghhgghghgg")) {
        if (step == 'w')
            TerminalQueueKey('w');
        else if (step == 'g')
            seen += Code(static_cast<unsigned char>(TerminalGetKey()));
        else
            seen += TerminalKeyHit() ? "+" : "-";
        if (step != 'w')
            seen += TerminalInputEnded() ? "E " : " ";
    }
    TerminalSetByteSource(platform);
    EXPECT_EQ(next, std::end(script));
    EXPECT_EQ(seen, "- + [119] - + [200] [113] -E [10]E + [122] [10]E ");
}
