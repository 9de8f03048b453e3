#include "game/commands.h"
#include "game/cplayer.h"
#include "platform/terminal.h"
#include "support/child.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

const std::string QUESTION = "Would you like to play again (Y/N)?: \n";

TEST(CPlayer, TheHighScoreOnlyRises)
{
    CPlayer player("p");
    for (const auto& [candidate, high] :
         {std::pair{500, 500}, {100, 500}, {500, 500}, {1200, 1200}}) {
        player.SetHighScore(candidate);
        EXPECT_EQ(player.GetHighScore(), high) << candidate;
    }
}

TEST(CPlayer, PlayAgainOnlyOnYes)
{
    const ConsoleRun run = RunConsole("yYn\r\033N", []() {
        CPlayer player("p");
        for (int i = 0; i < 6; ++i) {
            ReportLine(player.AskPlayAgain() ? "again" : "stop");
        }
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.report, "again\nagain\nstop\nstop\nstop\nstop\n");
    const std::string again = QUESTION + "Game will restart in 3 seconds \n";
    EXPECT_EQ(run.output, again + again + QUESTION + QUESTION + QUESTION + QUESTION);
}

TEST(CPlayer, CommandsNeverWaitMapOnlyLowerCaseKeysAndEndedInputQuits)
{
    // Nothing typed on an open terminal: every call returns at once.
    const auto idle = []() {
        CPlayer player("p");
        std::string codes;
        for (int i = 0; i < 100; ++i) {
            codes += std::to_string(player.GetCommand());
        }
        ReportLine(codes);
    };
    EXPECT_EQ(RunConsole("", idle, ChildInput::Pty).report, std::string(100, '7') + "\n");
    const ConsoleRun run = RunConsole("adwsphkAWDSPHK \r5", []() {
        CPlayer player("p");
        TerminalQueueKey('k'); // a window key comes before the typed ones
        std::string codes;
        for (int i = 0; i < 18; ++i) {
            codes += std::to_string(player.GetCommand());
        }
        for (int quits = 0; quits < 2;) { // leaving out the passes before the end arrived
            quits += player.GetCommand() == CMD_QUIT ? 1 : 0;
        }
        ReportLine(codes + (player.AskPlayAgain() ? " again" : " stop"));
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.report, "5"
                          "0123465"
                          "7777777777 stop\n");
    EXPECT_EQ(run.output, QUESTION);
}
