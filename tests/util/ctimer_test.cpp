#include "support/fakeclock.h"
#include "util/ctimer.h"
#include "util/handyfunctions.h"

#include <gtest/gtest.h>

TEST(GameClock, StopwatchMeasuresGameClockSecondsExactly)
{
    FakeClock clock(5000);
    CTimer timer;
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.0);
    clock.Advance(1250);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 1.25);
    timer.Reset();
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.0);
    clock.Advance(3001);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 3.001);
}

TEST(GameClock, PauseFreezesEveryStopwatchAndResumeContinuesFromThere)
{
    FakeClock clock;
    CTimer first;
    clock.Advance(2000);
    CTimer second;
    clock.Advance(500);

    CTimer::Pause();
    EXPECT_TRUE(CTimer::IsPaused());
    const double frozenNow = CTimer::Now();
    clock.Advance(7000);
    EXPECT_DOUBLE_EQ(first.Elapsed(), 2.5);
    EXPECT_DOUBLE_EQ(second.Elapsed(), 0.5);
    EXPECT_DOUBLE_EQ(CTimer::Now(), frozenNow);

    CTimer::Resume();
    EXPECT_FALSE(CTimer::IsPaused());
    EXPECT_DOUBLE_EQ(first.Elapsed(), 2.5);
    clock.Advance(1000);
    EXPECT_DOUBLE_EQ(first.Elapsed(), 3.5);
    EXPECT_DOUBLE_EQ(second.Elapsed(), 1.5);
}

TEST(GameClock, SecondPauseAndStrayResumeChangeNothing)
{
    FakeClock clock;
    CTimer timer;
    CTimer::Resume(); // not paused: nothing happens
    clock.Advance(1000);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 1.0);

    CTimer::Pause();
    clock.Advance(400);
    CTimer::Pause(); // must not move the pause start
    clock.Advance(600);
    CTimer::Resume();
    // The whole pause (1000 ms) is left out, not only its second part.
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 1.0);
    clock.Advance(250);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 1.25);
}

TEST(GameClock, StopwatchStartedWhilePausedReadsZeroUntilResumed)
{
    FakeClock clock;
    CTimer::Pause();
    CTimer timer;
    clock.Advance(3000);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.0);
    CTimer::Resume();
    clock.Advance(100);
    EXPECT_NEAR(timer.Elapsed(), 0.1, 1e-9);
}

TEST(GameClock, BusyWaitOnPausedClockDoesNotEnd)
{
    FakeClock clock;
    clock.SetAdvancePerRead(10);
    CTimer timer;
    CTimer::Pause();
    int spins = 0;
    while (timer.Elapsed() <= 3.0 && spins < 10000) {
        ++spins;
    }
    EXPECT_EQ(spins, 10000);
    CTimer::Resume();
    while (timer.Elapsed() <= 3.0) {
        ++spins;
    }
    EXPECT_GT(timer.Elapsed(), 3.0);
}

TEST(GameClock, ProcessClockIsRealWallClockByDefault)
{
    // The real clock starts at zero at program start and never runs backwards.
    const long first = ProcessClock();
    const long second = ProcessClock();
    EXPECT_GE(first, 0);
    EXPECT_GE(second, first);
}

TEST(Countdown, DeadlineTruncatesToWholeMillisecondsAndIgnoresPause)
{
    FakeClock clock(1000);
    CCountdown halfMs(0.0005);
    EXPECT_TRUE(halfMs.IsDone()); // deadline equals the current reading

    CCountdown twoSeconds(2.0);
    CTimer::Pause();
    clock.Advance(1999);
    EXPECT_FALSE(twoSeconds.IsDone());
    clock.Advance(1);
    EXPECT_TRUE(twoSeconds.IsDone()); // a paused game clock does not delay it
    CTimer::Resume();

    twoSeconds.Restart();
    EXPECT_FALSE(twoSeconds.IsDone());
    clock.Advance(2000);
    EXPECT_TRUE(twoSeconds.IsDone());
}

TEST(Countdown, WaitSpinsUntilTheProcessClockHasPassed)
{
    FakeClock clock(0);
    clock.SetAdvancePerRead(1);
    Wait(1.5);
    EXPECT_GE(clock.Now(), 1500);
    EXPECT_LE(clock.Now(), 1502);
}

TEST(CountdownDeathTest, NonPositiveLengthStops)
{
    const char* expected = "Assertion failed: nSeconds > 0, file util/ctimer.cpp, line [0-9]+";
    EXPECT_DEATH(CCountdown(0.0), expected);
    EXPECT_DEATH(CCountdown(-1.0), expected);
    EXPECT_DEATH(CCountdown(0.0 / 0.0), expected);
    EXPECT_DEATH(Wait(0.0), expected);
}
