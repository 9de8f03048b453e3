#include "platform/terminal.h"
#include "support/child.h"
#include "support/childconsole.h"
#include "support/pty.h"
#include "util/assertion.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace {

constexpr int TIMEOUT_MS = 10000;

std::string Code(int c)
{
    return "[" + std::to_string(c) + "]";
}

// Starts body on a fresh pseudo-terminal whose output the test sees; the
// body announces "ready" once the terminal layer is active.
void StartOnTerminal(ChildProcess& child, const std::function<int()>& body)
{
    ChildOptions options;
    options.input = ChildInput::Pty;
    ASSERT_TRUE(child.StartFunction(body, options));
    ASSERT_TRUE(child.WaitForOutput("ready", TIMEOUT_MS)) << child.Output() << child.Error();
}

int AnnounceAndWaitForKey()
{
    TerminalInit();
    TerminalWrite("ready", 5);
    return TerminalGetKey();
}

[[noreturn]] void ThrowUncaught()
{
    throw std::runtime_error("engine on fire");
}

int CallWithoutExceptions(void (*function)()) noexcept
{
    function();
    return 0;
}

} // namespace

TEST(Terminal, PipedInputIsReadByteByByteAfterTheQueuedWindowKeys)
{
    const ConsoleRun run = RunConsole("xy\r", []() {
        std::string seen = TerminalModeActive() ? "mode-on " : "mode-off ";
        TerminalQueueKey('w');
        TerminalQueueKey('a');
        seen += TerminalKeyHit() ? "hit " : "none ";
        for (int i = 0; i < 5; ++i) {
            seen += Code(TerminalGetKey());
        }
        seen += TerminalInputEnded() ? " ended" : " open";
        seen += TerminalKeyHit() ? " hit" : " none";
        seen += Code(TerminalGetKey());
        ReportLine(seen);
    });
    ASSERT_TRUE(run.finished);
    // Window keys first, then the pipe's bytes untranslated (13 stays 13),
    // then the end of input reads as a line feed and no key is waiting.
    EXPECT_EQ(run.report, "mode-off hit [119][97][120][121][13] open none[10]\n");
    EXPECT_EQ(run.output, "");
}

TEST(Terminal, EndOfInputIsNoKeyAndReadsAsLineFeed)
{
    const ConsoleRun run = RunConsole("", []() {
        std::string seen = TerminalKeyHit() ? "hit" : "none";
        seen += Code(TerminalGetKey()) + Code(TerminalGetKey());
        seen += TerminalInputEnded() ? " ended" : " open";
        ReportLine(seen);
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.report, "none[10][10] ended\n");
}

TEST(Terminal, WindowKeyQueueHoldsSixtyFourKeysAndDropsTheRest)
{
    const ConsoleRun run = RunConsole("", []() {
        for (int i = 0; i < TERMINAL_KEY_QUEUE_SIZE + 6; ++i) {
            TerminalQueueKey(static_cast<char>('0' + i % 10));
        }
        int count = 0;
        std::string keys;
        while (TerminalKeyHit()) {
            keys += TerminalGetKey();
            ++count;
        }
        ReportLine(std::to_string(count) + " " + keys.substr(0, 12) + " " + keys.substr(60));
        TerminalQueueKey('z'); // room again after draining
        ReportLine(std::string(1, TerminalGetKey()));
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.report, "64 012345678901 0123\nz\n");
}

TEST(Terminal, KeyHitNeverWaitsForAnOpenButEmptyInput)
{
    ChildProcess child;
    ChildOptions options;
    ASSERT_TRUE(child.StartFunction(
        []() {
            int hits = 0;
            for (int i = 0; i < 1000; ++i) {
                hits += TerminalKeyHit() ? 1 : 0;
            }
            TerminalWrite("polled", 6);
            return hits;
        },
        options));
    // The input pipe stays open and empty: a waiting poll would never end.
    ASSERT_TRUE(child.WaitForOutput("polled", TIMEOUT_MS));
    ASSERT_TRUE(child.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(child.ExitCode(), 0);
}

TEST(Terminal, WritesGoOutAtOnceAndClearUsesTheTerminalSequence)
{
    const ConsoleRun run = RunConsole("", []() {
        std::fputs("via stdio ", stdout); // buffered, must come out first
        TerminalPutChar('A');
        TerminalClear();
        TerminalWrite("bc\n", 3);
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "via stdio A\033[H\033[2J\033[3Jbc\n");
}

TEST(Terminal, GameModeOnATerminalHasNoEchoNoLineBufferingAndComesBackAtExit)
{
    ChildProcess child;
    StartOnTerminal(child, []() {
        TerminalInit();
        TerminalWrite("ready", 5);
        TerminalWrite("[", 1);
        const char first = TerminalGetKey(); // must arrive without Enter
        TerminalWrite(Code(first).c_str() + 1, Code(first).size() - 1);
        const char second = TerminalGetKey();
        TerminalWrite(Code(second).c_str(), Code(second).size());
        std::exit(0); // the normal way out, through atexit
        return 0;
    });
    const termios during = child.Terminal()->Settings();
    EXPECT_TRUE(IsGameMode(during));

    ASSERT_TRUE(child.Write("z"));
    ASSERT_TRUE(child.WaitForOutput("[122]", TIMEOUT_MS)) << child.Output();
    ASSERT_TRUE(child.Write("\r"));
    ASSERT_TRUE(child.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(child.ExitCode(), 0);
    // No echo of the typed z, and Enter arrives as carriage return 13.
    EXPECT_EQ(child.Output(), "ready[122][13]");

    const termios after = child.Terminal()->Settings();
    EXPECT_FALSE(IsGameMode(after));
    EXPECT_NE(after.c_lflag & ICANON, 0U);
    EXPECT_NE(after.c_lflag & ECHO, 0U);
    EXPECT_NE(after.c_iflag & ICRNL, 0U);
}

TEST(Terminal, OriginalSettingsReturnAfterAFailedAssertion)
{
    ChildProcess child;
    const termios before = PseudoTerminal().Settings();
    StartOnTerminal(child, []() {
        const int key = AnnounceAndWaitForKey();
        QV_ASSERT(key == 'y');
        return 0;
    });
    EXPECT_TRUE(IsGameMode(child.Terminal()->Settings()));
    ASSERT_TRUE(child.Write("n"));
    ASSERT_TRUE(child.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(child.TermSignal(), SIGABRT);
    EXPECT_NE(child.Error().find("Assertion failed: key == 'y', file "), std::string::npos)
        << child.Error();
    EXPECT_TRUE(SameSettings(child.Terminal()->Settings(), before));
}

TEST(Terminal, OriginalSettingsReturnAfterAnUncaughtException)
{
    ChildProcess child;
    const termios before = PseudoTerminal().Settings();
    StartOnTerminal(child, []() {
        AnnounceAndWaitForKey();
        return CallWithoutExceptions(&ThrowUncaught);
    });
    ASSERT_TRUE(child.Write("x"));
    ASSERT_TRUE(child.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(child.TermSignal(), SIGABRT);
    EXPECT_NE(child.Error().find("engine on fire"), std::string::npos) << child.Error();
    EXPECT_TRUE(SameSettings(child.Terminal()->Settings(), before));
}

TEST(Terminal, CtrlCAndTerminatingSignalsRestoreAndStillKillBySignal)
{
    const termios before = PseudoTerminal().Settings();
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig);
        ChildProcess child;
        StartOnTerminal(child, []() {
            for (;;) {
                AnnounceAndWaitForKey();
            }
            return 0;
        });
        ASSERT_TRUE(IsGameMode(child.Terminal()->Settings()));
        if (sig == SIGINT) {
            ASSERT_TRUE(child.Write("\003")); // Ctrl+C typed: signals stay on
        } else {
            ASSERT_TRUE(child.Signal(sig));
        }
        ASSERT_TRUE(child.WaitExit(TIMEOUT_MS));
        EXPECT_EQ(child.TermSignal(), sig);
        EXPECT_TRUE(SameSettings(child.Terminal()->Settings(), before));
    }
}

TEST(Terminal, LineInputGuardLendsTheOriginalModeAndTakesItBack)
{
    ChildProcess child;
    StartOnTerminal(child, []() {
        TerminalInit();
        TerminalWrite("ready", 5);
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
        return 0;
    });
    ASSERT_TRUE(child.WaitForOutput("line", TIMEOUT_MS));
    const termios lent = child.Terminal()->Settings();
    EXPECT_FALSE(IsGameMode(lent));
    ASSERT_TRUE(child.Write("\n")); // a whole line, nothing left over
    ASSERT_TRUE(child.WaitForOutput("game", TIMEOUT_MS));
    EXPECT_TRUE(IsGameMode(child.Terminal()->Settings()));
    ASSERT_TRUE(child.Write("b"));
    ASSERT_TRUE(child.WaitForOutput("done", TIMEOUT_MS));
    EXPECT_TRUE(SameSettings(child.Terminal()->Settings(), lent));
    ASSERT_TRUE(child.Write("c\n"));
    ASSERT_TRUE(child.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(child.ExitCode(), 0);
}
