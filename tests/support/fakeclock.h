#ifndef QV_TESTS_SUPPORT_FAKECLOCK_H
#define QV_TESTS_SUPPORT_FAKECLOCK_H

/// Drives the process clock by hand while it lives, so that the game clock,
/// stopwatches and countdowns are tested exactly, without sleeps. The game
/// clock is left running at both ends.
class FakeClock
{
public:
    explicit FakeClock(long startMs = 100000);
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void Advance(long ms);
    long Now() const;
    /// Moves the clock on by ms after every read, so that code spinning on
    /// the clock finishes without a real wait (0 turns it off).
    void SetAdvancePerRead(long ms);
};

#endif
