#include "game/cplayer.h"

#include "game/commands.h"
#include "platform/terminal.h"

#include <cctype>
#include <utility>

namespace {

const char* const STARS = "**************************************************\n";

// Every line of the help menu is padded to 50 characters.
const char* const HELP_MENU[] = {
    "**************************************************\n",
    "******************* HELP MENU ********************\n",
    "**************************************************\n",
    "INSTRUCTIONS:                                     \n",
    "AVOID THE ASTEROIDS FOR AS LONG AS POSSIBLE TO WIN\n",
    "                                                  \n",
    "BUTTONS:                                          \n",
    "    'W' TO MOVE FOAWRD                            \n",
    "    'A' TO TURN LEFT                              \n",
    "    'D' TO TURN RIGHT                             \n",
    "    'S' TO BRAKE                                  \n",
    "    'P' TO PAUSE/UNPAUSE THE GAME                 \n",
    "    'H' FOR HELP                                  \n",
    "    'K' TO QUIT THE GAME                          \n",
    "**************************************************\n",
    "**************************************************\n",
    "**************************************************\n",
};

} // namespace

CPlayer::CPlayer(std::string name) : m_name(std::move(name)), m_score(0), m_highScore(0) {}

void CPlayer::ShowBanner()
{
    m_console << STARS << "************** Quorvadellix v 1.0 ****************\n"
              << STARS << "**Developed by:                              *****\n"
              << "**Pelvannorth & Quillobranthexa              *****\n"
              << "**April 7, 2004\t\t\t\t\t\t\t   *****\n"
              << STARS << STARS << STARS << "Game will start 3 seconds after you enter you name\n";
}

void CPlayer::AskName()
{
    m_console << "Please enter your name: \n";
    m_name = m_console.ReadLine();
}

void CPlayer::SetHighScore(int candidate)
{
    if (candidate > m_highScore) {
        m_highScore = candidate;
    }
}

void CPlayer::ShowHelp()
{
    TerminalClear();
    for (const char* line : HELP_MENU) {
        m_console << line;
    }
}

void CPlayer::ShowGameOver()
{
    m_console << "Good Job, " << m_name << " !\n"
              << "Game Over!\nYour Score this Game was: " << CConsole::IntToText(m_score)
              << "\nYour High Score is:  " << CConsole::IntToText(m_highScore) << "\n";
}

bool CPlayer::AskPlayAgain()
{
    m_console << "Would you like to play again (Y/N)?: \n";
    const char answer =
        static_cast<char>(std::toupper(static_cast<unsigned char>(m_console.GetKey())));
    if (answer == 'Y') {
        m_console << "Game will restart in 3 seconds \n";
        return true;
    }
    return false;
}

int CPlayer::GetCommand()
{
    if (!m_console.KeyHit()) {
        // Once its input has ended the player can neither steer nor answer
        // any more: the game ends as if quit rather than running unattended.
        return m_console.InputEnded() ? CMD_QUIT : CMD_NONE;
    }
    return CommandForKey(m_console.GetKey());
}
