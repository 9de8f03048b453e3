#ifndef QV_TESTS_SUPPORT_FAKECLOCK_H
#define QV_TESTS_SUPPORT_FAKECLOCK_H
#include "util/ctimer.h"

/// Drives the process clock by hand while it lives, the game clock running at both ends.
class FakeClock
{
public:
    explicit FakeClock(long startMs = 100000)
    {
        s_now = startMs, s_perRead = 0;
        SetProcessClockSource([] { return (s_now += s_perRead) - s_perRead; });
        CTimer::Resume();
    }
    ~FakeClock() { CTimer::Resume(), ProcessClockRelease(), SetProcessClockSource(nullptr); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;
    void Advance(long ms) { s_now += ms; }
    long Now() const { return s_now; }
    /// Moves the clock on by ms after every read, so that spinning code ends at once (0: off).
    void SetAdvancePerRead(long ms) { s_perRead = ms; }

private:
    static inline long s_now = 0, s_perRead = 0;
};
#endif
