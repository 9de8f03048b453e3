#ifndef QV_PLATFORM_PROCESSCLOCK_H
#define QV_PLATFORM_PROCESSCLOCK_H

// The process clock that the game clock (util/ctimer.h) is built on: wall
// time in milliseconds since the program started, less the time it was held.
//
// The clock is held while the game cannot be seen or played: in a terminal
// from Ctrl+Z until the game runs in the foreground again (a bg in between
// keeps it held: no key reaches a background job), in a browser while the
// page is hidden. Held time never
// counts, so neither the score nor the waves nor any body's motion moves on
// while the player is away, and nothing jumps when the clock is released.
// The terminal layers hold and release it; the game does not know.

/// Source of the wall clock under the process clock, in milliseconds. The
/// real one reads the steady clock; tests install a hand-driven one.
using ProcessClockSource = long (*)();

/// Milliseconds of wall time since the program started, less all held time.
/// While held it reads the same value on every call.
long ProcessClock();

/// Replaces the wall clock's source; nullptr restores the real one.
void SetProcessClockSource(ProcessClockSource source);

/// Stops the process clock until ProcessClockRelease. Holding a held clock
/// changes nothing. Async-signal-safe.
void ProcessClockHold();

/// Lets the process clock run on from where it was held; the held time is
/// left out for good. Releasing a running clock changes nothing.
/// Async-signal-safe.
void ProcessClockRelease();

/// True while the process clock is held (for the tests).
bool ProcessClockHeld();

#endif
