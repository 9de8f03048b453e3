#include "game/commands.h"
#include "game/cplayer.h"
#include "platform/terminal.h"
#include "support/childconsole.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const std::string STARS = std::string(50, '*') + "\n";

// A help-menu line: the text padded on the right to 50 characters.
std::string Padded(const std::string& text)
{
    return text + std::string(50 - text.size(), ' ') + "\n";
}

} // namespace

TEST(CPlayer, BannerIsTenLinesWithTheTabbedDateLine)
{
    const ConsoleRun run = RunConsole("", []() { CPlayer("no name").ShowBanner(); });
    ASSERT_TRUE(run.finished);
    const std::string expected =
        STARS + "************** Quorvadellix v 1.0 ****************\n" + STARS +
        "**Developed by:" + std::string(30, ' ') + "*****\n" + "**Pelvannorth & Quillobranthexa" +
        std::string(14, ' ') + "*****\n" + "**April 7, 2004" + std::string(7, '\t') + "   *****\n" +
        STARS + STARS + STARS + "Game will start 3 seconds after you enter you name\n";
    EXPECT_EQ(run.output, expected);
}

TEST(CPlayer, HelpMenuFollowsTheClearSequenceWithSeventeenPaddedLines)
{
    const ConsoleRun run = RunConsole("", []() { CPlayer("no name").ShowHelp(); });
    ASSERT_TRUE(run.finished);
    const std::string expected =
        std::string("\033[H\033[2J\033[3J") + STARS +
        "******************* HELP MENU ********************\n" + STARS + Padded("INSTRUCTIONS:") +
        "AVOID THE ASTEROIDS FOR AS LONG AS POSSIBLE TO WIN\n" + Padded("") + Padded("BUTTONS:") +
        Padded("    'W' TO MOVE FOAWRD") + Padded("    'A' TO TURN LEFT") +
        Padded("    'D' TO TURN RIGHT") + Padded("    'S' TO BRAKE") +
        Padded("    'P' TO PAUSE/UNPAUSE THE GAME") + Padded("    'H' FOR HELP") +
        Padded("    'K' TO QUIT THE GAME") + STARS + STARS + STARS;
    EXPECT_EQ(run.output, expected);
}

TEST(CPlayer, EmptyNameAndScoresInTheGameOverReport)
{
    const ConsoleRun run = RunConsole("\r", []() {
        CPlayer player("no name");
        player.AskName();
        const int scores[] = {0, 500, 100, 1200};
        for (const int score : scores) {
            player.SetScore(score);
            player.SetHighScore(player.GetScore());
            player.ShowGameOver();
        }
    });
    ASSERT_TRUE(run.finished);
    auto report = [](const std::string& score, const std::string& high) {
        return "Good Job,  !\nGame Over!\nYour Score this Game was: " + score +
               "\nYour High Score is:  " + high + "\n";
    };
    EXPECT_EQ(run.output, "Please enter your name: \n\n" + report("0", "0") + report("500", "500") +
                              report("100", "500") + report("1200", "1200"));
}

TEST(CPlayer, NameKeepsBackspaceAndScoresStartAtZero)
{
    const ConsoleRun run = RunConsole("Ann\bx\r", []() {
        CPlayer player("no name");
        ReportLine(player.GetName() + " " + std::to_string(player.GetScore()) + " " +
                   std::to_string(player.GetHighScore()));
        player.AskName();
        player.ShowGameOver();
    });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.report, "no name 0 0\n");
    EXPECT_EQ(run.output, "Please enter your name: \nAnn\bx\nGood Job, Ann\bx !\nGame Over!\n"
                          "Your Score this Game was: 0\nYour High Score is:  0\n");
}

TEST(CPlayer, HighScoreOnlyGrows)
{
    CPlayer player("p");
    player.SetHighScore(500);
    EXPECT_EQ(player.GetHighScore(), 500);
    player.SetHighScore(500);
    player.SetHighScore(100);
    player.SetHighScore(-3);
    EXPECT_EQ(player.GetHighScore(), 500);
    player.SetHighScore(501);
    EXPECT_EQ(player.GetHighScore(), 501);
    player.SetScore(42);
    EXPECT_EQ(player.GetScore(), 42);
    EXPECT_EQ(player.GetHighScore(), 501);
}

TEST(CPlayer, PlayAgainOnlyOnYesAndAskedOnce)
{
    const std::string question = "Would you like to play again (Y/N)?: \n";
    const std::string restart = "Game will restart in 3 seconds \n";
    struct Case
    {
        std::string keys;
        bool again;
    };
    const Case cases[] = {{"y", true},      {"Y", true},  {"n", false}, {"\r", false},
                          {"\033y", false}, {"N", false}, {"", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        const ConsoleRun run = RunConsole(c.keys, []() {
            CPlayer player("p");
            ReportLine(player.AskPlayAgain() ? "again" : "stop");
        });
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.report, c.again ? "again\n" : "stop\n");
        EXPECT_EQ(run.output, c.again ? question + restart : question);
    }
}

TEST(CPlayer, CommandsMapOnlyLowerCaseKeysAndNeverWait)
{
    EXPECT_EQ(CMD_TURN_LEFT, 0);
    EXPECT_EQ(CMD_TURN_RIGHT, 1);
    EXPECT_EQ(CMD_FORWARD, 2);
    EXPECT_EQ(CMD_BRAKE, 3);
    EXPECT_EQ(CMD_PAUSE, 4);
    EXPECT_EQ(CMD_QUIT, 5);
    EXPECT_EQ(CMD_HELP, 6);
    EXPECT_EQ(CMD_NONE, 7);

    ChildProcess child;
    ChildOptions options;
    ASSERT_TRUE(child.StartFunction(
        []() {
            CPlayer player("p");
            // Nothing typed yet and the input still open: every call returns
            // at once with CMD_NONE.
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
        options));
    ASSERT_TRUE(child.WaitForOutput("idle", 10000));
    ASSERT_TRUE(child.Write("adwsphkAWDSPHK \r5"));
    ASSERT_TRUE(child.WaitExit(10000));
    EXPECT_EQ(child.ExitCode(), 0);
    // k from the window, then a d w s p h k, then seven upper-case letters,
    // Space, Enter and a digit, then nothing waiting.
    EXPECT_EQ(child.Error(), "5"
                             "0123465"
                             "7777777"
                             "777"
                             "7"
                             "\n");
}

TEST(CPlayer, EndedInputQuitsTheGameOnceTheKeysAreUsedUp)
{
    ChildProcess child;
    ChildOptions options;
    ASSERT_TRUE(child.StartFunction(
        []() {
            CPlayer player("p");
            // Polls until two quits have come, leaving out the passes in
            // which nothing had arrived yet.
            std::string codes;
            int quits = 0;
            while (quits < 2) {
                const int code = player.GetCommand();
                if (code != CMD_NONE) {
                    codes += std::to_string(code);
                }
                quits += code == CMD_QUIT ? 1 : 0;
            }
            ReportLine(codes);
            return 0;
        },
        options));
    ASSERT_TRUE(child.Write("w"));
    child.CloseInput();
    ASSERT_TRUE(child.WaitExit(10000));
    EXPECT_EQ(child.ExitCode(), 0);
    EXPECT_EQ(child.Error(), "255\n");
}
