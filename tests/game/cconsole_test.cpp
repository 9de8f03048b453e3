#include "game/cconsole.h"
#include "platform/terminal.h"
#include "support/childconsole.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

TEST(CConsole, IntToTextWritesPlainDecimalDigits)
{
    EXPECT_EQ(CConsole::IntToText(0), "0");
    EXPECT_EQ(CConsole::IntToText(7), "7");
    EXPECT_EQ(CConsole::IntToText(100), "100");
    EXPECT_EQ(CConsole::IntToText(500), "500");
    EXPECT_EQ(CConsole::IntToText(1200), "1200");
    EXPECT_EQ(CConsole::IntToText(INT_MAX), "2147483647");
    EXPECT_EQ(CConsole::IntToText(-45), "-45");
    EXPECT_EQ(CConsole::IntToText(INT_MIN), "-2147483648");
}

TEST(CConsole, ChainedWritesComeOutInOrder)
{
    const ConsoleRun run = RunConsole("", []() {
        CConsole console;
        console << 'c' << "-text-" << std::string("str") << 1200 << '\n';
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "c-text-str1200\n");
}

TEST(CConsole, GetKeyTurnsOnlyCarriageReturnIntoLineFeed)
{
    const ConsoleRun run = RunConsole("\rA\n\033", []() {
        CConsole console;
        std::string codes;
        for (int i = 0; i < 4; ++i) {
            codes += std::to_string(console.GetKey()) + " ";
        }
        ReportLine(codes);
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.report, "10 65 10 27 \n");
    EXPECT_EQ(run.output, ""); // no echo
}

TEST(CConsole, ReadLineEchoesKeysAndStoresThemWithoutEditing)
{
    const ConsoleRun run = RunConsole("ab\x7f\tc\r\rlast", []() {
        CConsole console;
        ReportLine("[" + console.ReadLine() + "]");
        ReportLine("[" + console.ReadLine() + "]");
        ReportLine("[" + console.ReadLine() + "]"); // ended by the end of input
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.report, "[ab\x7f\tc]\n[]\n[last]\n");
    EXPECT_EQ(run.output, "ab\x7f\tc\n\nlast\n");
}

TEST(CConsole, ReadIntParsesSignedNumbersAndConsumesTheEndingKey)
{
    const ConsoleRun run = RunConsole("-12\rx-y7 99999999999\r-2147483648\r", []() {
        CConsole console;
        for (int i = 0; i < 6; ++i) {
            int value = -1;
            const bool ok = console.ReadInt(value);
            ReportLine(std::string(ok ? "ok " : "no ") + std::to_string(value));
        }
    });
    ASSERT_TRUE(run.finished);
    // "-y" fails on the y; "7 " is 7 with the space consumed; numbers beyond
    // the int range are held at its ends.
    EXPECT_EQ(run.report, "ok -12\nno 0\nno 0\nok 7\nok 2147483647\nok -2147483648\n");
    EXPECT_EQ(run.output, "-12\nx-y7 99999999999\n-2147483648\n");
    const ConsoleRun last = RunConsole("-99999999999\r", []() {
        CConsole console;
        int value = 0;
        console.ReadInt(value);
        ReportLine(std::to_string(value));
    });
    EXPECT_EQ(last.report, "-2147483648\n");
}

TEST(CConsole, ReadPositiveIntComplainsOncePerFailingKeyAndStopsAtEndOfInput)
{
    const ConsoleRun run = RunConsole("0\rab5\r", []() {
        CConsole console;
        ReportLine(std::to_string(console.ReadPositiveInt("N? ")));
        // Input has ended: no number can come any more.
        ReportLine(std::to_string(console.ReadPositiveInt("M? ")));
    });
    ASSERT_TRUE(run.finished);
    const std::string complaint = "Please enter a positive integer!! \n\n";
    EXPECT_EQ(run.report, "5\n1\n");
    EXPECT_EQ(run.output,
              "N? 0\n" + complaint + "N? a" + complaint + "N? b" + complaint + "N? 5\nM? \n");
}

TEST(CConsole, KeyHitSeesWindowKeysAndDoesNotConsume)
{
    const ConsoleRun run = RunConsole("", []() {
        CConsole console;
        std::string seen = console.KeyHit() ? "hit " : "none ";
        TerminalQueueKey('\r');
        seen += console.KeyHit() ? "hit " : "none ";
        seen += console.KeyHit() ? "hit " : "none ";
        seen += std::to_string(console.GetKey());
        ReportLine(seen);
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.report, "none hit hit 10\n");
}
