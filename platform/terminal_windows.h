#ifndef QV_PLATFORM_TERMINAL_WINDOWS_H
#define QV_PLATFORM_TERMINAL_WINDOWS_H

// What the Windows terminal layer shows beyond platform/terminal.h, for its
// tests: Windows delivers Ctrl+Break and the closing of a console only from
// outside, so a test calls the handler itself; and a test can race a prompt
// with a hand-over event of its own.

#include <windows.h>

/// The console control handler that TerminalInit installs. For Ctrl+C,
/// Ctrl+Break, closing the console, logging off and shutting down it puts the
/// console's input mode, output mode and title back, runs the emergency
/// clean-ups and answers FALSE, so that Windows ends the process as usual.
PHANDLER_ROUTINE TerminalConsoleEventHandler();

/// The command of the menu event that a prompt writes into the console input
/// to reach the console reader thread, which is usually blocked in its read:
/// the events before it are handed to the prompt, in order.
constexpr UINT TERMINAL_HAND_OVER_COMMAND = 0x5156;

/// Registers how the game's graphics window gives the keyboard back to the
/// console when it holds it and the console cannot take it by itself (a
/// window manager under Wine keeps the keyboard with the clicked window; a
/// console host such as Windows Terminal keeps its console window hidden).
/// Called when a prompt takes the console, and while the game waits for a
/// key typed in it. nullptr unregisters it.
void TerminalSetKeyboardHandBack(void (*handBack)());

#endif
