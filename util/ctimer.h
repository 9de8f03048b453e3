#ifndef QV_UTIL_CTIMER_H
#define QV_UTIL_CTIMER_H

// The game clock and its stopwatches.
//
// All stopwatches read one program-wide game clock: the process clock (a
// monotonic wall clock in milliseconds, zero at program start) less all the
// time the clock spent paused. Pausing the game clock freezes every CTimer at
// once: the game's length, the wave interval and every body's motion. Time
// while the process clock is held (platform/processclock.h) counts neither.

#include "platform/processclock.h"

class CTimer
{
public:
    CTimer();

    void Reset();
    double Elapsed() const;

    static double Now();
    static void Pause();
    static void Resume();
    static bool IsPaused();
    /// Resumes a paused game clock, pauses a running one: what the pause
    /// key does.
    static void TogglePause();

private:
    double m_start;
};

/// Tells whether a number of seconds has passed since it was set, on the
/// process clock: pausing the game clock does not delay it, holding the
/// process clock does.
class CCountdown
{
public:
    explicit CCountdown(double nSeconds);

    void Set(double nSeconds);
    void Restart();
    bool IsDone() const;

private:
    long m_deadline;
    double m_nSeconds;
};

#endif
