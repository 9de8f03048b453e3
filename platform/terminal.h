#ifndef QV_PLATFORM_TERMINAL_H
#define QV_PLATFORM_TERMINAL_H

// The console as the game sees it: a non-blocking "is a key waiting" test,
// reading one key without echo or line buffering, writing one character at
// once, and clearing the screen.
//
// When standard input is a terminal, the first call of any console function
// switches it (once) to non-canonical input without echo, with Enter arriving
// as a carriage return; Ctrl+C still interrupts. The original settings come
// back however the program ends: normal return or exit(), SIGINT, SIGTERM,
// SIGHUP (the signal is then re-raised, so the exit status still says
// "killed by signal"), a failed assertion and an uncaught exception. Ctrl+Z
// gives the shell its normal terminal back and the game mode returns on fg;
// the game clock stands still meanwhile (platform/processclock.h).
//
// When standard input is a pipe or a file, no terminal mode is touched and
// keys are read from it byte by byte.
//
// Keys typed in the graphics window are queued with TerminalQueueKey and read
// before the bytes of standard input, exactly as if typed in the terminal.
//
// In a browser page the terminal is the page's terminal widget: what the game
// writes reaches it byte by byte through standard output, its keys come in
// one byte at a time, and its input never ends.

#include <cstddef>

/// The bytes that clear the terminal and put the cursor at the top left
/// (home, erase the screen, erase the scroll-back).
inline constexpr char TERMINAL_CLEAR_SEQUENCE[] = "\033[H\033[2J\033[3J";

/// Most keys a key queue of the terminal layers holds at once. The queue of
/// window keys drops further keys (a window cannot be told to wait); the
/// Windows console's reader, which has the console's own buffer behind it,
/// waits until the game has read some.
constexpr int TERMINAL_KEY_QUEUE_SIZE = 64;

/// Switches the terminal to game mode now instead of on first use. Calling it
/// again does nothing, also after TerminalRestore().
void TerminalInit();

/// Never blocks: true when a window key is queued or a byte is waiting on
/// standard input. At the end of standard input it answers false.
bool TerminalKeyHit();

/// One key without echo: the oldest queued window key, else one byte of
/// standard input (waiting for it). At the end of standard input, or on a
/// read error, it returns a line feed.
char TerminalGetKey();

/// True when the last attempt to read standard input found its end (or an
/// error that cannot be retried). Queued window keys may still be waiting.
bool TerminalInputEnded();

/// Writes one character so that it reaches the terminal at once. Whatever the
/// program wrote earlier through stdio or std::cout is flushed first, so the
/// two channels keep their order.
void TerminalPutChar(char c);

/// Writes a block of bytes at once, as TerminalPutChar does one.
void TerminalWrite(const char* bytes, std::size_t count);

/// Clears the terminal with TERMINAL_CLEAR_SEQUENCE.
void TerminalClear();

/// Queues a key typed in the graphics window; dropped when the queue is full.
void TerminalQueueKey(char key);

/// Puts the terminal back as it was before TerminalInit. Safe to call more
/// than once and from a signal handler; console calls after it no longer
/// change the terminal mode.
void TerminalRestore();

/// True while the terminal is in game mode (non-canonical, no echo).
bool TerminalModeActive();

/// Gives the terminal its original line mode (echo, line editing) for as long
/// as it lives, for prompts that read whole lines through std::cin, and
/// brings the game mode back afterwards. Does nothing when the terminal is not
/// in game mode.
class CTerminalLineInput
{
public:
    CTerminalLineInput();
    ~CTerminalLineInput();
    CTerminalLineInput(const CTerminalLineInput&) = delete;
    CTerminalLineInput& operator=(const CTerminalLineInput&) = delete;

private:
    bool m_suspended;
};

#endif
