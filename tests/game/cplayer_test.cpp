#include "game/commands.h"
#include "game/cplayer.h"
#include "platform/terminal.h"
#include "support/child.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const std::string STARS = std::string(50, '*') + "\n";
const std::string QUESTION = "Would you like to play again (Y/N)?: \n";

// A help-menu line: the text padded on the right to 50 characters.
std::string Padded(const std::string& text)
{
    return text + std::string(50 - text.size(), ' ') + "\n";
}

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
        "", []() { CPlayer("p").ShowBanner(); },
        STARS + "************** Quorvadellix v 1.0 ****************\n" + STARS +
            "**Developed by:" + std::string(30, ' ') + "*****\n" +
            "**Pelvannorth & Quillobranthexa" + std::string(14, ' ') + "*****\n" +
            "**April 7, 2004" + std::string(7, '\t') + "   *****\n" + STARS + STARS + STARS +
            "Game will start 3 seconds after you enter you name\n");
    ExpectShown(
        "", []() { CPlayer("p").ShowHelp(); },
        "\033[H\033[2J\033[3J" + STARS + "******************* HELP MENU ********************\n" +
            STARS + Padded("INSTRUCTIONS:") +
            "AVOID THE ASTEROIDS FOR AS LONG AS POSSIBLE TO WIN\n" + Padded("") +
            Padded("BUTTONS:") + Padded("    'W' TO MOVE FOAWRD") + Padded("    'A' TO TURN LEFT") +
            Padded("    'D' TO TURN RIGHT") + Padded("    'S' TO BRAKE") +
            Padded("    'P' TO PAUSE/UNPAUSE THE GAME") + Padded("    'H' FOR HELP") +
            Padded("    'K' TO QUIT THE GAME") + STARS + STARS + STARS);
}

TEST(CPlayer, NameAndScoresInTheGameOverReport)
{
    const auto report = [](const std::string& name, const std::string& score,
                           const std::string& high) {
        return "Good Job, " + name + " !\nGame Over!\nYour Score this Game was: " + score +
               "\nYour High Score is:  " + high + "\n";
    };
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
            "Please enter your name: \n" + name + "\n" + report(name, "0", "0") +
                report(name, "500", "500") + report(name, "100", "500") +
                report(name, "1200", "1200"));
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
