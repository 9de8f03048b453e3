#include "support/fakeclock.h"

#include "util/ctimer.h"

namespace {
long g_now = 0;
long g_perRead = 0;

long ReadFakeClock()
{
    const long now = g_now;
    g_now += g_perRead;
    return now;
}
} // namespace

FakeClock::FakeClock(long startMs)
{
    g_now = startMs;
    g_perRead = 0;
    SetProcessClockSource(&ReadFakeClock);
    CTimer::Resume();
}

FakeClock::~FakeClock()
{
    CTimer::Resume();
    SetProcessClockSource(nullptr);
}

void FakeClock::Advance(long ms)
{
    g_now += ms;
}

long FakeClock::Now() const
{
    return g_now;
}

void FakeClock::SetAdvancePerRead(long ms)
{
    g_perRead = ms;
}
