#include "support/dialogue.h"

namespace {

const std::string STARS = std::string(50, '*') + "\n";

// A help-menu line: the text padded on the right to 50 characters.
std::string Padded(const std::string& text)
{
    return text + std::string(50 - text.size(), ' ') + "\n";
}

} // namespace

std::string ExpectedBanner()
{
    return STARS + "************** Quorvadellix v 1.0 ****************\n" + STARS +
           "**Developed by:" + std::string(30, ' ') + "*****\n" +
           "**Pelvannorth & Quillobranthexa" + std::string(14, ' ') + "*****\n" +
           "**April 7, 2004" + std::string(7, '\t') + "   *****\n" + STARS + STARS + STARS +
           "Game will start 3 seconds after you enter you name\n";
}

std::string ExpectedHelp()
{
    return "\033[H\033[2J\033[3J" + STARS + "******************* HELP MENU ********************\n" +
           STARS + Padded("INSTRUCTIONS:") +
           "AVOID THE ASTEROIDS FOR AS LONG AS POSSIBLE TO WIN\n" + Padded("") +
           Padded("BUTTONS:") + Padded("    'W' TO MOVE FOAWRD") + Padded("    'A' TO TURN LEFT") +
           Padded("    'D' TO TURN RIGHT") + Padded("    'S' TO BRAKE") +
           Padded("    'P' TO PAUSE/UNPAUSE THE GAME") + Padded("    'H' FOR HELP") +
           Padded("    'K' TO QUIT THE GAME") + STARS + STARS + STARS;
}

std::string ExpectedReport(const std::string& name, int score, int highScore)
{
    return "Good Job, " + name +
           " !\nGame Over!\nYour Score this Game was: " + std::to_string(score) +
           "\nYour High Score is:  " + std::to_string(highScore) + "\n";
}
