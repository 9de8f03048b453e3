#include "platform/terminal.h"
#include "support/child.h"
#include "util/assertion.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace {

std::string Code(int c)
{
    return "[" + std::to_string(c) + "]";
}

// The mode of the child's own terminal: G for game mode, L for line input.
void WriteMode()
{
    termios settings{};
    tcgetattr(STDIN_FILENO, &settings);
    TerminalWrite(IsGameMode(settings) ? "G" : (settings.c_lflag & ICANON) != 0 ? "L" : "?", 1);
}

// NOLINTNEXTLINE(bugprone-exception-escape): the exception ending the program is tested
void ThrowThroughNoexcept() noexcept
{
    TerminalGetKey();
    [] { throw std::runtime_error("engine on fire"); }();
}

} // namespace

TEST(Terminal, PipedInputComesAfterWindowKeysAndEndsAsLineFeeds)
{
    const ConsoleRun run = RunConsole("xy\r", []() {
        std::string seen = TerminalModeActive() ? "on " : "off ";
        TerminalQueueKey('w');
        TerminalQueueKey('a');
        seen += TerminalKeyHit() ? "hit " : "none ";
        for (int i = 0; i < 5; ++i) {
            seen += Code(TerminalGetKey());
        }
        seen += TerminalInputEnded() ? " ended" : " open";
        seen += TerminalKeyHit() ? " hit" : " none";
        seen += Code(TerminalGetKey()) + Code(TerminalGetKey());
        ReportLine(seen + (TerminalInputEnded() ? " ended" : " open"));
        for (int i = 0; i < TERMINAL_KEY_QUEUE_SIZE + 6; ++i) { // the queue drops the rest
            TerminalQueueKey(static_cast<char>('0' + i % 10));
        }
        std::string keys;
        while (TerminalKeyHit()) {
            keys += TerminalGetKey();
        }
        ReportLine(std::to_string(keys.size()) + " " + keys.substr(60));
        std::fputs("via stdio ", stdout); // flushed before the console's own writes
        TerminalPutChar('A');
        TerminalClear();
        TerminalWrite("bc\n", 3);
    });
    ASSERT_TRUE(run.finished);
    // Pipe bytes are not translated (13 stays 13).
    EXPECT_EQ(run.report, "off hit [119][97][120][121][13] open none[10][10] ended\n64 0123\n");
    EXPECT_EQ(run.output, "via stdio A\033[H\033[2J\033[3Jbc\n");
}

TEST(Terminal, GameModeIsOnWhileActiveAndTheOriginalSettingsComeBackAtEveryEnd)
{
    const termios before = PseudoTerminal().Settings();
    struct Case
    {
        void (*body)();
        const char* typed;
        int signal; // that ends the child, 0 for a normal end
        const char* error;
        const char* output;
    };
    const Case cases[] = {
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
             TerminalRestore();
             TerminalRestore(); // a second restore changes nothing
             WriteMode();
             std::exit(0); // the normal way out, through atexit
         },
         "z\r", 0, "", "ready[122][13]LGL"},
        {[]() { QV_ASSERT(TerminalGetKey() == 'y'); }, "n", SIGABRT,
         "Assertion failed: TerminalGetKey() == 'y', file ", "ready"},
        {&ThrowThroughNoexcept, "x", SIGABRT, "engine on fire", "ready"},
        {[]() { TerminalGetKey(); }, "\003", SIGINT, "", "ready"}, // Ctrl+C
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ChildProcess child;
        ASSERT_TRUE(child.StartFunction(
            [&c]() {
                TerminalInit();
                TerminalWrite("ready", 5);
                c.body();
                return 0;
            },
            ChildOptions{{}, {}, {}, ChildInput::Pty}));
        ASSERT_TRUE(child.WaitForOutput("ready", 10000)) << child.Error();
        EXPECT_TRUE(IsGameMode(child.Terminal()->Settings()));
        ASSERT_TRUE(child.Write(c.typed) && child.WaitExit(10000));
        EXPECT_EQ(child.TermSignal(), c.signal);
        EXPECT_EQ(child.ExitCode(), c.signal == 0 ? 0 : -1);
        EXPECT_NE(child.Error().find(c.error), std::string::npos) << child.Error();
        EXPECT_EQ(child.Output(), c.output);
        EXPECT_TRUE(SameSettings(child.Terminal()->Settings(), before));
    }
}
