#ifndef QV_TESTS_SUPPORT_DIALOGUE_H
#define QV_TESTS_SUPPORT_DIALOGUE_H

#include <string>

// The console texts of the game as a player sees them, written out here
// independently of the code that prints them.

inline std::string ExpectedBanner()
{
    const std::string stars = std::string(50, '*') + "\n";
    return stars + "************** Quorvadellix v 1.0 ****************\n" + stars +
           "**Developed by:" + std::string(30, ' ') + "*****\n" +
           "**Pelvannorth & Quillobranthexa" + std::string(14, ' ') + "*****\n" +
           "**April 7, 2004" + std::string(7, '\t') + "   *****\n" + stars + stars + stars +
           "Game will start 3 seconds after you enter you name\n";
}

/// The clear sequence, then the help menu, its lines padded to 50.
inline std::string ExpectedHelp()
{
    std::string help = "\033[H\033[2J\033[3J";
    for (const char* line :
         {"*", "******************* HELP MENU ********************", "*",
          "INSTRUCTIONS:", "AVOID THE ASTEROIDS FOR AS LONG AS POSSIBLE TO WIN", "",
          "BUTTONS:", "    'W' TO MOVE FOAWRD", "    'A' TO TURN LEFT", "    'D' TO TURN RIGHT",
          "    'S' TO BRAKE", "    'P' TO PAUSE/UNPAUSE THE GAME", "    'H' FOR HELP",
          "    'K' TO QUIT THE GAME", "*", "*", "*"}) {
        const std::string text = line;
        help +=
            (text == "*" ? std::string(50, '*') : text + std::string(50 - text.size(), ' ')) + "\n";
    }
    return help;
}

inline std::string ExpectedReport(const std::string& name, int score, int highScore)
{
    return "Good Job, " + name +
           " !\nGame Over!\nYour Score this Game was: " + std::to_string(score) +
           "\nYour High Score is:  " + std::to_string(highScore) + "\n";
}

#endif
