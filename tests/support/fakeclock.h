#ifndef QV_TESTS_SUPPORT_FAKECLOCK_H
#define QV_TESTS_SUPPORT_FAKECLOCK_H

/// Drives the process clock by hand for as long as it lives, so that the
/// game clock, stopwatches and countdowns are tested exactly, without sleeps.
/// On construction and destruction the game clock is left running.
class FakeClock
{
public:
    explicit FakeClock(long startMs = 100000);
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void Set(long ms);
    void Advance(long ms);
    /// Seconds, for convenience: Advance(seconds * 1000).
    void AdvanceSeconds(double seconds);
    long Now() const;
    /// Every read of the clock moves it on by ms afterwards (0 turns it off);
    /// lets code that spins on the clock finish without a real wait.
    void SetAdvancePerRead(long ms);
    /// How many times the clock has been read.
    long Reads() const;
};

#endif
