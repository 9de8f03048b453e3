#include "util/handyfunctions.h"

#include "platform/terminal.h"
#include "platform/yield.h"
#include "util/assertion.h"
#include "util/ctimer.h"
#include "util/randomint.h"

#include <cctype>
#include <iostream>

namespace {
// How much of a rejected line the prompts discard.
constexpr int DISCARD_LENGTH = 80;
} // namespace

void Wait(double nSeconds)
{
    const CCountdown countdown(nSeconds);
    while (!countdown.IsDone()) {
        YieldTurn();
    }
}

CVector2D RandomVector(double leastMagnitude, double greatestMagnitude, double leastDirection,
                       double greatestDirection)
{
    static RandomInt magnitude;
    static RandomInt direction;
    magnitude.SetRange(static_cast<int>(leastMagnitude), static_cast<int>(greatestMagnitude));
    direction.SetRange(static_cast<int>(leastDirection * 1000.0),
                       static_cast<int>(greatestDirection * 1000.0));
    const double angle = direction.Next() / 1000.0;
    const double length = magnitude.Next();
    return {length, angle, HALF_PI};
}

CPoint2D RandomPointInRect(CPoint2D lowerLeft, CPoint2D topRight)
{
    static RandomInt xGenerator;
    static RandomInt yGenerator;
    // clang-format off
    QV_ASSERT(lowerLeft.X() <= topRight.X() && lowerLeft.Y() <= topRight.Y());
    // clang-format on
    xGenerator.SetRange(lowerLeft.X(), topRight.X());
    yGenerator.SetRange(lowerLeft.Y(), topRight.Y());
    const int y = yGenerator.Next();
    const int x = xGenerator.Next();
    return {static_cast<double>(x), static_cast<double>(y)};
}

bool AskYesNo(const std::string& question)
{
    const CTerminalLineInput lineInput;
    std::cout << std::endl << question << " [y/n] :";
    for (;;) {
        char answer = 0;
        if (!(std::cin >> answer)) {
            return false;
        }
        std::cin.ignore(DISCARD_LENGTH, '\n');
        const int lower = std::tolower(static_cast<unsigned char>(answer));
        if (lower == 'y' || lower == 'n') {
            return lower == 'y';
        }
        std::cout << "You must enter yes or no [y/n].  Please try again: ";
    }
}

int AskInt()
{
    const CTerminalLineInput lineInput;
    for (;;) {
        int n = 0;
        if (std::cin >> n) {
            return n;
        }
        if (std::cin.eof()) {
            return 0;
        }
        std::cin.clear();
        std::cin.ignore(DISCARD_LENGTH, '\n');
        std::cout << "You must enter an integer value.  Please try again: ";
    }
}

void ShowCommands()
{
    std::cout << std::endl << std::endl << "The following commands are available: " << std::endl;
    for (int i = 0; i < NUM_COMMANDS; ++i) {
        std::cout << "   " << COMMAND_KEYS[i] << " : to " << COMMAND_NAMES[i] << std::endl;
    }
    std::cout << std::endl;
}

bool CheckCommands()
{
    if (!TerminalKeyHit()) {
        return true;
    }
    const char key = TerminalGetKey();
    if (key == 'p') {
        CTimer::TogglePause();
        return true;
    }
    return key != 'q';
}
