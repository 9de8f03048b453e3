#include "util/ctimer.h"

#include "util/assertion.h"

namespace {

// The one program-wide game-clock state.
struct GameClockState
{
    bool paused = false;
    long pausedTotal = 0;
    long pauseStart = 0;
};

GameClockState g_gameClock;

} // namespace

CTimer::CTimer() : m_start(Now()) {}

void CTimer::Reset()
{
    m_start = Now();
}

double CTimer::Elapsed() const
{
    return Now() - m_start;
}

double CTimer::Now()
{
    const long t = g_gameClock.paused ? g_gameClock.pauseStart : ProcessClock();
    return static_cast<double>(t - g_gameClock.pausedTotal) / 1000.0;
}

void CTimer::Pause()
{
    if (g_gameClock.paused) {
        return;
    }
    g_gameClock.pauseStart = ProcessClock();
    g_gameClock.paused = true;
}

void CTimer::Resume()
{
    if (!g_gameClock.paused) {
        return;
    }
    g_gameClock.pausedTotal += ProcessClock() - g_gameClock.pauseStart;
    g_gameClock.paused = false;
}

bool CTimer::IsPaused()
{
    return g_gameClock.paused;
}

void CTimer::TogglePause()
{
    if (IsPaused()) {
        Resume();
    } else {
        Pause();
    }
}

CCountdown::CCountdown(double nSeconds) : m_deadline(0), m_nSeconds(0.0)
{
    Set(nSeconds);
}

void CCountdown::Set(double nSeconds)
{
    QV_ASSERT(nSeconds > 0);
    m_nSeconds = nSeconds;
    m_deadline = ProcessClock() + static_cast<long>(nSeconds * 1000.0);
}

void CCountdown::Restart()
{
    Set(m_nSeconds);
}

bool CCountdown::IsDone() const
{
    return ProcessClock() >= m_deadline;
}
