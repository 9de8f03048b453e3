#include "game/commands.h"
#include "game/cplayer.h"
#include "platform/terminal.h"
#include "support/child.h"
#include "support/dialogue.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const std::string QUESTION = "Would you like to play again (Y/N)?: \n";

// Runs body with keys on a pipe and on a terminal (with CR LF line ends).
void ExpectShown(const std::string& keys, const std::function<void()>& body,
                 const std::string& expected, const std::string& report = "")
{
    for (const ChildInput input : {ChildInput::Pipe, ChildInput::Pty}) {
        SCOPED_TRACE(input == ChildInput::Pty ? "terminal" : "pipe");
        const ConsoleRun run = RunConsole(keys, body, input);
        ASSERT_TRUE(run.finished) << run.report;
        std::string shown = expected;
        for (size_t at = 0; input == ChildInput::Pty && (at = shown.find('\n', at)) != shown.npos;
             at += 2) {
            shown.insert(at, "\r");
        }
        EXPECT_EQ(run.output, shown);
        EXPECT_EQ(run.report, report);
    }
}

} // namespace

TEST(CPlayer, BannerHelpMenuAndGameOverReportsAreShownExactly)
{
    // The name is kept as typed, Backspace included; the high score only rises.
    for (const std::string name : {"", "Ann\bx"}) {
        ExpectShown(
            name + "\r",
            []() {
                CPlayer player("p");
                player.ShowBanner();
                player.ShowHelp();
                player.AskName();
                for (const int score : {0, 500, 100, 1200}) {
                    player.SetScore(score);
                    player.SetHighScore(player.GetScore());
                    player.ShowGameOver();
                }
            },
            ExpectedBanner() + ExpectedHelp() + "Please enter your name: \n" + name + "\n" +
                ExpectedReport(name, 0, 0) + ExpectedReport(name, 500, 500) +
                ExpectedReport(name, 100, 500) + ExpectedReport(name, 1200, 1200));
    }
}

TEST(CPlayer, PlayAgainOnlyOnYes)
{
    const std::pair<const char*, bool> cases[] = {{"y", true},   {"Y", true},      {"n", false},
                                                  {"\r", false}, {"\033y", false}, {"N", false}};
    for (const auto& [keys, again] : cases) {
        SCOPED_TRACE(keys);
        ExpectShown(
            keys, []() { ReportLine(CPlayer("p").AskPlayAgain() ? "again" : "stop"); },
            again ? QUESTION + "Game will restart in 3 seconds \n" : QUESTION,
            again ? "again\n" : "stop\n");
    }
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
        while (!TerminalKeyHit()) { // the keys come in one write
        }
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
