#include "support/child.h"
#include "support/dialogue.h"
#include "support/jpegfixtures.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

namespace {

constexpr int TIMEOUT_MS = 30000;
const std::string PROMPT = "Please enter your name: \n";
const std::string QUESTION = "Would you like to play again (Y/N)?: \n";
const std::string RESTART = "Game will restart in 3 seconds \n";

std::string End(const std::string& name, int score, int highScore)
{
    return "\a\a\a\a" + ExpectedReport(name, score, highScore) + QUESTION;
}

std::string Shown(std::string text, ChildInput input)
{
    for (size_t at = 0; input == ChildInput::Pty && (at = text.find('\n', at)) != text.npos;
         at += 2) {
        text.insert(at, "\r");
    }
    return text;
}

ChildOptions Game(ChildInput input, const std::string& folder = QV_BINARY_DIR)
{
    return {{QV_GAME_BINARY}, {"SDL_VIDEODRIVER=dummy"}, folder, input};
}

// Until the game is in play: it has read the key typed during its start delay.
void StartPlaying(ChildProcess& game, ChildInput input, const std::function<int()>& shell = {})
{
    ASSERT_TRUE(shell ? game.StartFunction(shell, Game(input)) : game.Start(Game(input)));
    ASSERT_TRUE(game.WaitForOutput(Shown(PROMPT, input), TIMEOUT_MS)); // then keys are not echoed
    ASSERT_TRUE(game.Write("Ann\rh") && game.WaitForOutput("HELP MENU", TIMEOUT_MS));
    ASSERT_TRUE(game.WaitInputRead(TIMEOUT_MS));
}

} // namespace

// Two games quit with 'k' (typed during the start delay: the game ends in its
// first pass) on a terminal: the exact transcript, without the terminal's own
// echo, status 0, and the terminal's settings exactly as before.
TEST(GameEnd, TwoQuitGamesShowTheWholeDialogueAndRestoreTheTerminal)
{
    ChildProcess game;
    ASSERT_TRUE(game.Start(Game(ChildInput::Pty)));
    ASSERT_TRUE(game.WaitForOutput(Shown(PROMPT, ChildInput::Pty), TIMEOUT_MS));
    EXPECT_TRUE(IsGameMode(game.Terminal()->Settings()));
    ASSERT_TRUE(game.Write("Ann\rkykn") && game.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(game.ExitCode(), 0);
    EXPECT_EQ(game.Output(),
              Shown(ExpectedBanner() + PROMPT + "Ann\n" + ExpectedHelp() + End("Ann", 0, 0) +
                        RESTART + ExpectedHelp() + End("Ann", 0, 0),
                    ChildInput::Pty));
    EXPECT_EQ(game.Error(), "");
    EXPECT_TRUE(SameSettings(game.Terminal()->Settings(), PseudoTerminal().Settings()));
}

// Input that ends anywhere ends the run with status 0: at the name prompt (an
// empty name), during the start delay and during play (the game ends as if
// quit) and at the play-again question (no).
TEST(GameEnd, EndOfInputEndsTheRunWithStatusZero)
{
    const struct
    {
        const char* keys;
        bool inPlay;
        std::string shown; // after the banner and prompt
    } cases[] = {
        {"", false, "\n" + ExpectedHelp() + End("", 0, 0)},
        {"A\bn\rky", false, // the name as typed, Backspace included
         "A\bn\n" + ExpectedHelp() + End("A\bn", 0, 0) + RESTART + ExpectedHelp() +
             End("A\bn", 0, 0)},
        {"", true, "Ann\n" + ExpectedHelp() + "\a\a\a\aGood Job, Ann !\n"}, // then the score
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        ChildProcess game;
        if (c.inPlay) {
            StartPlaying(game, ChildInput::Pipe);
        } else {
            ASSERT_TRUE(game.Start(Game(ChildInput::Pipe)) && game.Write(c.keys));
        }
        game.CloseInput();
        ASSERT_TRUE(game.WaitExit(TIMEOUT_MS));
        EXPECT_EQ(game.ExitCode(), 0);
        const std::string& output = game.Output();
        EXPECT_EQ(c.inPlay ? output.substr(0, output.find("Game Over!")) : output,
                  ExpectedBanner() + PROMPT + c.shown);
        EXPECT_EQ(output.substr(output.size() - QUESTION.size()), QUESTION);
    }
}

// Ctrl+C, a kill and a hang-up end the game by that signal at every stage,
// and the terminal's settings come back exactly.
TEST(GameEnd, SignalsEndTheGameAndRestoreTheTerminal)
{
    const struct
    {
        int sig;
        const char* ctrl; // the key that sends it, or nothing for a kill
        const char* keys; // typed first, then the output waited for
        const char* waitFor;
    } cases[] = {
        {SIGINT, "\003", nullptr, nullptr}, // during play
        {SIGTERM, "", nullptr, nullptr},     {SIGHUP, "", "", "name: "},
        {SIGTERM, "", "Ann\r", "HELP MENU"}, // during the start delay
        {SIGINT, "\003", "Ann\rk", "(Y/N)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.sig)) + " after " + (c.keys ? c.keys : "play"));
        ChildProcess game;
        if (c.keys == nullptr) {
            StartPlaying(game, ChildInput::Pty);
        } else {
            ASSERT_TRUE(game.Start(Game(ChildInput::Pty)));
            ASSERT_TRUE(game.WaitForOutput("name: ", TIMEOUT_MS));
            ASSERT_TRUE(game.Write(c.keys) && game.WaitForOutput(c.waitFor, TIMEOUT_MS));
        }
        ASSERT_TRUE(*c.ctrl != '\0' ? game.Write(c.ctrl) : game.Signal(c.sig));
        ASSERT_TRUE(game.WaitExit(TIMEOUT_MS));
        EXPECT_EQ(game.TermSignal(), c.sig);
        EXPECT_TRUE(SameSettings(game.Terminal()->Settings(), PseudoTerminal().Settings()));
    }
}

// Ctrl+Z under a job-control shell: the shell gets the terminal as it was,
// "fg" brings the game mode back, and the settings are restored at the end.
TEST(GameEnd, CtrlZGivesTheShellItsTerminalAndFgResumesTheGame)
{
    ChildProcess shell; // a minimal job-control shell, the game its job
    StartPlaying(shell, ChildInput::Pty, []() {
        signal(SIGTTOU, SIG_IGN);
        const pid_t job = fork();
        if (job == 0) {
            setpgid(0, 0);
            tcsetpgrp(STDIN_FILENO, getpgrp());
            signal(SIGTTOU, SIG_DFL);
            execl(QV_GAME_BINARY, QV_GAME_BINARY, static_cast<char*>(nullptr));
            _exit(127);
        }
        setpgid(job, job);
        tcsetpgrp(STDIN_FILENO, job);
        int status = 0;
        for (std::string line; waitpid(job, &status, WUNTRACED) == job && WIFSTOPPED(status);) {
            tcsetpgrp(STDIN_FILENO, getpgrp());
            ReportLine("stopped");
            std::getline(std::cin, line); // "fg"
            tcsetpgrp(STDIN_FILENO, job);
            kill(-job, SIGCONT);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    });
    const termios before = PseudoTerminal().Settings();
    ASSERT_TRUE(shell.Write("\032") && shell.WaitForOutput("stopped\n", TIMEOUT_MS, true));
    EXPECT_TRUE(SameSettings(shell.Terminal()->Settings(), before));
    ASSERT_TRUE(shell.Write("fg\r"));
    for (int i = 0; i < TIMEOUT_MS && !IsGameMode(shell.Terminal()->Settings()); ++i) {
        usleep(1000); // until the game has taken the terminal back
    }
    ASSERT_TRUE(shell.Write("kn") && shell.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(shell.ExitCode(), 0);
    // Only the shell's line was echoed: the game's keys were not.
    EXPECT_NE(shell.Output().find("fg\r\n\a\a\a\aGood Job, Ann !"), std::string::npos);
    EXPECT_TRUE(SameSettings(shell.Terminal()->Settings(), before));
}

// A picture the game cannot use stops it before anything is shown, with status
// 1 and one line naming the file and the reason; the terminal is untouched.
TEST(GameEnd, AnUnusablePictureStopsTheGameWithStatusOne)
{
    FixtureDirectory folder; // with no pictures in it
    ChildProcess game;
    ASSERT_TRUE(game.Start(Game(ChildInput::Pty, folder.Path())));
    ASSERT_TRUE(game.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(game.ExitCode(), 1);
    EXPECT_EQ(game.Output(), "");
    EXPECT_EQ(game.Error(), "quorvadellix: space_image.jpg: cannot open the picture: No such "
                            "file or directory\n");
    EXPECT_TRUE(SameSettings(game.Terminal()->Settings(), PseudoTerminal().Settings()));
}
