#include "game/cconsole.h"
#include "platform/terminal.h"
#include "support/child.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

TEST(CConsole, KeysComeWithoutEchoAndLinesKeepEveryKey)
{
    const ConsoleRun run = RunConsole("\rA\n\033ab\x7f\tc\r\rlast", []() {
        CConsole console;
        console << 'c' << "-text-" << std::string("str") << 1200 << INT_MIN << -45 << '\n';
        std::string seen = console.KeyHit() ? "hit " : "none ";
        TerminalQueueKey('\r'); // a window key, seen but not consumed
        seen += console.KeyHit() ? "hit " : "none ";
        seen += std::to_string(console.GetKey()) + " ";
        for (int i = 0; i < 4; ++i) { // only carriage return becomes a line feed
            seen += std::to_string(console.GetKey()) + " ";
        }
        ReportLine(seen);
        for (int i = 0; i < 3; ++i) { // the last line ends with the input
            ReportLine("[" + console.ReadLine() + "]");
        }
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.report, "hit hit 10 10 65 10 27 \n[ab\x7f\tc]\n[]\n[last]\n");
    EXPECT_EQ(run.output, "c-text-str1200-2147483648-45\nab\x7f\tc\n\nlast\n");
}

TEST(CConsole, ReadIntAndReadPositiveIntParseAndComplain)
{
    const ConsoleRun run = RunConsole("-12\rx-y7 99999999999\r-99999999999\r0\rab5\r", []() {
        CConsole console;
        for (int i = 0; i < 6; ++i) {
            int value = -1;
            const bool ok = console.ReadInt(value);
            ReportLine(std::string(ok ? "ok " : "no ") + std::to_string(value));
        }
        ReportLine(std::to_string(console.ReadPositiveInt("N? ")));
        // The input has ended: no number can come any more.
        ReportLine(std::to_string(console.ReadPositiveInt("M? ")));
    });
    ASSERT_TRUE(run.finished);
    // "x" and "-y" fail on the letter with 0; "7 " is 7 with the space
    // consumed; numbers beyond the int range are held at its ends.
    EXPECT_EQ(run.report, "ok -12\nno 0\nno 0\nok 7\nok 2147483647\nok -2147483648\n5\n1\n");
    const std::string complaint = "Please enter a positive integer!! \n\n";
    EXPECT_EQ(run.output, "-12\nx-y7 99999999999\n-99999999999\nN? 0\n" + complaint + "N? a" +
                              complaint + "N? b" + complaint + "N? 5\nM? \n");
}
