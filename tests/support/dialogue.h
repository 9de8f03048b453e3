#ifndef QV_TESTS_SUPPORT_DIALOGUE_H
#define QV_TESTS_SUPPORT_DIALOGUE_H

#include <string>

// The console texts of the game as a player sees them, written out here
// independently of the code that prints them.

/// The start banner.
std::string ExpectedBanner();
/// The clear sequence, then the help menu.
std::string ExpectedHelp();
/// The game-over report.
std::string ExpectedReport(const std::string& name, int score, int highScore);

#endif
