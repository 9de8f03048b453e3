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

// Runs body on a fresh pseudo-terminal in game mode, announced by "ready".
void StartOnTerminal(ChildProcess& child, void (*body)())
{
    ChildOptions options;
    options.input = ChildInput::Pty;
    ASSERT_TRUE(child.StartFunction(
        [body]() {
            TerminalInit();
            TerminalWrite("ready", 5);
            body();
            return 0;
        },
        options));
    ASSERT_TRUE(child.WaitForOutput("ready", 10000)) << child.Error();
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
             std::exit(0); // the normal way out, through atexit
         },
         "z\r", 0, "", "ready[122][13]"},
        {[]() { QV_ASSERT(TerminalGetKey() == 'y'); }, "n", SIGABRT,
         "Assertion failed: TerminalGetKey() == 'y', file ", "ready"},
        {&ThrowThroughNoexcept, "x", SIGABRT, "engine on fire", "ready"},
        {[]() { TerminalGetKey(); }, "\003", SIGINT, "", "ready"}, // Ctrl+C
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ChildProcess child;
        StartOnTerminal(child, c.body);
        EXPECT_TRUE(IsGameMode(child.Terminal()->Settings()));
        ASSERT_TRUE(child.Write(c.typed));
        ASSERT_TRUE(child.WaitExit(10000));
        EXPECT_EQ(child.TermSignal(), c.signal);
        EXPECT_EQ(child.ExitCode(), c.signal == 0 ? 0 : -1);
        EXPECT_NE(child.Error().find(c.error), std::string::npos) << child.Error();
        EXPECT_EQ(child.Output(), c.output);
        EXPECT_TRUE(SameSettings(child.Terminal()->Settings(), before));
    }
}

TEST(Terminal, LineInputGuardLendsTheOriginalModeAndTakesItBack)
{
    ChildProcess child;
    StartOnTerminal(child, []() {
        {
            const CTerminalLineInput lineInput;
            TerminalWrite("line", 4);
            TerminalGetKey();
        }
        TerminalWrite("game", 4);
        TerminalGetKey();
        TerminalRestore();
        TerminalRestore(); // a second restore changes nothing
        TerminalWrite("done", 4);
        TerminalGetKey();
    });
    ASSERT_TRUE(child.WaitForOutput("line", 10000));
    const termios lent = child.Terminal()->Settings();
    EXPECT_FALSE(IsGameMode(lent));
    ASSERT_TRUE(child.Write("\n") && child.WaitForOutput("game", 10000));
    EXPECT_TRUE(IsGameMode(child.Terminal()->Settings()));
    ASSERT_TRUE(child.Write("b") && child.WaitForOutput("done", 10000));
    EXPECT_TRUE(SameSettings(child.Terminal()->Settings(), lent));
    ASSERT_TRUE(child.Write("c\n") && child.WaitExit(10000));
    EXPECT_EQ(child.ExitCode(), 0);
}
