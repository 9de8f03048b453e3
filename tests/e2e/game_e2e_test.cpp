// The real game binary, end to end: keys on a pipe, the dummy video driver,
// pictures in a temporary folder.
#include "support/child.h"
#include "support/dialogue.h"
#include "support/jpegfixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

constexpr int RUN_TIMEOUT_MS = 30000;

// The end of a game as the game loop shows it: bells, report, question.
std::string Report(const std::string& name, int score, int highScore)
{
    return "\a\a\a\a" + ExpectedReport(name, score, highScore) +
           "Would you like to play again (Y/N)?: \n";
}

const std::string PROMPT = "Please enter your name: \n";
const std::string RESTART = "Game will restart in 3 seconds \n";

class GameRun : public ::testing::Test
{
protected:
    void WritePictures(int width = 640, int height = 480)
    {
        JpegFixtureOptions options;
        options.width = width;
        options.height = height;
        const ByteVector picture = MakeJpeg(options);
        ASSERT_TRUE(WriteBytes(m_folder.File("space_image.jpg"), picture));
        ASSERT_TRUE(WriteBytes(m_folder.File("space_image_welcome.jpg"), picture));
    }

    // Starts the game with keys on its input, optionally closing it after
    // them, and waits for it to end.
    void Run(const std::string& keys, bool closeInput)
    {
        ChildOptions options;
        options.argv = {QV_GAME_BINARY};
        options.cwd = m_folder.Path();
        options.env = {"SDL_VIDEODRIVER=dummy"};
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(m_child.Start(options)) << m_child.Error();
        ASSERT_TRUE(m_child.Write(keys));
        if (closeInput) {
            m_child.CloseInput();
        }
        ASSERT_TRUE(m_child.WaitExit(RUN_TIMEOUT_MS)) << "the game did not end:\n"
                                                      << m_child.Output();
        m_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    FixtureDirectory m_folder;
    ChildProcess m_child;
    double m_seconds = 0.0;
};

} // namespace

TEST_F(GameRun, TranscriptOfTwoQuitGames)
{
    WritePictures();
    // 'k' typed during the three-second wait ends the game in its first pass.
    Run("Ann\rkykn", false);
    EXPECT_TRUE(m_child.Exited());
    EXPECT_EQ(m_child.ExitCode(), 0);
    const std::string expected = ExpectedBanner() + PROMPT + "Ann\n" + ExpectedHelp() +
                                 Report("Ann", 0, 0) + RESTART + ExpectedHelp() +
                                 Report("Ann", 0, 0);
    EXPECT_EQ(m_child.Output(), expected);
    EXPECT_EQ(m_child.Error(), "");
    // Two games, each after its three-second wait.
    EXPECT_GE(m_seconds, 6.0);
}

TEST_F(GameRun, QuitWhilePausedDoesNotFreezeTheNextGame)
{
    WritePictures(320, 200);
    // Pause, quit, play again: the next start delay must still end.
    Run("\rpkypknn", false);
    EXPECT_EQ(m_child.ExitCode(), 0);
    EXPECT_EQ(m_child.Output(), ExpectedBanner() + PROMPT + "\n" + ExpectedHelp() +
                                    Report("", 0, 0) + RESTART + ExpectedHelp() + Report("", 0, 0));
}

TEST_F(GameRun, ClosedInputEndsTheRunWithoutSpinning)
{
    WritePictures(64, 48);
    // Input ends at the name prompt: empty name, one game ended at once,
    // the play-again question reads no.
    Run("", true);
    EXPECT_EQ(m_child.ExitCode(), 0);
    EXPECT_EQ(m_child.Output(),
              ExpectedBanner() + PROMPT + "\n" + ExpectedHelp() + Report("", 0, 0));
    EXPECT_LT(m_seconds, 10.0);
}
