#include "support/fakeclock.h"

#include "util/ctimer.h"

namespace {
long g_now = 0;
long g_perRead = 0;
long g_reads = 0;

long ReadFakeClock()
{
    ++g_reads;
    const long now = g_now;
    g_now += g_perRead;
    return now;
}
} // namespace

FakeClock::FakeClock(long startMs)
{
    g_now = startMs;
    g_perRead = 0;
    g_reads = 0;
    SetProcessClockSource(&ReadFakeClock);
    CTimer::Resume();
}

FakeClock::~FakeClock()
{
    CTimer::Resume();
    SetProcessClockSource(nullptr);
}

void FakeClock::Set(long ms)
{
    g_now = ms;
}

void FakeClock::Advance(long ms)
{
    g_now += ms;
}

void FakeClock::AdvanceSeconds(double seconds)
{
    g_now += static_cast<long>(seconds * 1000.0 + (seconds >= 0 ? 0.5 : -0.5));
}

long FakeClock::Now() const
{
    return g_now;
}

void FakeClock::SetAdvancePerRead(long ms)
{
    g_perRead = ms;
}

long FakeClock::Reads() const
{
    return g_reads;
}
