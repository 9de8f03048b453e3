#ifndef QV_UTIL_HANDYFUNCTIONS_H
#define QV_UTIL_HANDYFUNCTIONS_H

#include "geometry/cpoint2d.h"
#include "geometry/cvector2d.h"

#include <string>
#include <string_view>

// General helpers: random launch vectors and points, prompts on the standard
// streams, and a two-key command menu (pause and quit) with its key poll.

/// The general-purpose command menu of ShowCommands and CheckCommands: the
/// keys and, at the same index, their names. It is not the game's key map:
/// the game reads its keys (quit is k there) through CPlayer::GetCommand with
/// the codes of game/commands.h, and uses neither of these two functions; the
/// table serves programs and tests built on these helpers alone.
constexpr int NUM_COMMANDS = 2;
inline constexpr char COMMAND_KEYS[NUM_COMMANDS] = {'q', 'p'};
inline constexpr std::string_view COMMAND_NAMES[NUM_COMMANDS] = {"Quit", "Pause"};

/// Waits nSeconds of process-clock time by polling a countdown. It spins: no
/// sleep and no key handling. nSeconds must be greater than 0.
void Wait(double nSeconds);

/// A random vector: a whole magnitude in [leastMagnitude, greatestMagnitude]
/// (bounds truncated to int) and a direction in thousandths of a radian in
/// [leastDirection, greatestDirection]. The direction is drawn first, then
/// the magnitude, from the shared random sequence. Bounds must be
/// non-negative and in order once truncated.
CVector2D RandomVector(double leastMagnitude, double greatestMagnitude, double leastDirection,
                       double greatestDirection);

/// A random point with whole coordinates inside the rectangle, both edges
/// included; y is drawn first, then x. The corners' pixel coordinates must be
/// non-negative and lowerLeft must lie left of and below topRight.
CPoint2D RandomPointInRect(CPoint2D lowerLeft, CPoint2D topRight);

/// Writes the question with " [y/n] :" and reads lines from std::cin until
/// one starts (after blanks) with y or n in either case. Returns true for
/// yes. When standard input ends before an answer it returns false: no.
bool AskYesNo(const std::string& question);

/// Reads an int from std::cin, re-asking after each line that does not start
/// with one; the rest of the line stays in the input. When standard input
/// ends before a number it returns 0.
int AskInt();

/// Writes the command menu to std::cout.
void ShowCommands();

/// Handles one waiting key without waiting: 'p' pauses or resumes the game
/// clock, 'q' returns false (quit), any other key is dropped. Returns true
/// when no key is waiting.
bool CheckCommands();

#endif
