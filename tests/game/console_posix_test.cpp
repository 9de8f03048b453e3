// The console and the player's questions and commands, on a pipe of a child process of their own.
#include "game/cconsole.h"
#include "game/commands.h"
#include "game/cplayer.h"
#include "platform/terminal.h"
#include "support/child.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <utility>
const std::string QUESTION = "Would you like to play again (Y/N)?: \n";
TEST(CConsole, KeysComeWithoutEchoAndLinesKeepEveryKey)
{
    const ChildRun run = RunChild("\rA\n\033ab\x7f\tc\r\rlast", []() {
        CConsole console;
        console << 'c' << "-text-" << std::string("str") << 1200 << INT_MIN << -45 << '\n';
        std::string seen = console.KeyHit() ? "hit " : "none ";
        TerminalQueueKey('\r'); // a window key, seen but not consumed
        seen += console.KeyHit() ? "hit " : "none ";
        for (int i = 0; i < 5; ++i) // only carriage return becomes a line feed
            seen += std::to_string(console.GetKey()) + " ";
        ReportLine(seen);
        for (int i = 0; i < 3; ++i) // the last line ends with the input
            ReportLine("[" + console.ReadLine() + "]");
    });
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.report, "hit hit 10 10 65 10 27 \n[ab\x7f\tc]\n[]\n[last]\n");
    EXPECT_EQ(run.output, "c-text-str1200-2147483648-45\nab\x7f\tc\n\nlast\n");
}
TEST(CConsole, ReadIntAndReadPositiveIntParseAndComplain)
{
    const ChildRun run = RunChild("-12\rx-y7 99999999999\r-99999999999\r0\rab5\r", []() {
        CConsole console;
        for (int i = 0; i < 6; ++i) {
            int value = -1;
            const bool ok = console.ReadInt(value);
            ReportLine(std::string(ok ? "ok " : "no ") + std::to_string(value));
        }
        for (const char* prompt : {"N? ", "M? "}) // then the input has ended: no number comes
            ReportLine(std::to_string(console.ReadPositiveInt(prompt)));
    });
    ASSERT_EQ(run.exitCode, 0);
    // "x" and "-y" fail on the letter with 0; "7 " is 7 with the space consumed; numbers beyond
    // the int range are held at its ends.
    EXPECT_EQ(run.report, "ok -12\nno 0\nno 0\nok 7\nok 2147483647\nok -2147483648\n5\n1\n");
    const std::string complaint = "Please enter a positive integer!! \n\n";
    EXPECT_EQ(run.output, "-12\nx-y7 99999999999\n-99999999999\nN? 0\n" + complaint + "N? a" +
                              complaint + "N? b" + complaint + "N? 5\nM? \n");
}
TEST(CPlayer, TheHighScoreOnlyRisesAndPlayAgainOnlyOnYes)
{
    CPlayer player("p");
    for (const auto& [candidate, high] : {std::pair{500, 500}, {100, 500}, {1200, 1200}}) {
        player.SetHighScore(candidate);
        EXPECT_EQ(player.GetHighScore(), high) << candidate;
    }
    const ChildRun run = RunChild("yYn\r\033N", []() {
        CPlayer player("p");
        for (int i = 0; i < 6; ++i)
            ReportLine(player.AskPlayAgain() ? "again" : "stop");
    });
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.report, "again\nagain\nstop\nstop\nstop\nstop\n");
    const std::string again = QUESTION + "Game will restart in 3 seconds \n";
    EXPECT_EQ(run.output, again + again + QUESTION + QUESTION + QUESTION + QUESTION);
}
TEST(CPlayer, CommandsMapOnlyLowerCaseKeysAndEndedInputQuits)
{
    const ChildRun run = RunChild("adwsphkAWDSPHK \r5", []() {
        CPlayer player("p");
        TerminalQueueKey('k'); // a window key comes before the typed ones
        std::string codes;
        for (int i = 0; i < 18; ++i)
            codes += std::to_string(player.GetCommand());
        for (int quits = 0; quits < 2;) // leaving out the passes before the end arrived
            quits += player.GetCommand() == CMD_QUIT ? 1 : 0;
        ReportLine(codes + (player.AskPlayAgain() ? " again" : " stop"));
    });
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.report, "50123465" // the window's k, then adwsphk; the rest and the end: none
                          "7777777777 stop\n");
    EXPECT_EQ(run.output, QUESTION);
}
