#include "support/fakeclock.h"
#include "util/ctimer.h"
#include "util/handyfunctions.h"

#include <gtest/gtest.h>

TEST(GameClock, PauseFreezesEveryStopwatchAndResumeLeavesTheWholePauseOut)
{
    FakeClock clock(5000);
    CTimer first;
    clock.Advance(2000);
    CTimer second;
    clock.Advance(500);
    CTimer::Resume(); // not paused: nothing happens
    const double now = CTimer::Now();
    CTimer::Pause();
    clock.Advance(400);
    CTimer::Pause(); // a second pause must not move the pause's start
    clock.Advance(6600);
    CTimer startedWhilePaused;
    EXPECT_TRUE(CTimer::IsPaused());
    EXPECT_DOUBLE_EQ(CTimer::Now(), now);
    EXPECT_DOUBLE_EQ(first.Elapsed() * 10 + second.Elapsed(), 25.5);
    EXPECT_DOUBLE_EQ(startedWhilePaused.Elapsed(), 0.0);
    CTimer::Resume();
    EXPECT_FALSE(CTimer::IsPaused());
    clock.Advance(1000);
    EXPECT_DOUBLE_EQ(CTimer::Now(), now + 1.0);
    EXPECT_DOUBLE_EQ(first.Elapsed() * 10 + second.Elapsed(), 36.5);
    EXPECT_NEAR(startedWhilePaused.Elapsed(), 1.0, 1e-9);
    CTimer::Pause(); // a second pause is left out as well
    clock.Advance(300);
    CTimer::Resume();
    EXPECT_DOUBLE_EQ(first.Elapsed(), 3.5);
    first.Reset();
    clock.Advance(250);
    EXPECT_DOUBLE_EQ(first.Elapsed(), 0.25);
}

TEST(Countdown, DeadlineInWholeMillisecondsOnTheProcessClockIgnoringPause)
{
    const long real = ProcessClock();
    EXPECT_TRUE(real >= 0 && real < 60000 && ProcessClock() >= real);
    FakeClock clock(1000);
    EXPECT_TRUE(CCountdown(0.0005).IsDone()); // truncated to the current reading
    CCountdown twoSeconds(2.0009);
    CTimer::Pause();
    clock.Advance(1999);
    EXPECT_FALSE(twoSeconds.IsDone());
    clock.Advance(1);
    EXPECT_TRUE(twoSeconds.IsDone());
    CTimer::Resume();
    twoSeconds.Restart();
    clock.Advance(1999);
    EXPECT_FALSE(twoSeconds.IsDone());
    clock.SetAdvancePerRead(1);
    const long start = clock.Now();
    Wait(1.5); // reads the clock until 1500 ms have passed
    EXPECT_EQ(clock.Now() - start, 1501);
}

TEST(CountdownDeathTest, NonPositiveLengthStops)
{
    const char* expected = "Assertion failed: nSeconds > 0, file util/ctimer.cpp, line [0-9]+";
    EXPECT_DEATH(CCountdown(0.0), expected);
    EXPECT_DEATH(CCountdown(-1.0), expected);
    EXPECT_DEATH(CCountdown(0.0 / 0.0), expected);
    EXPECT_DEATH(CCountdown(1.0).Set(0.0), expected);
    EXPECT_DEATH(Wait(0.0), expected);
}
