#include "game/commands.h"
#include "game/cplayer.h"
#include "platform/terminal.h"
#include "support/child.h"
#include "support/dialogue.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const std::string QUESTION = "Would you like to play again (Y/N)?: \n";

// Runs body with keys on a pipe and on a pseudo-terminal: both show exactly
// the expected bytes, the terminal with CR LF line ends.
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

TEST(CPlayer, BannerAndHelpMenuAreShownExactly)
{
    ExpectShown(
        "", []() { CPlayer("p").ShowBanner(); }, ExpectedBanner());
    ExpectShown(
        "", []() { CPlayer("p").ShowHelp(); }, ExpectedHelp());
}

TEST(CPlayer, NameAndScoresInTheGameOverReport)
{
    // The name is kept as typed, Backspace included.
    for (const std::string name : {"", "Ann\bx"}) {
        ExpectShown(
            name + "\r",
            []() {
                CPlayer player("p");
                player.AskName();
                for (const int score : {0, 500, 100, 1200}) {
                    player.SetScore(score);
                    player.SetHighScore(player.GetScore());
                    player.ShowGameOver();
                }
            },
            "Please enter your name: \n" + name + "\n" + ExpectedReport(name, 0, 0) +
                ExpectedReport(name, 500, 500) + ExpectedReport(name, 100, 500) +
                ExpectedReport(name, 1200, 1200));
    }
}

TEST(CPlayer, HighScoreOnlyRises)
{
    CPlayer player("p");
    for (const int score : {500, 500, 100, -3}) {
        player.SetHighScore(score);
    }
    EXPECT_EQ(player.GetHighScore(), 500);
    player.SetHighScore(501);
    EXPECT_EQ(player.GetHighScore(), 501);
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

TEST(CPlayer, CommandsMapOnlyLowerCaseKeysAndNeverWait)
{
    ChildProcess child;
    ASSERT_TRUE(child.StartFunction(
        []() {
            CPlayer player("p");
            // Nothing typed and the input still open: every call returns at once.
            for (int i = 0; i < 100; ++i) {
                if (player.GetCommand() != CMD_NONE) {
                    return 1;
                }
            }
            TerminalWrite("idle\n", 5);
            while (!TerminalKeyHit()) {
                // the keys come in one write, so all of them are there now
            }
            TerminalQueueKey('k'); // a window key comes before the typed ones
            std::string codes;
            for (int i = 0; i < 19; ++i) {
                codes += std::to_string(player.GetCommand());
            }
            ReportLine(codes);
            return 0;
        },
        ChildOptions()));
    ASSERT_TRUE(child.WaitForOutput("idle", 10000));
    ASSERT_TRUE(child.Write("adwsphkAWDSPHK \r5"));
    ASSERT_TRUE(child.WaitExit(10000));
    EXPECT_EQ(child.ExitCode(), 0);
    // k from the window; a d w s p h k; upper case, Space, Enter, a digit and
    // then nothing waiting are all CMD_NONE.
    EXPECT_EQ(child.Error(), "5"
                             "0123465"
                             "77777777777\n");
}

TEST(CPlayer, EndedInputQuitsOnceTheKeysAreUsedUpAndIsNoToPlayingAgain)
{
    const ConsoleRun run = RunConsole("w", []() {
        CPlayer player("p");
        std::string codes; // leaving out the passes before the key arrived
        for (int quits = 0; quits < 2;) {
            const int code = player.GetCommand();
            codes += code != CMD_NONE ? std::to_string(code) : "";
            quits += code == CMD_QUIT ? 1 : 0;
        }
        ReportLine(codes + (player.AskPlayAgain() ? " again" : " stop"));
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.report, "255 stop\n");
    EXPECT_EQ(run.output, QUESTION);
}
