#include "support/fakeclock.h"
#include "util/ctimer.h"
#include "util/handyfunctions.h"

#include <gtest/gtest.h>

TEST(GameClock, PauseFreezesEveryStopwatchAndResumeContinuesFromThere)
{
    FakeClock clock(5000);
    CTimer first;
    clock.Advance(2000);
    CTimer second;
    clock.Advance(500);
    EXPECT_DOUBLE_EQ(first.Elapsed(), 2.5);

    CTimer::Resume(); // not paused: nothing happens
    CTimer::Pause();
    EXPECT_TRUE(CTimer::IsPaused());
    clock.Advance(400);
    CTimer::Pause(); // a second pause must not move the pause's start
    clock.Advance(6600);
    EXPECT_DOUBLE_EQ(first.Elapsed(), 2.5);
    EXPECT_DOUBLE_EQ(second.Elapsed(), 0.5);
    CTimer startedWhilePaused;
    EXPECT_DOUBLE_EQ(startedWhilePaused.Elapsed(), 0.0);

    CTimer::Resume();
    EXPECT_FALSE(CTimer::IsPaused());
    clock.Advance(1000);
    // The whole pause is left out, and time goes on from where it stood.
    EXPECT_DOUBLE_EQ(first.Elapsed(), 3.5);
    EXPECT_DOUBLE_EQ(second.Elapsed(), 1.5);
    EXPECT_NEAR(startedWhilePaused.Elapsed(), 1.0, 1e-9);
    first.Reset();
    EXPECT_DOUBLE_EQ(first.Elapsed(), 0.0);
}

TEST(GameClock, BusyWaitOnPausedClockEndsOnlyAfterResume)
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
    }
    EXPECT_GT(timer.Elapsed(), 3.0);
}

TEST(GameClock, RealProcessClockStartsAtZeroAndNeverRunsBackwards)
{
    const long first = ProcessClock();
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 60000);
    EXPECT_GE(ProcessClock(), first);
}

TEST(Countdown, DeadlineInWholeMillisecondsIgnoringPause)
{
    FakeClock clock(1000);
    EXPECT_TRUE(CCountdown(0.0005).IsDone()); // truncated to the current reading

    CCountdown twoSeconds(2.0);
    CTimer::Pause();
    clock.Advance(1999);
    EXPECT_FALSE(twoSeconds.IsDone());
    clock.Advance(1);
    EXPECT_TRUE(twoSeconds.IsDone());
    CTimer::Resume();
    twoSeconds.Restart();
    EXPECT_FALSE(twoSeconds.IsDone());

    clock.SetAdvancePerRead(1);
    const long start = clock.Now();
    Wait(1.5);
    EXPECT_GE(clock.Now() - start, 1500);
    EXPECT_LE(clock.Now() - start, 1503);
}

TEST(CountdownDeathTest, NonPositiveLengthStops)
{
    const char* expected = "Assertion failed: nSeconds > 0, file util/ctimer.cpp, line ";
    EXPECT_DEATH(CCountdown(0.0), expected);
    EXPECT_DEATH(CCountdown(-1.0), expected);
    EXPECT_DEATH(CCountdown(0.0 / 0.0), expected);
    EXPECT_DEATH(Wait(0.0), expected);
}
