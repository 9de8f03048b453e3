#ifndef QV_GAME_CPLAYER_H
#define QV_GAME_CPLAYER_H

#include "game/cconsole.h"

#include <string>

/// The one player of a run: name, score of the last game and high score of
/// the run. It owns all console text of the game (banner, name prompt, help
/// menu, game-over report, play-again question) and turns the key pressed
/// during play into a command code (game/commands.h).
class CPlayer
{
public:
    explicit CPlayer(std::string name);

    /// Writes the start banner; does not clear the console.
    void ShowBanner();
    /// Asks for the name and makes the line typed (possibly empty) the name.
    void AskName();

    void SetScore(int score) { m_score = score; }
    int GetScore() const { return m_score; }
    /// Stores the candidate only when it beats the stored high score.
    void SetHighScore(int candidate);
    int GetHighScore() const { return m_highScore; }

    /// Clears the console, then writes the help menu.
    void ShowHelp();
    /// Writes the greeting, "Game Over!", the score and the high score.
    void ShowGameOver();
    /// Asks whether to play again and reads one key: 'y' or 'Y' is yes (and
    /// announces the restart), any other key is no. At the end of input the
    /// key read is a line feed, so the answer is no.
    bool AskPlayAgain();
    /// The command code of the waiting key, CMD_NONE when no key is waiting
    /// (it never waits) or the key is not a command key. Once the console's
    /// input has ended and no key is left, CMD_QUIT: nobody can steer any more.
    int GetCommand();

private:
    std::string m_name;
    int m_score;
    int m_highScore;
    CConsole m_console;
};

#endif
